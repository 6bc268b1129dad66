#pragma once

// What counts as a placeholder in a template's text, for everything that looks
// for one: the fill, the template check and the warnings of a batch. One
// definition, so that what the check lists is what the fill fills.
//
// A placeholder is "[" + name + "]". The name holds no bracket and no line
// break, at least one letter or digit (so "[ ]" and "[...]" stay text), and at
// most kLongestPlaceholderName characters; spaces and punctuation are part of it:
// "[One-sentence summary of the project’s health]" is one placeholder.
// A name of two parts joined by one dot, "[Milestones.Owner]", is a field of a
// list's item; "[Milestones.#]" is the item's number. Names are compared in any
// letter case.

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace statusmill::data {

// Longer bracketed text is a passage of prose in brackets, not a prompt.
inline constexpr qsizetype kLongestPlaceholderName = 200;

// The field of a list item that stands for the item's number: [Milestones.#].
inline constexpr char16_t kItemNumberField[] = u"#";

struct PlaceholderAt
{
    qsizetype start = 0;  // of the opening bracket
    qsizetype length = 0; // brackets included
    QString name;         // without brackets
};

// Whether `name` is a placeholder's name (see above).
bool isPlaceholderName(QStringView name);

// Every placeholder of the text, in order, none overlapping. Linear in the
// text's length.
QList<PlaceholderAt> placeholdersIn(QStringView text);

struct ListField
{
    QString list;  // "Milestones"
    QString field; // "Owner", or "#" for the item's number
};

// The list and field a name stands for: one dot with a name on each side that
// starts with a letter and neither starts nor ends with a space ("#" may stand
// for the field). Nothing for any other name: "[Approx. cost]" and "[e.g. a
// date]" are plain placeholders.
std::optional<ListField> listFieldOf(QStringView name);

// "[name]".
QString bracketed(const QString& name);

} // namespace statusmill::data
