#include "ListRows.h"

#include "Placeholders.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/datatransfer/XTransferableSupplier.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextCopy.hpp>
#include <com/sun/star/text/XTextRangeCompare.hpp>
#include <com/sun/star/text/XTextTable.hpp>
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

// Where the list rows stand, among the placeholders the office's search found:
// many times quicker than reading every cell and paragraph of the document.
struct FoundRows
{
    // Each table with a list row, and its list rows, each once.
    std::vector<std::pair<Reference<css::text::XTextTable>, std::vector<sal_Int32>>> tableRows;
    // Each paragraph with a list field, each once, with the text it stands in.
    std::vector<std::pair<Reference<css::text::XText>, Reference<css::text::XTextRange>>> paragraphs;
};

bool sameStart(const Reference<css::text::XText>& text, const Reference<css::text::XTextRange>& one,
               const Reference<css::text::XTextRange>& other)
{
    Reference<css::text::XTextRangeCompare> compare(text, UNO_QUERY);
    try {
        return compare.is() && compare->compareRegionStarts(one, other) == 0;
    } catch (const css::lang::IllegalArgumentException&) {
        return false; // in another text
    }
}

void addTableRow(FoundRows& rows, const Reference<css::beans::XPropertySet>& where,
                 const Reference<css::beans::XPropertySet>& cell)
{
    Reference<css::text::XTextTable> table(where->getPropertyValue("TextTable"), UNO_QUERY_THROW);
    OUString name;
    cell->getPropertyValue("CellName") >>= name;
    auto of = std::find_if(rows.tableRows.begin(), rows.tableRows.end(),
                           [&](const auto& entry) { return entry.first == table; });
    if (of == rows.tableRows.end())
        of = rows.tableRows.insert(of, {table, {}});
    const sal_Int32 row = rowOfCellName(name);
    if (row >= 0 && std::find(of->second.begin(), of->second.end(), row) == of->second.end())
        of->second.push_back(row);
}

