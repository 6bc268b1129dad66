#include "Batch.h"

#include "Output.h"
#include "ReportNames.h"
#include "Table.h"
#include "Templates.h"
#include "core/CopyIntoPlace.h"
#include "core/FileHelpers.h"
#include "core/Random.h"
#include "core/StopRequest.h"
#include "core/WorkFolder.h"
#include "generate/Offices.h"
#include "generate/ReportMaker.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace statusmill::cli {
namespace {

const QStringList kWindowFills{"[ProjectName]", "[Department]", "[FocusArea]", "[Product]"};

// One report to make.
struct Job
{
    int line = 0;
    QString name;   // the file name in the output folder
    QList<automation::Replacement> values;
};

// What the jobs tell the main thread, which alone writes to the terminal.
struct Outcome
{
    int line = 0;
    QString name;
    QString failure; // empty: made
};

class Board
{
public:
    void post(Outcome outcome)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_outcomes.push_back(std::move(outcome));
        }
        m_changed.notify_all();
    }
    void postSurvey(QList<automation::PlaceholderSeen> seen)
    {
        const std::lock_guard lock(m_mutex);
        m_survey = std::move(seen);
        m_surveyed = true;
    }
    void jobEnded()
    {
        ++m_jobsEnded;
        m_changed.notify_all();
    }
    // Waits up to `wait` for news; what came since the last call.
    std::deque<Outcome> take(std::chrono::milliseconds wait)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, wait, [&] { return !m_outcomes.empty(); });
        return std::exchange(m_outcomes, {});
    }
    std::optional<QList<automation::PlaceholderSeen>> takeSurvey()
    {
        const std::lock_guard lock(m_mutex);
        if (!std::exchange(m_surveyed, false))
            return std::nullopt;
        return std::move(m_survey);
    }
    int jobsEnded() const { return m_jobsEnded; }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Outcome> m_outcomes;
    QList<automation::PlaceholderSeen> m_survey;
    bool m_surveyed = false;
    std::atomic<int> m_jobsEnded = 0;
};

QString failureLine(int line, const QString& name, const QString& cause)
{
    return name.isEmpty() ? QStringLiteral("line %1: %2").arg(line).arg(cause)
                          : QStringLiteral("line %1: %2: %3").arg(line).arg(name, cause);
}

// The table's columns as the placeholders they fill. Throws UsageError.
QStringList placeholdersOfColumns(const QStringList& header)
{
    QStringList placeholders;
    for (qsizetype column = 0; column < header.size(); ++column) {
        const auto placeholder = placeholderOfColumn(header.at(column));
        if (!placeholder)
            throw UsageError{QStringLiteral("column %1 of the table has no usable name in its header "
                                            "(\"%2\")")
                                 .arg(column + 1)
                                 .arg(header.at(column))};
        for (const QString& earlier : std::as_const(placeholders))
            if (earlier.compare(*placeholder, Qt::CaseInsensitive) == 0)
                throw UsageError{QStringLiteral("two columns of the table fill %1").arg(*placeholder)};
        placeholders << *placeholder;
    }
    return placeholders;
}

Table readTable(const QString& path)
{
    if (!isSpreadsheetName(path))
        return readDelimitedTable(path);
    if (!isRegularFile(path))
        throw Failure(QStringLiteral("Cannot read %1: no such file").arg(path));
    const auto application = automation::engine().createApplication();
    const QList<QStringList> sheet = automation::readSpreadsheet(*application, path);
    application->quit();
    Table table;
    for (qsizetype row = 0; row < sheet.size(); ++row) {
        if (row == 0)
            table.header = sheet.at(row);
        else if (std::any_of(sheet.at(row).begin(), sheet.at(row).end(),
                             [](const QString& cell) { return !cell.isEmpty(); }))
            table.rows.append({int(row + 1), sheet.at(row)});
    }
    if (table.header.isEmpty())
        throw Failure(QStringLiteral("%1 holds no header row naming the columns").arg(path));
    return table;
}

