#pragma once

// What --strict holds a report to: none of the template's placeholders kept, no
// cell of its data read as an error, no gap in a chart for a value that is no
// number. A report that falls short is not written.

#include <QStringList>

namespace statusmill::cli {

// Why the report may not be written under --strict: the cells its data was read
// from that hold an error ("sheet Risks, cell C7 (#DIV/0!)"), then the
// placeholders it would keep ("[Risks.ID]"), then the values its charts would
// draw as gaps ("Budget.Actual: \"n/a\" is no number"). Empty when it may.
QString strictRefusal(const QStringList& errorCells, const QStringList& kept, const QStringList& gaps = {});

// "warning: Budget.Actual: "n/a" is no number, so the chart leaves a gap there"
QString gapWarning(const QString& gap);

} // namespace statusmill::cli
