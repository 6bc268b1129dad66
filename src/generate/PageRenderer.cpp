#include "PageRenderer.h"

#include "common/Failure.h"

#include <QPainter>

#include <poppler-qt6.h>

#include <memory>
#include <vector>

namespace statusmill::office {

QImage renderPages(const QString& pdfPath, double dotsPerInch)
{
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdfPath);
    if (!document || document->isLocked())
        throw Failure(QStringLiteral("The picture of the document could not be read."));
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);

    std::vector<QImage> pages;
    int width = 0;
    int height = 0;
    for (int i = 0; i < document->numPages(); ++i) {
        const std::unique_ptr<Poppler::Page> page = document->page(i);
        if (!page)
            continue;
        QImage image = page->renderToImage(dotsPerInch, dotsPerInch);
        if (image.isNull())
            throw Failure(QStringLiteral("Page %1 of the document could not be drawn.").arg(i + 1));
        width = std::max(width, image.width());
        height += image.height();
        pages.push_back(std::move(image));
    }
    if (pages.empty())
        throw Failure(QStringLiteral("The document has no pages to show."));

    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    int top = 0;
    for (const QImage& page : pages) {
        painter.drawImage(0, top, page);
        top += page.height();
    }
    return sheet;
}

} // namespace statusmill::office