void work(const automation::OwnOffices& offices, const QString& templatePath,
          std::optional<QSizeF> paper, const Options& options, const QList<Job>& jobs,
          std::atomic<int>& next, Board& board, bool survey)
{
    automation::ReportMaker maker(
        [&offices] { return automation::createOwnApplication(offices); }, templatePath, paper);
    const QString extension = QLatin1String(SaveFormats::extensionOf(options.format));
    if (survey) {
        try {
            board.postSurvey(maker.survey());
        } catch (const Failure&) {
            // The rows say what is wrong with the template.
        }
    }
    for (int index = next++; index < jobs.size() && !StopRequest::requested(); index = next++) {
        const Job& job = jobs.at(index);
        const QString target = QDir(options.outputDir).filePath(job.name);
        const QString made = QDir(offices.folder).filePath(
            QStringLiteral("row-%1.%2").arg(Random::uniqueSuffix(), extension));
        Outcome outcome{job.line, job.name, {}};
        try {
            if (!options.overwrite && (QFileInfo::exists(target) || QFileInfo(target).isSymLink()))
                throw Failure(QStringLiteral("%1 exists; --overwrite replaces it").arg(target));
            // An office that died costs this row one more try, on a fresh office.
            for (int attempt = 1;; ++attempt) {
                try {
                    maker.make(job.values, made, options.format);
                    break;
                } catch (const Failure&) {
                    if (attempt == 2 || StopRequest::requested())
                        throw;
                }
            }
            copyFileIntoPlace(made, target, options.overwrite);
        } catch (const Failure& failure) {
            outcome.failure = failure.description();
        } catch (const std::exception& error) {
            // Whatever went wrong, it is this row's failure, not the batch's end.
            outcome.failure = QString::fromLocal8Bit(error.what());
        }
        DeleteFileQuietly(made);
        if (StopRequest::requested() && !outcome.failure.isEmpty())
            break; // stopped, not failed
        board.post(outcome);
    }
    maker.finish();
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
    // Everything a usage error can be is found before an office starts.
    Table table;
    QStringList columns;
    QString pattern = options.namePattern.isEmpty() ? kDefaultNamePattern : options.namePattern;
    try {
        table = readTable(options.table);
        columns = placeholdersOfColumns(table.header);
        if (const auto problem = patternProblem(pattern, columns + kWindowFills))
            throw UsageError{QStringLiteral("the name pattern \"%1\" cannot be used: %2")
                                 .arg(pattern, *problem)};
        const QFileInfo folder(options.outputDir);
        if (folder.exists() && !folder.isDir())
            throw UsageError{QStringLiteral("%1 is not a folder").arg(options.outputDir)};
        if (!QDir().mkpath(options.outputDir))
            throw UsageError{QStringLiteral("the folder %1 cannot be made").arg(options.outputDir)};
    } catch (const UsageError& error) {
        tell(error.message);
        return 2;
    } catch (const Failure& failure) {
        tell(failure.description());
        return 2;
    }

    // Names for every row, the same in every shard, so that shards never disagree
    // on which of two rows of one name is skipped.
    const QString extension = QLatin1Char('.') + QLatin1String(SaveFormats::extensionOf(options.format));
    const int rowDigits = std::max(3, int(QString::number(table.rows.size()).size()));
    QList<Job> jobs;
    QList<Outcome> refused;
    QHash<QString, int> lineOfName;
    for (qsizetype index = 0; index < table.rows.size(); ++index) {
        const TableRow& row = table.rows.at(index);
        const int number = int(index) + 1;
        const bool inShard = number % options.shards == options.shard;
        if (row.cells.size() != table.header.size()) {
            if (inShard)
                refused.append({row.line, {},
                                QStringLiteral("the row has %1 cells where the header names %2 "
                                               "columns; skipped")
                                    .arg(row.cells.size())
                                    .arg(table.header.size())});
            continue;
        }
        QHash<QString, QString> values;
        Job job{row.line, {}, {}};
        for (qsizetype column = 0; column < columns.size(); ++column) {
            values.insert(columns.at(column), row.cells.at(column));
            job.values.append({columns.at(column), row.cells.at(column)});
        }
        // The window's four are filled in every report, empty when the table has
        // no column for them.
        for (const QString& filled : kWindowFills)
            if (!std::any_of(columns.begin(), columns.end(), [&](const QString& c) {
                    return c.compare(filled, Qt::CaseInsensitive) == 0;
                }))
                job.values.append({filled, QString()});
        const auto name = safeFileName(expandPattern(pattern, number, rowDigits, values), extension);
        if (!name) {
            if (inShard)
                refused.append({row.line, {}, QStringLiteral("no file name can be made of it; skipped")});
            continue;
        }
        job.name = *name;
        if (const auto earlier = lineOfName.constFind(job.name); earlier != lineOfName.constEnd()) {
            if (inShard)
                refused.append({row.line, job.name,
                                QStringLiteral("the row on line %1 has that name already; skipped")
                                    .arg(*earlier)});
            continue;
        }
        lineOfName.insert(job.name, row.line);
        if (inShard)
            jobs.append(job);
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
    int failures = 0;
    for (const Outcome& outcome : std::as_const(refused)) {
        say(failureLine(outcome.line, outcome.name, outcome.failure));
        ++failures;
    }

    int made = 0;
    if (!jobs.isEmpty()) {
        QString templatePath;
        // Read once, here: the jobs' threads share it.
        const std::optional<QSizeF> paper = paperFor(options.templateFile);
        automation::OwnOffices offices;
        try {
            templatePath = templateToUse(options.templateFile);
            offices = automation::prepareOwnOffices();
        } catch (const Failure& failure) {
            tell(failure.description());
            return 1;
        }
        const int cores = std::max(1, QThread::idealThreadCount());
        const int count = std::min<int>(options.jobs > 0 ? options.jobs : std::min(cores, 4),
                                        int(jobs.size()));
        Board board;
        std::atomic<int> next = 0;
        std::vector<std::thread> threads;
        for (int job = 0; job < count; ++job)
            threads.emplace_back([&, job] {
                work(offices, templatePath, paper, options, jobs, next, board, job == 0);
            });

        QElapsedTimer clock;
        clock.start();
        QElapsedTimer lastProgress;
        bool surveyed = false;
        for (bool running = true; running;) {
            running = board.jobsEnded() < count;
            for (const Outcome& outcome : board.take(std::chrono::milliseconds(running ? 200 : 0))) {
                if (outcome.failure.isEmpty()) {
                    ++made;
                    if (options.verbose)
                        say(QStringLiteral("made %1").arg(QDir(options.outputDir).filePath(outcome.name)));
                } else {
                    ++failures;
                    say(failureLine(outcome.line, outcome.name, outcome.failure));
                }
            }
            if (!surveyed) {
                if (auto seen = board.takeSurvey()) {
                    surveyed = true;
                    QSet<QString> used;
                    for (const auto& found : std::as_const(*seen))
                        used.insert(found.text.toLower());
                    for (const QString& column : std::as_const(columns))
                        if (!used.contains(column.toLower()) &&
                            !kWindowFills.contains(column, Qt::CaseInsensitive))
                            say(QStringLiteral("warning: the template holds no %1, so its column "
                                               "fills nothing")
                                    .arg(column));
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
        for (std::thread& thread : threads)
            thread.join();
    }

    const int total = int(jobs.size() + refused.size());
    if (StopRequest::requested()) {
        say(QStringLiteral("stopped: %1 of %2 reports made").arg(made).arg(total));
        return 1;
    }
    if (terminal || options.verbose)
        say(QStringLiteral("%1 of %2 reports made").arg(made).arg(total));
    return failures == 0 && made == int(jobs.size()) ? 0 : 1;
}

} // namespace statusmill::cli
