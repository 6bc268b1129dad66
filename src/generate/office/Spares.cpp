#include "Spares.h"

#include "KeptProfile.h"
#include "Limits.h"
#include "OfficeInstance.h"
#include "OfficeLocation.h"
#include "ProfileCopy.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"
#include "core/Paper.h"
#include "generate/TemplateResource.h"
#include "core/MainThread.h"
#include "core/SafeRemoval.h"
#include "core/StopRequest.h"
#include "core/WorkFolder.h"

#include <QCoreApplication>
#include <QDir>
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

void Spares::start(bool oneSessionOnly)
{
    Q_ASSERT(onMainThread());
    m_kept = true;
    m_oneSessionOnly = oneSessionOnly;
    // The first office starts on a copy of the kept profile made straight into its
    // own folder; the ready copy for later offices is made while it starts. Each
    // copy takes a while where making folders is slow, and the first office is the
    // one the user waits for.
    if (!readyProfileThere() && m_waiting.empty() && !StopRequest::requested()) {
        const QString program = findOfficeProgram();
        try {
            if (!program.isEmpty()) {
                m_waiting.push_back(OfficeInstance::launchIn(
                    WorkFolder::path(), program,
                    [&](const QString& profileFolder) { return KeptProfile::copyTo(program, profileFolder); }));
                m_waiting.back()->markCopiedFromKept();
            }
        } catch (...) {
            // Tried again at the next session.
        }
    }
    if (m_oneSessionOnly && !m_waiting.empty())
        return;
    takeKeptProfile();
    // The second office waits for the event loop, as after every session: when the
    // first is up already, launching it here would hold the first session and the
    // main window for a fork and a profile copy.
    if (m_waiting.empty())
        topUp();
    else
        topUpSoon();
}

void Spares::holdBack(std::chrono::milliseconds quiet)
{
    m_quietUntil = Clock::now() + quiet;
}

bool Spares::readyProfileThere() const
{
    // A temp cleaner may have removed it with the working folder.
    return !m_readyProfile.isEmpty() && QFileInfo(m_readyProfile).isDir();
}

void Spares::takeKeptProfile()
{
    if (readyProfileThere())
        return;
    const QString program = findOfficeProgram();
    if (program.isEmpty())
        return;
    try {
        const QString ready = WorkFolder::file(QStringLiteral("ready-profile"));
        if (KeptProfile::copyTo(program, ready)) {
            m_readyProfile = ready;
            m_readyIsKept = true;
        }
    } catch (const Failure&) {
        // Without a working folder nothing starts; the session that needs one says so.
    }
}

bool Spares::blameKeptProfile(const OfficeInstance& office)
{
    const bool fromKept = office.startedFromCopy() && (m_readyIsKept || office.copiedFromKept());
    if (!fromKept || !office.failedToStart())
        return false;
    // It made an office fail by itself: set aside, and the next office makes a new
    // one (which is kept in its place).
    KeptProfile::setAside();
    dropReadyProfile();
    return true;
}

void Spares::dropReadyProfile()
{
    SafeRemoval::removeFolder(m_readyProfile);
    m_readyProfile.clear();
    m_readyIsKept = false;
}

void Spares::end(bool orderly)
{
    m_kept = false;
    m_templateToPrepare.reset();
    while (!m_waiting.empty()) {
        m_waiting.front()->end(orderly);
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
        if (readyForASession(*office, deadline))
            return handOut(std::move(office));
        // Gone bad while it waited: the user hears nothing of it.
        blameKeptProfile(*office);
        office->end(false);
    }

    const QString program = findOfficeProgram();
    if (program.isEmpty())
        throw Failure(
            QStringLiteral("The document engine was not found: no %1.").arg(searchDescription()));
    for (bool retried = false;; retried = true) {
        std::unique_ptr<OfficeInstance> office;
        try {
            office = OfficeInstance::launch(program, m_readyProfile);
            office->connect(deadline, [this, &office] { profileMadeBy(*office); });
            return handOut(std::move(office));
        } catch (const uno::css::uno::Exception& e) {
            if (office)
                office->end();
            throw Failure(uno::officeMessage(e));
        } catch (...) {
            // One more start, on a new profile, when the kept one was to blame.
            const bool profileToBlame = office && blameKeptProfile(*office);
            if (office)
                office->end();
            if (!profileToBlame || retried)
                throw;
        }
    }
}

QString Spares::readyProfileForOthers()
{
    Q_ASSERT(onMainThread());
    if (!readyProfileThere())
        takeKeptProfile();
    if (!readyProfileThere())
        giveBack(take()); // its first start makes the profile, and keeps it ready
    return readyProfileThere() ? m_readyProfile : QString();
}

