#include "ListRows.h"

#include "Placeholders.h"
#include "Stories.h"

#include <com/sun/star/beans/XPropertySet.hpp>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/datatransfer/XTransferableSupplier.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <algorithm>

namespace statusmill::inside {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace {

// The one list a row's text names, or nothing; throws for two.
std::optional<OUString> listNamed(const OUString& rowText)
{
    std::optional<OUString> named;
    for (const Found& found : placeholdersIn(rowText)) {
        const auto field = listFieldOf(found.name);
        if (!field)
            continue;
        if (named && !named->equalsIgnoreAsciiCase(field->list))
            throw css::lang::IllegalArgumentException(
                "This row names two lists, " + *named + " and " + field->list + ": " + rowText,
                nullptr, 0);
        named = field->list;
    }
    return named;
}

const ListData* dataFor(const std::vector<ListData>& lists, const OUString& name)
{
    const auto found = std::find_if(lists.begin(), lists.end(), [&](const ListData& list) {
        return list.name.equalsIgnoreAsciiCase(name);
    });
    return found == lists.end() ? nullptr : &*found;
}

// The names of the cells of one row, left to right.
std::vector<OUString> cellsOfRow(const css::uno::Sequence<OUString>& names, sal_Int32 row)
{
    std::vector<OUString> cells;
    for (const OUString& name : names)
        if (rowOfCellName(name) == row && name.indexOf('.') < 0)
            cells.push_back(name);
    return cells;
}

OUString textOfCells(const Reference<css::text::XTextTable>& table, const std::vector<OUString>& cells)
{
    OUString text;
    for (const OUString& name : cells) {
        Reference<css::text::XText> cell(table->getCellByName(name), UNO_QUERY);
        if (cell.is())
            text += (text.isEmpty() ? OUString() : OUString(" ")) + cell->getString();
    }
    return text;
}

class RowMaker
{
public:
    RowMaker(const Reference<css::frame::XModel>& document, const std::vector<ListData>& lists)
        : m_lists(lists),
          m_selection(document->getCurrentController(), UNO_QUERY_THROW),
          m_transfer(document->getCurrentController(), UNO_QUERY_THROW)
    {}

    void inText(const Reference<css::text::XText>& text, std::vector<ListRegion>& regions)
    {
        // Collected first: what is made must not be visited again.
        std::vector<Reference<css::uno::XInterface>> items;
        Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY);
        if (!access.is())
            return;
        for (const auto all = access->createEnumeration(); all->hasMoreElements();)
            items.emplace_back(all->nextElement(), UNO_QUERY);
        for (const auto& item : items) {
            Reference<css::text::XTextTable> table(item, UNO_QUERY);
            if (table.is())
                inTable(table, regions);
            else if (Reference<css::text::XTextRange> paragraph{item, UNO_QUERY}; paragraph.is())
                inParagraph(text, paragraph, regions);
        }
    }

private:
    void inTable(const Reference<css::text::XTextTable>& table, std::vector<ListRegion>& regions)
    {
        const auto rows = table->getRows();
        // Rows made or taken away above a region already found move it down or up.
        const size_t ofThisTable = regions.size();
        const auto moveFound = [&](sal_Int32 by) {
            for (size_t i = ofThisTable; i < regions.size(); ++i)
                regions[i].firstRow += by;
        };
        // From the last row up, so that the rows made never move one still to look at.
        for (sal_Int32 row = rows->getCount() - 1; row >= 0; --row) {
            const auto cells = cellsOfRow(table->getCellNames(), row);
            if (cells.empty())
                continue;
            const auto name = listNamed(textOfCells(table, cells));
            const ListData* list = name ? dataFor(m_lists, *name) : nullptr;
            if (!list)
                continue;
            const auto count = sal_Int32(list->items.size());
            if (count == 0) {
                if (rows->getCount() == 1) {
                    Reference<css::lang::XComponent>(table, UNO_QUERY_THROW)->dispose();
                    return;
                }
                rows->removeByIndex(row, 1);
                moveFound(-1);
                continue;
            }
            if (count > 1) {
                // The new rows go above the row, and so take its cells' format; the
                // row's text, with its character formatting, is put into each.
                m_selection->select(rowSelection(table, cells));
                const auto copy = m_transfer->getTransferable();
                rows->insertByIndex(row, count - 1);
                moveFound(count - 1);
                const OUString column = cells.front().copy(0, firstDigit(cells.front()));
                for (sal_Int32 made = 0; made < count - 1; ++made) {
                    Reference<css::text::XText> cell(
                        table->getCellByName(column + OUString::number(row + made + 1)), UNO_QUERY_THROW);
                    m_selection->select(css::uno::Any(cell->createTextCursor()));
                    m_transfer->insertTransferable(copy);
                }
            }
            ListRegion region;
            region.list = list;
            region.table = table;
            region.firstRow = row;
            regions.push_back(std::move(region));
        }
    }

