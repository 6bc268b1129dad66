#pragma once

// The rows of a document that name a list's fields: a table row or a paragraph
// holding "[List.Field]" is made once per item of the list, each copy keeping the
// row's formatting (shading, borders, styles, bullet), in the main text, the
// headers and footers and the frames. Runs inside the office.

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>

#include <vector>

namespace statusmill::inside {

namespace css = ::com::sun::star;

// A list as the data gives it: its items, each a field name and its text.
struct ListData
{
    rtl::OUString name;
    std::vector<css::uno::Sequence<css::beans::NamedValue>> items;
};

// Where the copies of one list row stand, one per item, in the list's order.
struct ListRegion
{
    const ListData* list = nullptr;
    // A table row: its table, and the rows from `firstRow` (counted from 0).
    css::uno::Reference<css::text::XTextTable> table;
    sal_Int32 firstRow = 0;
    // A paragraph: the text it stands in, and the paragraphs, one per item.
    css::uno::Reference<css::text::XText> text;
    std::vector<css::uno::Reference<css::text::XTextRange>> paragraphs;
};

// Makes every list row of the document once per item of its list, and returns
// where the copies stand. A row of a list the data does not have stays as it is; a
// list with no items takes its rows away. Throws IllegalArgumentException for a
// row that names two lists, naming its text.
std::vector<ListRegion> makeListRows(const css::uno::Reference<css::frame::XModel>& document,
                                     const std::vector<ListData>& lists);

// The row of a table a cell name stands in, counted from 0 ("B3" is 2); -1 when
// the name is not one.
sal_Int32 rowOfCellName(const rtl::OUString& cellName);

} // namespace statusmill::inside
