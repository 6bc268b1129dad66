#pragma once

// The rows of a document that name a list's fields: a table row or a paragraph
// holding "[List.Field]" is made once per item of the list, each copy keeping the
// row's formatting (shading, borders, styles, bullet), in the main text, the
// headers and footers and the frames. Runs inside the office.

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>

#include <functional>
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

// The text of a field of a list's item (counted from 0); "#" is its number.
using ItemText = std::function<rtl::OUString(const ListData& list, size_t item, const rtl::OUString& field)>;

struct ListRows
{
    // Where the rows of each list stand.
    std::vector<ListRegion> regions;
    // The cells of copies filled as they were made, and how many placeholders
    // that filled.
    std::vector<css::uno::Reference<css::table::XCell>> filledCells;
    sal_Int32 filled = 0;
    // Some placeholder a copy holds could not be told apart by its place in the
    // text (a field within it): the document's placeholders must be found again.
    bool searchAgain = false;
};

// Makes every list row of the document once per item of its list, and returns
// where the copies stand. A copy's cell that holds just one placeholder, in plain
// or prompt characters, is written with its item's text from `itemText` at once. The list rows are told by `placeholders`, every
// placeholder of the document as the office's search found it; the placeholders of
// the copies are added to them. A row of a list the data does not have stays as
// it is; a list with no items takes its rows away, and its placeholders with them.
// Throws IllegalArgumentException for a row that names two lists, naming its text.
// Runs with the document's views locked.
ListRows makeListRows(const css::uno::Reference<css::frame::XModel>& document,
                      const std::vector<ListData>& lists, const ItemText& itemText,
                      std::vector<css::uno::Reference<css::text::XTextRange>>& placeholders);

// The row of a table a cell name stands in, counted from 0 ("B3" is 2); -1 when
// the name is not one.
sal_Int32 rowOfCellName(const rtl::OUString& cellName);

} // namespace statusmill::inside
