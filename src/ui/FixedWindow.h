#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace statusmill {

// A fixed-size top-level window: single border, minimize button, no maximize
// button. `clientSize` is the inner area in pixels.
void makeFixedWindow(QWidget* window, QSize clientSize);

// Where a window whose frame is `frame` goes on the screen's `available` area:
// centred, but never with its top or left edge off the area, so its title bar is
// always on it; one larger than the area starts at its top left.
QPoint placeWithin(QSize frame, QRect available);

// Places the window so, on its screen.
void placeOnScreen(QWidget* window);

} // namespace statusmill
