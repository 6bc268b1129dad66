#pragma once

#include "core/Failure.h"

#include <QtGlobal>
#include <cmath>
#include <limits>

namespace statusmill {

// The preview's geometry arithmetic follows the platform's numeric rules: its
// conversions round halves to even, and a value that does not fit the target
// type is an overflow failure, reported by the guarded caller like any other.

inline double roundHalfEven(double value)
{
    // Independent of the floating-point rounding mode someone else may have set.
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(below, 2.0) != 0.0))
        return below + 1.0;
    return below;
}

template <class Integer> Integer checkedInteger(double whole)
{
    if (!(whole >= double(std::numeric_limits<Integer>::min()) &&
          whole <= double(std::numeric_limits<Integer>::max())))
        throw Failure(QStringLiteral("Overflow"));
    return static_cast<Integer>(whole);
}

inline qint16 toInt16(double value)
{
    return checkedInteger<qint16>(roundHalfEven(value));
}

inline qint32 toInt32(double value)
{
    return checkedInteger<qint32>(roundHalfEven(value));
}

inline qint32 floorToInt32(double value)
{
    return checkedInteger<qint32>(std::floor(value));
}

inline qint16 int16Product(int a, int b)
{
    return checkedInteger<qint16>(double(a) * double(b));
}

} // namespace statusmill
