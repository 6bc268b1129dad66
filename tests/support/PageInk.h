#pragma once

// Where a PDF's pages carry ink, as a printer would put it: each page drawn by an
// independent renderer (pdftoppm) at 72 dots an inch, so a pixel is a point.

#include "support/TestFiles.h"

#include <QDir>
#include <QImage>
#include <QRect>
#include <QTemporaryDir>

namespace statusmill::testing {

struct PageInk
{
    QSize page;  // in points
    QRect inked; // the smallest rectangle holding every pixel that is not white
};

inline QList<PageInk> pageInk(const QString& pdf)
{
    QList<PageInk> pages;
    QTemporaryDir folder;
    commandOutput(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-gray"), pdf,
                   folder.filePath(QStringLiteral("page"))});
    const QStringList files = QDir(folder.path()).entryList({QStringLiteral("page-*.pgm")}, QDir::Files,
                                                            QDir::Name);
    for (const QString& file : files) {
        const QImage image = QImage(folder.filePath(file)).convertToFormat(QImage::Format_Grayscale8);
        int left = image.width(), right = -1, top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            const uchar* line = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x) {
                if (line[x] >= 250)
                    continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        pages << PageInk{image.size(), right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom))};
    }
    return pages;
}

} // namespace statusmill::testing
