#include "TemplateOnPaper.h"

#include "Fill.h"
#include "core/Failure.h"

#include <QFileInfo>
#include <QScopeGuard>

namespace statusmill::automation {

namespace {

Document::FileFormat templateFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("ott"))
        return Document::FormatOpenDocumentTextTemplate;
    if (suffix == QLatin1String("dotx"))
        return Document::FormatXMLTemplate;
    throw Failure(QStringLiteral("%1 cannot be written: the document engine writes templates only "
                                 "as .ott and .dotx.")
                      .arg(path));
}

} // namespace

void saveTemplateOnPaper(const std::unique_ptr<Application>& app, const QString& source,
                         const QString& target, QSizeF points)
{
    const Document::FileFormat format = templateFormatOf(target);
    StrictSteps steps;
    const std::shared_ptr<Document> document = openTemplate(steps, app, source, points);
    const auto close = qScopeGuard([&] {
        try {
            document->Close(0);
        } catch (...) {
            // The session's end takes the document with it.
        }
    });
    document->SaveAs(target, format);
}

} // namespace statusmill::automation
