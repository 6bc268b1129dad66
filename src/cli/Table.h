#pragma once

// The table a batch makes its reports from: a header row that names the columns,
// then one row a report, each with the line it starts on.

#include "core/Failure.h"

#include <QList>
#include <QStringList>

namespace statusmill::cli {

struct TableRow
{
    int line = 0; // where the row starts in the file (a sheet's row number)
    QStringList cells;
};

struct Table
{
    QStringList header;
    QList<TableRow> rows;
};

// Reads CSV (RFC 4180: quoted cells, doubled quotes, line breaks inside quotes,
// CRLF or LF, UTF-8 with or without a byte-order mark), or tab-separated values
// (no quoting) for a name ending in .tsv. A row of empty cells is left out, so a
// file of no text gives no header and no rows. Throws Failure when the file cannot
// be read or is no such table, and for text that is not UTF-8 (UTF-16 is named as
// such) or holds a NUL byte, naming its line and column.
Table readDelimitedTable(const QString& path);

// Whether the name is a spreadsheet's (.ods, .xlsx, .xls), which an office reads.
bool isSpreadsheetName(const QString& path);

} // namespace statusmill::cli
