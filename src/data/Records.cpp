#include "Records.h"

#include "Placeholders.h"
#include "TableColumns.h"
#include "WindowFields.h"
#include "core/Failure.h"

#include <QHash>

#include <numeric>
#include <variant>

namespace statusmill::data {
namespace {

QString projectNameField()
{
    return QString::fromLatin1(kWindowFields[0].name);
}

// The column of `table` that fills `field`, or -1.
qsizetype columnFilling(const Table& table, const QString& field)
{
    for (qsizetype column = 0; column < table.header.size(); ++column)
        if (const auto filled = fieldOfColumn(table.header.at(column));
            filled && filled->compare(field, Qt::CaseInsensitive) == 0)
            return column;
    return -1;
}

// "sheet Risks, cell C7 (#DIV/0!)", as a record keeps it.
QString keptErrorCell(const QString& sheet, const Sheet::Error& error)
{
    return QStringLiteral("sheet %1, cell %2 (%3)").arg(sheet, cellName(error.column, error.row), error.shown);
}

// "WHERE, cell C7: #DIV/0!", as a warning names it.
QString saidErrorCell(const QString& where, const Sheet::Error& error)
{
    return QStringLiteral("%1, cell %2: %3").arg(where, cellName(error.column, error.row), error.shown);
}

// The problem of a row whose cell that says whose it is holds a formula error: named
// as the error it is, not as a project of that name.
QString linkErrorProblem(const Table& table, qsizetype column, const Sheet::Error& error)
{
    return QStringLiteral("its %1 is the sheet's error %2 (cell %3)")
        .arg(table.header.at(column).trimmed(), error.shown, cellName(error.column, error.row));
}

QHash<int, QList<Sheet::Error>> errorsByRow(const QList<Sheet::Error>& errors)
{
    QHash<int, QList<Sheet::Error>> byRow;
    for (const Sheet::Error& error : errors)
        byRow[error.row].append(error);
    return byRow;
}

Reports reportsOf(const Table& table, const QString& where, bool lettered)
{
    Reports reports;
    const QStringList columns = fieldsOfHeader(table.header);
    for (const QString& field : columns)
        if (!field.isEmpty())
            reports.fields << field;
    reports.warnings = unnamedColumnsHeld(table, where, lettered);
    for (const TableRow& row : table.rows) {
        Record record{QStringLiteral("line %1").arg(row.line), {}, {}, {}};
        if (const auto problem = cellsProblem(row, table))
            record.problem = *problem;
        else
            for (qsizetype column = 0; column < columns.size(); ++column)
                if (!columns.at(column).isEmpty())
                    record.data.setField(columns.at(column), row.cells.value(column));
        reports.records.append(std::move(record));
    }
    return reports;
}

// The first sheet's error cells: each kept by its record and named once, but one
// in the column that says whose a row is refuses the record.
void takeErrorCells(Reports& reports, const Table& table, const Sheet& sheet, const QString& where)
{
    qsizetype link = columnFilling(table, projectNameField());
    for (qsizetype column = 0; column < table.header.size() && link < 0; ++column)
        if (!isUnnamedColumn(table, column))
            link = column;
    const auto byRow = errorsByRow(sheet.errors);
    for (qsizetype index = 0; index < table.rows.size(); ++index) {
        Record& record = reports.records[index];
        const QList<Sheet::Error> errors = byRow.value(table.rows.at(index).line);
        for (const Sheet::Error& error : errors)
            if (error.column == link && record.problem.isEmpty()) {
                record.problem = linkErrorProblem(table, link, error);
                record.data = {};
            }
        if (!record.problem.isEmpty())
            continue;
        for (const Sheet::Error& error : errors) {
            if (isUnnamedColumn(table, error.column))
                continue;
            record.errorCells << keptErrorCell(sheet.name, error);
            reports.warnings << saidErrorCell(where, error);
        }
    }
}

// "2 hidden rows and 1 hidden sheet are left out"; nothing when nothing was hidden.
std::optional<QString> hiddenLeftOut(const Workbook& workbook)
{
    QStringList parts;
    if (workbook.hiddenRows > 0)
        parts << (workbook.hiddenRows == 1 ? QStringLiteral("1 hidden row")
                                           : QStringLiteral("%1 hidden rows").arg(workbook.hiddenRows));
    if (workbook.hiddenSheets > 0)
        parts << (workbook.hiddenSheets == 1 ? QStringLiteral("1 hidden sheet")
                                             : QStringLiteral("%1 hidden sheets").arg(workbook.hiddenSheets));
    if (parts.isEmpty())
        return std::nullopt;
    return QStringLiteral("%1 %2 left out")
        .arg(parts.join(QStringLiteral(" and ")),
             workbook.hiddenRows + workbook.hiddenSheets == 1 ? QStringLiteral("is") : QStringLiteral("are"));
}

// The field an item's column fills: "Owner", "[Owner]" and "[Milestones.Owner]" all
// fill Owner of the list Milestones.
std::optional<QString> itemFieldOfColumn(const QString& list, const QString& column)
{
    QString name = column.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2).trimmed();
    if (const auto listField = listFieldOf(name);
        listField && listField->list.compare(list, Qt::CaseInsensitive) == 0)
        name = listField->field;
    if (name.isEmpty() || name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')))
        return std::nullopt;
    return name;
}

// The fields of a list's columns, "" for the link column and those left out; or why
// there are none.
std::variant<QStringList, QString> itemFieldsOf(const ListTable& source, qsizetype link)
{
    QStringList fields;
    for (qsizetype column = 0; column < source.table.header.size(); ++column) {
        const QString& header = source.table.header.at(column);
        const auto field = itemFieldOfColumn(source.name, header);
        if (column == link || isUnnamedColumn(source.table, column))
            fields << QString();
        else if (!field)
            return QStringLiteral("%1 has no usable name (\"%2\")")
                .arg(columnName(column, !source.sheet.isEmpty()), header);
        else if (fields.contains(*field, Qt::CaseInsensitive))
            return QStringLiteral("two columns fill %1").arg(*field);
        else
            fields << *field;
    }
    return fields;
}

// The column of a list's table that says whose each item is, and the reports'
// field it holds: the project name when both have it, else the reports' first.
struct Link
{
    qsizetype column = -1;
    QString field;
};

Link linkOf(const Table& table, const QStringList& fields)
{
    const QString project = projectNameField();
    if (fields.contains(project, Qt::CaseInsensitive))
        if (const qsizetype column = columnFilling(table, project); column >= 0)
            return {column, project};
    if (!fields.isEmpty())
        if (const qsizetype column = columnFilling(table, fields.constFirst()); column >= 0)
            return {column, fields.constFirst()};
    return {};
}

// Why a list of no link column is left out, naming the columns that would link it.
QString noLinkProblem(const QStringList& fields)
{
    const QString project = QLatin1String(kWindowFields[0].label);
    const bool hasProject = fields.contains(projectNameField(), Qt::CaseInsensitive);
    const bool firstIsOther = !fields.isEmpty() && !windowFieldNamed(fields.constFirst());
    QString could = QStringLiteral("the reports have no %1 to link it by").arg(project);
    if (hasProject && firstIsOther)
        could = QStringLiteral("%1, or %2 as the reports' first column").arg(project, fields.constFirst());
    else if (hasProject)
        could = project;
    else if (!fields.isEmpty())
        could = QStringLiteral("%1, the reports' first column").arg(fields.constFirst());
    return QStringLiteral("no column names the report of its items (%1)").arg(could);
}

// The items of one list's table given to their reports, and what is said of them.
class ListLinking
{
public:
    ListLinking(QList<Record>& records, const ListTable& source, bool sayUnlinked, QStringList& warnings)
        : m_records(records), m_source(source), m_sayUnlinked(sayUnlinked), m_warnings(warnings),
          m_errors(errorsByRow(source.errors)), m_linked(records.size(), List{source.name, {}}),
          m_errorCells(records.size())
    {
    }

