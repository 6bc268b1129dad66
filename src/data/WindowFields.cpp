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

QString reportDateText(QDate date)
{
    QString format = QLocale().dateFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("d{4}[,.]?\\s*")));
    return QLocale().toString(date, format.trimmed());
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
