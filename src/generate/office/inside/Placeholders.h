#pragma once

// What a placeholder is, as the office side of the fill finds it: "[" and a name
// of at most 200 characters that holds no bracket and no line break, then "]". A
// name of two words joined by a dot, "[Milestones.Owner]" or "[Milestones.#]", is
// a field of a list; the words are letters, digits and underscores, so that a
// prompt such as "[e.g. the sponsor]" stays a plain placeholder.

#include <rtl/ustring.hxx>

#include <optional>
#include <vector>

namespace statusmill::inside {

// The same rule as a regular expression of the office's search.
inline constexpr const char* kPlaceholderPattern = "\\[[^\\[\\]\\n]{1,200}\\]";

struct ListField
{
    rtl::OUString list;
    rtl::OUString field; // "#" for the item's number
};

// The list field a placeholder's name (without brackets) names, if it is one.
std::optional<ListField> listFieldOf(const rtl::OUString& name);

struct Found
{
    sal_Int32 start = 0; // where "[" is
    sal_Int32 length = 0; // with both brackets
    rtl::OUString name;
};

// Every placeholder in the text, left to right, none inside another.
std::vector<Found> placeholdersIn(const rtl::OUString& text);

} // namespace statusmill::inside
