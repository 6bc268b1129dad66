#pragma once

// Which of the template's placeholders stand in a list row: a table row or a
// paragraph that holds a list's field ("[Milestones.Owner]"), or, when its only
// placeholders are "[Milestones.None]", the list's none row, which the report
// shows in place of the items when the list has none. A placeholder of a footnote
// or an endnote stands where the note's mark does. Runs inside the office.

#include "Spots.h"
#include "Values.h"

#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextTable.hpp>

namespace statusmill::inside {

// A list row of the template, and where it stands.
struct ListRow
{
    // The data's list it names.
    const ListData* list = nullptr;
    // A table row: its table, and its row (counted from 0).
    css::uno::Reference<css::text::XTextTable> table;
    sal_Int32 row = -1;
    // A paragraph: the text it stands in, and a cursor at its start (a position
    // stays in its paragraph where the office moves a paragraph's object to
    // another when it splits one).
    css::uno::Reference<css::text::XText> text;
    css::uno::Reference<css::text::XTextCursor> start;
    // The list's none row, rather than one repeated for its items.
    bool none = false;
    // Its placeholders, as the template has them: nothing of a none row is copied,
    // so it is filled through these rather than read again.
    std::vector<Spot> spots;
};

struct TemplateRows
{
    // The list rows of lists the data has, in the order of their first placeholder.
    std::vector<ListRow> rows;
    // The placeholders that stand in none of them: the rest of the template's.
    std::vector<Spot> elsewhere;
};

// Sorts the template's placeholders into the rows of the lists `values` has and
// the rest. A row of a list the data does not have is part of the rest. Throws
// IllegalArgumentException for a row that names two lists, naming its text.
TemplateRows rowsOfLists(std::vector<Spot> spots, const Values& values);

// The row of a table a cell name stands in, counted from 0 ("B3" is 2); -1 when
// the name is not one.
sal_Int32 rowOfCellName(const rtl::OUString& cellName);

} // namespace statusmill::inside
