#pragma once

#include <functional>

namespace statusmill::Random {

// Re-seeds the generator from the time of day, then returns its next number,
// uniform in [0, 1). The clock is read to the nanosecond, so draws made in quick
// succession still differ.
double reseededNext();

// Tests put a source of their own in place of the clock-seeded generator;
// an empty function restores it.
void setSourceForTests(std::function<double()> source);

} // namespace statusmill::Random
