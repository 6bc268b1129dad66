#include "PageRenderer.h"

#include "core/Failure.h"
#include "core/PictureFile.h"

#include <QGuiApplication>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QScreen>

#include <poppler-qt6.h>

#include <algorithm>
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

std::unique_ptr<Poppler::Document> loadPdf(const QString& pdfPath)
{
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdfPath);
    if (!document || document->isLocked())
        throw Failure(QStringLiteral("The picture of the document could not be read."));
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    return document;
}

// Two pages, each as wide as Letter and as tall as A4, in points.
constexpr QSizeF kTwoPagesBox(612.0, 2 * 842.0);

std::mutex lastSheetLock;
QSize lastSheet;

QSize sheetAheadSize(double ratio)
{
    const double dotsPerPoint = kUnitsPerInch * ratio / kPointsPerInch;
    const QSize box(int(std::ceil(kTwoPagesBox.width() * dotsPerPoint)),
                    int(std::ceil(kTwoPagesBox.height() * dotsPerPoint)));
    const std::lock_guard lock(lastSheetLock);
    return lastSheet.isEmpty() ? box : lastSheet;
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
    : m_making([this, size = sheetAheadSize(ratio)] {
          QImage sheet(size, QImage::Format_RGB32);
          if (!sheet.isNull())
              sheet.fill(Qt::white);
          m_sheet = std::move(sheet);
      })
{}

SheetAhead::~SheetAhead()
{
    if (m_making.joinable())
        m_making.join();
}

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

QImage renderPages(const QString& pdfPath, double ratio, int mostPages, SheetAhead* ahead)
{
    const std::unique_ptr<Poppler::Document> document = loadPdf(pdfPath);

    const double dotsPerInch = kUnitsPerInch * ratio;
    std::vector<std::unique_ptr<Poppler::Page>> pages;
    std::vector<int> numbers; // each page's own, from 0
    // The sheet is made once at its full size and each page drawn into it as it is
    // rendered.
    QSize sheetSize;
    for (int i = 0; i < document->numPages() && int(pages.size()) < mostPages; ++i) {
        std::unique_ptr<Poppler::Page> page = document->page(i);
        if (!page)
            continue;
        const QSizeF points = page->pageSizeF();
        sheetSize.setWidth(std::max(sheetSize.width(),
                                    int(std::ceil(points.width() * dotsPerInch / kPointsPerInch))));
        sheetSize.rheight() += int(std::ceil(points.height() * dotsPerInch / kPointsPerInch));
        pages.push_back(std::move(page));
        numbers.push_back(i);
    }
    if (pages.empty())
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
    // Rendering is most of a snapshot's time, and pages are independent: with two
    // cores, a second thread renders every other page, from a document of its own
    // (one Poppler document is not rendered from two threads). Pages are drawn into
    // the sheet in pairs, so at most two are held beside it.
    const bool twoThreads = pages.size() > 1 && std::thread::hardware_concurrency() > 1;
    const std::unique_ptr<Poppler::Document> second = twoThreads ? loadPdf(pdfPath) : nullptr;
    int top = 0;
    {
        QPainter painter(&sheet);
        for (size_t i = 0; i < pages.size(); i += 2) {
            QImage images[2];
            std::thread helper;
            const bool pair = i + 1 < pages.size();
            if (pair && second)
                helper = std::thread([&] {
                    if (const std::unique_ptr<Poppler::Page> page = second->page(numbers[i + 1]))
                        images[1] = page->renderToImage(dotsPerInch, dotsPerInch);
                });
            images[0] = pages[i]->renderToImage(dotsPerInch, dotsPerInch);
            if (helper.joinable())
                helper.join();
            else if (pair)
                images[1] = pages[i + 1]->renderToImage(dotsPerInch, dotsPerInch);
            for (size_t k = 0; k < (pair ? 2u : 1u); ++k) {
                if (images[k].isNull())
                    throw Failure(QStringLiteral("Page %1 of the document could not be drawn.")
                                      .arg(i + k + 1));
                painter.drawImage(0, top, images[k]);
                top += images[k].height();
            }
        }
    }
    // Rendering can come out a pixel shorter than the page size promised.
    if (top < sheet.height()) {
        const QSize drawn(sheet.width(), top);
        sheet = topLeftOf(std::move(sheet), drawn);
    }

    setPictureRatio(sheet, ratio);
    return sheet;
}

void printPages(const QString& pdfPath, QPagedPaintDevice& device, int from, int to)
{
    const std::unique_ptr<Poppler::Document> document = loadPdf(pdfPath);
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
