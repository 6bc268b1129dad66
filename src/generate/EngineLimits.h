#pragma once

#include <chrono>

namespace statusmill::automation {

// How long one call into the document engine may take before the engine is
// stopped and the call fails. 60 seconds unless a test shortens it.
std::chrono::milliseconds callTimeLimit();
void setCallTimeLimit(std::chrono::milliseconds limit);

// How long starting a session may take, from launch to a usable connection.
std::chrono::milliseconds startTimeLimit();
void setStartTimeLimit(std::chrono::milliseconds limit);

} // namespace statusmill::automation