    // Why the list is left out; nothing when it is linked.
    std::optional<QString> link(const QStringList& fields)
    {
        m_link = linkOf(m_source.table, fields);
        if (m_link.column < 0 && m_records.size() > 1)
            return noLinkProblem(fields);
        auto fieldsOrProblem = itemFieldsOf(m_source, m_link.column);
        if (const auto* problem = std::get_if<QString>(&fieldsOrProblem))
            return *problem;
        m_itemFields = std::get<QStringList>(std::move(fieldsOrProblem));
        m_warnings += unnamedColumnsHeld(m_source.table, m_source.where, !m_source.sheet.isEmpty());
        if (m_link.column >= 0)
            for (qsizetype index = 0; index < m_records.size(); ++index)
                if (const auto value = m_records.at(index).data.field(m_link.field);
                    value && !linkKey(*value).isEmpty())
                    m_byKey[linkKey(*value)].append(index);
        for (const TableRow& row : m_source.table.rows)
            take(row);
        for (qsizetype index = 0; index < m_records.size(); ++index) {
            m_records[index].data.setList(std::move(m_linked[index]));
            m_records[index].errorCells += m_errorCells.at(index);
        }
        return std::nullopt;
    }

private:
    // The reports the row's item goes to; none, said, when it is no report's.
    QList<qsizetype> reportsOf(const TableRow& row, const QString& where)
    {
        if (m_link.column < 0) {
            QList<qsizetype> all(m_records.size());
            std::iota(all.begin(), all.end(), 0);
            return all;
        }
        const Table& table = m_source.table;
        for (const Sheet::Error& error : m_errors.value(row.line))
            if (error.column == m_link.column) {
                m_warnings << QStringLiteral("%1: %2; the item is left out")
                                  .arg(where, linkErrorProblem(table, m_link.column, error));
                return {};
            }
        const QString& value = row.cells.at(m_link.column);
        const QList<qsizetype> linked = m_byKey.value(linkKey(value));
        if (linked.isEmpty() && m_sayUnlinked)
            m_warnings << (linkKey(value).isEmpty()
                               ? QStringLiteral("%1: its %2 is empty, so it is no report's; the item is left out")
                                     .arg(where, table.header.at(m_link.column).trimmed())
                               : QStringLiteral("%1: no report has the %2 \"%3\"; the item is left out")
                                     .arg(where, table.header.at(m_link.column).trimmed(), value));
        return linked;
    }

