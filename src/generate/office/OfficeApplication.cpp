#include "OfficeApplication.h"

#include <QDateTime>
#include <QFileInfo>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/util/DateTime.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XUpdatable.hpp>

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

// A template opened is a new document made from it: made now. Its fields of the
// creation date (the report's date) show this day, in the document and in every
// file saved from it. The office reads a Word creation-date field as fixed text,
// the result the file last held, so the fields are made to follow the date again.
void stampCreation(const Reference<css::lang::XComponent>& document)
{
    const QDateTime now = QDateTime::currentDateTime();
    css::util::DateTime made;
    made.Year = sal_Int16(now.date().year());
    made.Month = sal_uInt16(now.date().month());
    made.Day = sal_uInt16(now.date().day());
    made.Hours = sal_uInt16(now.time().hour());
    made.Minutes = sal_uInt16(now.time().minute());
    made.Seconds = sal_uInt16(now.time().second());
    Reference<css::document::XDocumentPropertiesSupplier>(document, UNO_QUERY_THROW)
        ->getDocumentProperties()
        ->setCreationDate(made);
    const auto fields =
        Reference<css::text::XTextFieldsSupplier>(document, UNO_QUERY_THROW)->getTextFields();
    for (const auto list = fields->createEnumeration(); list->hasMoreElements();) {
        const Reference<css::beans::XPropertySet> field(list->nextElement(), UNO_QUERY);
        if (!supports(field, "com.sun.star.text.TextField.DocInfo.CreateDateTime"))
            continue;
        field->setPropertyValue("IsFixed", css::uno::Any(false));
        Reference<css::util::XUpdatable>(field, UNO_QUERY_THROW)->update();
    }
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
