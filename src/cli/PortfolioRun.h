#pragma once

// A batch's portfolio (--portfolio): one overview of every project the batch's
// data holds, made after the reports, each project's name linked to its report.

#include "BatchJobs.h"
#include "Options.h"
#include "generate/ReportMaker.h"

#include <QSet>

#include <optional>

namespace statusmill::cli {

// Why the portfolio cannot be made as asked: its template is no file to use, or
// something is in its place; nothing when it can. Found before any office starts.
std::optional<QString> portfolioProblem(const Options& options);

// The portfolio's template and paper, found on the main thread (the built-in one
// is written to the work folder). Throws Failure.
struct PortfolioTemplate
{
    QString path;
    std::optional<QSizeF> paper;
};
PortfolioTemplate portfolioTemplate(const Options& options);

// The portfolio made on any thread, on an office of `sessions` or one handed over
// by a job that made reports (adopt()), its template opened while the last
// reports are still being made.
class PortfolioMaker
{
public:
    PortfolioMaker(const Options& options, const PortfolioTemplate& from,
                   automation::ReportMaker::Sessions sessions);

    void adopt(std::unique_ptr<automation::Application> session) { m_maker.adoptSession(std::move(session)); }
    // What fails here fails again, and is said, in make().
    void openAhead() noexcept;

    // Makes options.portfolio of the jobs' data, in their order; a project whose
    // report's file name is in `made` (written to options.outputDir in this run)
    // links to it, relative to the portfolio's folder; each project's overall
    // status is set against `lastWeek` (--previous) when there is one. Returns
    // the line that says why it was not made, or nothing.
    std::optional<QString> make(const QList<Job>& jobs, const QSet<QString>& made,
                                const std::optional<QList<data::Record>>& lastWeek) noexcept;

private:
    void write(const data::ReportData& data);

    const Options& m_options;
    automation::ReportMaker m_maker;
};

// Says on standard error what came of the portfolio: `failure`, or with
// --verbose that it was made. Returns whether it was.
bool sayPortfolioOutcome(const Options& options, const std::optional<QString>& failure);

// Makes the portfolio here, on an office of its own, as PortfolioMaker::make()
// does, and says what came of it. Returns whether it was made.
bool makePortfolio(const Options& options, const QList<Job>& jobs, const QSet<QString>& made,
                   const std::optional<QList<data::Record>>& lastWeek);

} // namespace statusmill::cli
