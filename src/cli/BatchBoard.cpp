#include "BatchBoard.h"

namespace statusmill::cli {

void Board::post(Outcome outcome)
{
    {
        const std::lock_guard lock(m_mutex);
        if (outcome.failure.isEmpty() && !outcome.name.isEmpty())
            m_made.insert(outcome.name);
        m_outcomes.push_back(std::move(outcome));
    }
    m_changed.notify_all();
}

void Board::postSurvey(Survey seen)
{
    const std::lock_guard lock(m_mutex);
    m_survey = std::move(seen);
    m_surveyed = true;
}

std::deque<Outcome> Board::take(std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, wait, [&] { return !m_outcomes.empty(); });
    return std::exchange(m_outcomes, {});
}

std::optional<Board::Survey> Board::takeSurvey()
{
    const std::lock_guard lock(m_mutex);
    if (!std::exchange(m_surveyed, false))
        return std::nullopt;
    return std::move(m_survey);
}

void Board::leftRows(int jobs)
{
    {
        const std::lock_guard lock(m_mutex);
        m_inRows -= jobs;
    }
    m_changed.notify_all();
}

QSet<QString> Board::madeOnceRowsAreDone()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_inRows <= 0; });
    return m_made;
}

void Board::postPortfolio(std::optional<QString> failure)
{
    const std::lock_guard lock(m_mutex);
    m_portfolio = std::move(failure);
}

std::optional<std::optional<QString>> Board::portfolioOutcome()
{
    const std::lock_guard lock(m_mutex);
    return m_portfolio;
}

void Board::jobEnded()
{
    ++m_jobsEnded;
    m_changed.notify_all();
}

} // namespace statusmill::cli
