#pragma once

// What a placeholder is, as the office side of the fill finds it: the rule of
// data/Placeholders.h, written again here because Qt has no place inside the
// office. "[" and a name of at most 200 characters that holds no bracket and no
// line break and at least one letter or digit, then "]". A name of two parts
// joined by one dot, each starting with a letter and neither ending in a space
// ("[Milestones.Owner]"; "#" may stand for the field), is a field of a list.
// Outside ASCII, letters are told from the rest by their blocks, which the names
// templates use agree with.

#include <rtl/ustring.hxx>

#include <optional>
#include <vector>

namespace statusmill::inside {

// The same rule as a regular expression of the office's search, whose classes of
// letters and digits are Unicode's own.
inline constexpr const char* kPlaceholderPattern =
    "\\[(?=[^\\[\\]\\n\\r\\v\\f\\x{85}\\x{2028}\\x{2029}]*[\\p{L}\\p{N}])"
    "[^\\[\\]\\n\\r\\v\\f\\x{85}\\x{2028}\\x{2029}]{1,200}\\]";

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
