#include "OfficeProcess.h"

#include "OfficeComponent.h"

#include "core/Failure.h"
#include "core/ProcessStat.h"

#include <QDir>
#include <QFile>

#include <atomic>
#include <cctype>
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
// the main thread could hold, so they sit in a fixed table of atomics, each as a
// pidfd: it names that process and no other, even once the main thread has reaped
// it meanwhile and its pid has gone to another. (Where the system gives no pidfd,
// the pid stands in its place, negated; it leaves the table before it is reaped.)
constexpr int kMostLive = 32;
std::atomic<int> g_live[kMostLive];

void signalLive(int entry, int signal)
{
    if (entry > 0)
        ::syscall(SYS_pidfd_send_signal, entry, signal, nullptr, 0);
    else if (entry < 0)
        ::kill(pid_t(-entry), signal);
}

// Whether the process of an entry has ended (it stays unreaped).
bool liveEnded(int entry)
{
    siginfo_t info{};
    const int result = entry > 0 ? ::waitid(idtype_t(P_PIDFD), id_t(entry), &info,
                                            WEXITED | WNOWAIT | WNOHANG)
                                 : ::waitid(P_PID, id_t(-entry), &info,
                                            WEXITED | WNOWAIT | WNOHANG);
    return result != 0 || info.si_pid != 0;
}

bool isUtf8Locale(const QByteArray& name)
{
    const QByteArray codeset = name.mid(name.indexOf('.') + 1).toLower().replace("-", "");
    return name.contains('.') && codeset.startsWith("utf8");
}

// The office reads the file names it is given in its character set: under a
// locale that is not UTF-8 (LANG=C) it would make a folder of ours with a name
// that is not UTF-8 (a new one beside it, named in Latin-1). So its character
// set is UTF-8, as ours is; every other part of the user's locale stays.
void useUtf8Characters(std::vector<QByteArray>& environment)
{
    auto valueOf = [&](const char* name) -> QByteArray {
        const QByteArray prefix = QByteArray(name) + '=';
        for (const QByteArray& variable : environment)
            if (variable.startsWith(prefix))
                return variable.mid(prefix.size());
        return {};
    };
    auto remove = [&](const char* name) {
        const QByteArray prefix = QByteArray(name) + '=';
        std::erase_if(environment, [&](const QByteArray& v) { return v.startsWith(prefix); });
    };
    const QByteArray all = valueOf("LC_ALL");
    QByteArray characters = all;
    if (characters.isEmpty())
        characters = valueOf("LC_CTYPE");
    if (characters.isEmpty())
        characters = valueOf("LANG");
    if (isUtf8Locale(characters))
        return;
    if (!all.isEmpty()) {
        // LC_ALL outranks LC_CTYPE: it is spelled out category by category instead.
        remove("LC_ALL");
        for (const char* category :
             {"LC_COLLATE", "LC_MESSAGES", "LC_MONETARY", "LC_NUMERIC", "LC_TIME", "LC_PAPER",
              "LC_NAME", "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"}) {
            remove(category);
            environment.push_back(QByteArray(category) + '=' + all);
        }
    }
    remove("LC_CTYPE");
    environment.push_back("LC_CTYPE=C.UTF-8");
}

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
    useUtf8Characters(environment);
    return environment;
}

void track(int entry)
{
    for (auto& slot : g_live) {
        int free = 0;
        // With more offices than slots, the rest still dies with the program.
        if (slot.compare_exchange_strong(free, entry))
            return;
    }
}

void untrack(int entry)
{
    for (auto& slot : g_live) {
        int expected = entry;
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

// Reaps it; its exit code when it exited normally.
std::optional<int> reap(pid_t pid)
{
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
    // As the office writes a file URL of a path (and works out the name of its
    // profile's pipe from): the path's UTF-8 bytes, escaped but for the
    // characters a URL path segment may carry as they are. QUrl leaves ";", "["
    // and "]" as they are, which the office escapes.
    static const QByteArray plain = "-_.!~*'():@&=+$,/";
    const QByteArray bytes = QFile::encodeName(QDir::cleanPath(profileFolder));
    QString url = QStringLiteral("file://");
    for (const char c : bytes) {
        const auto byte = uchar(c);
        if (std::isalnum(byte) && byte < 0x80)
            url += QLatin1Char(c);
        else if (plain.contains(c))
            url += QLatin1Char(c);
        else
            url += QStringLiteral("%%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    }
    return url;
}

QString userInstallationArgument(const QString& profileFolder)
{
    // The office expands "$name" in an -env: value as a variable of its own; an
    // escaped "$" reaches the path as it is.
    return userInstallationUrl(profileFolder).replace(QLatin1Char('$'), QStringLiteral("%24"));
}

void endEveryOfficeNow()
{
    for (const auto& slot : g_live)
        signalLive(slot.load(), SIGKILL);
    // An office killed in the middle of binding its pipe may still finish that
    // call: they are waited for (a little), so that their sockets, removed next,
    // cannot come back. Left unreaped, as the table requires.
    for (int waited = 0; waited < 500; waited += 5) {
        bool anyRunning = false;
        for (const auto& slot : g_live) {
            const int entry = slot.load();
            anyRunning |= entry != 0 && !liveEnded(entry);
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
    releasePidfd();
}

void OfficeProcess::releasePidfd()
{
    // Off the table before it is closed, so that the table never holds a number
    // that may come to name another file.
    if (const int pidfd = m_pidfd.exchange(-1); pidfd >= 0) {
        untrack(pidfd);
        ::close(pidfd);
    }
}

void OfficeProcess::forget(pid_t pid)
{
    if (m_pidfd < 0)
        untrack(-pid);
    m_exitCode = reap(pid);
}

void OfficeProcess::start()
{
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls are allowed.
    const QByteArray program = QFile::encodeName(m_program);
    const QByteArray profileUrl = userInstallationArgument(m_profileFolder).toUtf8();
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
    if (QByteArray services = officeComponentArgument(m_profileFolder, m_program); !services.isEmpty())
        arguments.push_back(std::move(services));
    std::vector<char*> argv;
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The parent-death signal is tied to the thread that forks: the main thread,
    // which lives as long as the program, or a batch's job, which ends its offices
    // before it ends itself. Either way the office dies with its owner.
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
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
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
        // We ignore SIGPIPE; the office starts as any program does.
        ::signal(SIGPIPE, SIG_DFL);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    m_pid = pid;
    // Where the system has no pidfds, killNow() and the table use the pid itself.
    releasePidfd();
    const int pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
    m_pidfd = pidfd;
    track(pidfd >= 0 ? pidfd : -pid);
    // Should the process end through exit() (Qt calls it when the display goes), the
    // offices end first: the working folder and sockets go after them (their handler
    // was registered earlier, and runs later).
    static const bool endedAtExit = std::atexit([] { endEveryOfficeNow(); }) == 0;
    Q_UNUSED(endedAtExit);
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
    forget(pid);
    return false;
}

bool OfficeProcess::stopped() const
{
    const auto stat = readProcessStat(m_pid);
    return stat && (stat->state == 'T' || stat->state == 't');
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
    forget(pid);
}

void OfficeProcess::killNow()
{
    if (const int pidfd = m_pidfd; pidfd >= 0)
        ::syscall(SYS_pidfd_send_signal, pidfd, SIGKILL, nullptr, 0);
    else if (const pid_t pid = m_pid; pid > 0)
        ::kill(pid, SIGKILL);
}

} // namespace statusmill::office
