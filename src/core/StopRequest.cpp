#include "StopRequest.h"

#include <atomic>

namespace statusmill::StopRequest {
namespace {
std::atomic<bool> g_requested = false;
std::atomic<int> g_signal = 0;
} // namespace

bool requested()
{
    return g_requested.load();
}

int signalNumber()
{
    return g_signal.load();
}

void request(int signal)
{
    // The signal first: whoever sees the request may ask which it was.
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
    g_requested = true;
}

void clear()
{
    g_signal = 0;
    g_requested = false;
}

} // namespace statusmill::StopRequest
