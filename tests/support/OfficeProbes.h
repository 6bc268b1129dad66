#pragma once

// Looking inside the office engine, for tests and the benchmark: what a session's
// office holds, a document's text as the office has it, how many offices were
// started. None of this is in the program users install.

#include "generate/Automation.h"

#include <QStringList>

namespace statusmill::testing {

// What a session's office holds, for checking that sessions are kept apart.
struct OfficeView
{
    long long processId = -1;
    int openDocuments = -1;
    int recentDocuments = -1; // the office's own list of recently used documents
    QString profileFolder;
    QStringList pipeFilesPredicted; // as the engine worked them out at launch
    QStringList pipeFilesBound;     // as the office has bound them
};

// Throws Failure when the application did not come from the office engine, or its
// session has ended.
OfficeView inspectOffice(automation::Application& application);

// The text of every story of a document the office engine opened (main text,
// headers and footers, notes, frames, comments) and of every drawing shape.
struct DocumentText
{
    QStringList stories;
    QStringList shapes;
    int pages = 0; // as the office lays the document out
    QString all() const { return (stories + shapes).join(QLatin1Char('\n')); }
};

// Throws Failure when the document did not come from the office engine.
DocumentText readDocumentText(automation::Document& document);

// The labels of a chart's data: its rows' (the categories) and its columns' (the
// series), as the chart's own data table holds them.
struct ChartLabels
{
    QStringList rows;
    QStringList columns;
};

// Every chart of a document the office engine opened, in no set order (the office
// lists embedded objects by name). Throws Failure as readDocumentText does.
QList<ChartLabels> readChartLabels(automation::Document& document);

// Stores a copy of the document at `source` as `target` through the office's filter
// of that name ("Calc MS Excel 2007 XML", "MS Excel 97", "calc8"), locked with the
// password when one is given: workbooks of other programs' formats, made in a test.
// Throws Failure.
void storeCopy(automation::Application& application, const QString& source, const QString& target,
               const char* filter, const QString& password = QString());

// How many office processes this program has started so far, restarts included,
// so tests can tell a press that started none.
int officeProcessesStarted();

// How many templates opened ahead in waiting offices presses have taken so far.
int preparedTemplatesTaken();

} // namespace statusmill::testing
