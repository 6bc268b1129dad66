#pragma once

// One soffice.bin of ours from launch to end: its process, private profile and
// pipe, the connection to it, and the watchdog that keeps a hung office from
// freezing the program. Launching returns at once; connecting waits for the office.
// An instance serves one session at a time and may serve several in turn (see
// Spares.h). Internal to the engine.
//
// Threads: an instance belongs to one thread, the one that launched it (the main
// thread for spares, a batch's job for its own offices), and only that thread
// calls it. Two threads of its own act on it besides: the watchdog's, which only
// kills the process (OfficeProcess::killNow() is safe from any thread), and a
// preparation's (see m_prepared below).

#include "DocumentStories.h"
#include "HeldReferences.h"
#include "OfficeProcess.h"
#include "UnoSupport.h"
#include "Watchdog.h"

#include <QSizeF>
#include <QStringList>

#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace statusmill::office {

// "1 second", "60 seconds": a time limit as messages give it.
QString secondsText(std::chrono::milliseconds limit);

class OfficeInstance
{
public:
    using Clock = std::chrono::steady_clock;
    // Told when the office has just made its new profile (see profileFolder()).
    using ProfileMade = std::function<void()>;

    // Starts soffice.bin and returns without waiting for it. Its profile is a copy
    // of `readyProfile` where one is given (an office then starts at once), else a
    // new one, which the office makes at its first start and then exits with code
    // 81. Throws Failure when the office cannot be launched.
    static std::unique_ptr<OfficeInstance> launch(const QString& program,
                                                  const QString& readyProfile);
    // Fills a new, empty profile folder with a profile to start from; whether it
    // did (else the office makes a new one). Throws Failure.
    using ProfileSource = std::function<bool(const QString& profileFolder)>;
    // The same from any thread, with its profile in `folder` (the working folder,
    // which the main thread has made) and from `source`, the caller's thread owning
    // the office: it must not end before the office does.
    static std::unique_ptr<OfficeInstance> launchIn(const QString& folder, const QString& program,
                                                    const ProfileSource& source);
    // A source that copies `readyProfile`, when there is one.
    static ProfileSource copyOf(const QString& readyProfile);
    // Ends it as end(false) does: a running office is killed and reaped, which
    // takes a moment; an orderly end is end()'s.
    ~OfficeInstance();
    OfficeInstance(const OfficeInstance&) = delete;
    OfficeInstance& operator=(const OfficeInstance&) = delete;

    // Waits until the office accepts the connection, restarting it once it has
    // made a new profile (after telling `profileMade`; an office that started on a
    // copy of a ready profile and still had to make one shows that profile stale),
    // and gets its desktop. Throws
    // Failure, or a UNO exception, when it ends, stops or is not there by `deadline`.
    void connect(Clock::time_point deadline, const ProfileMade& profileMade);
    bool connected() const { return m_desktop.is(); }
    // Whether it is still on its way up: running, not connected, its pipe not yet open.
    bool starting();

    // Whether it answers a cheap call within `limit` with no document open but its
    // prepared template: fit to serve a new session. A hung office is killed by the
    // watchdog then. Never throws.
    bool answersWithNothingOpen(std::chrono::milliseconds limit);

    // The socket files its pipes are bound to, as worked out at launch.
    QStringList predictedPipeFiles() const;

    // A template opened ahead of the press that will take this office (hidden and
    // read-only, as a press opens one), on a thread of its own: the office is not
    // used meanwhile, and every other call waits for it first. A failure leaves
    // nothing prepared.
    struct TemplateToPrepare
    {
        // A template of the user's, opened from where it is, so that its links and
        // file-name fields stay true; empty for the built-in one...
        QString userFile;
        // ...opened from a private copy of these bytes, named with `suffix`, that
        // goes when the document closes.
        QByteArray builtIn;
        QString suffix;
        // The paper it is put on, as the press would put it.
        std::optional<QSizeF> paper;
    };
    void prepareTemplate(TemplateToPrepare what);
    // Whether it holds a prepared template, or is opening one.
    bool holdsPrepared() const { return m_preparing.joinable() || m_prepared.has_value(); }
    // The prepared document, now the caller's, when it was opened from the file at
    // `path` as it is now (or, for the built-in template, from the very bytes the
    // file holds) and is to be opened as it was; else nothing.
    struct Taken
    {
        uno::Reference<uno::css::lang::XComponent> component;
        DocumentLookups lookups;
        std::optional<QSizeF> paper; // the paper it was put on while it waited
        QString copy; // the private copy it was opened from, if any: goes when it closes
    };
    std::optional<Taken> takePrepared(const QString& path, bool readOnly);
    // How many prepared documents have been taken so far, in all offices.
    static int preparedTakenSoFar() { return s_preparedTaken; }

