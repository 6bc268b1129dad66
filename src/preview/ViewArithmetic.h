#pragma once

// The preview's zoom and scroll arithmetic, in one place and free of widgets: the
// window's numbered statements call these with what its controls hold. Values
// follow the platform's numeric rules (Int16Arithmetic.h): a result that does not
// fit its type is an overflow failure, which the guarded statement reports.

#include "Int16Arithmetic.h"

#include <QtGlobal>

#include <cmath>
#include <optional>

namespace statusmill::view {

// ---------------------------------------------------------------- zoom

inline constexpr float kZoomStep = 0.25f;
inline constexpr float kSmallestZoom = 0.25f;
inline constexpr float kLargestZoom = 4.0f;
// The largest canvas, in units, that the window can draw the picture into.
inline constexpr int kWidthLimit = 8800;
inline constexpr int kHeightLimit = 9800;
// Taken off the holder's inner size to give the part of the picture that is drawn.
inline constexpr int kBaseTrim = 2;

// The zoom one step in (direction 0) or out (any other) from `zoom`; nothing
// beyond 25 % and 400 %.
inline std::optional<float> steppedZoom(float zoom, int direction)
{
    const float next = direction == 0 ? zoom + kZoomStep : zoom - kZoomStep;
    if (next < kSmallestZoom || next > kLargestZoom)
        return std::nullopt;
    return next;
}

// The drawn part of the picture at 100 %, from the holder's inner size.
inline qint32 baseExtent(int holderInner)
{
    return toInt32(double(holderInner) - kBaseTrim);
}

// The canvas size at `zoom`: whole units, rounded down.
inline qint32 zoomedExtent(qint32 base, float zoom)
{
    return floorToInt32(double(base) * double(zoom));
}

inline bool canvasFits(qint32 width, qint32 height)
{
    return width < kWidthLimit && height < kHeightLimit;
}

// ---------------------------------------------------------------- scroll bars

// An overflow up to this many units moves one unit per bar position; beyond it,
// ten units per position.
inline constexpr float kFineThreshold = 100.0f;
inline constexpr qint16 kFineStep = 1;
inline constexpr qint16 kCoarseStep = 10;

struct BarSetup
{
    qint16 maximum = 0;
    qint16 step = 0;  // units per bar position
    int pageStep = 1; // positions a click in the trough moves: about one viewport
};

// The bar for a canvas `overflow` units bigger than the viewport (counted from its
// outer edge); nothing when there is no overflow, and so no range.
inline std::optional<BarSetup> barSetup(float overflow, int viewportInner)
{
    if (overflow <= 0)
        return std::nullopt;
    const bool fine = overflow <= kFineThreshold;
    BarSetup bar;
    bar.maximum = toInt16(fine ? overflow : overflow / float(kCoarseStep));
    bar.step = fine ? kFineStep : kCoarseStep;
    bar.pageStep = qMax(1, viewportInner / bar.step);
    return bar;
}

// The canvas's offset for a bar position.
inline int canvasOffset(qint16 step, int position)
{
    return -int16Product(step, position);
}

// The bar position `percent` of the way along a bar of `maximum`; nothing outside 0 to 100.
inline std::optional<qint16> positionAtPercent(qint16 percent, int maximum)
{
    if (percent < 0 || percent > 100)
        return std::nullopt;
    return toInt16(double(percent) / 100.0 * maximum);
}

// How far along its scrollable distance the canvas was dropped, in percent. A
// canvas exactly as big as the viewport has no distance: nothing to say then.
inline std::optional<qint32> dropPercent(int offset, int canvasSize, int viewportSize)
{
    const float distance = float(canvasSize - viewportSize);
    if (distance == 0.0f)
        return std::nullopt;
    return toInt32(std::fabs(float(offset)) / distance * 100.0f);
}

// Dragging: where the canvas edge goes when the point grabbed at `grabbedAt` (from
// the canvas's own corner) is now under the pointer at `pointerAt`.
inline float draggedEdge(int canvasEdge, float grabbedAt, float pointerAt)
{
    return float(canvasEdge) - grabbedAt + pointerAt;
}

// The farthest the canvas edge may go: its far side at the viewport's.
inline float farthestEdge(int viewportInner, int canvasSize)
{
    return float(viewportInner - canvasSize);
}

// ---------------------------------------------------------------- wheel and keys

// One notch of a wheel, in its angle units.
inline constexpr int kNotch = 120;
// A line of the report's text at 100 %, in units: an arrow key scrolls one, a
// wheel notch as many as the desktop asks for.
inline constexpr float kLineHeight = 16.0f;

// Bar positions for `lines` lines of text at `zoom`: at least one, none without a range.
inline int linePositions(qint16 step, float lines, float zoom)
{
    if (step <= 0)
        return 0;
    return qMax(1, qRound(lines * kLineHeight * zoom / float(step)));
}

// Adds to what is left over, dropping it when the direction turns, and takes off
// the whole positions.
inline int wholePositions(float& remainder, float positions)
{
    if (remainder * positions < 0)
        remainder = 0;
    remainder += positions;
    const float whole = std::trunc(remainder);
    remainder -= whole;
    return int(whole);
}

// Whole notches in a turn of the wheel, kept apart by direction: positive in,
// negative out. What is left over waits for the next turn the same way.
inline int wholeNotches(int& remainder, int angle)
{
    if (remainder * angle < 0)
        remainder = 0;
    remainder += angle;
    const int notches = remainder / kNotch;
    remainder -= notches * kNotch;
    return notches;
}

} // namespace statusmill::view
