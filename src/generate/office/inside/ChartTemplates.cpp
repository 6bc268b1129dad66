#include "ChartTemplates.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/chart/XAxisYSupplier.hpp>
#include <com/sun/star/chart/XChartDataArray.hpp>
#include <cppuhelper/weakref.hxx>

#include <map>
#include <mutex>

namespace statusmill::inside {

namespace {

struct Remembered
{
    css::uno::WeakReference<css::uno::XInterface> object;
    ChartData data;
};

ChartData read(const Reference<css::chart::XChartDocument>& chart)
{
    const Reference<css::chart::XChartDataArray> array(chart->getData(), UNO_QUERY_THROW);
    ChartData data{array->getData(), array->getRowDescriptions(), array->getColumnDescriptions(), {}};
    if (const auto axis = valueAxisOf(chart); axis.is()) {
        bool automatic = true;
        axis->getPropertyValue("AutoMin") >>= automatic;
        if (!automatic)
            data.minimum = axis->getPropertyValue("Min");
    }
    return data;
}

} // namespace

Reference<css::beans::XPropertySet> valueAxisOf(const Reference<css::chart::XChartDocument>& chart)
{
    const Reference<css::chart::XAxisYSupplier> axes(chart->getDiagram(), UNO_QUERY);
    return axes.is() ? axes->getYAxis() : Reference<css::beans::XPropertySet>();
}

ChartData templateDataOf(const Reference<css::uno::XInterface>& object,
                         const Reference<css::chart::XChartDocument>& chart)
{
    // One office may fill several documents at once, each on its own thread.
    static std::mutex mutex;
    // Never destroyed: at the office's exit its weak references would reach into
    // what UNO has already torn down, and the office would not end.
    static auto& remembered = *new std::map<css::uno::XInterface*, Remembered>;
    const Reference<css::uno::XInterface> key(object, UNO_QUERY_THROW);
    const std::lock_guard lock(mutex);
    // A closed document's objects are gone, and another may be made where one was.
    std::erase_if(remembered, [](const auto& entry) { return !entry.second.object.get().is(); });
    const auto found = remembered.find(key.get());
    if (found != remembered.end())
        return found->second.data;
    return remembered.emplace(key.get(), Remembered{key, read(chart)}).first->second.data;
}

} // namespace statusmill::inside
