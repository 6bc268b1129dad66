#include "TextDocumentLoad.h"

#include "CreationDate.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/XCloseable.hpp>

namespace statusmill::office {

using namespace uno;

namespace {

// A template is a few hundred kilobytes; more is not read to compare it.
constexpr qint64 kLargestCompared = 64 * 1024 * 1024;

// The names of the documents a template may be: none of them is plain text.
bool isDocumentName(const QString& path)
{
    static const QStringList documents{"doc", "dot", "docx", "dotx", "docm", "dotm",
                                       "odt", "ott", "fodt", "rtf"};
    return documents.contains(QFileInfo(path).suffix().toLower());
}

// The import filter the office took, when it is one of plain text: what it falls
// back on for bytes it recognises as nothing else (garbage, a damaged file), which
// makes a report of mojibake.
std::optional<QString> plainTextFilter(const Reference<css::lang::XComponent>& loaded)
{
    const Reference<css::frame::XModel> model(loaded, UNO_QUERY);
    if (!model.is())
        return std::nullopt;
    for (const auto& argument : model->getArgs()) {
        rtl::OUString filter;
        if (argument.Name == "FilterName" && (argument.Value >>= filter)) {
            const QString name = toQString(filter);
            if (name == QLatin1String("Text") || name.startsWith(QLatin1String("Text (")))
                return name;
        }
    }
    return std::nullopt;
}

void close(const Reference<css::lang::XComponent>& loaded)
{
    Reference<css::util::XCloseable> closeable(loaded, UNO_QUERY);
    if (closeable.is())
        closeable->close(true);
}

} // namespace

bool isTemplateFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("dot") || suffix == QLatin1String("dotx") ||
           suffix == QLatin1String("ott");
}

Reference<css::lang::XComponent> loadTextDocument(const Reference<css::frame::XDesktop2>& desktop,
                                                  const QString& absolutePath, bool readOnly)
{
    Reference<css::frame::XComponentLoader> loader(desktop, UNO_QUERY_THROW);
    // No interaction handler: the office then asks nothing and fails instead.
    const auto loaded = loader->loadComponentFromURL(
        fileUrl(absolutePath), "_blank", 0,
        properties({{"Hidden", css::uno::Any(true)},
                    {"ReadOnly", css::uno::Any(readOnly)},
                    {"MacroExecutionMode", css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)},
                    {"UpdateDocMode", css::uno::Any(css::document::UpdateDocMode::NO_UPDATE)}}));
    if (!loaded.is())
        throw Failure(QStringLiteral("The document %1 could not be opened.").arg(absolutePath));
    Reference<css::lang::XServiceInfo> info(loaded, UNO_QUERY);
    if (!info.is() || !info->supportsService("com.sun.star.text.TextDocument")) {
        close(loaded);
        throw Failure(QStringLiteral("%1 is not a text document.").arg(absolutePath));
    }
    if (const auto filter = plainTextFilter(loaded); filter && isDocumentName(absolutePath)) {
        close(loaded);
        throw Failure(QStringLiteral("The document engine cannot read %1: it holds no document of "
                                     "the kind its name says, and could only be taken as plain "
                                     "text (\"%2\"). It may be damaged.")
                          .arg(absolutePath, *filter));
    }
    if (isTemplateFile(absolutePath))
        stampCreation(loaded);
    return loaded;
}

std::optional<QByteArray> contentDigest(const QString& path)
{
    try {
        return QCryptographicHash::hash(readRegularFile(path, kLargestCompared),
                                        QCryptographicHash::Sha256);
    } catch (const Failure&) {
        return std::nullopt;
    }
}

} // namespace statusmill::office
