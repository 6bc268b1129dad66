#include "BatchJobs.h"

#include "ReportNames.h"
#include "data/LastWeek.h"
#include "data/WindowFields.h"

#include <QHash>

namespace statusmill::cli {
namespace {

// "the row on line 6", "the report projects.json [2]": which one came first.
QString earlierOne(const QString& where)
{
    return where.startsWith(QLatin1String("line ")) ? QStringLiteral("the row on ") + where
                                                     : QStringLiteral("the report ") + where;
}

} // namespace

BatchJobs jobsOf(const QList<data::Record>& records, const Options& options, const QString& pattern,
                 const std::optional<QList<data::Record>>& lastWeek)
{
    const QString extension = QLatin1Char('.') + QLatin1String(SaveFormats::extensionOf(options.format));
    const int rowDigits = std::max(3, int(QString::number(records.size()).size()));
    const QString projectField = QLatin1String(data::kWindowFields[0].name);
    BatchJobs batch;
    QHash<QString, QString> whereOfName;
    QHash<QString, QString> whereOfProject; // by the project's name, trimmed and in one case
    for (qsizetype index = 0; index < records.size(); ++index) {
        const data::Record& record = records.at(index);
        const int number = int(index) + 1;
        const bool inShard = number % options.shards == options.shard;
        auto skip = [&](const QString& name, const QString& why) {
            if (inShard)
                batch.refused.append({record.where, name, why + QStringLiteral("; skipped")});
        };
        if (!record.problem.isEmpty()) {
            skip({}, record.problem);
            continue;
        }
        // Two reports of one project would each hold the items of both.
        const QString project = record.data.field(projectField).value_or(QString()).trimmed();
        const QString projectKey = project.toCaseFolded();
        if (const auto earlier = whereOfProject.constFind(projectKey);
            !project.isEmpty() && earlier != whereOfProject.constEnd()) {
            skip({}, QStringLiteral("%1 has the project name \"%2\" already").arg(earlierOne(*earlier), project));
            continue;
        }
        Job job{record.where, {}, record.data, record.errorCells};
        // The window's four are filled in every report, empty when the data has
        // no text for them.
        data::giveWindowFields(job.data);
        data::giveReportDate(job.data);
        job.data = data::thisWeeksReport(std::move(job.data), lastWeek);
        const auto name = reportFileName(pattern, number, rowDigits, job.data, extension);
        if (!name) {
            skip({}, QStringLiteral("no file name can be made of it"));
            continue;
        }
        job.name = *name;
        if (const auto earlier = whereOfName.constFind(job.name); earlier != whereOfName.constEnd()) {
            skip(job.name, QStringLiteral("%1 has that name already").arg(earlierOne(*earlier)));
            continue;
        }
        whereOfName.insert(job.name, record.where);
        if (!project.isEmpty())
            whereOfProject.insert(projectKey, record.where);
        if (inShard)
            batch.jobs.append(std::move(job));
    }
    return batch;
}

} // namespace statusmill::cli
