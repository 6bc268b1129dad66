#pragma once

// A batch's portfolio (--portfolio): one overview of every project the batch's
// data holds, made after the reports, each project's name linked to its report.

#include "BatchJobs.h"
#include "Options.h"

#include <QSet>

#include <optional>

namespace statusmill::cli {

// Why the portfolio cannot be made as asked: its template is no file to use, or
// something is in its place; nothing when it can. Found before any office starts.
std::optional<QString> portfolioProblem(const Options& options);

// Makes options.portfolio of the jobs' data, in their order; a project whose
// report's file name is in `made` (written to options.outputDir in this run)
// links to it, relative to the portfolio's folder; each project's overall status
// is set against `lastWeek` (--previous) when there is one. Says on standard
// error why it was not made; returns whether it was.
bool makePortfolio(const Options& options, const QList<Job>& jobs, const QSet<QString>& made,
                   const std::optional<QList<data::Record>>& lastWeek);

} // namespace statusmill::cli
