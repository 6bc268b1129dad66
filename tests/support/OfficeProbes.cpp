#include "OfficeProbes.h"

#include "core/Failure.h"
#include "generate/office/DocumentReplace.h"
#include "generate/office/DocumentStories.h"
#include "generate/office/OfficeApplication.h"
#include "generate/office/OfficeDocument.h"
#include "generate/office/OfficeProcess.h"
#include "generate/office/PipeFiles.h"
#include "generate/office/TextReplacer.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/chart/XChartDataArray.hpp>
#include <com/sun/star/chart/XChartDocument.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/XEmbeddedObjectSupplier.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/text/XTextEmbeddedObjectsSupplier.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QFileInfo>
#include <QScopeGuard>

namespace statusmill::testing {

using namespace uno;

OfficeView inspectOffice(automation::Application& application)
{
    auto* office = dynamic_cast<office::OfficeApplication*>(&application);
    if (!office)
        throw Failure(QStringLiteral("Only sessions of the office engine can be inspected."));
    office::OfficeSession& session = office->session();
    OfficeView view;
    session.call([&] {
        office::OfficeInstance* instance = session.office();
        view.processId = instance->process().pid();
        view.profileFolder = instance->profileFolder();
        view.pipeFilesPredicted = instance->predictedPipeFiles();
        view.pipeFilesBound = office::pipeFilesBoundBy(instance->process().pid());
        view.openDocuments = 0;
        const auto components = instance->desktop()->getComponents()->createEnumeration();
        for (; components->hasMoreElements(); components->nextElement())
            ++view.openDocuments;

        const auto provider = css::configuration::theDefaultProvider::get(instance->context());
        css::uno::Sequence<css::uno::Any> where(1);
        where.getArray()[0] <<= css::beans::PropertyValue(
            "nodepath", 0,
            css::uno::Any(rtl::OUString("/org.openoffice.Office.Histories/Histories")),
            css::beans::PropertyState_DIRECT_VALUE);
        Reference<css::container::XNameAccess> histories(
            provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationAccess",
                                                  where),
            UNO_QUERY_THROW);
        view.recentDocuments = 0;
        if (histories->hasByName("PickList")) {
            Reference<css::container::XNameAccess> pickList(histories->getByName("PickList"),
                                                            UNO_QUERY_THROW);
            Reference<css::container::XNameAccess> items(pickList->getByName("ItemList"),
                                                         UNO_QUERY_THROW);
            view.recentDocuments = items->getElementNames().getLength();
        }
    });
    return view;
}

DocumentText readDocumentText(automation::Document& document)
{
    auto* office = dynamic_cast<office::OfficeDocument*>(&document);
    if (!office)
        throw Failure(QStringLiteral("Only documents of the office engine can be read."));
    const auto component = office->component();
    const auto keep = office->keeper();
    DocumentText result;
    office->session().call([&] {
        for (const auto& text : office::writerStoryTexts(component, keep))
            result.stories << office::readText(text, keep);
        for (const auto& comment : office::commentFields(component, keep))
            result.stories << office::commentText(comment);
        // The whole text's own string: the paragraphs of a shape may still report
        // themselves as they were before a replacement.
        for (const auto& text : office::drawingShapeTexts(component, keep)) {
            QString shape = toQString(text->getString());
            shape.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            result.shapes << shape.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        }
    });
    result.pages = document.ComputeStatistics(automation::Document::kStatisticPages);
    return result;
}

QList<ChartLabels> readChartLabels(automation::Document& document)
{
    auto* office = dynamic_cast<office::OfficeDocument*>(&document);
    if (!office)
        throw Failure(QStringLiteral("Only documents of the office engine can be read."));
    const auto component = office->component();
    QList<ChartLabels> charts;
    office->session().call([&] {
        const auto objects =
            Reference<css::text::XTextEmbeddedObjectsSupplier>(component, UNO_QUERY_THROW)->getEmbeddedObjects();
        const auto names = objects->getElementNames();
        for (const rtl::OUString& name : names) {
            Reference<css::document::XEmbeddedObjectSupplier> object(objects->getByName(name), UNO_QUERY_THROW);
            Reference<css::chart::XChartDocument> chart(object->getEmbeddedObject(), UNO_QUERY);
            if (!chart.is())
                continue;
            Reference<css::chart::XChartDataArray> data(chart->getData(), UNO_QUERY_THROW);
            ChartLabels labels;
            for (const rtl::OUString& row : data->getRowDescriptions())
                labels.rows << toQString(row);
            for (const rtl::OUString& column : data->getColumnDescriptions())
                labels.columns << toQString(column);
            charts << labels;
        }
    });
    return charts;
}

void storeCopy(automation::Application& application, const QString& source, const QString& target,
               const char* filter, const QString& password)
{
    auto* office = dynamic_cast<office::OfficeApplication*>(&application);
    if (!office)
        throw Failure(QStringLiteral("Only sessions of the office engine store copies."));
    office::OfficeSession& session = office->session();
    session.call([&] {
        // Opened with a view, as a person's office opens it: Excel keeps what the view
        // says (the sheet a workbook opens at; a sheet shown there is never hidden).
        Reference<css::frame::XComponentLoader> loader(session.desktop(), UNO_QUERY_THROW);
        const auto document = loader->loadComponentFromURL(
            fileUrl(QFileInfo(source).absoluteFilePath()), "_blank", 0, {});
        const Reference<css::util::XCloseable> closeable(document, UNO_QUERY_THROW);
        const auto close = qScopeGuard([&] {
            try {
                closeable->close(true);
            } catch (const css::uno::Exception&) {
            }
        });
        const auto filterName = css::uno::Any(rtl::OUString::createFromAscii(filter));
        // The Office Open XML filters take their password as encryption data only,
        // with the kind of encryption that Excel 2007 makes.
        const css::beans::NamedValue ooxml[] = {
            css::beans::NamedValue("CryptoType", css::uno::Any(rtl::OUString("Standard"))),
            css::beans::NamedValue("OOXPassword", css::uno::Any(toOUString(password)))};
        const auto how =
            password.isEmpty() ? properties({{"FilterName", filterName}})
            : QByteArray(filter).contains("2007 XML")
                ? properties({{"FilterName", filterName},
                              {"EncryptionData",
                               css::uno::Any(css::uno::Sequence<css::beans::NamedValue>(ooxml, 2))}})
                : properties({{"FilterName", filterName}, {"Password", css::uno::Any(toOUString(password))}});
        Reference<css::frame::XStorable>(document, UNO_QUERY_THROW)
            ->storeToURL(fileUrl(QFileInfo(target).absoluteFilePath()), how);
    });
}

int preparedTemplatesTaken()
{
    return office::OfficeInstance::preparedTakenSoFar();
}

int officeProcessesStarted()
{
    return office::OfficeProcess::startedSoFar();
}

} // namespace statusmill::testing