    void inParagraph(const Reference<css::text::XText>& text,
                     const Reference<css::text::XTextRange>& paragraph,
                     std::vector<ListRegion>& regions)
    {
        Reference<css::lang::XServiceInfo> info(paragraph, UNO_QUERY);
        if (!info.is() || !info->supportsService("com.sun.star.text.Paragraph"))
            return;
        const auto name = listNamed(paragraph->getString());
        const ListData* list = name ? dataFor(m_lists, *name) : nullptr;
        if (!list)
            return;
        if (list->items.empty()) {
            removeParagraph(text, paragraph);
            return;
        }
        ListRegion region;
        region.list = list;
        region.text = text;
        // Positions, not paragraph objects: the office moves an object to another
        // paragraph when it splits one, while a position stays in its text.
        const auto first = text->createTextCursorByRange(paragraph->getStart());
        if (list->items.size() > 1) {
            const auto whole = text->createTextCursorByRange(paragraph->getStart());
            whole->gotoRange(paragraph->getEnd(), true);
            m_selection->select(css::uno::Any(whole));
            const auto copy = m_transfer->getTransferable();
            // A new paragraph after the last, as Enter makes it: its style, its
            // bullet; then the row's text with its character formatting. The
            // cursor ends up behind what it pasted, where the next one goes.
            const auto end = text->createTextCursorByRange(paragraph->getEnd());
            for (size_t made = 1; made < list->items.size(); ++made) {
                text->insertControlCharacter(Reference<css::text::XTextRange>(end, UNO_QUERY_THROW),
                                             css::text::ControlCharacter::PARAGRAPH_BREAK, false);
                m_selection->select(css::uno::Any(end));
                m_transfer->insertTransferable(copy);
            }
        }
        Reference<css::text::XParagraphCursor> walk(first, UNO_QUERY_THROW);
        for (size_t item = 0; item < list->items.size(); ++item) {
            region.paragraphs.emplace_back(text->createTextCursorByRange(first->getStart()), UNO_QUERY_THROW);
            walk->gotoNextParagraph(false);
        }
        regions.push_back(std::move(region));
    }

    static void removeParagraph(const Reference<css::text::XText>& text,
                                const Reference<css::text::XTextRange>& paragraph)
    {
        // A text's only paragraph cannot go: it is emptied.
        Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY_THROW);
        const auto all = access->createEnumeration();
        all->nextElement();
        if (!all->hasMoreElements()) {
            paragraph->setString(OUString());
            return;
        }
        Reference<css::lang::XComponent>(paragraph, UNO_QUERY_THROW)->dispose();
    }

    // What the row's copy is taken from: its cells, or, for a row of one cell, that
    // cell's text (a range of one cell carries no text to paste).
    static css::uno::Any rowSelection(const Reference<css::text::XTextTable>& table,
                                      const std::vector<OUString>& cells)
    {
        if (cells.size() > 1) {
            Reference<css::table::XCellRange> range(table, UNO_QUERY_THROW);
            return css::uno::Any(range->getCellRangeByName(cells.front() + ":" + cells.back()));
        }
        Reference<css::text::XText> cell(table->getCellByName(cells.front()), UNO_QUERY_THROW);
        const auto whole = cell->createTextCursor();
        whole->gotoStart(false);
        whole->gotoEnd(true);
        return css::uno::Any(whole);
    }

    static sal_Int32 firstDigit(const OUString& name)
    {
        sal_Int32 at = 0;
        while (at < name.getLength() && (name[at] < '0' || name[at] > '9'))
            ++at;
        return at;
    }

    const std::vector<ListData>& m_lists;
    Reference<css::view::XSelectionSupplier> m_selection;
    Reference<css::datatransfer::XTransferableSupplier> m_transfer;
};

} // namespace

sal_Int32 rowOfCellName(const OUString& cellName)
{
    sal_Int32 at = 0;
    while (at < cellName.getLength() &&
           ((cellName[at] >= 'A' && cellName[at] <= 'Z') || (cellName[at] >= 'a' && cellName[at] <= 'z')))
        ++at;
    if (at == 0 || at == cellName.getLength())
        return -1;
    sal_Int32 row = 0;
    for (; at < cellName.getLength() && cellName[at] >= '0' && cellName[at] <= '9'; ++at)
        row = row * 10 + (cellName[at] - '0');
    return row - 1;
}

std::vector<ListRegion> makeListRows(const Reference<css::frame::XModel>& document,
                                     const std::vector<ListData>& lists)
{
    std::vector<ListRegion> regions;
    if (lists.empty())
        return regions;
    RowMaker maker(document, lists);
    for (const auto& text : storyTexts(document))
        maker.inText(text, regions);
    return regions;
}

} // namespace statusmill::inside
