#pragma once

// One office session: its process, private profile, pipe and bridge, and the
// watchdog that keeps a hung office from freezing the program. Internal to the
// engine.

#include "HeldReferences.h"
#include "OfficeProcess.h"
#include "UnoSupport.h"
#include "Watchdog.h"
#include "common/Failure.h"

#include <QStringList>

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>

#include <memory>
#include <type_traits>
#include <vector>

namespace statusmill::office {

class OfficeSession
{
public:
    // Starts soffice.bin and connects to it; throws Failure when that fails, and
    // leaves nothing running behind.
    static std::shared_ptr<OfficeSession> start();
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

    uno::Reference<uno::css::frame::XDesktop2> desktop() const { return m_desktop; }

    // Holds the objects of a document that was dropped while still open, until the
    // office has ended (see HeldReferences.h for why they may not go earlier).
    void adopt(HeldReferences&& held) { m_adopted.push_back(std::move(held)); }

    // Ends the office: terminate, wait, kill if it lingers; removes the profile.
    // Safe to call more than once; never throws.
    void shutDown();
    bool ended() const { return m_ended; }

private:
    OfficeSession(const QString& program);
    void launchAndConnect();
    void ensureRunning();
    // `disconnected`: the bridge or an object reported itself disposed, which is
    // also what a call into an office that has just died reports.
    Failure failureFor(const uno::css::uno::Exception& e, bool disconnected);
    void releaseEverything();

    // Arms the watchdog for the outermost call only.
    class Armed
    {
    public:
        explicit Armed(OfficeSession& session);
        ~Armed();

    private:
        OfficeSession& m_session;
    };

    QString m_profileFolder;
    QString m_pipeName;
    OfficeProcess m_process;
    // The socket files of the office's pipes, to remove should it be killed.
    QStringList m_pipeFiles;
    Watchdog m_watchdog;
    int m_depth = 0;
    bool m_ended = false;
    bool m_timedOut = false;
    uno::Reference<uno::css::bridge::XBridge> m_bridge;
    uno::Reference<uno::css::uno::XComponentContext> m_context;
    uno::Reference<uno::css::frame::XDesktop2> m_desktop;
    std::vector<HeldReferences> m_adopted;
};

} // namespace statusmill::office
