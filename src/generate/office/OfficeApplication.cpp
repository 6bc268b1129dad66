#include "OfficeApplication.h"

#include "CreationDate.h"

#include <QFileInfo>

#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/util/XCloseable.hpp>

namespace statusmill::office {

using namespace uno;

namespace {

bool supports(const Reference<css::uno::XInterface>& object, const char* service)
{
    Reference<css::lang::XServiceInfo> info(object, UNO_QUERY);
    return info.is() && info->supportsService(rtl::OUString::createFromAscii(service));
}

bool isTemplateFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("dot") || suffix == QLatin1String("dotx") ||
           suffix == QLatin1String("ott");
}

} // namespace

// ---------------------------------------------------------------- Documents

std::shared_ptr<automation::Document> OfficeDocuments::Open(const QString& path, bool readOnly)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    auto component = m_session->call([&] {
        Reference<css::frame::XComponentLoader> loader(m_session->desktop(), UNO_QUERY_THROW);
        // No interaction handler: the office then asks nothing and fails instead.
        const auto loaded = loader->loadComponentFromURL(
            fileUrl(absolute), "_blank", 0,
            properties(
                {{"Hidden", css::uno::Any(true)},
                 {"ReadOnly", css::uno::Any(readOnly)},
                 {"MacroExecutionMode", css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)},
                 {"UpdateDocMode", css::uno::Any(css::document::UpdateDocMode::NO_UPDATE)}}));
        if (loaded.is() && !supports(loaded, "com.sun.star.text.TextDocument")) {
            Reference<css::util::XCloseable> closeable(loaded, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            throw Failure(QStringLiteral("%1 is not a text document.").arg(absolute));
        }
        if (loaded.is() && isTemplateFile(absolute))
            stampCreation(loaded);
        return loaded;
    });
    if (!component.is())
        throw Failure(QStringLiteral("The document %1 could not be opened.").arg(absolute));
    auto document = std::make_shared<OfficeDocument>(m_session, component);
    m_opened.push_back(document);
    return document;
}

std::shared_ptr<automation::Document> OfficeDocuments::active() const
{
    for (auto it = m_opened.crbegin(); it != m_opened.crend(); ++it) {
        if (auto document = it->lock(); document && !document->closed())
            return document;
    }
    return nullptr;
}

// ---------------------------------------------------------------- Application

OfficeApplication::OfficeApplication(std::shared_ptr<OfficeSession> session)
    : m_session(std::move(session)), m_documents(m_session)
{}

OfficeApplication::~OfficeApplication()
{
    m_session->shutDown();
}

std::shared_ptr<automation::Document> OfficeApplication::ActiveDocument()
{
    if (m_session->ended())
        throw Failure(QStringLiteral("The document engine is no longer running."));
    auto document = m_documents.active();
    if (!document)
        throw Failure(QStringLiteral("No document is open."));
    return document;
}

void OfficeApplication::quit()
{
    m_session->shutDown();
}

} // namespace statusmill::office
