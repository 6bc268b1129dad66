#pragma once

// What a template holds that looks like a placeholder (see data/Placeholders.h),
// story by story and with what holds it, for the command line's template check
// and a batch's warnings.

#include "generate/Automation.h"

#include <QList>
#include <QString>

namespace statusmill::automation {

enum class Story { MainText, HeadersAndFooters, Notes, Frames, Shapes, Comments };

// What holds a placeholder, and is repeated once per item when the placeholder is
// a list's field: its paragraph, or the table row of its cell.
enum class Holder { Paragraph, TableRow };

struct PlaceholderSeen
{
    QString text; // as written, brackets included
    Story story;
    // Its letters are in more than one run of formatting (or a bookmark or field
    // lies inside it): still replaced whole, but the replacement takes the
    // formatting of its first letter.
    bool splitByFormatting = false;
    Holder holder = Holder::Paragraph;
    // Placeholders of one paragraph or table row share it; numbered from 1 in the
    // survey's order. (A comment is one paragraph here.)
    int holderNumber = 0;
};

// Every placeholder of an open document of the office engine, one entry per
// occurrence. Throws Failure.
QList<PlaceholderSeen> surveyPlaceholders(Document& document);

// A chart of the template, and the list it is drawn from, by its data's labels: a
// data row labelled [Budget.Item] names the list and the field of the categories,
// the series labelled with the same list's placeholders the fields of its values.
struct ChartSeen
{
    QString title;      // empty when it shows none
    QString list;       // "Budget"; empty for a chart drawn from no list
    QString categories; // "Item"
    QStringList series; // "Approved", "Actual", as written
};

// Every chart of an open document of the office engine, in no particular order.
// Throws Failure.
QList<ChartSeen> surveyCharts(Document& document);

} // namespace statusmill::automation
