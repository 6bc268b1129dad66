#pragma once

// How long the offices are given (see generate/Offices.h). Internal to the engine.

#include <chrono>

namespace statusmill::office {

std::chrono::milliseconds callTimeLimit();
std::chrono::milliseconds startTimeLimit();
// Each returns the limit it replaces.
std::chrono::milliseconds setCallTimeLimit(std::chrono::milliseconds limit);
std::chrono::milliseconds setStartTimeLimit(std::chrono::milliseconds limit);

} // namespace statusmill::office
