#pragma once

#include <QString>

#include <functional>

namespace statusmill::Random {

// Re-seeds the generator from the time of day, then returns its next number,
// uniform in [0, 1). The clock is read to the nanosecond, so draws made in quick
// succession still differ.
double reseededNext();

// Tests put a source of their own in place of the clock-seeded generator; an
// empty function restores it. Returns the source it replaces.
std::function<double()> setSourceForTests(std::function<double()> source);

// Sixteen hex digits from the system's generator, for file and pipe names that
// must not clash with anyone's. Never from the test source.
QString uniqueSuffix();

} // namespace statusmill::Random
