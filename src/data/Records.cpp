#include "Records.h"

#include "Placeholders.h"
#include "WindowFields.h"
#include "core/Failure.h"

#include <QHash>

#include <variant>

namespace statusmill::data {
namespace {

QString cellCountProblem(const TableRow& row, const Table& table)
{
    return QStringLiteral("the row has %1 cells where the header names %2 columns")
        .arg(row.cells.size())
        .arg(table.header.size());
}

// The text two values are linked by: "Harbour Bridge " and "harbour bridge" are one.
QString linkKey(const QString& value)
{
    return value.trimmed().toCaseFolded();
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

// The fields of a list's columns, "" for the link column; or why there are none.
std::variant<QStringList, QString> itemFieldsOf(const ListTable& source, qsizetype link)
{
    QStringList fields;
    for (qsizetype column = 0; column < source.table.header.size(); ++column) {
        const QString& header = source.table.header.at(column);
        const auto field = itemFieldOfColumn(source.name, header);
        if (column == link)
            fields << QString();
        else if (!field)
            return QStringLiteral("column %1 has no usable name (\"%2\")").arg(column + 1).arg(header);
        else if (fields.contains(*field, Qt::CaseInsensitive))
            return QStringLiteral("two columns fill %1").arg(*field);
        else
            fields << *field;
    }
    return fields;
}

} // namespace

QStringList fieldsOfHeader(const QStringList& header)
{
    QStringList fields;
    for (qsizetype column = 0; column < header.size(); ++column) {
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

Reports reportsOfTable(const Table& table)
{
    Reports reports;
    reports.fields = fieldsOfHeader(table.header);
    for (const TableRow& row : table.rows) {
        Record record{QStringLiteral("line %1").arg(row.line), {}, {}, {}};
        if (row.cells.size() != table.header.size())
            record.problem = cellCountProblem(row, table);
        else
            for (qsizetype column = 0; column < reports.fields.size(); ++column)
                record.data.setField(reports.fields.at(column), row.cells.at(column));
        reports.records.append(std::move(record));
    }
    return reports;
}

Reports reportsOfWorkbook(const Workbook& workbook, const QString& file)
{
    const QList<Sheet>& sheets = workbook.sheets;
    if (sheets.isEmpty())
        return {};
    Reports reports = reportsOfTable(tableOfSheet(sheets.constFirst()));
    for (qsizetype index = 1; index < sheets.size(); ++index) {
        const Sheet& sheet = sheets.at(index);
        reports.lists.append({sheet.name, QStringLiteral("%1, sheet %2").arg(file, sheet.name),
                              tableOfSheet(sheet), false});
    }
    return reports;
}

QStringList linkLists(QList<Record>& records, const QStringList& fields,
                      const QList<ListTable>& lists, bool sayUnlinked)
{
    QStringList warnings;
    for (const ListTable& source : lists) {
        const Table& table = source.table;
        if (table.header.isEmpty())
            continue; // an empty sheet
        auto leaveOut = [&](const QString& why) {
            if (source.named)
                throw Failure(QStringLiteral("%1: %2").arg(source.where, why));
            warnings << QStringLiteral("%1: %2, so it fills no list").arg(source.where, why);
        };
        // The first column that names a field of the reports links; the others are
        // the item's, even one that happens to share a report's field's name
        // (an item's Owner is not the report's).
        qsizetype link = -1;
        QString linkField;
        for (qsizetype column = 0; column < table.header.size() && link < 0; ++column) {
            const auto field = fieldOfColumn(table.header.at(column));
            if (field && fields.contains(*field, Qt::CaseInsensitive)) {
                link = column;
                linkField = *field;
            }
        }
        if (link < 0 && records.size() > 1) {
            leaveOut(QStringLiteral("no column names the report of its items (such as %1)")
                         .arg(QLatin1String(kWindowFields[0].label)));
            continue;
        }
        const auto fieldsOrProblem = itemFieldsOf(source, link);
        if (const auto* problem = std::get_if<QString>(&fieldsOrProblem)) {
            leaveOut(*problem);
            continue;
        }
        const QStringList& itemFields = std::get<QStringList>(fieldsOrProblem);

        QHash<QString, QList<qsizetype>> byKey;
        if (link >= 0)
            for (qsizetype index = 0; index < records.size(); ++index)
                if (const auto value = records.at(index).data.field(linkField))
                    byKey[linkKey(*value)].append(index);
        QList<List> linked(records.size(), List{source.name, {}});
        for (const TableRow& row : table.rows) {
            const QString where = QStringLiteral("%1, line %2").arg(source.where).arg(row.line);
            if (row.cells.size() != table.header.size()) {
                warnings << QStringLiteral("%1: %2; the item is left out")
                                .arg(where, cellCountProblem(row, table));
                continue;
            }
            QList<Field> item;
            for (qsizetype column = 0; column < row.cells.size(); ++column)
                if (column != link)
                    item.append({itemFields.at(column), row.cells.at(column)});
            if (link < 0) {
                for (List& list : linked)
                    list.items.append(item);
                continue;
            }
            const auto reportsOfItem = byKey.value(linkKey(row.cells.at(link)));
            if (reportsOfItem.isEmpty() && sayUnlinked)
                warnings << QStringLiteral("%1: no report has the %2 \"%3\"; the item is left out")
                                .arg(where, table.header.at(link).trimmed(), row.cells.at(link));
            for (qsizetype index : reportsOfItem)
                linked[index].items.append(item);
        }
        for (qsizetype index = 0; index < records.size(); ++index)
            records[index].data.setList(std::move(linked[index]));
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
    const QString projectName = QString::fromLatin1(kWindowFields[0].name);
    for (const Record& record : records)
        if (record.data.field(projectName).value_or(QString()).trimmed().compare(
                project.trimmed(), Qt::CaseInsensitive) == 0)
            picked << &record;
    return picked;
}

} // namespace statusmill::data
