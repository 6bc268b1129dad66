#pragma once

// The status in colour: a table cell filled from a placeholder that names a status
// (see rule/PlaceholderRule.h namesStatus), whose whole text, or whole first
// line, is then a status (Green, Amber or Red, or G, A or R, in any letter case),
// takes that status's
// shading from the document's own key: the cells whose whole text is the status's
// name, shaded. A document without a key leaves its cells as they are. Runs
// inside the office.

#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/table/XCell.hpp>

#include <optional>
#include <vector>

namespace statusmill::inside {

namespace css = ::com::sun::star;

class StatusKey
{
public:
    explicit StatusKey(const css::uno::Reference<css::frame::XModel>& document);

    // Shades the cell when its text is a status of the key. Only for a cell whose
    // placeholder names a status: an owner "G" is no status.
    void colour(const css::uno::Reference<css::table::XCell>& cell) const;

private:
    // Green, Amber, Red: each colour, when the key shows it.
    std::optional<sal_Int32> m_colours[3];
};

} // namespace statusmill::inside
