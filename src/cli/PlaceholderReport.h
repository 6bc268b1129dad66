#pragma once

// The template check's report: which placeholders a template holds, how often and
// where, the four the window fills marked, its lists and the rows they repeat, and
// warnings for what looks wrong; and what a run's data and its template do not
// share, for warnings.

#include "data/ReportData.h"
#include "generate/office/TemplateSurvey.h"

#include <optional>

namespace statusmill::cli {

// The one of the four placeholders the window fills that `placeholder` looks like
// a mistyped form of ("[ProjectNam]", "[Project Name]"); nothing for one of the
// four itself (in any letter case) or anything further off.
std::optional<QString> likelyMeant(const QString& placeholder);

// Those of `fields` that the template, as `seen` has it, never holds as [Name] (in
// any letter case), leaving out the four the window fills: what a --set fills in
// vain, for a warning.
QStringList fieldsNotHeld(const QList<automation::PlaceholderSeen>& seen, const QStringList& fields);

// The listing for `file`: one line a placeholder (in letter case and order of
// first appearance; the office matches them in any letter case), then the lists
// with their fields and the rows they repeat, the charts with the list each is
// drawn from, then warnings.
QString describePlaceholders(const QString& file, const QList<automation::PlaceholderSeen>& seen,
                             const QList<automation::ChartSeen>& charts = {});

// What the reports of a run give, all of them together.
struct DataShape
{
    struct ListShape
    {
        QString name;
        QStringList fields;  // those its items give
        QStringList givenBy; // the reports that have the list, by where they are
    };
    QStringList fields;
    QList<ListShape> lists;
    QStringList reports; // every report added, by where it is
    // Fields given otherwise (on the command line): never missing, never said.
    QStringList alsoGiven;
    // The reports come from data (a data file, --list), which says what they hold,
    // so a placeholder of the template that it never gives is worth a word; the
    // command line's fields alone are only some of a report.
    bool whole = false;
    // Its fields are a table's columns (a table, a workbook), and said so.
    bool columns = true;

    void add(const data::ReportData& report, const QString& where = QString());
};

// A line each: a field or list of the data the template never uses, and a list
// field its items never give; with a whole data, also the template's fields and
// lists the data never gives, and a list of the template that some reports have
// and others do not. The four the window fills, the report's date and an item's
// number are never named, for they are always filled.
QStringList dataWarnings(const QList<automation::PlaceholderSeen>& seen, const DataShape& shape,
                         const QList<automation::ChartSeen>& charts = {});

} // namespace statusmill::cli
