#pragma once

// What counts as a placeholder in a template's text, in Qt's strings, for the
// data side, the template check and the warnings of a batch: the one rule of
// rule/PlaceholderRule.h, which the fill inside the office takes too, so that what
// the check lists is what the fill fills.
//
// A placeholder is "[" + name + "]"; "[Milestones.Owner]" is a field of a list's
// item, "[Milestones.#]" the item's number; a row whose only placeholders are
// "[Milestones.None]" is what the list shows when it has no items. Names are
// compared in any letter case.

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace statusmill::data {

// The field of a list item that stands for the item's number: [Milestones.#].
inline constexpr char16_t kItemNumberField[] = u"#";

// The field that marks a list's none row: [Risks.None]None this period.
inline constexpr char16_t kNoneRowField[] = u"None";

struct PlaceholderAt
{
    qsizetype start = 0;  // of the opening bracket
    qsizetype length = 0; // brackets included
    QString name;         // without brackets
};

// Whether `name` is a placeholder's name.
bool isPlaceholderName(QStringView name);

// Every placeholder of the text, in order, none overlapping. Linear in the
// text's length.
QList<PlaceholderAt> placeholdersIn(QStringView text);

struct ListField
{
    QString list;  // "Milestones"
    QString field; // "Owner", or "#" for the item's number
};

// The list and field a name stands for. Nothing for any other name:
// "[Approx. cost]" and "[e.g. a date]" are plain placeholders.
std::optional<ListField> listFieldOf(QStringView name);

// Whether a list field's name (after the dot) is kNoneRowField, in any letter case.
bool isNoneRowField(QStringView field);

// "[name]".
QString bracketed(const QString& name);

} // namespace statusmill::data
