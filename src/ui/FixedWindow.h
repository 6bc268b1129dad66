#pragma once

#include <QSize>

class QWidget;

namespace statusmill {

// A fixed-size top-level window: single border, minimize button, no maximize
// button. `clientSize` is the inner area in pixels.
void makeFixedWindow(QWidget* window, QSize clientSize);

void centreOnScreen(QWidget* window);

} // namespace statusmill
