#pragma once

// The sheets of a workbook (.ods, .xlsx, .xls), read by the office in one call
// from inside it: a batch's reports and their lists.

#include "data/Table.h"
#include "generate/Automation.h"

#include <QString>

namespace statusmill::automation {

// The visible sheets of a workbook the session opens, in the workbook's order, each
// as the rows that hold something and their cells as the sheet shows them (see
// data::Workbook). Throws Failure: when the office has no spreadsheet program, a
// message that says what to install; when the workbook is protected by a password,
// one that says so.
data::Workbook readWorkbook(Application& application, const QString& path);

} // namespace statusmill::automation
