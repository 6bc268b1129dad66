#include "TerminationSignals.h"

#include "common/StopRequest.h"
#include "common/WorkFolder.h"
#include "generate/Automation.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace statusmill {
namespace {

int g_pair[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// What the watcher reads besides signal numbers: the program has ended in order.
constexpr char kEnded = 0;
constexpr int kGraceMilliseconds = 5000;

void onSignal(int signal)
{
    // Only async-signal-safe work here: pass the signal to the watcher.
    const char byte = char(signal);
    [[maybe_unused]] const auto written = ::write(g_pair[0], &byte, 1);
}

// Waits up to `milliseconds` (-1: for ever) for the next byte; nothing on timeout.
std::optional<char> nextByte(int milliseconds)
{
    pollfd wait{g_pair[1], POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&wait, 1, milliseconds);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
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
    m_watcher = std::thread([this] { watch(); });

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

    StopRequest::request();
    automation::endEveryOfficeAtOnce();
    // Queued, so the main thread runs it as soon as it looks at its events: every
    // running event loop ends, a modal box's among them.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);

    const std::optional<char> next = nextByte(kGraceMilliseconds);
    if (next && *next == kEnded)
        return;
    // Asked again, or no way made: end here, leaving nothing behind.
    automation::endEveryOfficeAtOnce();
    WorkFolder::removeFromAnyThread();
    std::fflush(nullptr);
    ::_exit(128 + int(*first));
}

bool TerminationSignals::requested()
{
    return StopRequest::requested();
}

TerminationSignals::~TerminationSignals()
{
    for (int signal : kSignals)
        std::signal(signal, SIG_DFL);
    if (g_pair[0] < 0)
        return;
    const char ended = kEnded;
    [[maybe_unused]] const auto written = ::write(g_pair[0], &ended, 1);
    if (m_watcher.joinable())
        m_watcher.join();
    ::close(g_pair[0]);
    ::close(g_pair[1]);
    g_pair[0] = g_pair[1] = -1;
}

} // namespace statusmill
