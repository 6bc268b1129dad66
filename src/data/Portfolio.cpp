#include "Portfolio.h"

#include "LastWeek.h"
#include "WindowFields.h"
#include "rule/StatusRule.h"

namespace statusmill::data {
namespace {

bool sameWord(const QString& text, const char* word)
{
    return text.trimmed().compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// 3 for high, 2 medium, 1 low, 0 for a rating of no known kind.
int rank(const QString& rating)
{
    static const char* const kRatings[][2] = {{"L", "Low"}, {"M", "Medium"}, {"H", "High"}};
    for (int at = 0; at < 3; ++at)
        if (sameWord(rating, kRatings[at][0]) || sameWord(rating, kRatings[at][1]))
            return at + 1;
    return 0;
}

QString fieldText(const QList<Field>& item, const char* name)
{
    return fieldOf(item, QLatin1String(name)).value_or(QString());
}

const char* const kOverall[] = {"Green", "Amber", "Red"};

QString overallOf(const ReportData& report)
{
    return report.field(QStringLiteral("OverallStatus")).value_or(QString()).trimmed();
}

// Two texts of one status ("G", "green") did not move; texts that are no status
// moved when they read differently.
bool sameStatus(const QString& before, const QString& now)
{
    const auto statusBefore = rule::statusOf(before.toStdU16String());
    const auto statusNow = rule::statusOf(now.toStdU16String());
    if (statusBefore && statusNow)
        return *statusBefore == *statusNow;
    return before.compare(now, Qt::CaseInsensitive) == 0;
}

} // namespace

const QList<Field>* nextMilestone(const ReportData& report)
{
    const List* milestones = report.list(QStringLiteral("Milestones"));
    if (!milestones)
        return nullptr;
    for (const QList<Field>& item : milestones->items)
        if (!sameWord(fieldText(item, "Status"), "Complete"))
            return &item;
    return nullptr;
}

OpenRisks openRisks(const ReportData& report)
{
    OpenRisks open;
    const List* risks = report.list(QStringLiteral("Risks"));
    if (!risks)
        return open;
    int highest = 0;
    for (const QList<Field>& item : risks->items) {
        if (sameWord(fieldText(item, "Status"), "Closed"))
            continue;
        ++open.count;
        const QString rating = fieldText(item, "Rating");
        if (rank(rating) > highest) {
            highest = rank(rating);
            open.highest = rating.trimmed();
        }
    }
    return open;
}

QString overallChange(const ReportData& thisWeek, const QList<Record>& lastWeek)
{
    if (linkKey(thisWeek.field(QLatin1String(kWindowFields[0].name)).value_or(QString())).isEmpty())
        return {};
    const std::optional<ReportData> before = lastWeekOf(lastWeek, thisWeek);
    if (!before)
        return QStringLiteral("New project");
    const QString then = overallOf(*before);
    const QString now = overallOf(thisWeek);
    if (then.isEmpty() || now.isEmpty() || sameStatus(then, now))
        return {};
    return then + QStringLiteral(" \u2192 ") + now;
}

ReportData portfolioOf(const QList<PortfolioProject>& projects, const std::optional<QList<Record>>& lastWeek)
{
    ReportData portfolio;
    List list{QLatin1String(kProjectsList), {}};
    int counts[3] = {};
    for (const PortfolioProject& project : projects) {
        const ReportData& report = *project.data;
        const QString overall = report.field(QStringLiteral("OverallStatus")).value_or(QString());
        for (int status = 0; status < 3; ++status)
            if (sameWord(overall, kOverall[status]))
                ++counts[status];
        const QList<Field>* milestone = nextMilestone(report);
        const OpenRisks risks = openRisks(report);
        QList<Field> computed;
        computed << Field{QStringLiteral("Report"), project.report}
             << Field{QStringLiteral("NextMilestone"), milestone ? fieldText(*milestone, "Milestone") : QString()}
             << Field{QStringLiteral("NextMilestoneForecast"),
                      milestone ? fieldText(*milestone, "Forecast") : QString()}
             << Field{QStringLiteral("OpenRisks"), QString::number(risks.count)}
             << Field{QStringLiteral("HighestRating"), risks.highest}
             << Field{QStringLiteral("OverallChange"), lastWeek ? overallChange(report, *lastWeek) : QString()};
        // What the portfolio works out goes over a field of the same name.
        QList<Field> item;
        for (const Field& field : report.fields())
            if (!fieldOf(computed, field.name))
                item << field;
        list.items << item + computed;
    }
    portfolio.setField(QStringLiteral("ProjectCount"), QString::number(projects.size()));
    portfolio.setField(QStringLiteral("GreenCount"), QString::number(counts[0]));
    portfolio.setField(QStringLiteral("AmberCount"), QString::number(counts[1]));
    portfolio.setField(QStringLiteral("RedCount"), QString::number(counts[2]));
    if (!projects.isEmpty())
        if (const auto date = projects.constFirst().data->field(QStringLiteral("ReportDate")))
            portfolio.setField(QStringLiteral("ReportDate"), *date);
    portfolio.setList(std::move(list));
    // The same counts as a list, which a chart draws: a bar for each status.
    List overall{QStringLiteral("OverallCounts"), {}};
    const char* const statuses[] = {"Green", "Amber", "Red"};
    for (int status = 0; status < 3; ++status)
        overall.items << QList<Field>{{QStringLiteral("Status"), QLatin1String(statuses[status])},
                                      {QStringLiteral("Projects"), QString::number(counts[status]), double(counts[status])}};
    portfolio.setList(std::move(overall));
    return portfolio;
}

} // namespace statusmill::data
