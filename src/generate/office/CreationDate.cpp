#include "CreationDate.h"

#include <QDateTime>
#include <QTimeZone>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/util/DateTime.hpp>
#include <com/sun/star/util/XUpdatable.hpp>

namespace statusmill::office {

using namespace uno;

namespace {

css::util::DateTime officeDateTime(const QDateTime& moment)
{
    css::util::DateTime made;
    made.Year = sal_Int16(moment.date().year());
    made.Month = sal_uInt16(moment.date().month());
    made.Day = sal_uInt16(moment.date().day());
    made.Hours = sal_uInt16(moment.time().hour());
    made.Minutes = sal_uInt16(moment.time().minute());
    made.Seconds = sal_uInt16(moment.time().second());
    made.IsUTC = moment.timeSpec() == Qt::UTC;
    return made;
}

QDateTime qtDateTime(const css::util::DateTime& moment)
{
    return QDateTime(QDate(moment.Year, moment.Month, moment.Day),
                     QTime(moment.Hours, moment.Minutes, moment.Seconds),
                     moment.IsUTC ? Qt::UTC : Qt::LocalTime);
}

Reference<css::document::XDocumentProperties>
propertiesOf(const Reference<css::lang::XComponent>& document)
{
    return Reference<css::document::XDocumentPropertiesSupplier>(document, UNO_QUERY_THROW)
        ->getDocumentProperties();
}

// Calls `each` with every creation-date field of the document.
template <class Each>
void forEachCreationDateField(const Reference<css::lang::XComponent>& document, Each&& each)
{
    const auto fields =
        Reference<css::text::XTextFieldsSupplier>(document, UNO_QUERY_THROW)->getTextFields();
    for (const auto list = fields->createEnumeration(); list->hasMoreElements();) {
        const Reference<css::beans::XPropertySet> field(list->nextElement(), UNO_QUERY);
        const Reference<css::lang::XServiceInfo> info(field, UNO_QUERY);
        if (info.is() && info->supportsService("com.sun.star.text.TextField.DocInfo.CreateDateTime"))
            each(field);
    }
}

} // namespace

void stampCreation(const Reference<css::lang::XComponent>& document)
{
    propertiesOf(document)->setCreationDate(officeDateTime(QDateTime::currentDateTime()));
    // The office reads a Word creation-date field as fixed text, the result the file
    // last held: the fields follow the new date once, and are then fixed again, for
    // the office shows the date a field follows as it is stored, in UTC when it is,
    // and a format may need it stored so (prepareCreationDate).
    forEachCreationDateField(document, [](const Reference<css::beans::XPropertySet>& field) {
        field->setPropertyValue("IsFixed", css::uno::Any(false));
        Reference<css::util::XUpdatable>(field, UNO_QUERY_THROW)->update();
        field->setPropertyValue("IsFixed", css::uno::Any(true));
    });
}

void prepareCreationDate(const Reference<css::lang::XComponent>& document, CreationDateForm form)
{
    const auto properties = propertiesOf(document);
    const css::util::DateTime stored = properties->getCreationDate();
    const bool wanted = form == CreationDateForm::Utc;
    if (stored.Year == 0 || stored.IsUTC == wanted)
        return;
    // A field that follows the date would show it anew, a day off far from UTC:
    // it keeps what it shows now.
    forEachCreationDateField(document, [](const Reference<css::beans::XPropertySet>& field) {
        field->setPropertyValue("IsFixed", css::uno::Any(true));
    });
    const QDateTime moment = qtDateTime(stored);
    properties->setCreationDate(officeDateTime(wanted ? moment.toUTC() : moment.toLocalTime()));
}

} // namespace statusmill::office
