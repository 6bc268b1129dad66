#pragma once

// What a run's reports are made of: a table (CSV, TSV), a workbook (its first
// sheet the reports, its other sheets lists) or a JSON file, and lists given in
// tables of their own (--list), each item linked to its report.

#include "Options.h"
#include "PlaceholderReport.h"
#include "data/Records.h"

namespace statusmill::cli {

struct RunData
{
    data::Reports reports; // lists linked
    // The reports come from data, a file or a --list, which says what they hold
    // (see DataShape::whole); the command line's fields alone are only some of it.
    bool whole = false;
    bool columns = true; // a table's or a workbook's: its fields are columns
    // What reading the data said: columns left out, cells that hold an error, what
    // was hidden, items that link to no report, sheets that are no list.
    QStringList warnings;
    // Every field and list the records give.
    DataShape shape() const;
};

// Reads `file` by its name (.json; .ods, .xlsx or .xls through an office of its
// own; any other as CSV, or TSV for .tsv) and links `lists` to its reports: a
// --list takes the place of a sheet of its name. A JSON file has no columns, so
// only its project name links. Throws Failure.
RunData readRunData(const QString& file, const QList<ListOption>& lists);

// The one report made of the command line alone, with `lists` linked by the
// project name (--project) when it is given: a list table's items for another
// report are left out without a word, and a list that keeps no item of its table
// is named. Throws Failure.
RunData commandLineData(const QList<data::Field>& given, const QList<ListOption>& lists);

// The report of `run` that one report is made of: the only one, or the one whose
// project name is `project`. Throws Failure naming `file` when there is none, or
// several to choose from.
// Every report of last week's data (--previous), its lists linked as a run's are;
// nothing without it. A table's lists given by --list are this week's: last
// week's are not read. Throws Failure naming the file.
std::optional<QList<data::Record>> lastWeeksReports(const Options& options);

data::Record pickReport(const RunData& run, const QString& file,
                            const std::optional<QString>& project);

} // namespace statusmill::cli
