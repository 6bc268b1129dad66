#include "Limits.h"

#include <utility>

namespace statusmill::office {
namespace {
std::chrono::milliseconds g_callLimit = std::chrono::seconds(60);
std::chrono::milliseconds g_startLimit = std::chrono::seconds(30);
} // namespace

std::chrono::milliseconds callTimeLimit()
{
    return g_callLimit;
}

std::chrono::milliseconds startTimeLimit()
{
    return g_startLimit;
}

std::chrono::milliseconds setCallTimeLimit(std::chrono::milliseconds limit)
{
    return std::exchange(g_callLimit, limit);
}

std::chrono::milliseconds setStartTimeLimit(std::chrono::milliseconds limit)
{
    return std::exchange(g_startLimit, limit);
}

} // namespace statusmill::office