    // Whether its profile and temporary folder are still where it was launched:
    // without them it fails every save.
    bool profileIntact() const;

    OfficeProcess& process() { return m_process; }
    Watchdog& watchdog() { return m_watchdog; }
    uno::Reference<uno::css::frame::XDesktop2> desktop() const { return m_desktop; }
    uno::Reference<uno::css::uno::XComponentContext> context() const { return m_context; }
    Clock::time_point launchedAt() const { return m_launchedAt; }
    // Whether it started on a copy of a ready profile, and whether it then failed
    // to start by itself: ended with an exit code, or never accepted a connection.
    bool startedFromCopy() const { return m_fromCopy; }
    const QString& profileFolder() const { return m_profileFolder; }
    bool failedToStart() const { return m_failedToStart; }
    // Its copy was made from the kept profile itself (the first office of a run).
    void markCopiedFromKept() { m_copiedFromKept = m_fromCopy; }
    bool copiedFromKept() const { return m_copiedFromKept; }
    int sessionsServed() const { return m_sessionsServed; }
    void countSession() { ++m_sessionsServed; }

    // Holds the objects of a document that was dropped while still open, until the
    // office has ended (see HeldReferences.h for why they may not go earlier).
    void adopt(HeldReferences&& held) { m_adopted.push_back(std::move(held)); }
    bool holdsAdopted() const { return !m_adopted.empty(); }

    // Ends the office: asks it to terminate when it is connected and `orderly`,
    // waits a little, kills it if it lingers; removes its pipes and profile. Safe
    // to call more than once; never throws.
    void end(bool orderly = true);
    bool ended() const { return m_ended; }

private:
    OfficeInstance(const QString& program, const QString& profileFolder, const QString& pipeName);
    void releaseEverything();
    void noteBoundPipeFiles();

    QString m_profileFolder;
    QString m_pipeName;
    OfficeProcess m_process;
    // The socket files of the office's pipes, known from the launch, to remove
    // whatever ends it.
    QStringList m_pipeFiles;
    // Declared after the process, so that it goes first.
    Watchdog m_watchdog{m_process};
    Clock::time_point m_launchedAt = Clock::now();
    int m_restarts = 0;
    bool m_fromCopy = false;
    bool m_copiedFromKept = false;
    bool m_failedToStart = false;
    int m_sessionsServed = 0;
    bool m_ended = false;
    uno::Reference<uno::css::bridge::XBridge> m_bridge;
    uno::Reference<uno::css::uno::XComponentContext> m_context;
    uno::Reference<uno::css::frame::XDesktop2> m_desktop;
    std::vector<HeldReferences> m_adopted;

    struct Prepared;
    std::optional<Prepared> openAhead(const TemplateToPrepare& what, const QString& copy);
    // Waits for a preparation under way, at most `patience`: one that takes longer
    // is ended with the office (which is then no use to anyone), not waited for.
    void finishPreparing(std::chrono::milliseconds patience);

    struct Prepared
    {
        QByteArray digest; // of the bytes it was opened from
        QString openedFrom; // the user's file; empty for a private copy
        Taken document;
    };
    // The preparation's thread writes m_prepared and nothing else of ours; it reads
    // m_desktop and m_profileFolder, which do not change while it runs, and arms
    // the watchdog, which is safe from any thread. Every other member, and
    // m_prepared whenever m_preparing is joinable, is the owning thread's alone
    // (the main thread's for spares): it joins the preparation before it looks.
    std::optional<Prepared> m_prepared;
    std::jthread m_preparing;
    std::future<void> m_preparingDone;
    static inline std::atomic<int> s_preparedTaken = 0;
};

} // namespace statusmill::office
