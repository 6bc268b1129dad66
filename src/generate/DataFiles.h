#pragma once

// Report data read from a file, for the window and the command line alike: a JSON
// file, a workbook (read through an office of its own: its first sheet the
// reports, its other sheets lists) or a table (CSV, or TSV for .tsv).

#include "data/Records.h"

#include <QString>

namespace statusmill::automation {

// The file's reports, its workbook's lists not yet linked. Throws Failure naming
// the file and why it cannot be read.
data::Reports readReportFile(const QString& file);

// The file's reports, its workbook's lists linked. Throws Failure as readReportFile.
QList<data::Record> linkedReports(const QString& file);

// The report of `project` in the file, its lists linked: the only report, or the
// one whose project name is `project` (in any letter case). Throws Failure naming
// the file, when it cannot be read or holds no such report.
data::ReportData reportOfProject(const QString& file, const QString& project);

} // namespace statusmill::automation
