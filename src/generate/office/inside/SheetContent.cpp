#include "SheetContent.h"
#include "UnoNames.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/XMergeable.hpp>

#include <set>
#include <utility>

namespace statusmill::inside {
namespace {

using css::table::CellRangeAddress;

// A cell holds something when it holds a number, a date, text or a formula; a
// cell with a format or a comment alone holds nothing.
constexpr sal_Int32 kFilled = css::sheet::CellFlags::VALUE | css::sheet::CellFlags::DATETIME |
                              css::sheet::CellFlags::STRING | css::sheet::CellFlags::FORMULA;

class SheetReader
{
public:
    explicit SheetReader(const Reference<css::sheet::XSpreadsheet>& sheet) : m_sheet(sheet) {}

    SheetContent read()
    {
        const auto filled = Reference<css::sheet::XCellRangesQuery>(m_sheet, UNO_QUERY_THROW)
                                ->queryContentCells(kFilled)
                                ->getRangeAddresses();
        std::vector<CellRangeAddress> merged;
        for (const CellRangeAddress& range : filled) {
            readRange(range);
            findMerged(range, merged);
        }
        for (const CellRangeAddress& area : merged)
            spread(area);
        SheetContent content;
        content.name = Reference<css::container::XNamed>(m_sheet, UNO_QUERY_THROW)->getName();
        content.hiddenRows = keepVisibleRows();
        for (const auto& [row, column] : m_errors)
            if (m_rows.count(row) && size_t(column) < m_rows[row].size())
                content.errors.push_back({row, column});
        for (const auto& [at, number] : m_numbers)
            if (m_rows.count(at.first) && size_t(at.second) < m_rows[at.first].size())
                content.numbers.push_back({at.first, at.second, number});
        content.rows = std::move(m_rows);
        return content;
    }

private:
    Reference<css::table::XCellRange> range(const CellRangeAddress& at) const
    {
        return m_sheet->getCellRangeByPosition(at.StartColumn, at.StartRow, at.EndColumn,
                                               at.EndRow);
    }

    void place(sal_Int32 row, sal_Int32 column, const OUString& text)
    {
        auto& cells = m_rows[row];
        if (cells.size() <= size_t(column))
            cells.resize(size_t(column) + 1);
        cells[size_t(column)] = text;
    }

    // Text comes whole from one call for the range. A number is shown in its cell's
    // own format (currency, a date, a percentage), which only the cell's text gives;
    // and a formula's error is no value at all there.
    void readRange(const CellRangeAddress& at)
    {
        const auto cells = range(at);
        const auto values =
            Reference<css::sheet::XCellRangeData>(cells, UNO_QUERY_THROW)->getDataArray();
        for (sal_Int32 row = 0; row < values.getLength(); ++row) {
            for (sal_Int32 column = 0; column < values[row].getLength(); ++column) {
                OUString text;
                if (!(values[row][column] >>= text)) {
                    const auto cell = cells->getCellByPosition(column, row);
                    double number = 0;
                    if (cell->getError() != 0)
                        m_errors.emplace(at.StartRow + row, at.StartColumn + column);
                    else if (values[row][column] >>= number)
                        m_numbers[{at.StartRow + row, at.StartColumn + column}] = number;
                    text = Reference<css::text::XTextRange>(cell, UNO_QUERY_THROW)->getString();
                }
                place(at.StartRow + row, at.StartColumn + column, text);
            }
        }
    }

    // The merged areas that start in the range, halving the range for as long as
    // part of it starts one: most ranges start none and cost one question.
    void findMerged(const CellRangeAddress& at, std::vector<CellRangeAddress>& merged) const
    {
        if (!Reference<css::util::XMergeable>(range(at), UNO_QUERY_THROW)->getIsMerged())
            return;
        const sal_Int32 rows = at.EndRow - at.StartRow + 1;
        const sal_Int32 columns = at.EndColumn - at.StartColumn + 1;
        if (rows == 1 && columns == 1) {
            const auto cursor = m_sheet->createCursorByRange(
                Reference<css::sheet::XSheetCellRange>(range(at), UNO_QUERY_THROW));
            cursor->collapseToMergedArea();
            merged.push_back(Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)
                                 ->getRangeAddress());
            return;
        }
        CellRangeAddress first = at;
        CellRangeAddress second = at;
        if (rows >= columns) {
            first.EndRow = at.StartRow + rows / 2 - 1;
            second.StartRow = first.EndRow + 1;
        } else {
            first.EndColumn = at.StartColumn + columns / 2 - 1;
            second.StartColumn = first.EndColumn + 1;
        }
        findMerged(first, merged);
        findMerged(second, merged);
    }

    // A merged area's value, which its first cell holds, into its every cell; only
    // in the rows that hold something: a row the area alone reaches is no row of
    // the sheet's data but part of the one the area starts in.
    void spread(const CellRangeAddress& area)
    {
        const auto origin = m_rows.find(area.StartRow);
        if (origin == m_rows.end() || origin->second.size() <= size_t(area.StartColumn))
            return;
        const OUString text = origin->second[size_t(area.StartColumn)];
        const bool error = m_errors.count({area.StartRow, area.StartColumn}) > 0;
        const auto number = m_numbers.find({area.StartRow, area.StartColumn});
        for (auto row = origin; row != m_rows.end() && row->first <= area.EndRow; ++row) {
            for (sal_Int32 column = area.StartColumn; column <= area.EndColumn; ++column) {
                place(row->first, column, text);
                if (error)
                    m_errors.emplace(row->first, column);
                if (number != m_numbers.end())
                    m_numbers[{row->first, column}] = number->second;
            }
        }
    }

    // Leaves out the rows whose text is all empty, and those hidden (counted).
    sal_Int32 keepVisibleRows()
    {
        const auto rows =
            Reference<css::table::XColumnRowRange>(m_sheet, UNO_QUERY_THROW)->getRows();
        sal_Int32 hidden = 0;
        for (auto row = m_rows.begin(); row != m_rows.end();) {
            auto& cells = row->second;
            while (!cells.empty() && cells.back().isEmpty())
                cells.pop_back();
            if (cells.empty()) {
                row = m_rows.erase(row);
                continue;
            }
            bool visible = true;
            Reference<css::beans::XPropertySet>(rows->getByIndex(row->first), UNO_QUERY_THROW)
                ->getPropertyValue("IsVisible") >>= visible;
            if (visible) {
                ++row;
            } else {
                ++hidden;
                row = m_rows.erase(row);
            }
        }
        return hidden;
    }

    Reference<css::sheet::XSpreadsheet> m_sheet;
    std::map<sal_Int32, std::vector<OUString>> m_rows;
    // (row, column) of each cell that reads as an error.
    std::set<std::pair<sal_Int32, sal_Int32>> m_errors;
    // (row, column) of each number cell, and its value.
    std::map<std::pair<sal_Int32, sal_Int32>, double> m_numbers;
};

} // namespace

SheetContent readSheetContent(const Reference<css::sheet::XSpreadsheet>& sheet)
{
    return SheetReader(sheet).read();
}

} // namespace statusmill::inside