FoundRows listRowsAmong(const std::vector<Reference<css::text::XTextRange>>& placeholders)
{
    FoundRows rows;
    for (const auto& range : placeholders) {
        const OUString whole = range->getString();
        if (!listFieldOf(whole.copy(1, whole.getLength() - 2)))
            continue;
        Reference<css::beans::XPropertySet> where(range, UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> cell(where->getPropertyValue("Cell"), UNO_QUERY);
        if (cell.is()) {
            addTableRow(rows, where, cell);
            continue;
        }
        Reference<css::text::XTextRange> paragraph(where->getPropertyValue("TextParagraph"), UNO_QUERY);
        const auto text = range->getText();
        if (!paragraph.is() || !text.is())
            continue;
        const bool seen = std::any_of(rows.paragraphs.begin(), rows.paragraphs.end(), [&](const auto& entry) {
            return sameStart(text, entry.second, paragraph);
        });
        if (!seen)
            rows.paragraphs.emplace_back(text, paragraph);
    }
    return rows;
}

// The document's views follow a selection again for as long as this stands: the
// copy of a paragraph goes through one.
class ViewsFollow
{
public:
    explicit ViewsFollow(const Reference<css::frame::XModel>& document) : m_document(document)
    {
        m_document->unlockControllers();
    }
    ~ViewsFollow()
    {
        try {
            m_document->lockControllers();
        } catch (const css::uno::Exception&) {
        }
    }

private:
    Reference<css::frame::XModel> m_document;
};

class RowMaker
{
public:
    RowMaker(const Reference<css::frame::XModel>& document, const std::vector<ListData>& lists,
             const ItemText& itemText, std::vector<Reference<css::text::XTextRange>>& placeholders,
             ListRows& made)
        : m_document(document), m_lists(lists), m_itemText(itemText), m_placeholders(placeholders), m_made(made)
    {}

    void inTable(const Reference<css::text::XTextTable>& table, std::vector<sal_Int32> listRows,
                 std::vector<ListRegion>& regions)
    {
        const auto rows = table->getRows();
        const auto names = table->getCellNames();
        // Rows made or taken away above a region already found move it down or up.
        const size_t ofThisTable = regions.size();
        const auto moveFound = [&](sal_Int32 by) {
            for (size_t i = ofThisTable; i < regions.size(); ++i)
                regions[i].firstRow += by;
        };
        // From the last row up, so that the rows made never move one still to do.
        std::sort(listRows.rbegin(), listRows.rend());
        for (const sal_Int32 row : listRows) {
            const auto cells = cellsOfRow(names, row);
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
                // The new rows go above the row, and so take its cells' format and
                // their paragraphs' style. A cell that is one plain placeholder is
                // written with its item's text at once; the office copies any
                // other's text, with its character formatting, to be filled after.
                rows->insertByIndex(row, count - 1);
                moveFound(count - 1);
                for (const OUString& cellName : cells) {
                    const OUString column = cellName.copy(0, firstDigit(cellName));
                    const auto source = table->getCellByName(column + OUString::number(row + count));
                    const auto field = plainField(source);
                    for (sal_Int32 made = 0; made < count - 1; ++made) {
                        const auto copy = table->getCellByName(column + OUString::number(row + made + 1));
                        if (field)
                            writeItem(copy, *list, size_t(made), *field);
                        else
                            copyCell(source, copy);
                    }
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
        if (list->items.size() > 1)
            copyParagraph(text, paragraph, list->items.size() - 1);
        Reference<css::text::XParagraphCursor> walk(first, UNO_QUERY_THROW);
        for (size_t item = 0; item < list->items.size(); ++item) {
            region.paragraphs.emplace_back(text->createTextCursorByRange(first->getStart()), UNO_QUERY_THROW);
            // A copy's placeholders are taken once all copies stand: a paragraph
            // made behind one moves what ends where it ends.
            if (item > 0) {
                const auto copy = text->createTextCursorByRange(first->getStart());
                Reference<css::text::XParagraphCursor>(copy, UNO_QUERY_THROW)->gotoEndOfParagraph(true);
                addPlaceholdersIn(text, copy);
            }
            walk->gotoNextParagraph(false);
        }
        regions.push_back(std::move(region));
    }

    // Placeholders the copies of rows hold had to be found again.
    bool lostTrack() const { return m_lostTrack; }

private:
    void copyParagraph(const Reference<css::text::XText>& text,
                       const Reference<css::text::XTextRange>& paragraph, size_t copies)
    {
        const ViewsFollow follow(m_document);
        Reference<css::view::XSelectionSupplier> selection(m_document->getCurrentController(), UNO_QUERY_THROW);
        Reference<css::datatransfer::XTransferableSupplier> transfer(m_document->getCurrentController(),
                                                                     UNO_QUERY_THROW);
        const auto whole = text->createTextCursorByRange(paragraph->getStart());
        whole->gotoRange(paragraph->getEnd(), true);
        selection->select(css::uno::Any(whole));
        const auto copy = transfer->getTransferable();
        // A new paragraph after the last, as Enter makes it: its style, its
        // bullet; then the row's text with its character formatting. The
        // cursor ends up behind what it pasted, where the next one goes.
        const auto end = text->createTextCursorByRange(paragraph->getEnd());
        for (size_t made = 0; made < copies; ++made) {
            text->insertControlCharacter(Reference<css::text::XTextRange>(end, UNO_QUERY_THROW),
                                         css::text::ControlCharacter::PARAGRAPH_BREAK, false);
            selection->select(css::uno::Any(end));
            transfer->insertTransferable(copy);
        }
    }

    // The field of the list a cell names when its whole text is that one
    // placeholder in a single run of plain or prompt characters: a copy of such a
    // cell is its item's text in the cell's paragraph, which the new row has.
    std::optional<OUString> plainField(const Reference<css::table::XCell>& cell)
    {
        Reference<css::text::XText> text(cell, UNO_QUERY_THROW);
        const OUString whole = text->getString();
        const auto found = placeholdersIn(whole);
        if (found.size() != 1 || found.front().length != whole.getLength())
            return std::nullopt;
        const auto field = listFieldOf(found.front().name);
        if (!field)
            return std::nullopt;
        const auto paragraphs = Reference<css::container::XEnumerationAccess>(text, UNO_QUERY_THROW)->createEnumeration();
        Reference<css::container::XEnumerationAccess> paragraph(paragraphs->nextElement(), UNO_QUERY);
        if (paragraphs->hasMoreElements() || !paragraph.is())
            return std::nullopt;
        const auto portions = paragraph->createEnumeration();
        Reference<css::beans::XPropertySet> portion(portions->nextElement(), UNO_QUERY);
        if (portions->hasMoreElements() || !portion.is())
            return std::nullopt;
        OUString type, style;
        portion->getPropertyValue("TextPortionType") >>= type;
        portion->getPropertyValue("CharStyleName") >>= style;
        if (type != "Text" || !(style.isEmpty() || style == "Prompt") || formattedByHand(portion))
            return std::nullopt;
        return field->field;
    }

    // Whether characters carry formatting of their own, beside their style: a
    // weight, a colour, a link...
    bool formattedByHand(const Reference<css::beans::XPropertySet>& portion)
    {
        if (!m_characterProperties.hasElements()) {
            std::vector<OUString> names;
            for (const auto& property : portion->getPropertySetInfo()->getProperties())
                if ((property.Name.startsWith("Char") || property.Name.startsWith("HyperLink") ||
                     property.Name.startsWith("Ruby")) &&
                    !property.Name.startsWith("CharStyleName") && property.Name != "CharAutoStyleName")
                    names.push_back(property.Name);
            m_characterProperties = css::uno::Sequence<OUString>(names.data(), sal_Int32(names.size()));
        }
        const auto states = Reference<css::beans::XPropertyState>(portion, UNO_QUERY_THROW)
                                ->getPropertyStates(m_characterProperties);
        return std::any_of(states.begin(), states.end(), [](css::beans::PropertyState state) {
            return state == css::beans::PropertyState_DIRECT_VALUE;
        });
    }

    void writeItem(const Reference<css::table::XCell>& cell, const ListData& list, size_t item, const OUString& field)
    {
        // Inserted rather than set: setting a cell's text also resets its number
        // format, which gives every cell a format of its own.
        Reference<css::text::XText> text(cell, UNO_QUERY_THROW);
        text->insertString(text->getStart(), m_itemText(list, item, field), false);
        m_made.filledCells.push_back(cell);
        ++m_made.filled;
    }

    void copyCell(const Reference<css::table::XCell>& source, const Reference<css::table::XCell>& cell)
    {
        Reference<css::text::XTextCopy>(cell, UNO_QUERY_THROW)
            ->copyText(Reference<css::text::XTextCopy>(source, UNO_QUERY_THROW));
        addPlaceholdersOf(Reference<css::text::XText>(cell, UNO_QUERY_THROW));
    }

    // The placeholders a copy holds, found by their place in its text: each is
    // checked to read as it should, or the whole document is searched again.
    void addPlaceholdersOf(const Reference<css::text::XText>& cell)
    {
        const auto all = cell->createTextCursor();
        all->gotoEnd(true);
        addPlaceholdersIn(cell, all);
    }

    void addPlaceholdersIn(const Reference<css::text::XText>& text, const Reference<css::text::XTextCursor>& range)
    {
        const OUString content = range->getString();
        for (const Found& found : placeholdersIn(content)) {
            const auto cursor = text->createTextCursorByRange(range->getStart());
            cursor->goRight(sal_Int16(std::min<sal_Int32>(found.start, SAL_MAX_INT16)), false);
            cursor->goRight(sal_Int16(found.length), true);
            if (found.start > SAL_MAX_INT16 || cursor->getString() != content.copy(found.start, found.length)) {
                m_lostTrack = true;
                return;
            }
            m_placeholders.emplace_back(cursor, UNO_QUERY_THROW);
        }
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

    static sal_Int32 firstDigit(const OUString& name)
    {
        sal_Int32 at = 0;
        while (at < name.getLength() && (name[at] < '0' || name[at] > '9'))
            ++at;
        return at;
    }

    Reference<css::frame::XModel> m_document;
    const std::vector<ListData>& m_lists;
    const ItemText& m_itemText;
    std::vector<Reference<css::text::XTextRange>>& m_placeholders;
    ListRows& m_made;
    css::uno::Sequence<OUString> m_characterProperties;
    bool m_lostTrack = false;
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

ListRows makeListRows(const Reference<css::frame::XModel>& document, const std::vector<ListData>& lists,
                      const ItemText& itemText, std::vector<Reference<css::text::XTextRange>>& placeholders)
{
    ListRows made;
    if (lists.empty())
        return made;
    const FoundRows found = listRowsAmong(placeholders);
    RowMaker maker(document, lists, itemText, placeholders, made);
    for (const auto& [table, rows] : found.tableRows)
        maker.inTable(table, rows, made.regions);
    for (const auto& [text, paragraph] : found.paragraphs)
        maker.inParagraph(text, paragraph, made.regions);
    made.searchAgain = maker.lostTrack();
    return made;
}

} // namespace statusmill::inside
