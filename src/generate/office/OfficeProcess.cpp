#include "OfficeProcess.h"

#include "common/Failure.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <set>
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
// once from the thread that handles a stop request. Reaping happens under the
// same lock, so a pid is never signalled after it could have been reused.
std::mutex g_liveMutex;
std::set<pid_t> g_live;
std::atomic<int> g_started = 0;

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

} // namespace

int processesStarted()
{
    return g_started;
}

void endEveryOfficeNow()
{
    std::lock_guard lock(g_liveMutex);
    for (const pid_t pid : g_live)
        ::kill(pid, SIGKILL);
}

OfficeProcess::OfficeProcess(QString program, QString profileFolder, QString pipeName)
    : m_program(std::move(program)), m_profileFolder(std::move(profileFolder)),
      m_pipeName(std::move(pipeName))
{}

OfficeProcess::~OfficeProcess()
{
    kill();
}

void OfficeProcess::start()
{
    // Everything the child needs is prepared before fork: after it, only
    // async-signal-safe calls are allowed.
    const QByteArray program = QFile::encodeName(m_program);
    const QByteArray profileUrl =
        QUrl::fromLocalFile(m_profileFolder).toString(QUrl::FullyEncoded).toUtf8();
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
    const bool fromMainThread = ::syscall(SYS_gettid) == ::getpid();
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
    std::lock_guard lock(g_liveMutex);
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
    g_live.insert(pid);
    ++g_started;
}

bool OfficeProcess::running()
{
    if (m_pid <= 0)
        return false;
    std::lock_guard lock(g_liveMutex);
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == 0)
        return true;
    if (done == m_pid && WIFEXITED(status))
        m_exitCode = WEXITSTATUS(status);
    g_live.erase(m_pid);
    m_pid = -1;
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
    if (m_pid <= 0)
        return;
    std::lock_guard lock(g_liveMutex);
    ::kill(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    g_live.erase(m_pid);
    m_pid = -1;
}

} // namespace statusmill::office
