#include "DataFiles.h"

#include "Automation.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"
#include "data/JsonData.h"
#include "data/Table.h"
#include "office/WorkbookReader.h"

namespace statusmill::automation {

data::Reports readReportFile(const QString& file)
{
    if (data::isJsonName(file))
        return data::readJsonReports(file);
    if (!data::isSpreadsheetName(file))
        return data::reportsOfTable(data::readDelimitedTable(file), file);
    if (const auto problem = regularFileProblem(file))
        throw Failure(QStringLiteral("Cannot read %1: %2").arg(file, *problem));
    const auto application = engine().createApplication();
    const data::Workbook workbook = readWorkbook(*application, file);
    application->quit();
    return data::reportsOfWorkbook(workbook, file);
}

QList<data::Record> linkedReports(const QString& file)
{
    data::Reports reports = readReportFile(file);
    data::linkLists(reports.records, reports.fields, reports.lists, /*sayUnlinked=*/false);
    return reports.records;
}

data::ReportData reportOfProject(const QString& file, const QString& project)
{
    const QList<data::Record> records = linkedReports(file);
    const QList<const data::Record*> picked = data::recordsOfProject(records, project);
    if (picked.isEmpty())
        throw Failure(QStringLiteral("%1 holds no report of the project \"%2\"").arg(file, project));
    if (picked.size() > 1)
        throw Failure(QStringLiteral("%1 holds %2 reports of the project \"%3\"")
                          .arg(file)
                          .arg(picked.size())
                          .arg(project));
    const data::Record& record = *picked.constFirst();
    if (!record.problem.isEmpty())
        throw Failure(QStringLiteral("%1, %2: %3").arg(file, record.where, record.problem));
    return record.data;
}

} // namespace statusmill::automation
