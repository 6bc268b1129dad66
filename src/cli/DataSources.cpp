#include "DataSources.h"

#include "core/FileHelpers.h"
#include "data/JsonData.h"
#include "data/WindowFields.h"
#include "generate/DataFiles.h"

#include <QFileInfo>

namespace statusmill::cli {
namespace {

// The reports' fields that can link a list's items (see linkLists): a table's, its
// first column first; of fields in no order of columns (a JSON file's keys, the
// command line's options), the project name alone.
QStringList linkingFields(const data::Reports& reports, bool columns)
{
    const QString project = QLatin1String(data::kWindowFields[0].name);
    if (columns)
        return reports.fields;
    return reports.fields.contains(project, Qt::CaseInsensitive) ? QStringList{project} : QStringList{};
}

QList<data::ListTable> readListTables(const QList<ListOption>& lists)
{
    QList<data::ListTable> tables;
    for (const ListOption& list : lists) {
        if (data::isSpreadsheetName(list.file) || data::isJsonName(list.file))
            throw Failure(QStringLiteral("--list %1: %2 is no CSV or TSV table; a workbook's lists "
                                         "are its sheets")
                              .arg(list.name, list.file));
        tables.append({list.name, list.file, data::readDelimitedTable(list.file), true, {}, {}});
    }
    return tables;
}

} // namespace

DataShape RunData::shape() const
{
    DataShape shape;
    shape.whole = whole;
    shape.columns = columns;
    // A record that makes no report says nothing of what reports hold.
    for (const data::Record& record : reports.records)
        if (record.problem.isEmpty())
            shape.add(record.data, record.where);
    return shape;
}

RunData readRunData(const QString& file, const QList<ListOption>& lists)
{
    RunData run;
    run.reports = automation::readReportFile(file);
    run.whole = true;
    run.columns = !data::isJsonName(file);
    QList<data::ListTable> tables = run.reports.lists;
    tables.removeIf([&](const data::ListTable& sheet) {
        return std::any_of(lists.begin(), lists.end(), [&](const ListOption& list) {
            return list.name.compare(sheet.name, Qt::CaseInsensitive) == 0;
        });
    });
    tables += readListTables(lists);
    run.warnings = run.reports.warnings;
    run.warnings += data::linkLists(run.reports.records, linkingFields(run.reports, run.columns), tables);
    return run;
}

RunData commandLineData(const QList<data::Field>& given, const QList<ListOption>& lists)
{
    RunData run;
    data::Record record{QStringLiteral("the command line"), {}, {}, {}};
    for (const data::Field& field : given) {
        record.data.setField(field.name, field.text);
        run.reports.fields << field.name;
    }
    run.reports.records << record;
    run.whole = !lists.isEmpty();
    run.columns = false;
    const QList<data::ListTable> tables = readListTables(lists);
    run.warnings = data::linkLists(run.reports.records, linkingFields(run.reports, run.columns), tables,
                                   /*sayUnlinked=*/false);
    for (const data::ListTable& table : tables) {
        const data::List* list = run.reports.records.constFirst().data.list(table.name);
        if (!table.table.rows.isEmpty() && list && list->items.isEmpty())
            run.warnings << QStringLiteral("%1: no item is this report's, so the list %2 is empty")
                                .arg(table.where, table.name);
    }
    return run;
}

std::optional<QList<data::Record>> lastWeeksReports(const Options& options)
{
    if (options.previous.isEmpty())
        return std::nullopt;
    return readRunData(options.previous, {}).reports.records;
}

data::Record pickReport(const RunData& run, const QString& file, const std::optional<QString>& project)
{
    const QList<data::Record>& records = run.reports.records;
    QList<const data::Record*> picked;
    if (records.size() == 1 || project)
        picked = data::recordsOfProject(records, project.value_or(QString()));
    if (picked.isEmpty()) {
        if (records.isEmpty())
            throw Failure(QStringLiteral("%1 holds no report").arg(file));
        if (!project)
            throw Failure(QStringLiteral("%1 holds %2 reports: choose one with --project, or make "
                                         "them all with --batch")
                              .arg(file)
                              .arg(records.size()));
        throw Failure(QStringLiteral("%1 holds no report of the project \"%2\"").arg(file, *project));
    }
    if (picked.size() > 1) {
        QStringList where;
        for (const data::Record* record : std::as_const(picked))
            where << record->where;
        throw Failure(QStringLiteral("%1 holds %2 reports of the project \"%3\" (%4): keep one")
                          .arg(file)
                          .arg(picked.size())
                          .arg(*project, where.join(QStringLiteral(", "))));
    }
    const data::Record& record = *picked.constFirst();
    if (!record.problem.isEmpty())
        throw Failure(QStringLiteral("%1: %2")
                          .arg(record.where.startsWith(file) ? record.where
                                                             : file + QStringLiteral(", ") + record.where,
                               record.problem));
    return record;
}

} // namespace statusmill::cli
