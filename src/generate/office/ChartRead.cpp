#include "ChartRead.h"

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/chart/XChartDataArray.hpp>
#include <com/sun/star/chart/XChartDocument.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/document/XEmbeddedObjectSupplier2.hpp>
#include <com/sun/star/embed/Aspects.hpp>
#include <com/sun/star/embed/XEmbeddedObject.hpp>
#include <com/sun/star/text/XTextEmbeddedObjectsSupplier.hpp>

#include <limits>

namespace statusmill::office {

using namespace uno;

namespace {

// The class of the office's own charts.
constexpr const char kChartClassId[] = "12DCAE26-281F-416F-a234-c3086127382e";

QStringList texts(const css::uno::Sequence<rtl::OUString>& labels)
{
    QStringList list;
    for (const rtl::OUString& label : labels)
        list << toQString(label);
    return list;
}

QString titleOf(const Reference<css::chart::XChartDocument>& chart, const KeepAlive& keep)
{
    const Reference<css::beans::XPropertySet> properties(chart, UNO_QUERY_THROW);
    keep(css::uno::Any(properties));
    bool shown = false;
    properties->getPropertyValue("HasMainTitle") >>= shown;
    if (!shown)
        return {};
    const Reference<css::beans::XPropertySet> title(chart->getTitle(), UNO_QUERY);
    keep(css::uno::Any(title));
    rtl::OUString text;
    if (title.is())
        title->getPropertyValue("String") >>= text;
    return toQString(text);
}

ChartTable tableOf(const Reference<css::beans::XPropertySet>& frame, const KeepAlive& keep)
{
    const Reference<css::document::XEmbeddedObjectSupplier2> supplier(frame, UNO_QUERY_THROW);
    keep(css::uno::Any(supplier));
    const Reference<css::chart::XChartDocument> chart(supplier->getEmbeddedObject(), UNO_QUERY_THROW);
    keep(css::uno::Any(chart));
    const Reference<css::chart::XChartDataArray> data(chart->getData(), UNO_QUERY_THROW);
    keep(css::uno::Any(data));
    ChartTable table{titleOf(chart, keep), texts(data->getRowDescriptions()),
                     texts(data->getColumnDescriptions()), {}, {}, {}};
    for (const auto& row : data->getData()) {
        QList<double>& values = table.values.emplace_back();
        for (const double value : row)
            values << (data->isNotANumber(value) ? std::numeric_limits<double>::quiet_NaN() : value);
    }
    sal_Int32 width = 0;
    sal_Int32 height = 0;
    frame->getPropertyValue("Width") >>= width;
    frame->getPropertyValue("Height") >>= height;
    table.frame = QSize(width, height);
    const auto object = supplier->getExtendedControlOverEmbeddedObject();
    keep(css::uno::Any(object));
    try {
        const css::awt::Size drawn = object->getVisualAreaSize(css::embed::Aspects::MSOLE_CONTENT);
        table.drawn = QSize(drawn.Width, drawn.Height);
    } catch (const css::uno::Exception&) {
        // Not running: it has not been drawn at any size yet.
    }
    return table;
}

} // namespace

QList<ChartTable> chartTables(const Reference<css::lang::XComponent>& document, const KeepAlive& keep)
{
    const Reference<css::text::XTextEmbeddedObjectsSupplier> supplier(document, UNO_QUERY);
    if (!supplier.is())
        return {};
    keep(css::uno::Any(supplier));
    const Reference<css::container::XIndexAccess> objects(supplier->getEmbeddedObjects(), UNO_QUERY_THROW);
    keep(css::uno::Any(objects));
    QList<ChartTable> tables;
    for (sal_Int32 i = 0; i < objects->getCount(); ++i) {
        const css::uno::Any item = objects->getByIndex(i);
        keep(item);
        const Reference<css::beans::XPropertySet> frame(item, UNO_QUERY);
        rtl::OUString classId;
        if (frame.is() && (frame->getPropertyValue("CLSID") >>= classId) &&
            classId.equalsIgnoreAsciiCase(kChartClassId))
            tables << tableOf(frame, keep);
    }
    return tables;
}

} // namespace statusmill::office
