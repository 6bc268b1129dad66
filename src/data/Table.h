#pragma once

// The table a batch makes its reports from: a header row that names the columns,
// then one row a report, each with the line it starts on.

#include "core/Failure.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <optional>

namespace statusmill::data {

struct TableRow
{
    int line = 0; // where the row starts in the file (a sheet's row number)
    QStringList cells;
    // A spreadsheet's number cells: their values by column, whatever they show.
    QHash<qsizetype, double> numbers = {};
};

// The number of a number cell of the row; nothing for any other.
inline std::optional<double> numberAt(const TableRow& row, qsizetype column)
{
    const auto found = row.numbers.constFind(column);
    return found == row.numbers.cend() ? std::nullopt : std::optional(*found);
}

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

// Every record of a CSV file (comma, double quote, UTF-8) as the office writes it,
// empty ones too, nothing trimmed: record N is the sheet's row N. Throws Failure.
QList<QStringList> readCsvRecords(const QString& path);

// Whether the name is a spreadsheet's (.ods, .xlsx, .xls), which an office reads.
bool isSpreadsheetName(const QString& path);

// One sheet of a workbook as the office shows it: its name and the rows that hold
// something, each numbered as the sheet numbers it, its cells from column A as the
// sheet shows them (in their number, currency or date format), the empty cells
// after the last that holds something left off. A merged area's value stands in
// every row and column it spans.
struct Sheet
{
    // A cell that holds a formula error, and the error as the sheet shows it.
    struct Error
    {
        int row = 0;    // as the sheet numbers it, from 1
        int column = 0; // from 0 (column A)
        QString shown;  // "#DIV/0!", "#N/A"
    };

    QString name;
    QList<TableRow> rows;
    QList<Error> errors;
};

// A workbook's visible sheets, in its order, and what was hidden in it and so left
// out: the rows that hold something in hidden rows of the visible sheets, and the
// hidden sheets.
struct Workbook
{
    QList<Sheet> sheets;
    int hiddenSheets = 0;
    int hiddenRows = 0;
};

// A sheet's rows as a table: the first row that holds anything names the columns,
// each later row is numbered as the sheet numbers it. The header and every row are
// as wide as the widest row: a cell right of the header's last is in a column whose
// header is empty.
Table tableOfSheet(const Sheet& sheet);

} // namespace statusmill::data
