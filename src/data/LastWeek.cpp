#include "LastWeek.h"

#include "WindowFields.h"
#include "rule/StatusRule.h"

#include <QSet>

namespace statusmill::data {
namespace {

// The rows of a status report, each with its <Row>Status and <Row>Trend.
const char* const kTrendRows[] = {"Overall", "Schedule", "Budget", "Scope", "Quality", "Risks"};

const QString kRisks = QStringLiteral("Risks");
const QString kMilestones = QStringLiteral("Milestones");
const QString kChange = QStringLiteral("Change");
const QString kRiskId = QStringLiteral("ID");
const QString kMilestoneName = QStringLiteral("Milestone");
const QString kForecast = QStringLiteral("Forecast");

bool isBlank(const std::optional<QString>& text)
{
    return !text || text->trimmed().isEmpty();
}

// The item's key by its `field` (see linkKey); empty for an item without it.
QString keyOf(const QList<Field>& item, const QString& field)
{
    return linkKey(fieldOf(item, field).value_or(QString()));
}

QSet<QString> keysOf(const List& list, const QString& field)
{
    QSet<QString> keys;
    for (const QList<Field>& item : list.items)
        if (const QString key = keyOf(item, field); !key.isEmpty())
            keys.insert(key);
    return keys;
}

// Gives the item `text` for `name` unless it gives a text of its own there.
void giveItemField(QList<Field>& item, const QString& name, const QString& text)
{
    for (Field& field : item)
        if (field.name.compare(name, Qt::CaseInsensitive) == 0) {
            if (field.text.trimmed().isEmpty())
                field.text = text;
            return;
        }
    item.append({name, text});
}

// Each item of the list gives `name`: what `changeOf` says of it, or empty.
template <class ChangeOf> void giveChanges(ReportData& report, const QString& listName, ChangeOf changeOf)
{
    const List* given = report.list(listName);
    if (!given)
        return;
    List list = *given;
    for (QList<Field>& item : list.items)
        giveItemField(item, kChange, changeOf(std::as_const(item)));
    report.setList(std::move(list));
}

void giveTrends(ReportData& report, const ReportData& lastWeek)
{
    for (const char* row : kTrendRows) {
        const QString trend = QLatin1String(row) + QStringLiteral("Trend");
        const QString status = QLatin1String(row) + QStringLiteral("Status");
        if (!isBlank(report.field(trend)))
            continue;
        if (const auto moved = trendOf(lastWeek.field(status).value_or(QString()),
                                       report.field(status).value_or(QString())))
            report.setField(trend, *moved);
    }
}

// Last week's risks: none for a project new this week; nothing where last week's
// data has no list of risks at all, which says nothing of what is new.
void giveRiskChanges(ReportData& report, const std::optional<ReportData>& lastWeek)
{
    const List* lastRisks = lastWeek ? lastWeek->list(kRisks) : nullptr;
    if (lastWeek && !lastRisks)
        return;
    const QSet<QString> known = lastRisks ? keysOf(*lastRisks, kRiskId) : QSet<QString>();
    const List* risks = report.list(kRisks);
    if (lastRisks && risks && !report.list(QLatin1String(kClosedRisks))) {
        const QSet<QString> open = keysOf(*risks, kRiskId);
        List closed{QLatin1String(kClosedRisks), {}};
        for (const QList<Field>& item : lastRisks->items)
            if (const QString key = keyOf(item, kRiskId); !key.isEmpty() && !open.contains(key))
                closed.items.append(item);
        report.setList(std::move(closed));
    }
    giveChanges(report, kRisks, [&](const QList<Field>& item) {
        const QString key = keyOf(item, kRiskId);
        return !key.isEmpty() && !known.contains(key) ? QStringLiteral("New") : QString();
    });
}

void giveMilestoneChanges(ReportData& report, const ReportData& lastWeek, const QLocale& locale)
{
    const List* lastMilestones = lastWeek.list(kMilestones);
    if (!lastMilestones)
        return;
    giveChanges(report, kMilestones, [&](const QList<Field>& item) {
        const QString key = keyOf(item, kMilestoneName);
        for (const QList<Field>& then : lastMilestones->items)
            if (!key.isEmpty() && keyOf(then, kMilestoneName) == key)
                return forecastChange(fieldOf(then, kForecast).value_or(QString()),
                                      fieldOf(item, kForecast).value_or(QString()), locale);
        return QString();
    });
}

} // namespace

std::optional<QString> trendOf(const QString& lastWeek, const QString& thisWeek)
{
    const auto before = rule::statusOf(lastWeek.toStdU16String());
    const auto now = rule::statusOf(thisWeek.toStdU16String());
    if (!before || !now)
        return std::nullopt;
    // Green comes first: a status of a lower number is the better one.
    if (*now < *before)
        return QStringLiteral("Up");
    return *now > *before ? QStringLiteral("Down") : QStringLiteral("Same");
}

std::optional<QDate> dateOfText(const QString& text, const QLocale& locale)
{
    const QString date = text.trimmed();
    if (const QDate iso = QDate::fromString(date, Qt::ISODate); iso.isValid())
        return iso;
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString fullYear = format;
    if (!fullYear.contains(QLatin1String("yyyy")))
        fullYear.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    if (const QDate read = locale.toDate(date, fullYear); read.isValid())
        return read;
    // Two digits are a year of this century, not of the one Qt takes them for.
    if (const QDate read = locale.toDate(date, format); read.isValid())
        return format.contains(QLatin1String("yyyy")) ? read : read.addYears(100);
    return std::nullopt;
}

QString forecastChange(const QString& lastWeek, const QString& thisWeek, const QLocale& locale)
{
    const auto before = dateOfText(lastWeek, locale);
    const auto now = dateOfText(thisWeek, locale);
    if (!before || !now || *before == *now)
        return {};
    const qint64 days = before->daysTo(*now);
    const QString count = std::abs(days) == 1 ? QStringLiteral("1 day") : QStringLiteral("%1 days").arg(std::abs(days));
    return days > 0 ? QStringLiteral("Slipped ") + count : QStringLiteral("Earlier by ") + count;
}

std::optional<ReportData> lastWeekOf(const QList<Record>& lastWeek, const ReportData& thisWeek)
{
    const QString projectField = QLatin1String(kWindowFields[0].name);
    const QString project = linkKey(thisWeek.field(projectField).value_or(QString()));
    if (project.isEmpty())
        return std::nullopt;
    // Of two reports of one project, a batch makes the first.
    for (const Record& record : lastWeek)
        if (record.problem.isEmpty() && linkKey(record.data.field(projectField).value_or(QString())) == project)
            return record.data;
    return std::nullopt;
}

ReportData againstLastWeek(ReportData thisWeek, const std::optional<ReportData>& lastWeek,
                           const QLocale& locale)
{
    if (lastWeek) {
        giveTrends(thisWeek, *lastWeek);
        giveMilestoneChanges(thisWeek, *lastWeek, locale);
    }
    giveRiskChanges(thisWeek, lastWeek);
    return withoutLastWeek(std::move(thisWeek));
}

bool isWorkedOut(const QString& list, const QString& field)
{
    if (field.isEmpty())
        return linkKey(list) == linkKey(QLatin1String(kClosedRisks));
    return linkKey(field) == linkKey(kChange) &&
           (linkKey(list) == linkKey(kRisks) || linkKey(list) == linkKey(kMilestones));
}

ReportData withoutLastWeek(ReportData thisWeek)
{
    if (!thisWeek.list(QLatin1String(kClosedRisks)))
        thisWeek.setList({QLatin1String(kClosedRisks), {}});
    for (const QString& list : {kRisks, kMilestones})
        giveChanges(thisWeek, list, [](const QList<Field>&) { return QString(); });
    return thisWeek;
}

ReportData thisWeeksReport(ReportData thisWeek, const std::optional<QList<Record>>& lastWeek)
{
    if (!lastWeek)
        return withoutLastWeek(std::move(thisWeek));
    std::optional<ReportData> before = lastWeekOf(*lastWeek, thisWeek);
    return againstLastWeek(std::move(thisWeek), before, localeOfDates());
}

} // namespace statusmill::data
