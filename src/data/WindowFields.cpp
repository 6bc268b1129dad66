#include "WindowFields.h"

#include <QLocale>
#include <QRegularExpression>

namespace statusmill::data {
namespace {

QString squeezed(QString name)
{
    return name.remove(QLatin1Char(' ')).toLower();
}

} // namespace

const WindowField* windowFieldNamed(QStringView name)
{
    const QString wanted = squeezed(name.toString());
    for (const WindowField& field : kWindowFields)
        if (wanted == squeezed(QLatin1String(field.name)) ||
            wanted == squeezed(QLatin1String(field.label)))
            return &field;
    return nullptr;
}

void giveWindowFields(ReportData& data)
{
    for (const WindowField& field : kWindowFields)
        if (!data.field(QLatin1String(field.name)))
            data.setField(QLatin1String(field.name), QString());
}

QLocale localeOfDates(const QString& lcTime, const QString& lcAll, const QString& lang)
{
    QString name = !lcTime.isEmpty() ? lcTime : !lcAll.isEmpty() ? lcAll : lang;
    // "de_DE.UTF-8@euro": the codeset and the modifier say nothing of how dates read.
    if (const qsizetype end = name.indexOf(QRegularExpression(QStringLiteral("[.@]"))); end >= 0)
        name.truncate(end);
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return QLocale(name);
}

QString reportDateText(QDate date, const QLocale& locale)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    // The weekday, with what joins it to the rest: "dddd, " or "dddd ".
    format.remove(QRegularExpression(QStringLiteral("d{4}[,.]?\\s*")));
    return locale.toString(date, format.trimmed());
}

QLocale localeOfDates()
{
    return localeOfDates(qEnvironmentVariable("LC_TIME"), qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LANG"));
}

QString reportDateText(QDate date)
{
    return reportDateText(date, localeOfDates());
}

void giveReportDate(ReportData& data)
{
    if (!data.field(QLatin1String(kReportDate)))
        data.setField(QLatin1String(kReportDate), reportDateText(QDate::currentDate()));
}

std::optional<QString> fieldOfColumn(const QString& column)
{
    QString name = column.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2).trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')))
        return std::nullopt;
    if (const WindowField* field = windowFieldNamed(name))
        return QString::fromLatin1(field->name);
    return name;
}

} // namespace statusmill::data
