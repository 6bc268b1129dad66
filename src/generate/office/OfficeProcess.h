#pragma once

#include <QString>

#include <atomic>
#include <optional>
#include <sys/types.h>

namespace statusmill::office {

// Ends every office process of ours at once, from any thread (a stop request
// does, while the main thread may be waiting on one of them), and waits up to half
// a second for them to be gone. Their sessions then fail their calls, as with an
// office that died. Takes no lock and allocates nothing.
void endEveryOfficeNow();

// The profile folder's URL as the office itself writes it, and works out the name
// of the pipe that guards the profile from (see PipeFiles.h).
QString userInstallationUrl(const QString& profileFolder);
// The same as the office's -env:UserInstallation must be given it, so that it
// arrives as that URL.
QString userInstallationArgument(const QString& profileFolder);

// One soffice.bin process that we started and own: its pid is ours to wait for
// and to kill, unlike the soffice wrapper's, which restarts the office behind us.
class OfficeProcess
{
public:
    OfficeProcess(QString program, QString profileFolder, QString pipeName);
    ~OfficeProcess();
    OfficeProcess(const OfficeProcess&) = delete;
    OfficeProcess& operator=(const OfficeProcess&) = delete;

    // Starts it without waiting for it, with its temporary folder inside its
    // profile folder. Throws Failure when the program cannot be started.
    void start();
    // How many office processes this program has started so far, restarts included.
    static int startedSoFar() { return s_started; }
    pid_t pid() const { return m_pid; }

    // Whether it still runs; an ended process is reaped and its exit code kept.
    bool running();
    // Whether it is stopped (SIGSTOP) and so cannot answer anything.
    bool stopped() const;
    // The exit code once it has ended normally; nothing while it runs or after a signal.
    std::optional<int> exitCode() const { return m_exitCode; }

    // Waits up to `milliseconds` for it to end on its own.
    bool waitForExit(int milliseconds);
    // Ends it at once and reaps it.
    void kill();
    // Sends it the kill signal and returns; from any thread. It goes through a
    // pidfd, which names this process and no other even once it has been reaped
    // and its pid taken by another.
    void killNow();

private:
    void releasePidfd();
    // Reaps the ended process and keeps its exit code.
    void forget(pid_t pid);

    QString m_program;
    QString m_profileFolder;
    QString m_pipeName;
    std::atomic<pid_t> m_pid = -1;
    // Open from the start until this goes (or the next start), for killNow().
    std::atomic<int> m_pidfd = -1;
    std::optional<int> m_exitCode;
    static inline std::atomic<int> s_started = 0;
};

} // namespace statusmill::office
