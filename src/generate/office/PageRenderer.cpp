#include "PageRenderer.h"

#include "core/Failure.h"
#include "core/PictureFile.h"
#include "core/PictureRest.h"
#include "core/Threads.h"

#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScreen>

#include <poppler-qt6.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cmath>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace statusmill::office {

namespace {

constexpr double kUnitsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;
// Rows of pixels rendered at a time when printing.
constexpr int kBandRows = 256;

std::shared_ptr<Poppler::Document> loadPdf(const QString& pdfPath)
{
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdfPath);
    if (!document || document->isLocked())
        throw Failure(QStringLiteral("The picture of the document could not be read."));
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    return document;
}

// A page as wide as Letter and as tall as A4, in points: the sheet made ahead at
// first holds two of them.
constexpr QSizeF kLargestCommonPage(612.0, 842.0);

} // namespace

QSize pagePixels(QSizeF points, double ratio)
{
    const double dotsPerPoint = kUnitsPerInch * ratio / kPointsPerInch;
    return {int(std::ceil(points.width() * dotsPerPoint)),
            int(std::ceil(points.height() * dotsPerPoint))};
}

QSize firstSheetAhead(double ratio)
{
    const QSize page = pagePixels(kLargestCommonPage, ratio);
    return {page.width(), 2 * page.height()};
}

namespace {

std::mutex lastSheetLock;
QSize lastSheet;

QSize sheetAheadSize(double ratio)
{
    const std::lock_guard lock(lastSheetLock);
    return lastSheet.isEmpty() ? firstSheetAhead(ratio) : lastSheet;
}

void rememberSheet(QSize size)
{
    const std::lock_guard lock(lastSheetLock);
    lastSheet = size;
}

// The top left of a sheet as a picture of its own, without copying its pixels: the
// sheet is held until the picture goes.
QImage topLeftOf(QImage sheet, QSize size)
{
    if (sheet.size() == size)
        return sheet;
    auto* whole = new QImage(std::move(sheet));
    return QImage(
        whole->bits(), size.width(), size.height(), whole->bytesPerLine(), whole->format(),
        [](void* held) { delete static_cast<QImage*>(held); }, whole);
}

} // namespace

SheetAhead::SheetAhead(double ratio)
{
    try {
        m_making = startThread([this, size = sheetAheadSize(ratio)] {
            QImage sheet(size, QImage::Format_RGB32);
            if (!sheet.isNull())
                sheet.fill(Qt::white);
            m_sheet = std::move(sheet);
        });
    } catch (const Failure&) {
        // No thread to spare: the picture makes its own sheet.
    }
}

SheetAhead::~SheetAhead() = default;

QImage SheetAhead::take(QSize size)
{
    if (m_making.joinable())
        m_making.join();
    // The picture holds the whole sheet for as long as it lives: one much smaller
    // than the sheet gets one of its own.
    const qint64 used = qint64(size.width()) * size.height();
    if (m_sheet.isNull() || size.width() > m_sheet.width() || size.height() > m_sheet.height() ||
        used * 4 < qint64(m_sheet.width()) * m_sheet.height() * 3)
        return QImage();
    return topLeftOf(std::exchange(m_sheet, QImage()), size);
}

double pictureRatio()
{
    double ratio = 2.0;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        for (const QScreen* screen : QGuiApplication::screens())
            ratio = std::max(ratio, screen->devicePixelRatio());
    }
    // In quarters, as the picture's resolution carries it.
    return std::min(std::round(ratio * 4.0) / 4.0, 3.0);
}

namespace {

// Where a page goes in the picture: its number in the document (from 0), its
// first row, and the rows it takes. A page that renders a row short of its size
// leaves that row white, so that every page's place is known before it is drawn.
struct PageSlot
{
    int number;
    int top;
    int width;
    int height;
};

// Rows `from` to `from + rows` of a page, rendered and copied to their place in
// the picture through `pixels`; false when the page could not be drawn.
bool drawRows(Poppler::Document& document, const PageSlot& slot, int from, int rows,
              double dotsPerInch, uchar* pixels, qsizetype bytesPerLine, int pictureWidth)
{
    const std::unique_ptr<Poppler::Page> page = document.page(slot.number);
    QImage image = page ? page->renderToImage(dotsPerInch, dotsPerInch, 0, from, slot.width, rows)
                        : QImage();
    if (image.isNull())
        return false;
    if (image.format() != QImage::Format_RGB32) {
        // As drawn on the white sheet.
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        image = std::move(flat);
    }
    const std::size_t rowBytes = std::size_t(std::min(image.width(), pictureWidth)) * 4;
    for (int row = 0; row < std::min(rows, image.height()); ++row)
        std::memcpy(pixels + qsizetype(slot.top + from + row) * bytesPerLine,
                    image.constScanLine(row), rowBytes);
    return true;
}

// Pages the first view shows, when they are drawn before the rest: the top nine
// inches of the picture, more than the preview's first view and the rows it
// scales that view from.
constexpr double kFirstViewInches = 9.0;

} // namespace

