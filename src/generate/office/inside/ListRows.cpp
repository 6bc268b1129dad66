#include "ListRows.h"
#include "UnoNames.h"

#include "Placeholders.h"
#include "ViewLocks.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/datatransfer/XTransferableSupplier.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XTextCopy.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <algorithm>

namespace statusmill::inside {

namespace {

// The names of the cells of one row, left to right; a part of a split cell
// ("A3.1.2") is left as it is.
std::vector<OUString> cellsOfRow(const css::uno::Sequence<OUString>& names, sal_Int32 row)
{
    std::vector<OUString> cells;
    for (const OUString& name : names)
        if (rowOfCellName(name) == row && name.indexOf('.') < 0)
            cells.push_back(name);
    return cells;
}

OUString columnOf(const OUString& cellName)
{
    sal_Int32 at = 0;
    while (at < cellName.getLength() && (cellName[at] < '0' || cellName[at] > '9'))
        ++at;
    return cellName.copy(0, at);
}

RowContent contentOf(const Reference<css::uno::XInterface>& text)
{
    RowContent content;
    readRowContent(Reference<css::container::XEnumerationAccess>(text, UNO_QUERY_THROW), content);
    return content;
}

class RowMaker
{
public:
    RowMaker(const Reference<css::frame::XModel>& document, Filler& filler, const std::function<void()>& working)
        : m_document(document), m_filler(filler), m_working(working)
    {}

    // Returns whether the table is still there.
    bool inTable(const ListRow& listRow)
    {
        const ListData& list = *listRow.list;
        const auto& table = listRow.table;
        const auto rows = table->getRows();
        const sal_Int32 row = listRow.row;
        const auto cells = cellsOfRow(table->getCellNames(), row);
        if (cells.empty())
            return true;
        const auto count = sal_Int32(list.items.size());
        if (listRow.none) {
            if (count > 0)
                return removeRow(listRow);
            m_filler.fill(listRow.spots, &list, 0);
            return true;
        }
        if (count == 0)
            return removeRow(listRow);
        // The new rows go above the row, and so take its cells' format and their
        // paragraphs' style. A cell that is one plain placeholder is written with
        // its item's text; any other's text is copied, with its character
        // formatting, and filled. The row itself is the source of every copy, and
        // is filled last, with the last item.
        if (count > 1)
            rows->insertByIndex(row, count - 1);
        std::vector<Reference<css::table::XCell>> sources;
        std::vector<std::optional<OUString>> plain;
        for (const OUString& name : cells) {
            sources.push_back(table->getCellByName(columnOf(name) + OUString::number(row + count)));
            plain.push_back(plainField(sources.back()));
        }
        for (sal_Int32 item = 0; item < count - 1; ++item) {
            RowContent content;
            for (size_t column = 0; column < cells.size(); ++column) {
                const auto copy = table->getCellByName(columnOf(cells[column]) + OUString::number(row + item + 1));
                if (plain[column]) {
                    m_filler.writeCell(copy, *plain[column], list, size_t(item));
                    continue;
                }
                Reference<css::text::XTextCopy>(copy, UNO_QUERY_THROW)
                    ->copyText(Reference<css::text::XTextCopy>(sources[column], UNO_QUERY_THROW));
                readRowContent(Reference<css::container::XEnumerationAccess>(copy, UNO_QUERY_THROW), content);
            }
            m_filler.fill(content, list, size_t(item));
            m_working();
        }
        RowContent last;
        for (const auto& source : sources)
            readRowContent(Reference<css::container::XEnumerationAccess>(source, UNO_QUERY_THROW), last);
        m_filler.fill(last, list, size_t(count - 1));
        m_working();
        return true;
    }

