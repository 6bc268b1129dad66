#pragma once

#include <QImage>
#include <QString>

class QPagedPaintDevice;

namespace statusmill::office {

// The picture of a document is never taller than the preview can draw it: the
// preview's canvas stops short of 9800 units, about ten Letter pages. Pages past
// these are left out of the picture (never out of the document), which keeps a
// report of any length from freezing the program or exhausting its memory.
inline constexpr int kMostPagesPictured = 10;

// Device pixels per preview unit (a preview unit is 1/96 inch): 2, so text stays
// sharp up to 200 % zoom, or a screen's own ratio where that is higher, at most 3.
double pictureRatio();

// The first `mostPages` pages of a PDF file, top to bottom on white, drawn at
// `ratio` device pixels per preview unit (ratio 1: 96 dpi, a Letter page 816 x
// 1056 pixels). The picture carries the ratio as its device pixel ratio and as its
// resolution (dots per metre), which a bitmap file keeps. Throws Failure when the
// file cannot be read or has no pages.
QImage renderPages(const QString& pdfPath, double ratio, int mostPages = kMostPagesPictured);

// Prints pages `from` to `to` (counted from 1) of a PDF file on the device, each
// scaled to fill its page and rendered at the device's resolution. A page is
// rendered in bands of rows, so that a printer's resolution never needs a whole
// page of pixels at once. Throws Failure when the file cannot be read or the
// device cannot be painted on.
void printPages(const QString& pdfPath, QPagedPaintDevice& device, int from, int to);

} // namespace statusmill::office
