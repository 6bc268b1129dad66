#pragma once

// One session of the office engine: the office instance it was given (a spare, a
// recycled one or a fresh start, see Spares.h) for as long as the session lasts.
// Every call into the office goes through call(), under the instance's watchdog.
// Internal to the engine.

#include "OfficeInstance.h"
#include "core/Failure.h"

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>

#include <memory>
#include <type_traits>

namespace statusmill::office {

class OfficeSession
{
public:
    // A connected office for a new session; throws Failure when none can be had,
    // and leaves nothing running behind.
    static std::shared_ptr<OfficeSession> start();
    // A session on a spare that is connected and fit, or nothing: never waits for
    // an office to start.
    static std::shared_ptr<OfficeSession> startIfReady();
    // A session on an office of its own, launched and connected on the calling
    // thread (any thread) from a copy of `readyProfile`, its profile in `folder`;
    // ended with the session, never kept for another.
    static std::shared_ptr<OfficeSession> startOwn(const QString& folder, const QString& program,
                                                   const QString& readyProfile);
    ~OfficeSession();
    OfficeSession(const OfficeSession&) = delete;
    OfficeSession& operator=(const OfficeSession&) = delete;

    // Runs one exchange with the office under the watchdog. UNO exceptions become
    // Failure with the office's own message.
    template <class Exchange> auto call(Exchange&& exchange) -> std::invoke_result_t<Exchange>
    {
        ensureRunning();
        Armed armed(*this);
        try {
            return exchange();
        } catch (const uno::css::lang::DisposedException& e) {
            throw failureFor(e, true);
        } catch (const uno::css::uno::Exception& e) {
            throw failureFor(e, false);
        }
    }

    uno::Reference<uno::css::frame::XDesktop2> desktop() const;
    // The call under way reported progress: it is not hung, and has its whole
    // time again.
    void stillWorking();
    // The office serving the session; nothing once it has ended.
    OfficeInstance* office() const { return m_office.get(); }

    // Holds the objects of a document that was dropped while still open, until the
    // office has ended (see HeldReferences.h for why they may not go earlier).
    void adopt(HeldReferences&& held);

    // Ends the session. An office that served it without fault goes back to the
    // spares (which may keep it for the next session or end it); one that failed,
    // timed out or died is ended. Safe to call more than once; never throws.
    void shutDown();
    bool ended() const { return m_ended; }

private:
    OfficeSession(std::unique_ptr<OfficeInstance> office, bool own = false);
    void ensureRunning();
    // `disconnected`: the bridge or an object reported itself disposed, which is
    // also what a call into an office that has just died reports.
    Failure failureFor(const uno::css::uno::Exception& e, bool disconnected);
    // Whether the connection to the office is gone, not only an object of it.
    bool bridgeGone();

    // Arms the watchdog for the outermost call only.
    class Armed
    {
    public:
        explicit Armed(OfficeSession& session);
        ~Armed();

    private:
        OfficeSession& m_session;
    };

    std::unique_ptr<OfficeInstance> m_office;
    int m_depth = 0;
    bool m_ended = false;
    bool m_timedOut = false;
    // A call failed: the office is not handed on to another session.
    bool m_troubled = false;
    // Not one of the spares: it ends with the session.
    bool m_own = false;
};

} // namespace statusmill::office
