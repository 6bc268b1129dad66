#pragma once

// What a batch's jobs tell the main thread, which alone writes to the terminal,
// and how they learn that every row is done: the first job out of rows makes the
// portfolio on its office once the others are out too.

#include "BatchJobs.h"
#include "generate/office/TemplateSurvey.h"

#include <QSet>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace statusmill::cli {

class Board
{
public:
    // `jobs` are about to start, each to leave its rows once (leftRows()).
    explicit Board(int jobs) : m_inRows(jobs) {}

    void post(Outcome outcome);
    // What the template holds: its placeholders, and its charts.
    using Survey = std::pair<QList<automation::PlaceholderSeen>, QList<automation::ChartSeen>>;
    void postSurvey(Survey seen);
    // Waits up to `wait` for news; what came since the last call.
    std::deque<Outcome> take(std::chrono::milliseconds wait);
    std::optional<Survey> takeSurvey();

    // A job takes no more rows (or never started): every outcome of its rows is posted.
    void leftRows(int jobs = 1);
    // Whether the calling job is the first to ask: it makes the portfolio.
    bool claimPortfolio() { return !m_portfolioClaimed.exchange(true); }
    // Waits until every job has left its rows; the reports made by then.
    QSet<QString> madeOnceRowsAreDone();
    // What came of the portfolio made by a job: the line saying why it was not
    // made, or nothing. Posted once, before that job ends.
    void postPortfolio(std::optional<QString> failure);
    // Whether a job made (or tried to make) the portfolio, and what came of it.
    std::optional<std::optional<QString>> portfolioOutcome();

    void jobEnded();
    int jobsEnded() const { return m_jobsEnded; }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Outcome> m_outcomes;
    QSet<QString> m_made;
    Survey m_survey;
    bool m_surveyed = false;
    int m_inRows;
    std::optional<std::optional<QString>> m_portfolio;
    std::atomic<bool> m_portfolioClaimed = false;
    std::atomic<int> m_jobsEnded = 0;
};

} // namespace statusmill::cli
