#pragma once

// What a chart of a template holds before any report fills it. Undo takes a
// report's text back but not its charts' data, so a template kept open between
// reports has each chart set again for every report from what it held when first
// met. Remembered for the office's whole process, each chart by its embedded
// object, held weakly: the charts of a closed document are forgotten with it. The
// embedded object, not the chart's model, since the office may unload a chart that
// is out of sight and load it anew as another model. Runs inside the office.

#include "UnoNames.h"

#include <com/sun/star/chart/XChartDocument.hpp>
#include <com/sun/star/uno/Sequence.hxx>

namespace statusmill::inside {

struct ChartData
{
    css::uno::Sequence<css::uno::Sequence<double>> values;
    css::uno::Sequence<OUString> rows;    // each data row's label: its category
    css::uno::Sequence<OUString> columns; // each series' name
    // The value axis's fixed minimum; nothing when the chart works it out.
    css::uno::Any minimum;
};

// The chart's data as its template has it: read from `chart` the first time
// `object` (its embedded object) is met, remembered from then on.
ChartData templateDataOf(const Reference<css::uno::XInterface>& object,
                         const Reference<css::chart::XChartDocument>& chart);

// The value axis of the chart, when it has one (a pie has none).
Reference<css::beans::XPropertySet> valueAxisOf(const Reference<css::chart::XChartDocument>& chart);

} // namespace statusmill::inside
