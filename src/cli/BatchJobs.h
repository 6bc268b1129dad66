#pragma once

// The reports a batch makes of its records, each with its file name, and those it
// cannot make, each with why.

#include "Options.h"
#include "data/ReportData.h"

namespace statusmill::cli {

// One report to make.
struct Job
{
    QString where; // "line 7", "projects.json [3]"
    QString name;  // the file name in the output folder
    data::ReportData data;
    QStringList errorCells; // of its data, read as errors
};

// What the jobs tell the main thread, which alone writes to the terminal.
struct Outcome
{
    QString where; // empty: a job's, not a report's
    QString name;
    QString failure; // empty: made
    QStringList gaps = {}; // of its charts, for values that are no number
};

struct BatchJobs
{
    QList<Job> jobs;
    QList<Outcome> refused; // each "...; skipped"
};

// The jobs of this shard (see Options::shard), named by `pattern`, the window's four
// fields and the report's date in every one. Not made: a record that has a
// problem, one that no file name can be made of, and the later of two with one
// project name (trimmed, in any letter case) or one file name. Decided over all the
// records, so that shards never disagree on which of two is skipped. Each report
// is set against its project's report of `lastWeek` (see data/LastWeek.h).
BatchJobs jobsOf(const QList<data::Record>& records, const Options& options, const QString& pattern,
                 const std::optional<QList<data::Record>>& lastWeek = std::nullopt);

} // namespace statusmill::cli
