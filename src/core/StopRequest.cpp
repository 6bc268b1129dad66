#include "StopRequest.h"

#include <atomic>

namespace statusmill::StopRequest {
namespace {
std::atomic<bool> g_requested = false;
} // namespace

bool requested()
{
    return g_requested.load();
}

void request()
{
    g_requested = true;
}

void clear()
{
    g_requested = false;
}

} // namespace statusmill::StopRequest
