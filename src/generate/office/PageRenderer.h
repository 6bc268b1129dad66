#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <thread>

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

// The columns and rows a page of `points` takes in a picture at `ratio`, each
// rounded up on its own.
QSize pagePixels(QSizeF points, double ratio);

// The sheet made ahead before any picture was made: two pages as wide as Letter
// and as tall as A4.
QSize firstSheetAhead(double ratio);

// A white sheet made on a thread of its own while the office draws the PDF that
// renderPages() then draws onto it: new memory of that size (tens of megabytes) is
// slow to touch the first time, and a core is free while the office works. It is
// the size of the last picture made, or at first of two A4 or Letter pages; a
// picture that fits it, and fills most of it, uses its top left.
class SheetAhead
{
public:
    explicit SheetAhead(double ratio);
    ~SheetAhead();
    SheetAhead(const SheetAhead&) = delete;
    SheetAhead& operator=(const SheetAhead&) = delete;

    // A white sheet of `size` on that memory, or a null image when it does not fit.
    QImage take(QSize size);

private:
    QImage m_sheet;
    std::jthread m_making;
};

// Whether renderPages() returns once every page is drawn, or once those of the
// first view are, drawing the rest as drawPictureRest() says.
enum class Hand { Whole, FirstViewFirst };

// The first `mostPages` pages of a PDF file, top to bottom on white, drawn at
// `ratio` device pixels per preview unit (ratio 1: 96 dpi, a Letter page 816 x
// 1056 pixels). The picture carries the ratio as its device pixel ratio and as its
// resolution (dots per metre), which a bitmap file keeps. Throws Failure when the
// file cannot be read or has no pages.
// The sheet is taken from `ahead` where it fits. A page that cannot be drawn is
// reported by a Failure when it is one of those drawn before the picture is handed
// over, and on standard error after it.
QImage renderPages(const QString& pdfPath, double ratio, int mostPages = kMostPagesPictured,
                   SheetAhead* ahead = nullptr, Hand hand = Hand::Whole);

// Prints pages `from` to `to` (counted from 1) of a PDF file on the device, each
// scaled to fill its page and rendered at the device's resolution. A page is
// rendered in bands of rows, so that a printer's resolution never needs a whole
// page of pixels at once. Throws Failure when the file cannot be read or the
// device cannot be painted on.
void printPages(const QString& pdfPath, QPagedPaintDevice& device, int from, int to);

} // namespace statusmill::office
