#include "RowsOfLists.h"
#include "UnoNames.h"

#include "Placeholders.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XFootnote.hpp>
#include <com/sun/star/text/XTextRangeCompare.hpp>

#include <algorithm>

namespace statusmill::inside {

namespace {

// Where a placeholder stands as far as rows go.
struct Place
{
    Reference<css::text::XTextTable> table;
    sal_Int32 row = -1;
    Reference<css::text::XText> text;
    Reference<css::text::XTextRange> paragraph;
};

Place placeOf(const Spot& spot)
{
    Reference<css::text::XTextRange> at = spot.range;
    if (const Reference<css::text::XFootnote> note(at->getText(), UNO_QUERY); note.is())
        at = note->getAnchor();
    const Reference<css::beans::XPropertySet> where(at, UNO_QUERY_THROW);
    Place place;
    if (const Reference<css::beans::XPropertySet> cell(where->getPropertyValue("Cell"), UNO_QUERY); cell.is()) {
        place.table.set(where->getPropertyValue("TextTable"), UNO_QUERY_THROW);
        OUString name;
        cell->getPropertyValue("CellName") >>= name;
        place.row = rowOfCellName(name);
        return place;
    }
    place.text = at->getText();
    place.paragraph.set(where->getPropertyValue("TextParagraph"), UNO_QUERY);
    return place;
}

bool samePlace(const Place& place, const ListRow& row)
{
    if (place.table.is() || row.table.is())
        return place.table.is() && row.table.is() && place.row == row.row && place.table == row.table;
    if (!place.paragraph.is() || place.text != row.text)
        return false;
    const Reference<css::text::XTextRangeCompare> compare(row.text, UNO_QUERY);
    return compare.is() && compare->compareRegionStarts(row.start->getStart(), place.paragraph) == 0;
}

OUString textOfRow(const Place& place)
{
    if (!place.table.is())
        return place.paragraph.is() ? place.paragraph->getString() : OUString();
    OUString text;
    for (const OUString& name : place.table->getCellNames()) {
        const Reference<css::text::XText> cell(place.table->getCellByName(name), UNO_QUERY);
        if (cell.is() && rowOfCellName(name) == place.row && name.indexOf('.') < 0)
            text += (text.isEmpty() ? OUString() : OUString(" ")) + cell->getString();
    }
    return text;
}

// The rows named by the template's list fields, each with the list it names.
struct Named
{
    ListRow row;
    OUString list;
};

std::vector<Named> namedRows(const std::vector<Spot>& spots)
{
    std::vector<Named> named;
    for (const Spot& spot : spots) {
        const auto field = listFieldOf(spot.name);
        if (!field)
            continue;
        const Place place = placeOf(spot);
        const auto known = std::find_if(named.begin(), named.end(),
                                        [&](const Named& earlier) { return samePlace(place, earlier.row); });
        if (known == named.end()) {
            ListRow row;
            row.table = place.table;
            row.row = place.row;
            row.text = place.text;
            if (place.paragraph.is())
                row.start = place.text->createTextCursorByRange(place.paragraph->getStart());
            row.none = isNoneRowField(field->field);
            named.push_back({row, field->list});
        } else if (nameKey(known->list) != nameKey(field->list)) {
            throw css::lang::IllegalArgumentException(
                "This row names two lists, " + known->list + " and " + field->list + ": " + textOfRow(place),
                nullptr, 0);
        } else {
            known->row.none = known->row.none && isNoneRowField(field->field);
        }
    }
    return named;
}

} // namespace

TemplateRows rowsOfLists(std::vector<Spot> spots, const Values& values)
{
    TemplateRows sorted;
    for (Named& named : namedRows(spots)) {
        named.row.list = values.list(named.list);
        if (named.row.list)
            sorted.rows.push_back(std::move(named.row));
    }
    if (sorted.rows.empty()) {
        sorted.elsewhere = std::move(spots);
        return sorted;
    }
    for (Spot& spot : spots) {
        const Place place = placeOf(spot);
        const auto row = std::find_if(sorted.rows.begin(), sorted.rows.end(),
                                      [&](const ListRow& row) { return samePlace(place, row); });
        if (row == sorted.rows.end()) {
            sorted.elsewhere.push_back(std::move(spot));
            continue;
        }
        // Any other placeholder beside [List.None] makes it a row of the items.
        if (!listFieldOf(spot.name))
            row->none = false;
        row->spots.push_back(std::move(spot));
    }
    return sorted;
}

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

} // namespace statusmill::inside
