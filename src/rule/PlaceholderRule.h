#pragma once

// What a placeholder is, one definition for everything that looks for one: the
// data side and the template check (through data/Placeholders.h, in Qt's strings)
// and the fill inside the office (through office/inside/Placeholders.h, in the
// office's). Plain C++ and ICU, so that both sides take the very same rule, and
// ICU's classes of characters are the ones the office's own search has.
//
// A placeholder is "[" + name + "]". The name holds no bracket and no line break,
// at least one letter or number (Unicode's classes L and N, so "[ ]", "[...]"
// stay text and "[½]" is a name), and at most kLongestName characters; spaces and
// punctuation are part of it: "[One-sentence summary of the project’s health]"
// is one placeholder. A name of two parts joined by one dot, "[Milestones.Owner]",
// is a field of a list's item, each part starting with a letter and neither
// ending in a space; "[Milestones.#]" is the item's number. A row whose only
// placeholders are "[Milestones.None]" is what the list shows when it has no
// items. Names are compared in any letter case: by their case folding.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace statusmill::rule {

// In characters (code points); longer bracketed text is prose, not a prompt.
inline constexpr std::size_t kLongestName = 200;

// The field of a list item that stands for the item's number.
inline constexpr char16_t kItemNumberField[] = u"#";

// The field that marks a list's none row: a row whose only placeholders are it
// ("[Risks.None]None this period.") stays, without them, when the list is given
// with no items, and goes when it has some.
inline constexpr char16_t kNoneRowField[] = u"None";

// Where a placeholder stands in a text, in UTF-16 units, brackets included.
struct Span
{
    std::size_t start = 0;
    std::size_t length = 0;
};

bool isName(std::u16string_view name);

// Every placeholder of the text, in order, none overlapping. Linear in the text.
std::vector<Span> placeholdersIn(std::u16string_view text);

struct ListFieldName
{
    std::u16string_view list;
    std::u16string_view field;
};

// The list and field a name stands for; nothing for a name of a plain field
// ("[Approx. cost]", "[e.g. a date]").
std::optional<ListFieldName> listFieldOf(std::u16string_view name);

// The name as names are compared: case folded, so "MILESTÖNES" and "milestönes"
// are one list.
std::u16string nameKey(std::u16string_view name);

// Whether a list field's name (the part after the dot) is kNoneRowField, in any
// letter case.
bool isNoneRowField(std::u16string_view field);

// Whether a placeholder's value is a status, which a table cell shows in the
// status key's colour: a field, or a list's field, whose name ends in "Status"
// (in any letter case): [OverallStatus], [Milestones.Status], and a list of
// projects' [Projects.OverallStatus].
bool namesStatus(std::u16string_view name);

} // namespace statusmill::rule
