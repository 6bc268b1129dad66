#pragma once

// The charts of an open document as the office holds them: each chart object's
// title, its data's labels and values, and the size of its frame beside the size
// it draws at. For the template check, which names the lists charts are drawn
// from. Internal to the engine. Every office object made on the way goes to `keep`.

#include "HeldReferences.h"

#include <com/sun/star/lang/XComponent.hpp>

#include <QList>
#include <QSize>
#include <QStringList>

namespace statusmill::office {

struct ChartTable
{
    QString title;       // empty when it shows none
    QStringList rows;    // each data row's label: its category
    QStringList columns; // each series' name
    QList<QList<double>> values; // row by row; a gap is NaN
    QSize frame;         // the object's frame, in 1/100 mm
    QSize drawn;         // what the chart is drawn at, in 1/100 mm
};

// In no particular order: the office gives its objects in none.
QList<ChartTable> chartTables(const uno::Reference<uno::css::lang::XComponent>& document,
                              const KeepAlive& keep);

} // namespace statusmill::office
