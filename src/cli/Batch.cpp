#include "Batch.h"

#include "BatchBoard.h"
#include "BatchJobs.h"
#include "DataSources.h"
#include "Output.h"
#include "OutputPlaces.h"
#include "PlaceholderReport.h"
#include "PortfolioRun.h"
#include "ReportNames.h"
#include "Strict.h"
#include "Templates.h"
#include "core/CopyIntoPlace.h"
#include "core/FileHelpers.h"
#include "core/Random.h"
#include "core/StopRequest.h"
#include "core/WorkFolder.h"
#include "data/WindowFields.h"
#include "generate/Offices.h"
#include "generate/ReportMaker.h"
#include "generate/TerminationSignals.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>
#include <QThread>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace statusmill::cli {
namespace {

// What the jobs of one batch share.
struct Shared
{
    const Options& options;
    const QList<Job>& jobs;
    const std::optional<QList<data::Record>>& lastWeek;
    const automation::OwnOffices& offices;
    QString templatePath;
    std::optional<QSizeF> paper; // read once, here
    std::optional<PortfolioTemplate> portfolio;
    Board board;
    std::atomic<int> next = 0;
};

QString failureLine(const QString& where, const QString& name, const QString& cause)
{
    if (where.isEmpty())
        return cause;
    return name.isEmpty() ? QStringLiteral("%1: %2").arg(where, cause)
                          : QStringLiteral("%1: %2: %3").arg(where, name, cause);
}

// The count a stop ends the batch with, also when a second request ends the
// program at once: the signals' thread then says it, from what the jobs have put
// in place, without a lock or an allocation. Said once, by whoever is first.
struct Tally
{
    std::atomic<int> made = 0;
    std::atomic<int> total = 0;
    std::atomic<bool> terminal = false;
    std::atomic<bool> said = false;
};
Tally g_tally;

size_t tallyLastWords(char* buffer, size_t size)
{
    if (g_tally.said.exchange(true))
        return 0;
    const int length = std::snprintf(buffer, size, "%sstatusmill: stopped: %d of %d reports made\n",
                                     g_tally.terminal ? "\r\x1b[K" : "", g_tally.made.load(),
                                     g_tally.total.load());
    return length > 0 ? std::min(size_t(length), size - 1) : 0;
}

// The rows one job makes, one after another, on its own office.
void makeRows(automation::ReportMaker& maker, Shared& shared, bool survey)
{
    const Options& options = shared.options;
    const QList<Job>& jobs = shared.jobs;
    std::atomic<int>& next = shared.next;
    Board& board = shared.board;
    const QString extension = QLatin1String(SaveFormats::extensionOf(options.format));
    if (survey) {
        try {
            board.postSurvey({maker.survey(), maker.surveyCharts()});
        } catch (...) {
            // The rows say what is wrong with the template.
        }
    }
    for (int index = next++; index < jobs.size() && !StopRequest::requested(); index = next++) {
        const Job& job = jobs.at(index);
        const QString target = QDir(options.outputDir).filePath(job.name);
        const QString made = QDir(shared.offices.folder).filePath(
            QStringLiteral("row-%1.%2").arg(Random::uniqueSuffix(), extension));
        Outcome outcome{job.where, job.name, {}};
        try {
            if (const auto taken = targetTaken(target, options.overwrite))
                throw Failure(*taken);
            if (options.strict && !job.errorCells.isEmpty())
                throw Failure(strictRefusal(job.errorCells, {}));
            // An office that died or hung costs this row one more try, on a fresh
            // office; what failed of the row's own (its template, the disk) would
            // only fail again.
            for (int attempt = 1;; ++attempt) {
                try {
                    const automation::FillOutcome filled = maker.make(job.data, made, options.format);
                    if (options.strict && !(filled.left.isEmpty() && filled.gaps.isEmpty()))
                        throw Failure(strictRefusal({}, filled.left, filled.gaps));
                    outcome.gaps = filled.gaps;
                    break;
                } catch (const Failure& failure) {
                    if (attempt == 2 || StopRequest::requested() ||
                        failure.kind() != Failure::Kind::OfficeLost)
                        throw;
                }
            }
            copyFileIntoPlace(made, target, options.overwrite);
            ++g_tally.made;
        } catch (const Failure& failure) {
            outcome.failure = failure.description();
        } catch (const std::exception& error) {
            // Whatever went wrong, it is this row's failure, not the batch's end.
            outcome.failure = causeOf(error);
        } catch (...) {
            outcome.failure = QStringLiteral("an unknown error");
        }
        DeleteFileQuietly(made);
        if (StopRequest::requested() && !outcome.failure.isEmpty())
            break; // stopped, not failed
        board.post(outcome);
    }
}

// The portfolio, on the office the job's reports were made on, its template
// opened while the other jobs make their last reports.
void makePortfolioHere(automation::ReportMaker& reports, Shared& shared)
{
    PortfolioMaker portfolio(shared.options, *shared.portfolio,
                             [&shared] { return automation::createOwnApplication(shared.offices); });
    portfolio.adopt(reports.handOverSession());
    portfolio.openAhead();
    const QSet<QString> made = shared.board.madeOnceRowsAreDone();
    if (!StopRequest::requested())
        shared.board.postPortfolio(portfolio.make(shared.jobs, made, shared.lastWeek));
}

void postEarlyEnd(Board& board, const std::exception* error) noexcept
{
    try {
        board.post({{}, {}, QStringLiteral("a job ended early: %1")
                               .arg(error ? causeOf(*error) : QStringLiteral("an unknown error"))});
    } catch (...) {
        // Not even that could be said: the count at the end says it.
    }
}

// A job's thread: nothing it meets may end the program, and the main thread hears
// of its end whatever happens. The rows it has not taken are left to other jobs.
void work(Shared& shared, bool survey) noexcept
{
    Board& board = shared.board;
    try {
        automation::ReportMaker maker([&shared] { return automation::createOwnApplication(shared.offices); },
                                      shared.templatePath, shared.paper);
        {
            const auto left = qScopeGuard([&] { board.leftRows(); });
            makeRows(maker, shared, survey);
        }
        if (shared.portfolio && !StopRequest::requested() && board.claimPortfolio())
            makePortfolioHere(maker, shared);
    } catch (const std::exception& error) {
        postEarlyEnd(board, &error);
    } catch (...) {
        postEarlyEnd(board, nullptr);
    }
    board.jobEnded();
}

// "37/100 reports, 12.3 a second, 5 s left"
QString progressText(int done, int total, double perSecond)
{
    const int left = perSecond > 0 ? int((total - done) / perSecond + 0.5) : -1;
    return QStringLiteral("%1/%2 reports, %3 a second%4")
        .arg(done)
        .arg(total)
        .arg(perSecond, 0, 'f', 1)
        .arg(left >= 0 && done > 0 ? QStringLiteral(", %1 s left").arg(left) : QString());
}

} // namespace

