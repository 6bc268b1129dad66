#pragma once

// Charts drawn from a list. A chart of the template (an ordinary chart object, in
// the text, a table, a frame, a header or footer) whose own data carries a list's
// placeholders is drawn from that list for every report: a data row labelled
// [Budget.Item] names the field of each item's category, the series named
// [Budget.Approved], [Budget.Actual] the fields of its values. Each item is a data
// row, in order, but for a total line; a value that is no number is a gap. A list
// given with no items draws an empty chart; a list the data does not give leaves
// the chart as the template has it. A chart whose categories name a status has
// each bar in the colour of the document's status key. Charts are found by their
// data's labels, which, unlike their names, survive Word's formats. Runs inside the
// office.

#include "StatusKey.h"
#include "Values.h"

#include <com/sun/star/frame/XModel.hpp>

#include <vector>

namespace statusmill::inside {

// A value that is no number: the placeholder of its series as written
// ("Budget.Actual") and the item's text.
struct Gap
{
    rtl::OUString field;
    rtl::OUString text;
};

// Sets every chart of the document that is drawn from a list; returns the gaps,
// each once.
std::vector<Gap> fillCharts(const css::uno::Reference<css::frame::XModel>& document, const Values& values,
                            const StatusKey& key);

// Whether a category is a total line, which a chart does not draw: its first or
// last word is "Total" or "Totals", in any letter case.
bool isTotalLine(const rtl::OUString& category);

} // namespace statusmill::inside
