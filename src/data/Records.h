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
};

// The fields a table's columns fill (see fieldOfColumn), in order. Throws Failure
// for a column with no usable name, and for two columns that fill one field.
QStringList fieldsOfHeader(const QStringList& header);

// A table's rows as reports, each "line N". A row with another number of cells
// than the header has columns is kept with that problem, so that rows keep their
// numbers. Throws Failure as fieldsOfHeader.
Reports reportsOfTable(const Table& table);

// A workbook's first sheet as reportsOfTable, its other sheets as lists of their
// names. `file` names the workbook in messages. Throws Failure as fieldsOfHeader.
Reports reportsOfWorkbook(const Workbook& workbook, const QString& file);

// Gives every record each of the lists (with no items where none links to it) in
// the order of its table. A list column whose name is one of `fields` links an
// item to each report of the same text there (trimmed, in any letter case); the
// other columns are the item's fields. A list table with no such column belongs
// whole to a single report; with several reports it is left out, or, when it was
// given by name, refused. Returns warnings: each item left out (a row of too
// few or many cells; one that links to no report, unless `sayUnlinked` is false),
// each list left out. Throws Failure for a list refused.
// The records of one project: the only record there is, else those whose project
// name is `project` (trimmed, in any letter case).
QList<const Record*> recordsOfProject(const QList<Record>& records, const QString& project);

QStringList linkLists(QList<Record>& records, const QStringList& fields,
                      const QList<ListTable>& lists, bool sayUnlinked = true);

} // namespace statusmill::data
