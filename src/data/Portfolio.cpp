#include "Portfolio.h"

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

ReportData portfolioOf(const QList<PortfolioProject>& projects)
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
             << Field{QStringLiteral("HighestRating"), risks.highest};
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
    return portfolio;
}

} // namespace statusmill::data
