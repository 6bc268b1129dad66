#include "Spares.h"

#include "Limits.h"
#include "OfficeInstance.h"
#include "OfficeLocation.h"
#include "core/Failure.h"
#include "core/MainThread.h"
#include "core/StopRequest.h"
#include "core/WorkFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace statusmill::office {

namespace {

// An office grows with use; past this many sessions it is replaced by a new one.
constexpr int kMostSessionsPerOffice = 50;
// A ready office answers its check in milliseconds; one that takes this long is hung.
constexpr std::chrono::seconds kReadinessLimit(3);
// Offices waiting while the user does.
constexpr size_t kMostWaiting = 2;
// How long after a session starts its office's replacement is launched.
constexpr std::chrono::milliseconds kTopUpDelay(250);

} // namespace

Spares& Spares::instance()
{
    static Spares spares;
    return spares;
}

Spares::~Spares()
{
    // At the program's very end nothing may wait, and the UNO runtime may already be
    // going: the processes are killed and the rest is left to the end of the process.
    for (auto& office : m_waiting) {
        office->process().kill();
        [[maybe_unused]] OfficeInstance* left = office.release();
    }
}

bool Spares::setRecycling(bool on)
{
    return std::exchange(m_recycling, on);
}

void Spares::start()
{
    Q_ASSERT(onMainThread());
    m_kept = true;
    topUp();
}

void Spares::end()
{
    m_kept = false;
    while (!m_waiting.empty()) {
        m_waiting.front()->end();
        m_waiting.pop_front();
    }
}

bool Spares::connectedSpareWaits() const
{
    return m_kept && std::any_of(m_waiting.begin(), m_waiting.end(),
                                 [](const auto& office) { return office->connected(); });
}

std::unique_ptr<OfficeInstance> Spares::take()
{
    Q_ASSERT(onMainThread());
    if (StopRequest::requested())
        throw Failure(QStringLiteral("The program is stopping."));
    // One limit for the whole wait: time spent on a spare that never got ready is
    // time a fresh start no longer has.
    const auto deadline = OfficeInstance::Clock::now() + startTimeLimit();
    while (!m_waiting.empty()) {
        std::unique_ptr<OfficeInstance> office = takeLikeliest();
        if (readyForASession(*office, deadline)) {
            office->countSession();
            topUpSoon();
            return office;
        }
        // Gone bad while it waited: the user hears nothing of it.
        office->end(false);
    }

    const QString program = findOfficeProgram();
    if (program.isEmpty())
        throw Failure(
            QStringLiteral("The document engine was not found: no %1.").arg(searchDescription()));
    std::unique_ptr<OfficeInstance> office;
    try {
        office = OfficeInstance::launch(program, m_readyProfile);
        office->connect(deadline, [this](const QString& folder) { keepReadyProfile(folder); });
    } catch (const uno::css::uno::Exception& e) {
        if (office)
            office->end();
        throw Failure(uno::officeMessage(e));
    } catch (...) {
        if (office)
            office->end();
        throw;
    }
    office->countSession();
    topUpSoon();
    return office;
}

std::unique_ptr<OfficeInstance> Spares::takeConnected()
{
    bool passedOver = false;
    while (!StopRequest::requested() && connectedSpareWaits()) {
        std::unique_ptr<OfficeInstance> office = takeLikeliest();
        if (readyForASession(*office, OfficeInstance::Clock::now())) {
            office->countSession();
            topUpSoon();
            return office;
        }
        office->end(false);
        passedOver = true;
    }
    // A replacement starts in the background, for the next session to find.
    if (passedOver)
        topUpSoon();
    return nullptr;
}

void Spares::giveBack(std::unique_ptr<OfficeInstance> office)
{
    Q_ASSERT(onMainThread());
    const bool keep = m_kept && m_recycling && !StopRequest::requested() &&
                      office->sessionsServed() < kMostSessionsPerOffice &&
                      !office->holdsAdopted() && office->answersWithNothingOpen(kReadinessLimit);
    if (!keep) {
        office->end();
        topUpSoon();
        return;
    }
    m_waiting.push_back(std::move(office));
    // Too many waiting: the one launched first goes, the warm one just given back stays.
    while (m_waiting.size() > kMostWaiting) {
        m_waiting.front()->end();
        m_waiting.pop_front();
    }
}

std::unique_ptr<OfficeInstance> Spares::takeLikeliest()
{
    // A connected office was recycled and is warm: the one given back last first.
    // Else the one launched first, the likeliest to have finished starting.
    auto chosen = m_waiting.end();
    for (auto it = m_waiting.begin(); it != m_waiting.end(); ++it) {
        if ((*it)->connected())
            chosen = it;
    }
    if (chosen == m_waiting.end())
        chosen =
            std::min_element(m_waiting.begin(), m_waiting.end(), [](const auto& a, const auto& b) {
                return a->launchedAt() < b->launchedAt();
            });
    std::unique_ptr<OfficeInstance> office = std::move(*chosen);
    m_waiting.erase(chosen);
    return office;
}

bool Spares::readyForASession(OfficeInstance& office, Clock::time_point deadline)
{
    try {
        // One still starting is waited for: that is still sooner than a new one.
        if (!office.connected())
            office.connect(std::min(office.launchedAt() + startTimeLimit(), deadline),
                           [this](const QString& folder) { keepReadyProfile(folder); });
        return office.profileIntact() && office.answersWithNothingOpen(kReadinessLimit);
    } catch (...) {
        return false;
    }
}

void Spares::topUpSoon()
{
    // Launching copies a profile and forks, and the new office then takes a core
    // for a second: the session just begun, or the main window about to show,
    // should not wait for that. A moment later it is done in the background.
    auto* application = QCoreApplication::instance();
    if (!application) {
        topUp();
        return;
    }
    if (m_topUpDue)
        return;
    m_topUpDue = true;
    QTimer::singleShot(kTopUpDelay, application, [this] {
        m_topUpDue = false;
        topUp();
    });
}

void Spares::topUp()
{
    Q_ASSERT(onMainThread());
    // Two wait: with recycling, the warm one and a fresh one in case it goes bad;
    // without, one for each of the two sessions of a press.
    if (!m_kept || StopRequest::requested() || m_waiting.size() >= kMostWaiting)
        return;
    // Until an office has made a profile to copy, one office starting at a time:
    // two making profiles of their own would slow down the one the start-up waits for.
    const bool profileReady = !m_readyProfile.isEmpty() && QFileInfo(m_readyProfile).isDir();
    if (!profileReady && !m_waiting.empty())
        return;
    const QString program = findOfficeProgram();
    if (program.isEmpty())
        return;
    try {
        do
            m_waiting.push_back(OfficeInstance::launch(program, m_readyProfile));
        while (profileReady && m_waiting.size() < kMostWaiting);
    } catch (...) {
        // A spare that cannot be launched now is tried again at the next session.
    }
}

void Spares::keepReadyProfile(const QString& profileFolder)
{
    if (!m_readyProfile.isEmpty() && QFileInfo(m_readyProfile).isDir())
        return;
    try {
        const QString kept = WorkFolder::file(QStringLiteral("ready-profile"));
        copyProfile(profileFolder, kept);
        m_readyProfile = kept;
    } catch (const Failure&) {
        // Later offices then make their profiles themselves, a little slower.
    }
}

} // namespace statusmill::office
