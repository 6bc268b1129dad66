#pragma once

// A short table is read whole: a table of a few rows, none of which its template
// lets split across pages, stays on one page with the heading that keeps with it,
// rather than leaving a row or two behind at the foot of a page. A longer table
// flows over pages as before, its header rows repeated. Runs inside the office.

#include <com/sun/star/frame/XModel.hpp>

namespace statusmill::inside {

namespace css = ::com::sun::star;

// The most rows a table kept whole has: a header row and about six more.
inline constexpr sal_Int32 kShortTableRows = 8;

// Keeps each such table of the filled document whole, or lets it split again
// where its list has grown past kShortTableRows since.
void keepShortTablesWhole(const css::uno::Reference<css::frame::XModel>& document);

} // namespace statusmill::inside
