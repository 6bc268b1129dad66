#pragma once

#include <QImage>

#include <functional>

namespace statusmill {

// The snapshot hands its picture over as soon as the pages of its first view are
// drawn, and draws the pages below into the same pixels on a thread meanwhile: the
// user sees the report while they are drawn. Whoever reads rows below those waits
// here until they are done.

// Draws the rest of `picture` by calling `draw` on a thread of its own. Rows from
// `finishedRows` down may not be read until waitForPictureRest() returns. `draw`
// must not throw, and must write only through pixels taken before the call.
void drawPictureRest(const QImage& picture, int finishedRows, std::function<void()> draw);

// The rows of `picture`, counted from its top, that may be read now: all of them,
// unless it is the picture whose rest is being drawn.
int finishedRows(const QImage& picture);

// Returns once the rest being drawn, if any, is drawn.
void waitForPictureRest();

} // namespace statusmill
