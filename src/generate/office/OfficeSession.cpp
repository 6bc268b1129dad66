#include "OfficeSession.h"

#include "Limits.h"
#include "Spares.h"
#include "core/StopRequest.h"

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

std::shared_ptr<OfficeSession> OfficeSession::startOwn(const QString& folder,
                                                      const QString& program,
                                                      const QString& readyProfile)
{
    auto office = OfficeInstance::launchIn(folder, program, OfficeInstance::copyOf(readyProfile));
    try {
        office->connect(OfficeInstance::Clock::now() + startTimeLimit(), {});
    } catch (const uno::css::uno::Exception& e) {
        office->end();
        throw Failure(QStringLiteral("The document engine could not be started: %1")
                          .arg(uno::officeMessage(e)),
                      Failure::Kind::OfficeLost);
    } catch (const Failure& failure) {
        // It ended, hung or stopped while starting: another start may go better.
        office->end();
        throw Failure(failure.description(), Failure::Kind::OfficeLost);
    } catch (...) {
        office->end();
        throw;
    }
    return std::shared_ptr<OfficeSession>(new OfficeSession(std::move(office), /*own=*/true));
}

OfficeSession::OfficeSession(std::unique_ptr<OfficeInstance> office, bool own)
    : m_office(std::move(office)), m_own(own)
{}

OfficeSession::~OfficeSession()
{
    shutDown();
}

Reference<css::frame::XDesktop2> OfficeSession::desktop() const
{
    return m_office ? m_office->desktop() : nullptr;
}

void OfficeSession::stillWorking()
{
    if (m_office)
        m_office->watchdog().stillWorking();
}

void OfficeSession::adopt(HeldReferences&& held)
{
    if (m_office)
        m_office->adopt(std::move(held));
}

void OfficeSession::ensureRunning()
{
    if (m_ended || !m_office)
        throw Failure(QStringLiteral("The document engine is no longer running."),
                      Failure::Kind::OfficeLost);
}

bool OfficeSession::bridgeGone()
{
    // A call over a bridge that is gone fails at once, whatever the office is doing.
    try {
        const auto desktop = m_office->desktop();
        if (!desktop.is())
            return true;
        desktop->getCurrentComponent();
        return false;
    } catch (const css::lang::DisposedException&) {
        return true;
    } catch (...) {
        return false;
    }
}

Failure OfficeSession::failureFor(const css::uno::Exception& e, bool disconnected)
{
    m_troubled = true;
    OfficeProcess& process = m_office->process();
    // The watchdog marks itself fired before it kills, so a call it ended is known.
    if (m_office->watchdog().fired() || m_timedOut) {
        m_timedOut = true;
        shutDown();
        return Failure(
            QStringLiteral("The document engine did not answer within %1 and was stopped.")
                .arg(secondsText(callTimeLimit())),
            Failure::Kind::OfficeLost);
    }
    // A broken connection can be noticed before the ended process can be reaped,
    // and an office that crashed may take seconds more to end: a bridge that is gone
    // says it is lost all the same.
    if (!process.running() || (disconnected && (bridgeGone() || process.waitForExit(500)))) {
        shutDown();
        // Ended by the user's stop request, which says so itself.
        return Failure(StopRequest::requested()
                           ? QStringLiteral("The program is stopping.")
                           : QStringLiteral("The document engine stopped unexpectedly."),
                       Failure::Kind::OfficeLost);
    }
    return Failure(uno::officeMessage(e));
}

OfficeSession::Armed::Armed(OfficeSession& session) : m_session(session)
{
    if (m_session.m_depth++ == 0)
        m_session.m_office->watchdog().arm(callTimeLimit());
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
    if (m_troubled || m_timedOut || m_own)
        office->end();
    else
        Spares::instance().giveBack(std::move(office));
}

} // namespace statusmill::office
