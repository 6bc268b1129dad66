#include "OfficeProcess.h"

#include "core/Failure.h"
#include "core/MainThread.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace statusmill::office {

namespace {

// Every office process of ours that has not been reaped, for ending them all at
// once from the thread that handles a stop request. That thread may take no lock
// the main thread could hold, so the pids sit in a fixed table of atomics. A pid
// leaves the table before it is reaped, and a pid that has not been reaped cannot
// belong to anyone else, so no signal from the table reaches a reused pid.
constexpr int kMostLive = 32;
std::atomic<pid_t> g_live[kMostLive];

// The environment the office starts with: ours, but with its temporary folder in
// the session's own folder. An inherited one may be empty, relative or
// read-only, which the office cannot work with, and the folders it leaves there
// when killed would stay behind for good.
std::vector<QByteArray> officeEnvironment(const QString& temporaryFolder)
{
    const QByteArray folder = QFile::encodeName(temporaryFolder);
    std::vector<QByteArray> environment;
    for (char** entry = environ; *entry; ++entry) {
        const QByteArray variable(*entry);
        if (!variable.startsWith("TMPDIR=") && !variable.startsWith("TEMP=") &&
            !variable.startsWith("TMP="))
            environment.push_back(variable);
    }
    for (const char* name : {"TMPDIR=", "TEMP=", "TMP="})
        environment.push_back(name + folder);
    return environment;
}

void track(pid_t pid)
{
    for (auto& slot : g_live) {
        pid_t free = 0;
        // With more offices than slots, the rest still dies with the program.
        if (slot.compare_exchange_strong(free, pid))
            return;
    }
}

void untrack(pid_t pid)
{
    for (auto& slot : g_live) {
        pid_t expected = pid;
        slot.compare_exchange_strong(expected, 0);
    }
}

// Whether the child has ended, leaving it unreaped; waits for it when `block`.
bool hasEnded(pid_t pid, bool block)
{
    siginfo_t info{};
    const int options = WEXITED | WNOWAIT | (block ? 0 : WNOHANG);
    while (::waitid(P_PID, id_t(pid), &info, options) != 0) {
        if (errno != EINTR)
            return true; // not our child any more: nothing to wait for
    }
    return info.si_pid == pid;
}

// Takes it off the table, then reaps it; its exit code when it exited normally.
std::optional<int> reap(pid_t pid)
{
    untrack(pid);
    int status = 0;
    pid_t reaped = -1;
    while ((reaped = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    return reaped == pid && WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status))
                                              : std::nullopt;
}

} // namespace

QString userInstallationUrl(const QString& profileFolder)
{
    return QUrl::fromLocalFile(profileFolder).toString(QUrl::FullyEncoded);
}

void endEveryOfficeNow()
{
    for (const auto& slot : g_live) {
        const pid_t pid = slot.load();
        if (pid > 0)
            ::kill(pid, SIGKILL);
    }
    // An office killed in the middle of binding its pipe may still finish that
    // call: they are waited for (a little), so that their sockets, removed next,
    // cannot come back. Left unreaped, as the table requires.
    for (int waited = 0; waited < 500; waited += 5) {
        bool anyRunning = false;
        for (const auto& slot : g_live) {
            const pid_t pid = slot.load();
            anyRunning |= pid > 0 && !hasEnded(pid, false);
        }
        if (!anyRunning)
            return;
        ::usleep(5000);
    }
}

OfficeProcess::OfficeProcess(QString program, QString profileFolder, QString pipeName)
    : m_program(std::move(program)), m_profileFolder(std::move(profileFolder)),
      m_pipeName(std::move(pipeName))
{}

OfficeProcess::~OfficeProcess()
{
    kill();
    if (const int pidfd = m_pidfd.exchange(-1); pidfd >= 0)
        ::close(pidfd);
}

void OfficeProcess::start()
{
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls are allowed.
    const QByteArray program = QFile::encodeName(m_program);
    const QByteArray profileUrl = userInstallationUrl(m_profileFolder).toUtf8();
    std::vector<QByteArray> arguments{
        // The office finds its installation from argv[0], so it must be the full path.
        program,
        "--headless",
        "--invisible",
        "--nocrashreport",
        "--nodefault",
        "--nofirststartwizard",
        "--nolockcheck",
        "--nologo",
        "--norestore",
        "--accept=pipe,name=" + m_pipeName.toUtf8() + ";urp;",
        "-env:UserInstallation=" + profileUrl,
    };
    std::vector<char*> argv;
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The parent-death signal is tied to the thread that forks; only the main
    // thread lives as long as the program, so only it asks for one.
    const bool fromMainThread = onMainThread();
    const pid_t parent = ::getpid();
    // For diagnosis, the office's own messages can go to a file instead of nowhere.
    const QByteArray logFile = qgetenv("STATUSMILL_OFFICE_LOG");
    const QString temporaryFolder = m_profileFolder + QStringLiteral("/tmp");
    if (!QDir().mkpath(temporaryFolder))
        throw Failure(
            QStringLiteral("Cannot make the office's temporary folder %1").arg(temporaryFolder));
    std::vector<QByteArray> environment = officeEnvironment(temporaryFolder);
    std::vector<char*> envp;
    for (QByteArray& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    m_exitCode.reset();
    const pid_t pid = ::fork();
    if (pid < 0)
        throw Failure(QStringLiteral("The document engine could not be started: %1")
                          .arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (pid == 0) {
        if (fromMainThread) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                ::_exit(127);
        }
        // Our pipes and files are none of the office's business: an inherited
        // stdout would keep a caller's pipe open as long as the office runs.
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        if (!logFile.isEmpty()) {
            const int log = ::open(logFile.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            if (log >= 0)
                ::dup2(log, 2);
        }
        ::syscall(SYS_close_range, 3U, ~0U, 0U);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    m_pid = pid;
    track(pid);
    // Should the process end through exit() (Qt calls it when the display goes), the
    // offices end first: the working folder and sockets go after them (their handler
    // was registered earlier, and runs later).
    static const bool endedAtExit = std::atexit([] { endEveryOfficeNow(); }) == 0;
    Q_UNUSED(endedAtExit);
    // Where the system has no pidfds, killNow() signals the pid itself.
    const int pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (const int previous = m_pidfd.exchange(pidfd); previous >= 0)
        ::close(previous);
    ++s_started;
}

bool OfficeProcess::running()
{
    const pid_t pid = m_pid;
    if (pid <= 0)
        return false;
    if (!hasEnded(pid, false))
        return true;
    m_pid = -1;
    m_exitCode = reap(pid);
    return false;
}

bool OfficeProcess::stopped() const
{
    if (m_pid <= 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(m_pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    // "pid (comm) state ...": the state letter follows the last ')'.
    const QByteArray line = stat.readAll();
    const qsizetype at = line.lastIndexOf(')') + 2;
    const char state = at > 1 && at < line.size() ? line.at(at) : '\0';
    return state == 'T' || state == 't';
}

bool OfficeProcess::waitForExit(int milliseconds)
{
    for (int waited = 0; running(); waited += 10) {
        if (waited >= milliseconds)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void OfficeProcess::kill()
{
    const pid_t pid = m_pid;
    if (pid <= 0)
        return;
    ::kill(pid, SIGKILL);
    hasEnded(pid, true);
    m_pid = -1;
    reap(pid);
}

void OfficeProcess::killNow()
{
    if (const int pidfd = m_pidfd; pidfd >= 0)
        ::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0);
    else if (const pid_t pid = m_pid; pid > 0)
        ::kill(pid, SIGKILL);
}

} // namespace statusmill::office