QImage renderPages(const QString& pdfPath, double ratio, int mostPages, SheetAhead* ahead,
                   Hand hand)
{
    std::shared_ptr<Poppler::Document> document = loadPdf(pdfPath);

    const double dotsPerInch = kUnitsPerInch * ratio;
    std::vector<PageSlot> places;
    QSize sheetSize(0, 0);
    for (int i = 0; i < document->numPages() && int(places.size()) < mostPages; ++i) {
        const std::unique_ptr<Poppler::Page> page = document->page(i);
        if (!page)
            continue;
        const QSize pixels = pagePixels(page->pageSizeF(), ratio);
        places.push_back({i, sheetSize.height(), pixels.width(), pixels.height()});
        sheetSize = QSize(std::max(sheetSize.width(), pixels.width()),
                          sheetSize.height() + pixels.height());
    }
    if (places.empty())
        throw Failure(QStringLiteral("The document has no pages to show."));

    QImage sheet = ahead ? ahead->take(sheetSize) : QImage();
    if (sheet.isNull()) {
        sheet = QImage(sheetSize, QImage::Format_RGB32);
        if (sheet.isNull())
            throw Failure(
                QStringLiteral("There is not enough memory for the picture of the document."));
        sheet.fill(Qt::white);
    }
    if (mostPages > 1)
        rememberSheet(sheetSize);
    setPictureRatio(sheet, ratio);
    // Taken once, before the picture is shared: every thread writes its own rows.
    uchar* const pixels = sheet.bits();
    const qsizetype bytesPerLine = sheet.bytesPerLine();

    // Rendering is most of a snapshot's time, and pages are independent: with two
    // cores a second thread renders too, from a Poppler document of its own (one
    // document is not rendered from two threads).
    const bool twoThreads = std::thread::hardware_concurrency() > 1;
    std::shared_ptr<Poppler::Document> secondDocument = twoThreads ? loadPdf(pdfPath) : nullptr;
    auto failed = std::make_shared<std::atomic<int>>(0); // a page number from 1, or 0
    auto draw = [=](Poppler::Document& from, const PageSlot& slot, int first, int rows) noexcept {
        try {
            if (drawRows(from, slot, first, rows, dotsPerInch, pixels, bytesPerLine,
                         sheetSize.width()))
                return;
        } catch (...) {
            // Out of memory for the page's bitmap, most likely: the page fails.
        }
        failed->store(slot.number + 1);
    };

    // A page alone is split between the threads, two pages go one to each.
    auto drawPages = [=](const std::vector<PageSlot>& pages, bool bothThreads) {
        const std::shared_ptr<Poppler::Document> second = bothThreads ? secondDocument : nullptr;
        for (std::size_t i = 0; i < pages.size(); i += 2) {
            const bool pair = i + 1 < pages.size();
            const PageSlot& slot = pages[i];
            const int split = pair || !second ? slot.height : slot.height / 2;
            // The other page of a pair, or the lower part of a page alone.
            auto otherPart = [&](Poppler::Document& from) {
                if (pair)
                    draw(from, pages[i + 1], 0, pages[i + 1].height);
                else if (split < slot.height)
                    draw(from, slot, split, slot.height - split);
            };
            // Joined when it goes, whatever happens meanwhile.
            std::jthread helper;
            if (second) {
                try {
                    helper = startThread([&] { otherPart(*second); });
                } catch (const Failure&) {
                    // No second thread now: this one draws it all.
                }
            }
            if (!helper.joinable())
                otherPart(*document);
            draw(*document, slot, 0, split);
        }
    };

    // The pages of the first view, one at a time, before the picture is handed over.
    const int firstViewRows = int(std::ceil(kFirstViewInches * dotsPerInch));
    std::size_t firstRest = 0;
    while (firstRest < places.size() && (firstRest == 0 || places[firstRest].top < firstViewRows))
        drawPages({places[firstRest++]}, true);
    std::vector<PageSlot> rest(places.begin() + qsizetype(firstRest), places.end());
    if (hand == Hand::Whole)
        drawPages(rest, true);
    if (const int page = failed->load())
        throw Failure(QStringLiteral("Page %1 of the document could not be drawn.").arg(page));
    if (rest.empty() || hand == Hand::Whole)
        return sheet;

    const int finished = rest.front().top;
    drawPictureRest(sheet, finished, [drawPages, rest = std::move(rest), failed, held = sheet] {
        // On two cores one thread, so that the other is free to show the first view:
        // measured, both threads here delayed the window more than they gained.
        drawPages(rest, std::thread::hardware_concurrency() > 2);
        // Past the first view there is nobody left to tell: the page stays white.
        if (const int page = failed->load())
            qWarning("Page %d of the document could not be drawn.", page);
    });
    return sheet;
}

void printPages(const QString& pdfPath, QPagedPaintDevice& device, int from, int to)
{
    const std::shared_ptr<Poppler::Document> document = loadPdf(pdfPath);
    from = std::max(from, 1);
    to = std::min(to, document->numPages());
    QPainter painter;
    if (!painter.begin(&device))
        throw Failure(QStringLiteral("The printer could not be started."));
    const QRect sheet(0, 0, device.width(), device.height());
    for (int number = from; number <= to; ++number) {
        const std::unique_ptr<Poppler::Page> page = document->page(number - 1);
        if (!page)
            throw Failure(
                QStringLiteral("Page %1 of the document could not be drawn.").arg(number));
        if (number > from && !device.newPage())
            throw Failure(QStringLiteral("The printer did not take page %1.").arg(number));
        // The resolution at which the page fills the sheet, whichever side is tighter.
        const QSizeF points = page->pageSizeF();
        const double dotsPerInch = kPointsPerInch * std::min(sheet.width() / points.width(),
                                                             sheet.height() / points.height());
        const int width = int(std::floor(points.width() * dotsPerInch / kPointsPerInch));
        const int height = int(std::floor(points.height() * dotsPerInch / kPointsPerInch));
        for (int top = 0; top < height; top += kBandRows) {
            const QImage band = page->renderToImage(dotsPerInch, dotsPerInch, 0, top, width,
                                                    std::min(kBandRows, height - top));
            if (band.isNull())
                throw Failure(
                    QStringLiteral("Page %1 of the document could not be drawn.").arg(number));
            painter.drawImage(0, top, band);
        }
    }
    if (!painter.end())
        throw Failure(QStringLiteral("The printer did not finish the pages."));
}

} // namespace statusmill::office