    void take(const TableRow& row)
    {
        const QString where = QStringLiteral("%1, line %2").arg(m_source.where).arg(row.line);
        if (const auto problem = cellsProblem(row, m_source.table)) {
            m_warnings << QStringLiteral("%1: %2; the item is left out").arg(where, *problem);
            return;
        }
        const QList<qsizetype> reports = reportsOf(row, where);
        if (reports.isEmpty())
            return;
        QList<Field> item;
        for (qsizetype column = 0; column < m_itemFields.size(); ++column)
            if (!m_itemFields.at(column).isEmpty())
                item.append({m_itemFields.at(column), row.cells.value(column), numberAt(row, column)});
        QStringList errorCells;
        for (const Sheet::Error& error : m_errors.value(row.line)) {
            if (m_itemFields.value(error.column).isEmpty())
                continue; // a column left out
            errorCells << keptErrorCell(m_source.sheet, error);
            m_warnings << saidErrorCell(m_source.where, error);
        }
        for (qsizetype index : reports) {
            m_linked[index].items.append(item);
            m_errorCells[index] += errorCells;
        }
    }

    QList<Record>& m_records;
    const ListTable& m_source;
    const bool m_sayUnlinked;
    QStringList& m_warnings;
    const QHash<int, QList<Sheet::Error>> m_errors;
    Link m_link;
    QStringList m_itemFields;
    QHash<QString, QList<qsizetype>> m_byKey;
    QList<List> m_linked;
    QList<QStringList> m_errorCells;
};

} // namespace

QString linkKey(const QString& value)
{
    return value.trimmed().toCaseFolded();
}

QStringList fieldsOfHeader(const QStringList& header)
{
    QStringList fields;
    for (qsizetype column = 0; column < header.size(); ++column) {
        if (header.at(column).trimmed().isEmpty()) {
            fields << QString(); // left out
            continue;
        }
        const auto field = fieldOfColumn(header.at(column));
        if (!field)
            throw Failure(QStringLiteral("column %1 of the table has no usable name in its header "
                                         "(\"%2\")")
                              .arg(column + 1)
                              .arg(header.at(column)));
        for (qsizetype earlier = 0; earlier < fields.size(); ++earlier)
            if (fields.at(earlier).compare(*field, Qt::CaseInsensitive) == 0)
                throw Failure(QStringLiteral("the columns \"%1\" and \"%2\" of the table both fill %3")
                                  .arg(header.at(earlier), header.at(column), bracketed(*field)));
        fields << *field;
    }
    return fields;
}

Reports reportsOfTable(const Table& table, const QString& file)
{
    return reportsOf(table, file, /*lettered=*/false);
}

Reports reportsOfWorkbook(const Workbook& workbook, const QString& file)
{
    const QList<Sheet>& sheets = workbook.sheets;
    Reports reports;
    if (!sheets.isEmpty()) {
        const Sheet& first = sheets.constFirst();
        const QString where = QStringLiteral("%1, sheet %2").arg(file, first.name);
        const Table table = tableOfSheet(first);
        reports = reportsOf(table, where, /*lettered=*/true);
        takeErrorCells(reports, table, first, where);
    }
    for (qsizetype index = 1; index < sheets.size(); ++index) {
        const Sheet& sheet = sheets.at(index);
        reports.lists.append({sheet.name, QStringLiteral("%1, sheet %2").arg(file, sheet.name),
                              tableOfSheet(sheet), false, sheet.name, sheet.errors});
    }
    if (const auto hidden = hiddenLeftOut(workbook))
        reports.warnings.prepend(QStringLiteral("%1: %2").arg(file, *hidden));
    return reports;
}

QStringList linkLists(QList<Record>& records, const QStringList& fields,
                      const QList<ListTable>& lists, bool sayUnlinked)
{
    QStringList warnings;
    for (const ListTable& source : lists) {
        if (source.table.header.isEmpty())
            continue; // an empty sheet
        QStringList said;
        const auto problem = ListLinking(records, source, sayUnlinked, said).link(fields);
        if (problem && source.named)
            throw Failure(QStringLiteral("%1: %2").arg(source.where, *problem));
        if (problem)
            warnings << QStringLiteral("%1: %2, so it fills no list").arg(source.where, *problem);
        else
            warnings += said;
    }
    return warnings;
}

QList<const Record*> recordsOfProject(const QList<Record>& records, const QString& project)
{
    QList<const Record*> picked;
    if (records.size() == 1) {
        picked << &records.constFirst();
        return picked;
    }
    const QString projectName = projectNameField();
    for (const Record& record : records)
        if (record.data.field(projectName).value_or(QString()).trimmed().compare(
                project.trimmed(), Qt::CaseInsensitive) == 0)
            picked << &record;
    return picked;
}

} // namespace statusmill::data
