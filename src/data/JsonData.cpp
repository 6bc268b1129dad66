#include "JsonData.h"

#include "JsonKeys.h"
#include "JsonText.h"
#include "WindowFields.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

namespace statusmill::data {
namespace {

// Larger is not a project list: the file is read into memory whole.
constexpr qint64 kLargestFile = 64 * 1024 * 1024;

// A report's value of a shape it cannot have; `path` says where ("Milestones[2].Owner").
struct Misshapen
{
    QString text;
};

[[noreturn]] void misshapen(const QString& path, const QString& what)
{
    throw Misshapen{QStringLiteral("%1 is %2").arg(path, what)};
}

QString shapeOf(const QJsonValue& value)
{
    return value.isArray() ? QStringLiteral("an array") : QStringLiteral("an object");
}

// A number as the shortest text that reads back as it; a whole number in its
// digits (100000000, not 1e+08), as a budget is written.
QString numberText(const QJsonValue& value)
{
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong)
        return QString::number(variant.toLongLong());
    const double number = value.toDouble();
    constexpr double kExactWhole = 9007199254740992.0; // 2^53
    if (number == std::trunc(number) && std::fabs(number) < kExactWhole)
        return QString::number(qint64(number));
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

QString textOf(const QJsonValue& value, const QString& path)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double:
        return numberText(value);
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QString();
    default:
        misshapen(path, shapeOf(value) + QStringLiteral("; a field holds text, a number, true, "
                                                        "false or null"));
    }
}

QString pathOf(const QString& parent, const QString& key)
{
    return parent.isEmpty() ? key : parent + QLatin1Char('.') + key;
}

ReportData reportOf(const QJsonObject& object)
{
    ReportData data;
    for (auto entry = object.begin(); entry != object.end(); ++entry) {
        const QString& key = entry.key();
        const QJsonValue value = entry.value();
        if (value.isArray()) {
            List list{key.trimmed(), {}};
            if (list.name.isEmpty() || list.name.contains(QLatin1Char('[')) ||
                list.name.contains(QLatin1Char(']')))
                misshapen(QStringLiteral("\"%1\"").arg(key), QStringLiteral("no list's name"));
            const QJsonArray items = value.toArray();
            for (qsizetype index = 0; index < items.size(); ++index) {
                const QString itemPath = QStringLiteral("%1[%2]").arg(key).arg(index);
                if (!items.at(index).isObject())
                    misshapen(itemPath, QStringLiteral("not an object; a list's item is an object "
                                                       "of fields"));
                QList<Field> item;
                const QJsonObject fields = items.at(index).toObject();
                for (auto field = fields.begin(); field != fields.end(); ++field)
                    item.append({field.key(), textOf(field.value(), pathOf(itemPath, field.key())),
                                 field.value().isDouble() ? std::optional(field.value().toDouble()) : std::nullopt});
                list.items.append(item);
            }
            data.setList(std::move(list));
            continue;
        }
        const auto field = fieldOfColumn(key);
        if (!field)
            misshapen(QStringLiteral("\"%1\"").arg(key), QStringLiteral("no field's name"));
        data.setField(*field, textOf(value, key));
    }
    return data;
}

// The name a report's key gives: a field's (one of the four by any of its names)
// or a list's.
QString reportKeyName(const QString& key)
{
    return fieldOfColumn(key).value_or(key.trimmed());
}

QString itemKeyName(const QString& key)
{
    return key.trimmed();
}

// A key of one object that names what an earlier one names, in any letter case.
void eachKeyOnce(const QStringList& keys, const QString& parent, QString (*nameOf)(const QString&))
{
    QHash<QString, QString> seen; // a name, in one case, to the key that gave it
    for (const QString& key : keys) {
        const QString name = nameOf(key).toCaseFolded();
        if (const auto earlier = seen.constFind(name); earlier != seen.constEnd())
            misshapen(pathOf(parent, key),
                      *earlier == key ? QStringLiteral("given twice")
                                      : QStringLiteral("given twice, as \"%1\" and \"%2\"").arg(*earlier, key));
        seen.insert(name, key);
    }
}

// Each key of the report at `path` and of its lists' items given once, as the
// text writes them: QJsonObject keeps the last of two keys alike, and a report
// of its fields' names in two spellings keeps one of them.
void keysGivenOnce(const QJsonObject& report, const QHash<QString, QStringList>& objects, const QString& path)
{
    const QStringList keys = objects.value(path);
    eachKeyOnce(keys, QString(), reportKeyName);
    const QString prefix = path.isEmpty() ? QString() : path + QLatin1Char('.');
    for (const QString& key : keys) {
        const qsizetype items = report.value(key).toArray().size();
        for (qsizetype index = 0; index < items; ++index) {
            const QString itemPath = QStringLiteral("%1[%2]").arg(key).arg(index);
            eachKeyOnce(objects.value(prefix + itemPath), itemPath, itemKeyName);
        }
    }
}

} // namespace

bool isJsonName(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0;
}

Reports jsonReports(QByteArray bytes, const QString& file)
{
    const JsonText text = readJsonText(std::move(bytes), file);
    const QHash<QString, QStringList> objects = objectKeys(text.bytes);
    Reports reports;
    auto add = [&](const QJsonValue& value, const QString& where, const QString& path) {
        Record record{where, {}, {}, {}};
        // The fields a report names count also when it cannot be made: a name
        // pattern may use them.
        const QJsonObject object = value.toObject();
        for (auto entry = object.begin(); entry != object.end(); ++entry)
            if (const auto field = fieldOfColumn(entry.key()); field && !entry.value().isArray())
                if (!reports.fields.contains(*field, Qt::CaseInsensitive))
                    reports.fields << *field;
        try {
            if (!value.isObject())
                misshapen(QStringLiteral("it"), QStringLiteral("not an object of fields and lists"));
            record.data = reportOf(object);
            keysGivenOnce(object, objects, path);
        } catch (const Misshapen& problem) {
            record.data = {};
            record.problem = problem.text;
        }
        reports.records.append(std::move(record));
    };
    if (text.document.isObject()) {
        add(text.document.object(), file, QString());
    } else {
        const QJsonArray array = text.document.array();
        for (qsizetype index = 0; index < array.size(); ++index)
            add(array.at(index), QStringLiteral("%1 [%2]").arg(file).arg(index),
                QStringLiteral("[%1]").arg(index));
    }
    return reports;
}

Reports readJsonReports(const QString& path)
{
    return jsonReports(readRegularFile(path, kLargestFile), path);
}

} // namespace statusmill::data