std::unique_ptr<OfficeInstance> Spares::takeConnected()
{
    bool passedOver = false;
    while (!StopRequest::requested() && connectedSpareWaits()) {
        std::unique_ptr<OfficeInstance> office = takeLikeliest();
        if (readyForASession(*office, OfficeInstance::Clock::now()))
            return handOut(std::move(office));
        office->end(false);
        passedOver = true;
    }
    // A replacement starts in the background, for the next session to find.
    if (passedOver)
        topUpSoon();
    return nullptr;
}

std::unique_ptr<OfficeInstance> Spares::handOut(std::unique_ptr<OfficeInstance> office)
{
    office->countSession();
    ++m_takes;
    // Its replacement starts in the background, for the next session to find.
    topUpSoon();
    return office;
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
    // It opens the next press's template while the user reads the preview.
    prepareSoon();
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
                           [this, &office] { profileMadeBy(office); });
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
    // Not before the quiet time is over.
    const auto quiet =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_quietUntil - Clock::now());
    QTimer::singleShot(std::max(kTopUpDelay, quiet), application, [this] {
        m_topUpDue = false;
        topUp();
    });
}

void Spares::topUp()
{
    Q_ASSERT(onMainThread());
    if (m_oneSessionOnly)
        return;
    // Two wait: with recycling, the warm one and a fresh one in case it goes bad;
    // without, one for each of the two sessions of a press.
    if (!m_kept || StopRequest::requested() || m_waiting.size() >= kMostWaiting)
        return;
    // Quiet for now: a moment later (from the event loop), unless there is no
    // office at all to take.
    if (Clock::now() < m_quietUntil && !m_waiting.empty()) {
        if (QCoreApplication::instance())
            topUpSoon();
        return;
    }
    // One office starting at a time: two share the cores with each other and with
    // whatever the user is doing, and slow down the one a session waits for.
    if (std::any_of(m_waiting.begin(), m_waiting.end(),
                    [](const auto& office) { return office->starting(); }))
        return;
    const QString program = findOfficeProgram();
    if (program.isEmpty())
        return;
    try {
        m_waiting.push_back(OfficeInstance::launch(program, m_readyProfile));
    } catch (...) {
        // A spare that cannot be launched now is tried again at the next session.
    }
}

void Spares::prepareTemplates(const QString& templateFile, bool dataForm)
{
    m_templateToPrepare = templateFile;
    m_dataForm = dataForm;
    prepareSoon();
}

void Spares::prepareSoon()
{
    // From the event loop, once the work at hand is done: the snapshot of a press
    // takes the office its first session has just given back, and would wait for
    // the template to open in it.
    auto* application = QCoreApplication::instance();
    if (!m_templateToPrepare || !application || std::exchange(m_prepareDue, true))
        return;
    QTimer::singleShot(0, application, [this] {
        m_prepareDue = false;
        // The offices waiting now; each is looked for again before it is used, in
        // case preparing one took or ended another.
        std::vector<OfficeInstance*> waiting;
        for (const auto& office : m_waiting)
            waiting.push_back(office.get());
        for (OfficeInstance* office : waiting)
            if (isWaiting(office))
                prepareIn(*office);
    });
}

bool Spares::isWaiting(const OfficeInstance* office) const
{
    return std::any_of(m_waiting.begin(), m_waiting.end(),
                       [&](const auto& waiting) { return waiting.get() == office; });
}

void Spares::prepareIn(OfficeInstance& office)
{
    if (!m_templateToPrepare || office.holdsPrepared() || !office.connected() ||
        StopRequest::requested())
        return;
    // The template is read on the preparation's own thread: a large one of the
    // user's would hold the window.
    if (m_templateToPrepare->isEmpty())
        office.prepareTemplate({{},
                                m_dataForm ? TemplateResource::dataBytes() : TemplateResource::bytes(),
                                QStringLiteral("dot"), Paper::forTheReport()});
    else
        office.prepareTemplate({QFileInfo(*m_templateToPrepare).absoluteFilePath(), {}, {}, {}});
}

void Spares::profileMadeBy(const OfficeInstance& office)
{
    // Started on a copy and still set up anew: what it was copied from is stale.
    // Were it kept as it is, every later start would pay for that set-up again.
    if (office.startedFromCopy() && readyProfileThere()) {
        if (m_readyIsKept)
            KeptProfile::setAside();
        dropReadyProfile();
    }
    keepReadyProfile(office.profileFolder());
}

void Spares::keepReadyProfile(const QString& profileFolder)
{
    if (readyProfileThere())
        return;
    try {
        const QString ready = WorkFolder::file(QStringLiteral("ready-profile"));
        copyProfile(profileFolder, ready, {.leftOut = {QStringLiteral("tmp")}});
        m_readyProfile = ready;
        m_readyIsKept = false;
    } catch (const Failure&) {
        // Later offices then make their profiles themselves, a little slower.
    }
    // And the next run's offices start from it too.
    KeptProfile::keep(findOfficeProgram(), profileFolder);
}

} // namespace statusmill::office