int runBatch(const Options& options)
{
    // Everything a usage error can be is found before an office starts, and before
    // anything is made (a workbook is read through an office of its own).
    RunData run;
    std::optional<QList<data::Record>> lastWeek;
    QString pattern = options.namePattern.isEmpty() ? kDefaultNamePattern : options.namePattern;
    try {
        if (!options.templateFile.isEmpty())
            if (const auto problem = templateProblem(options.templateFile))
                throw UsageError{QStringLiteral("Cannot use the template %1: %2")
                                     .arg(options.templateFile, *problem)};
        run = readRunData(options.table, options.lists);
        lastWeek = lastWeeksReports(options);
        QStringList known = run.reports.fields;
        for (const data::WindowField& field : data::kWindowFields)
            known << QLatin1String(field.name);
        if (const auto problem = patternProblem(pattern, known))
            throw UsageError{QStringLiteral("the name pattern \"%1\" cannot be used: %2")
                                 .arg(pattern, *problem)};
        const QFileInfo folder(options.outputDir);
        if (folder.exists() && !folder.isDir())
            throw UsageError{QStringLiteral("%1 is not a folder").arg(options.outputDir)};
        if (const auto problem = portfolioProblem(options))
            throw UsageError{*problem};
    } catch (const UsageError& error) {
        tell(error.message);
        return 2;
    } catch (const Failure& failure) {
        tell(failure.description());
        return 2;
    }
    const QList<data::Record>& records = run.reports.records;
    if (records.isEmpty()) {
        tell(QStringLiteral("%1 holds no rows, so no report was made").arg(options.table));
        return 1;
    }

    const BatchJobs batch = jobsOf(records, options, pattern, lastWeek);
    // With no folder for the reports, only the portfolio is made of them.
    const QList<Job> noReports;
    const QList<Job>& jobs = options.outputDir.isEmpty() ? noReports : batch.jobs;
    const QList<Outcome>& refused = batch.refused;

    // The folder is made, and must take the reports, before any office starts: a
    // folder found unwritable only after every row was made costs the whole batch.
    // Where the reports are there already and may be written over where they
    // stand, the rows find out one by one.
    if (const auto problem = jobs.isEmpty() ? std::nullopt : makeFolder(options.outputDir)) {
        tell(QStringLiteral("the folder %1 cannot be made: %2").arg(options.outputDir, *problem));
        return 2;
    }
    const bool someWrittenOver = options.overwrite && std::any_of(jobs.begin(), jobs.end(), [&](const Job& job) {
        return isRegularFile(QDir(options.outputDir).filePath(job.name));
    });
    if (const auto why = jobs.isEmpty() ? std::nullopt : folderTakesNoNewFile(options.outputDir);
        why && !someWrittenOver) {
        tell(QStringLiteral("the folder %1 takes no new file: %2").arg(options.outputDir, *why));
        return 2;
    }

    const bool terminal = ::isatty(STDERR_FILENO);
    bool progressShown = false;
    auto say = [&](const QString& line) {
        if (progressShown) {
            std::fputs("\r\x1b[K", stderr);
            progressShown = false;
        }
        tell(line);
    };
    for (const QString& warning : std::as_const(run.warnings))
        say(QStringLiteral("warning: ") + warning);
    int failures = 0;
    for (const Outcome& outcome : std::as_const(refused)) {
        say(failureLine(outcome.where, outcome.name, outcome.failure));
        ++failures;
    }

    const int total = int(jobs.size() + refused.size());
    g_tally.made = 0;
    g_tally.total = total;
    g_tally.terminal = terminal;
    g_tally.said = false;
    TerminationSignals::setLastWords(tallyLastWords);
    const auto noLastWords = qScopeGuard([] { TerminationSignals::setLastWords(nullptr); });

    int made = 0;
    QSet<QString> madeNames; // linked from the portfolio
    std::optional<std::optional<QString>> portfolioOnAJob;
    if (!jobs.isEmpty()) {
        automation::OwnOffices offices;
        QString templatePath;
        std::optional<PortfolioTemplate> portfolio;
        try {
            templatePath = templateToUse(options);
            if (!options.portfolio.isEmpty())
                portfolio = portfolioTemplate(options);
            offices = automation::prepareOwnOffices();
        } catch (const Failure& failure) {
            tell(failure.description());
            return 1;
        }
        const int cores = std::max(1, QThread::idealThreadCount());
        const int count = std::min<int>(options.jobs > 0 ? options.jobs : std::min(cores, 4),
                                        int(jobs.size()));
        Shared shared{options, jobs, lastWeek, offices, templatePath, paperFor(options.templateFile),
                      portfolio, Board(count)};
        Board& board = shared.board;
        // Joined whatever ends this scope, before what they use goes.
        std::vector<std::jthread> threads;
        threads.reserve(size_t(count));
        for (int job = 0; job < count; ++job) {
            try {
                threads.emplace_back([&shared, job] { work(shared, job == 0); });
            } catch (const std::system_error& error) {
                // A limit on threads: the jobs that started make every row.
                board.leftRows(count - job);
                say(QStringLiteral("only %1 of %2 jobs could start: %3")
                        .arg(threads.size())
                        .arg(count)
                        .arg(causeOf(error)));
                break;
            }
        }
        if (threads.empty()) {
            say(QStringLiteral("no report was made"));
            return 1;
        }
        const int started = int(threads.size());

        const DataShape shape = run.shape();
        QElapsedTimer clock;
        clock.start();
        QElapsedTimer lastProgress;
        bool surveyed = false;
        QSet<QString> gapsSaid;
        for (bool running = true; running;) {
            running = board.jobsEnded() < started;
            for (const Outcome& outcome : board.take(std::chrono::milliseconds(running ? 200 : 0))) {
                // A value that is no number is named once, however many reports hold it.
                for (const QString& gap : outcome.gaps)
                    if (!gapsSaid.contains(gap)) {
                        gapsSaid.insert(gap);
                        say(gapWarning(gap));
                    }
                if (outcome.failure.isEmpty()) {
                    ++made;
                    madeNames.insert(outcome.name);
                    if (options.verbose)
                        say(QStringLiteral("made %1").arg(QDir(options.outputDir).filePath(outcome.name)));
                } else {
                    ++failures;
                    say(failureLine(outcome.where, outcome.name, outcome.failure));
                }
            }
            if (!surveyed) {
                if (auto seen = board.takeSurvey()) {
                    surveyed = true;
                    for (const QString& warning : dataWarnings(seen->first, shape, seen->second))
                        say(QStringLiteral("warning: ") + warning);
                }
            }
            if (terminal && running && (!lastProgress.isValid() || lastProgress.elapsed() >= 200)) {
                lastProgress.start();
                const double seconds = clock.elapsed() / 1000.0;
                std::fputs(("\r\x1b[K" + progressText(made + failures - int(refused.size()), int(jobs.size()),
                                                       seconds > 0 ? made / seconds : 0))
                               .toLocal8Bit()
                               .constData(),
                           stderr);
                progressShown = true;
            }
        }
        portfolioOnAJob = board.portfolioOutcome();
    }

    if (StopRequest::requested()) {
        if (!g_tally.said.exchange(true))
            say(QStringLiteral("stopped: %1 of %2 reports made").arg(made).arg(total));
        return 1;
    }
    if (!jobs.isEmpty() && (terminal || options.verbose))
        say(QStringLiteral("%1 of %2 reports made").arg(made).arg(total));
    // Made on a job's office as its reports ended, unless no job could.
    const bool portfolioMade = options.portfolio.isEmpty() ||
        (portfolioOnAJob ? sayPortfolioOutcome(options, *portfolioOnAJob)
                         : makePortfolio(options, batch.jobs, madeNames, lastWeek));
    return failures == 0 && made == int(jobs.size()) && portfolioMade ? 0 : 1;
}

} // namespace statusmill::cli
