#include "OfficeSession.h"

#include "Spares.h"
#include "generate/EngineLimits.h"

#include <chrono>

namespace statusmill::automation {
namespace {
std::chrono::milliseconds g_callLimit = std::chrono::seconds(60);
std::chrono::milliseconds g_startLimit = std::chrono::seconds(30);
} // namespace

std::chrono::milliseconds callTimeLimit()
{
    return g_callLimit;
}

void setCallTimeLimit(std::chrono::milliseconds limit)
{
    g_callLimit = limit;
}

std::chrono::milliseconds startTimeLimit()
{
    return g_startLimit;
}

void setStartTimeLimit(std::chrono::milliseconds limit)
{
    g_startLimit = limit;
}

} // namespace statusmill::automation

namespace statusmill::office {

using namespace uno;

std::shared_ptr<OfficeSession> OfficeSession::start()
{
    return std::shared_ptr<OfficeSession>(new OfficeSession(Spares::instance().take()));
}

std::shared_ptr<OfficeSession> OfficeSession::startIfReady()
{
    auto office = Spares::instance().takeConnected();
    return office ? std::shared_ptr<OfficeSession>(new OfficeSession(std::move(office))) : nullptr;
}

OfficeSession::OfficeSession(std::unique_ptr<OfficeInstance> office) : m_office(std::move(office))
{}

OfficeSession::~OfficeSession()
{
    shutDown();
}

Reference<css::frame::XDesktop2> OfficeSession::desktop() const
{
    return m_office ? m_office->desktop() : nullptr;
}

void OfficeSession::adopt(HeldReferences&& held)
{
    if (m_office)
        m_office->adopt(std::move(held));
}

void OfficeSession::ensureRunning()
{
    if (m_ended || !m_office)
        throw Failure(QStringLiteral("The document engine is no longer running."));
}

Failure OfficeSession::failureFor(const css::uno::Exception& e, bool disconnected)
{
    m_troubled = true;
    Watchdog& watchdog = m_office->watchdog();
    OfficeProcess& process = m_office->process();
    // Seeing whether the office still runs may reap it, and a reaped pid can be
    // reused: the watchdog lets go of it first. Only then is fired() final.
    watchdog.setPid(-1);
    if (watchdog.fired() || m_timedOut) {
        m_timedOut = true;
        shutDown();
        return Failure(
            QStringLiteral("The document engine did not answer within %1 and was stopped.")
                .arg(secondsText(automation::callTimeLimit())));
    }
    // A broken connection can be noticed before the ended process can be reaped.
    if (!process.running() || (disconnected && process.waitForExit(500))) {
        shutDown();
        return Failure(QStringLiteral("The document engine stopped unexpectedly."));
    }
    watchdog.setPid(process.pid());
    return Failure(uno::officeMessage(e));
}

OfficeSession::Armed::Armed(OfficeSession& session) : m_session(session)
{
    if (m_session.m_depth++ == 0)
        m_session.m_office->watchdog().arm(automation::callTimeLimit());
}

OfficeSession::Armed::~Armed()
{
    // A failed call may have ended the session and let its office go.
    if (--m_session.m_depth == 0 && m_session.m_office)
        m_session.m_office->watchdog().disarm();
}

void OfficeSession::shutDown()
{
    if (m_ended)
        return;
    m_ended = true;
    std::unique_ptr<OfficeInstance> office = std::move(m_office);
    if (!office)
        return;
    if (m_troubled || m_timedOut)
        office->end();
    else
        Spares::instance().giveBack(std::move(office));
}

} // namespace statusmill::office
