#pragma once

// The rows of a document that name a list's fields, made once per item of the
// list: a table row or a paragraph, each copy keeping the row's formatting
// (shading, borders, styles, bullet) and what stands in it (footnotes, endnotes,
// comments), in the main text, the headers and footers and the frames. Each copy
// is filled with its item as it is read, and only its own text is read, so the
// cost of a list is the cost of its items. Runs inside the office.

#include "Filler.h"
#include "RowsOfLists.h"

#include <functional>

namespace statusmill::inside {

// Makes each row of `rows` once per item of its list and fills every copy through
// `filler`, the row itself taking one of the items; a list with no items takes its
// rows away. A list's none row goes when the list has items, and stays without its
// "[List.None]" when it has none. `working` is called after each copy made and each item filled. Runs
// with the document's views locked.
void fillListRows(const css::uno::Reference<css::frame::XModel>& document, const std::vector<ListRow>& rows,
                  Filler& filler, const std::function<void()>& working);

} // namespace statusmill::inside
