#pragma once

// A table's columns as people keep them. A column whose header cell is empty is
// left out: with a word when it holds something (a note typed right of the header),
// silently when it is empty all the way down (the commas a row may end with).
// A sheet's columns and cells are named as the sheet names them ("column E",
// "cell C7"), a delimited table's columns by their number ("column 5").

#include "Table.h"

#include <optional>

namespace statusmill::data {

// "column E" (a sheet's: `lettered`) or "column 5", for the column counted from 0.
QString columnName(qsizetype column, bool lettered);

// "C7": a sheet's cell, its column counted from 0, its row as the sheet numbers it.
QString cellName(qsizetype column, int row);

// Whether the column's header cell is empty, so that it is left out.
bool isUnnamedColumn(const Table& table, qsizetype column);

// "WHERE: column E has no name in its header, so it is left out", once for each
// column left out that holds something in some row.
QStringList unnamedColumnsHeld(const Table& table, const QString& where, bool lettered);

// Why the row's cells do not fit the header: a column with a name that the row has
// no cell for, or a cell past the header's last that holds something (a delimiter
// too many shifts every cell after it). Nothing when they fit.
std::optional<QString> cellsProblem(const TableRow& row, const Table& table);

} // namespace statusmill::data
