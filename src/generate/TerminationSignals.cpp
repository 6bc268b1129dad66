#include "TerminationSignals.h"

#include "core/ExitCleanup.h"
#include "core/StopRequest.h"
#include "core/Threads.h"
#include "generate/Offices.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <system_error>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace statusmill {
namespace {

int g_pair[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// What the watcher reads besides signal numbers: the program has ended in order.
constexpr char kEnded = 0;
constexpr int kGraceMilliseconds = 5000;

std::atomic<bool> g_installed = false;
std::atomic<TerminationSignals::LastWords> g_lastWords = nullptr;

void onSignal(int signal)
{
    // Only async-signal-safe work here: pass the signal to the watcher. The code
    // the signal interrupted may be about to read errno.
    const int savedErrno = errno;
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(g_pair[0], &byte, 1);
    errno = savedErrno;
}

// Waits up to `milliseconds` (-1: for ever) for the next byte; nothing on timeout.
// A failing poll is tried again: a watcher that gave up would leave the handlers
// passing requests to nobody.
std::optional<char> nextByte(int milliseconds)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    pollfd wait{g_pair[1], POLLIN, 0};
    for (;;) {
        const int left =
            milliseconds < 0
                ? -1
                : int(std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 deadline - Clock::now())
                                                 .count()));
        const int ready = ::poll(&wait, 1, left);
        if (ready < 0) {
            if (errno != EINTR)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (ready == 0)
            return std::nullopt;
        char byte = kEnded;
        return ::read(g_pair[1], &byte, 1) == 1 ? std::optional<char>(byte)
                                                : std::optional<char>(kEnded);
    }
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    StopRequest::clear();
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pair) != 0)
        return;
    try {
        m_watcher = startThread([this] { watch(); });
    } catch (const Failure&) {
        // No thread to be had (a limit on processes): the signals keep their usual
        // effect, which ends the program at once, rather than no effect at all.
        ::close(g_pair[0]);
        ::close(g_pair[1]);
        g_pair[0] = g_pair[1] = -1;
        return;
    }
    g_installed = true;

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals)
        ::sigaction(signal, &action, nullptr);
}

void TerminationSignals::watch()
{
    const std::optional<char> first = nextByte(-1);
    if (!first || *first == kEnded)
        return;

    StopRequest::request(int(*first));
    automation::endEveryOfficeAtOnce();
    // Queued, so the main thread runs it as soon as it looks at its events: every
    // running event loop ends, a modal box's among them; one that has yet to start
    // ends at once. Before the application exists, start-up sees the stop itself.
    if (auto* application = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            application, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);

    const std::optional<char> next = nextByte(kGraceMilliseconds);
    if (next && *next == kEnded)
        return;
    // Asked again, or no way made: end here, leaving nothing behind, and without
    // anything the main thread may hold (a lock, malloc's, stdio's).
    automation::endEveryOfficeAtOnce();
    ExitCleanup::removeNow();
    if (const LastWords words = g_lastWords.load()) {
        char line[256];
        const size_t length = words(line, sizeof line);
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line, std::min(length, sizeof line));
    }
    ::_exit(128 + int(*first));
}

bool TerminationSignals::requested()
{
    return StopRequest::requested();
}

bool TerminationSignals::installed()
{
    return g_installed;
}

void TerminationSignals::setLastWords(LastWords words)
{
    g_lastWords = words;
}

TerminationSignals::~TerminationSignals()
{
    for (int signal : kSignals)
        std::signal(signal, SIG_DFL);
    if (g_pair[0] < 0)
        return;
    g_installed = false;
    const char ended = kEnded;
    [[maybe_unused]] const auto written = ::write(g_pair[0], &ended, 1);
    if (m_watcher.joinable())
        m_watcher.join();
    ::close(g_pair[0]);
    ::close(g_pair[1]);
    g_pair[0] = g_pair[1] = -1;
}

} // namespace statusmill
