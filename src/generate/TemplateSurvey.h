#pragma once

// What a template holds that looks like a placeholder: every bracketed text
// ("[Name]"), story by story, for the command line's template check.

#include "Automation.h"

#include <QList>
#include <QString>

namespace statusmill::automation {

enum class Story { MainText, HeadersAndFooters, Notes, Frames, Shapes, Comments };

struct PlaceholderSeen
{
    QString text; // as written, brackets included
    Story story;
    // Its letters are in more than one run of formatting (or a bookmark or field
    // lies inside it): still replaced whole, but the replacement takes the
    // formatting of its first letter.
    bool splitByFormatting = false;
};

// Every bracketed text of an open document of the office engine, one entry per
// occurrence. Throws Failure.
QList<PlaceholderSeen> surveyPlaceholders(Document& document);

// The rows of the first sheet of a spreadsheet (.ods, .xlsx, .xls) the session
// opens, each cell as text, down to the last row and column in use. Throws
// Failure; when the office has no spreadsheet program, a message that says what
// to install.
QList<QStringList> readSpreadsheet(Application& application, const QString& path);

} // namespace statusmill::automation
