#include "PdfExport.h"

#include <QString>

#include <com/sun/star/frame/XModel.hpp>

namespace statusmill::office {

uno::css::uno::Sequence<uno::css::beans::PropertyValue> pdfSettings(int from, int to, bool linksRelative)
{
    auto settings = uno::properties({{"EmbedStandardFonts", uno::css::uno::Any(true)},
                                {"ExportLinksRelativeFsys", uno::css::uno::Any(linksRelative)}});
    if (from > 0) {
        settings.realloc(settings.getLength() + 1);
        settings.getArray()[settings.getLength() - 1] = uno::css::beans::PropertyValue(
            "PageRange", 0, uno::css::uno::Any(uno::toOUString(QStringLiteral("%1-%2").arg(from).arg(to))),
            uno::css::beans::PropertyState_DIRECT_VALUE);
    }
    return settings;
}

void linkFrom(const uno::Reference<uno::css::lang::XComponent>& document, const QString& path)
{
    uno::Reference<uno::css::frame::XModel> model(document, uno::UNO_QUERY_THROW);
    model->attachResource(uno::fileUrl(path), model->getArgs());
}

} // namespace statusmill::office
