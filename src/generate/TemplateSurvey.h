#pragma once

// What a template holds that looks like a placeholder (see data/Placeholders.h),
// story by story and with what holds it, for the command line's template check
// and a batch's warnings; and the sheets of a workbook, read through the office.

#include "Automation.h"
#include "data/Table.h"

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

// Every sheet of a workbook (.ods, .xlsx, .xls) the session opens, in the
// workbook's order, each down to the last row and column in use and each cell as
// the sheet shows it (in its number, currency or date format). Throws Failure;
// when the office has no spreadsheet program, a message that says what to install.
// The main thread's: the office writes a sheet's text into the working folder.
data::Workbook readWorkbook(Application& application, const QString& path);

} // namespace statusmill::automation
