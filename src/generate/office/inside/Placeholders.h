#pragma once

// What a placeholder is, in the office's strings: the one rule of
// rule/PlaceholderRule.h, which the data side and the template check take too.

#include <rtl/ustring.hxx>

#include <optional>
#include <vector>

namespace statusmill::inside {

// What the office's search looks for: a bracket, a name of at most 200 characters
// that holds no bracket and no line break and a letter or number (the classes of
// the office's search are ICU's, as the rule's are), a bracket. Only a first sift:
// every text it finds is taken for a placeholder only when the rule says it is one.
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

// The name of the placeholder that is the whole of `text`, brackets and all.
std::optional<rtl::OUString> wholePlaceholder(const rtl::OUString& text);

// Whether a list field's name (after the dot) marks the list's none row: "None",
// in any letter case.
bool isNoneRowField(const rtl::OUString& field);

// A name as names are compared: in any letter case.
rtl::OUString nameKey(const rtl::OUString& name);

// Whether the placeholder's value is a status, shown in the status key's colour.
bool namesStatus(const rtl::OUString& name);

} // namespace statusmill::inside