    void inParagraph(const ListRow& listRow)
    {
        const ListData& list = *listRow.list;
        const auto& text = listRow.text;
        const auto whole = text->createTextCursorByRange(listRow.start->getStart());
        Reference<css::text::XParagraphCursor>(whole, UNO_QUERY_THROW)->gotoEndOfParagraph(true);
        if (listRow.none && list.items.empty()) {
            m_filler.fill(listRow.spots, &list, 0);
            return;
        }
        if (listRow.none || list.items.empty()) {
            removeParagraph(text, whole);
            return;
        }
        if (list.items.size() > 1)
            copyParagraph(text, whole, list.items.size() - 1);
        // Each copy is read and filled in turn; a value never splits a paragraph
        // (its line breaks are breaks within it), so the next paragraph is the
        // next copy.
        const auto walk = text->createTextCursorByRange(listRow.start->getStart());
        Reference<css::text::XParagraphCursor> paragraphs(walk, UNO_QUERY_THROW);
        for (size_t item = 0; item < list.items.size(); ++item) {
            const auto copy = text->createTextCursorByRange(walk->getStart());
            Reference<css::text::XParagraphCursor>(copy, UNO_QUERY_THROW)->gotoEndOfParagraph(true);
            m_filler.fill(contentOf(copy), list, item);
            m_working();
            paragraphs->gotoNextParagraph(false);
        }
    }

private:
    // Returns whether the table is still there: a table's only row takes the table.
    static bool removeRow(const ListRow& listRow)
    {
        const auto rows = listRow.table->getRows();
        if (rows->getCount() == 1) {
            Reference<css::lang::XComponent>(listRow.table, UNO_QUERY_THROW)->dispose();
            return false;
        }
        rows->removeByIndex(listRow.row, 1);
        return true;
    }

    // Pastes `copies` copies of the paragraph after it.
    void copyParagraph(const Reference<css::text::XText>& text, const Reference<css::text::XTextCursor>& paragraph,
                       size_t copies)
    {
        const ViewsFollow follow(m_document);
        Reference<css::view::XSelectionSupplier> selection(m_document->getCurrentController(), UNO_QUERY_THROW);
        Reference<css::datatransfer::XTransferableSupplier> transfer(m_document->getCurrentController(),
                                                                     UNO_QUERY_THROW);
        selection->select(css::uno::Any(paragraph));
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
            m_working();
        }
    }

    // The list field a cell names when its whole text is that one placeholder in
    // a single run of plain or prompt characters: a copy of such a cell is its
    // item's text in the cell's paragraph, which the new row has.
    std::optional<OUString> plainField(const Reference<css::table::XCell>& cell)
    {
        Reference<css::text::XText> text(cell, UNO_QUERY_THROW);
        const auto name = wholePlaceholder(text->getString());
        if (!name || !listFieldOf(*name))
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
        return name;
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

    static void removeParagraph(const Reference<css::text::XText>& text, const Reference<css::text::XTextCursor>& paragraph)
    {
        // A text's only paragraph cannot go: it is emptied.
        const auto all = Reference<css::container::XEnumerationAccess>(text, UNO_QUERY_THROW)->createEnumeration();
        all->nextElement();
        const auto own = Reference<css::container::XEnumerationAccess>(paragraph, UNO_QUERY_THROW)->createEnumeration();
        const Reference<css::lang::XComponent> object(own->nextElement(), UNO_QUERY_THROW);
        if (!all->hasMoreElements())
            paragraph->setString(OUString());
        else
            object->dispose();
    }

    Reference<css::frame::XModel> m_document;
    Filler& m_filler;
    const std::function<void()>& m_working;
    css::uno::Sequence<OUString> m_characterProperties;
};

} // namespace

void fillListRows(const Reference<css::frame::XModel>& document, const std::vector<ListRow>& rows, Filler& filler,
                  const std::function<void()>& working)
{
    RowMaker maker(document, filler, working);
    // A table's rows from its last up, so that the rows made never move one still
    // to do.
    std::vector<const ListRow*> tableRows;
    for (const ListRow& row : rows)
        if (row.table.is())
            tableRows.push_back(&row);
    std::stable_sort(tableRows.begin(), tableRows.end(),
                     [](const ListRow* one, const ListRow* other) { return one->row > other->row; });
    std::vector<Reference<css::text::XTextTable>> gone;
    for (const ListRow* row : tableRows) {
        if (std::find(gone.begin(), gone.end(), row->table) != gone.end())
            continue;
        if (!maker.inTable(*row))
            gone.push_back(row->table);
    }
    // A none paragraph first: one that goes is gone before the item rows beside it
    // are copied.
    for (const bool none : {true, false})
        for (const ListRow& row : rows)
            if (!row.table.is() && row.none == none)
                maker.inParagraph(row);
}

} // namespace statusmill::inside
