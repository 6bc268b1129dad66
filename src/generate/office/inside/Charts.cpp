#include "Charts.h"

#include "ChartTemplates.h"
#include "Placeholders.h"
#include "UnoNames.h"

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/chart/XChartDataArray.hpp>
#include <com/sun/star/chart2/XChartDocument.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/document/XEmbeddedObjectSupplier2.hpp>
#include <com/sun/star/embed/Aspects.hpp>
#include <com/sun/star/embed/XEmbeddedObject.hpp>
#include <com/sun/star/text/XTextEmbeddedObjectsSupplier.hpp>

#include <algorithm>

namespace statusmill::inside {

namespace {

using css::uno::Sequence;

// The class of the office's own charts.
constexpr const char kChartClassId[] = "12DCAE26-281F-416F-a234-c3086127382e";

struct Chart
{
    Reference<css::beans::XPropertySet> frame;
    Reference<css::embed::XEmbeddedObject> object;
    Reference<css::chart::XChartDocument> model;
};

std::vector<Chart> chartsOf(const Reference<css::frame::XModel>& document)
{
    // Every embedded object, wherever it is anchored: body, tables, frames, headers.
    const Reference<css::container::XIndexAccess> objects(
        Reference<css::text::XTextEmbeddedObjectsSupplier>(document, UNO_QUERY_THROW)->getEmbeddedObjects(),
        UNO_QUERY_THROW);
    std::vector<Chart> charts;
    for (sal_Int32 i = 0; i < objects->getCount(); ++i) {
        const Reference<css::beans::XPropertySet> frame(objects->getByIndex(i), UNO_QUERY);
        OUString classId;
        if (!frame.is() || !(frame->getPropertyValue("CLSID") >>= classId) ||
            !classId.equalsIgnoreAsciiCase(kChartClassId))
            continue;
        const Reference<css::document::XEmbeddedObjectSupplier2> supplier(frame, UNO_QUERY);
        if (!supplier.is())
            continue;
        Chart chart{frame, supplier->getExtendedControlOverEmbeddedObject(),
                    Reference<css::chart::XChartDocument>(supplier->getEmbeddedObject(), UNO_QUERY)};
        // A chart drawn from a table of the text follows that table, which the
        // list's rows fill; only a chart with data of its own is set here.
        const Reference<css::chart2::XChartDocument> model(chart.model, UNO_QUERY);
        if (chart.object.is() && model.is() && model->hasInternalDataProvider())
            charts.push_back(std::move(chart));
    }
    return charts;
}

struct Series
{
    OUString name;  // the placeholder's, as written: "Budget.Actual"
    OUString field; // "Actual", the series' name once drawn
};

// Which list a chart is drawn from, by its template's labels.
struct Layout
{
    OUString list;
    OUString category; // the placeholder's name: "Budget.Item"
    std::vector<Series> series;
};

std::optional<std::pair<OUString, ListField>> listFieldIn(const OUString& label)
{
    const auto name = wholePlaceholder(label.trim());
    if (!name)
        return std::nullopt;
    const auto field = listFieldOf(*name);
    return field ? std::optional(std::pair(*name, *field)) : std::nullopt;
}

std::optional<Layout> layoutOf(const ChartData& data)
{
    std::optional<Layout> layout;
    for (const OUString& row : data.rows)
        if (const auto found = listFieldIn(row)) {
            layout = Layout{found->second.list, found->first, {}};
            break;
        }
    if (!layout)
        return std::nullopt;
    const OUString list = nameKey(layout->list);
    for (const OUString& column : data.columns)
        if (const auto found = listFieldIn(column); found && nameKey(found->second.list) == list)
            layout->series.push_back({found->first, found->second.field});
    if (layout->series.empty())
        return std::nullopt;
    return layout;
}

// What a chart shows for one report.
struct Drawn
{
    Sequence<Sequence<double>> values;
    Sequence<OUString> rows;
    Sequence<OUString> columns;
    css::uno::Any minimum;
};

// An empty value is a gap the data means; only text that is no number is worth
// telling, and once.
void noteGap(std::vector<Gap>& gaps, const OUString& series, const OUString& text)
{
    if (!text.isEmpty() && std::none_of(gaps.begin(), gaps.end(), [&](const Gap& known) {
            return known.field == series && known.text == text;
        }))
        gaps.push_back({series, text});
}

Drawn drawnFrom(const Layout& layout, const ListData& list, const Values& values, double gap,
                std::vector<Gap>& gaps)
{
    std::vector<size_t> items;
    std::vector<OUString> categories;
    for (size_t item = 0; item < list.items.size(); ++item) {
        OUString category = values.textOf(layout.category, &list, item).value_or(OUString());
        if (isTotalLine(category))
            continue;
        items.push_back(item);
        categories.push_back(std::move(category));
    }
    Drawn drawn{Sequence<Sequence<double>>(sal_Int32(items.size())),
                Sequence<OUString>(categories.data(), sal_Int32(categories.size())),
                Sequence<OUString>(sal_Int32(layout.series.size())), {}};
    for (size_t s = 0; s < layout.series.size(); ++s)
        drawn.columns.getArray()[s] = layout.series[s].field;
    for (size_t row = 0; row < items.size(); ++row) {
        auto& numbers = drawn.values.getArray()[row];
        numbers.realloc(sal_Int32(layout.series.size()));
        for (size_t s = 0; s < layout.series.size(); ++s) {
            const Series& series = layout.series[s];
            const auto number = values.numberOf(series.field, list, items[row]);
            numbers.getArray()[s] = number.value_or(gap);
            if (!number)
                noteGap(gaps, series.name, values.textOf(series.name, &list, items[row]).value_or(OUString()).trim());
        }
    }
    return drawn;
}

void set(const Chart& chart, const Drawn& drawn, const StatusKey& key, bool statuses)
{
    const Reference<css::frame::XModel> model(chart.model, UNO_QUERY_THROW);
    // The chart is drawn once, when all of it is set.
    model->lockControllers();
    struct Unlock
    {
        const Reference<css::frame::XModel>& model;
        ~Unlock()
        {
            try {
                model->unlockControllers();
            } catch (const css::uno::RuntimeException&) {
            }
        }
    } unlock{model};
    const Reference<css::chart::XChartDataArray> array(chart.model->getData(), UNO_QUERY_THROW);
    array->setData(drawn.values);
    array->setRowDescriptions(drawn.rows);
    array->setColumnDescriptions(drawn.columns);
    // The template's fixed minimum was chosen for its sample values.
    if (const auto axis = valueAxisOf(chart.model); axis.is()) {
        if (drawn.minimum.hasValue())
            axis->setPropertyValue("Min", drawn.minimum);
        else
            axis->setPropertyValue("AutoMin", css::uno::Any(true));
    }
    if (!statuses)
        return;
    // Asked for a point's index first, then its series'.
    const auto diagram = chart.model->getDiagram();
    for (sal_Int32 row = 0; row < drawn.rows.getLength(); ++row)
        if (const auto colour = key.colourOf(drawn.rows[row]))
            for (sal_Int32 column = 0; column < drawn.columns.getLength(); ++column)
                diagram->getDataPointProperties(row, column)->setPropertyValue("FillColor",
                                                                               css::uno::Any(*colour));
}

css::awt::Size frameSizeOf(const Chart& chart)
{
    css::awt::Size size;
    chart.frame->getPropertyValue("Width") >>= size.Width;
    chart.frame->getPropertyValue("Height") >>= size.Height;
    return size;
}

// A chart read from Word's formats may draw larger than its frame (in a header
// from .docx), and its frame grows to that size once its data is set: both keep
// the size the template gave the frame.
void keepSize(const Chart& chart, const css::awt::Size& size)
{
    if (size.Width <= 0 || size.Height <= 0)
        return;
    const css::awt::Size frame = frameSizeOf(chart);
    if (frame.Width != size.Width || frame.Height != size.Height) {
        chart.frame->setPropertyValue("Width", css::uno::Any(size.Width));
        chart.frame->setPropertyValue("Height", css::uno::Any(size.Height));
    }
    try {
        const css::awt::Size drawn = chart.object->getVisualAreaSize(css::embed::Aspects::MSOLE_CONTENT);
        if (drawn.Width != size.Width || drawn.Height != size.Height)
            chart.object->setVisualAreaSize(css::embed::Aspects::MSOLE_CONTENT, size);
    } catch (const css::uno::Exception&) {
        // An object not running draws at its frame's size anyway.
    }
}

bool isTotalWord(const OUString& word)
{
    return word.equalsIgnoreAsciiCase("total") || word.equalsIgnoreAsciiCase("totals");
}

} // namespace

bool isTotalLine(const OUString& category)
{
    const OUString text = category.replace('\t', ' ').replace(u'\u00a0', ' ').trim();
    const sal_Int32 firstEnd = text.indexOf(' ');
    const sal_Int32 lastStart = text.lastIndexOf(' ') + 1;
    return isTotalWord(firstEnd < 0 ? text : text.copy(0, firstEnd)) || isTotalWord(text.copy(lastStart));
}

std::vector<Gap> fillCharts(const Reference<css::frame::XModel>& document, const Values& values,
                            const StatusKey& key)
{
    std::vector<Gap> gaps;
    for (const Chart& chart : chartsOf(document)) {
        const ChartData original = templateDataOf(chart.object, chart.model);
        const auto layout = layoutOf(original);
        if (!layout)
            continue;
        const css::awt::Size size = frameSizeOf(chart);
        const ListData* list = values.list(layout->list);
        if (!list) {
            set(chart, {original.values, original.rows, original.columns, original.minimum}, key, false);
        } else {
            const double gap = Reference<css::chart::XChartData>(chart.model->getData(), UNO_QUERY_THROW)->getNotANumber();
            set(chart, drawnFrom(*layout, *list, values, gap, gaps), key, namesStatus(layout->category));
        }
        keepSize(chart, size);
    }
    return gaps;
}

} // namespace statusmill::inside
