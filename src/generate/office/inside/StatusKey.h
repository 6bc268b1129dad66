#pragma once

// The status in colour: a table cell that holds a placeholder naming a status
// (see rule/PlaceholderRule.h namesStatus), filled with a status (Green, Amber or
// Red, or G, A or R, in any letter case), takes that status's shading from the
// document's own key: the cells whose whole text is the status's name, shaded.
// What else the cell says (a change beside the status, or under it) leaves it
// shaded. A document without a key leaves its cells as they are. Runs inside the
// office.

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

    // Shades the cell when `value`, written for its placeholder, is a status of the
    // key. Only for a placeholder that names a status: an owner "G" is no status.
    void colour(const css::uno::Reference<css::table::XCell>& cell, const rtl::OUString& value) const;

    // The key's colour of the status `value` is; nothing for no status, or one the
    // key does not show.
    std::optional<sal_Int32> colourOf(const rtl::OUString& value) const;

private:
    // Green, Amber, Red: each colour, when the key shows it.
    std::optional<sal_Int32> m_colours[3];
};

} // namespace statusmill::inside
