#pragma once

// The reports a data file holds, as records: a table's rows, a workbook's first
// sheet with the lists of its other sheets, and the items of lists given in tables
// of their own, each linked to its report.

#include "ReportData.h"
#include "Table.h"

namespace statusmill::data {

// A table of a list's items, one a row, not yet linked to the reports.
struct ListTable
{
    QString name;  // the list's: "Milestones"
    QString where; // for messages: "milestones.csv", "projects.ods, sheet Milestones"
    Table table;
    // Given by name (--list), rather than found in a workbook: a table that says
    // nothing of its reports is then a mistake rather than a sheet of notes.
    bool named = false;
    // A workbook's sheet of that name, whose columns and cells are named as the
    // sheet names them, and its cells that hold a formula error; empty for a table.
    QString sheet;
    QList<Sheet::Error> errors;
};

// What a data file holds.
struct Reports
{
    QList<Record> records;
    // The fields the file gives its reports, in the file's order: a table's
    // columns, every key of a JSON file's reports. A list's column of one of these
    // names links each item to its report.
    QStringList fields;
    // Lists still to be linked to the records: a workbook's other sheets.
    QList<ListTable> lists;
    // What reading it found worth a word: columns left out, cells that hold a
    // formula error, what a workbook hid.
    QStringList warnings;
};

// The text two values are linked by: "Harbour Bridge " and "harbour bridge" are
// one project, as are two items' IDs or names.
QString linkKey(const QString& value);

// The field each column of a table's header fills (see fieldOfColumn), in order;
// "" for a column left out, whose header cell is empty. Throws Failure for a column
// whose name can be no field's, and for two columns that fill one field.
QStringList fieldsOfHeader(const QStringList& header);

// A table's rows as reports, each "line N". A row whose cells do not fit the header
// (see cellsProblem) is kept with that problem, so that rows keep their numbers.
// Warns of columns left out, naming the table by `file`. Throws Failure as
// fieldsOfHeader.
Reports reportsOfTable(const Table& table, const QString& file);

// A workbook's first sheet as reportsOfTable, its other sheets as lists of their
// names. `file` names the workbook in messages. A cell that holds a formula error
// is named once as a warning and kept in its record's errorCells; in the column
// of the project name (without one, the first column), which says whose a row
// is, it is the record's problem. What was hidden is said once. Throws Failure as
// fieldsOfHeader.
Reports reportsOfWorkbook(const Workbook& workbook, const QString& file);

// The records of one project: the only record there is, else those whose project
// name is `project` (trimmed, in any letter case).
QList<const Record*> recordsOfProject(const QList<Record>& records, const QString& project);

// Gives every record each of the lists (with no items where none links to it) in
// the order of its table. What says whose an item is: the list's column of the
// project name (ProjectName, "Project Name", in any spelling) when `fields` has it
// too; else its column of the first of `fields`, a table's first column. An item
// goes to each report of the same text there (trimmed, in any letter case); one
// whose text there is empty, or a formula error of its sheet, goes to none. The
// other columns are the item's fields. A list table with no such column belongs
// whole to a single report; with several reports it is left out, or, when it was
// given by name, refused, naming the columns that could have said whose. Each
// record keeps the error cells of its items. Returns warnings: each item left out
// (a row whose cells do not fit; one of no report, unless `sayUnlinked` is false),
// each column and each list left out, each error cell of an item taken. Throws
// Failure for a list refused.
QStringList linkLists(QList<Record>& records, const QStringList& fields,
                      const QList<ListTable>& lists, bool sayUnlinked = true);

} // namespace statusmill::data
