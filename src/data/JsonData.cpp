#include "JsonData.h"

#include "Placeholders.h"
#include "WindowFields.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
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
    QStringList keys; // the key that gave each field, for a second one
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
                    item.append({field.key(), textOf(field.value(), pathOf(itemPath, field.key()))});
                list.items.append(item);
            }
            data.setList(std::move(list));
            continue;
        }
        const auto field = fieldOfColumn(key);
        if (!field)
            misshapen(QStringLiteral("\"%1\"").arg(key), QStringLiteral("no field's name"));
        if (data.field(*field)) {
            const auto earlier = std::find_if(keys.begin(), keys.end(), [&](const QString& k) {
                return fieldOfColumn(k)->compare(*field, Qt::CaseInsensitive) == 0;
            });
            misshapen(QStringLiteral("\"%1\"").arg(key),
                      QStringLiteral("a second name of %1, which \"%2\" fills")
                          .arg(bracketed(*field), *earlier));
        }
        keys << key;
        data.setField(*field, textOf(value, key));
    }
    return data;
}

// Line and column (in characters), counted from 1, of what a parse error's offset
// names: the parser stops one past the character it could not take, but at a
// token after spaces.
std::pair<int, int> lineAndColumn(const QByteArray& text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset - 1, 0, text.size());
    while (offset < text.size() && QChar::isSpace(uchar(text[offset])))
        ++offset;
    const QByteArrayView before(text.constData(), offset);
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    const int column = int(QString::fromUtf8(before.sliced(lineStart)).size()) + 1;
    return {int(before.count('\n')) + 1, column};
}

} // namespace

bool isJsonName(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0;
}

Reports jsonReports(QByteArray bytes, const QString& file)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        const QByteArray start = bytes.trimmed().left(1);
        if (!start.isEmpty() && start != "{" && start != "[")
            throw Failure(QStringLiteral("%1 holds neither a report (a JSON object) nor a batch of "
                                         "them (an array of objects)")
                              .arg(file));
        const auto [line, column] = lineAndColumn(bytes, error.offset);
        throw Failure(QStringLiteral("%1, line %2, column %3: %4")
                          .arg(file)
                          .arg(line)
                          .arg(column)
                          .arg(error.errorString()));
    }
    Reports reports;
    auto add = [&](const QJsonValue& value, const QString& where) {
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
        } catch (const Misshapen& problem) {
            record.problem = problem.text;
        }
        reports.records.append(std::move(record));
    };
    if (document.isObject()) {
        add(document.object(), file);
    } else {
        const QJsonArray array = document.array();
        for (qsizetype index = 0; index < array.size(); ++index)
            add(array.at(index), QStringLiteral("%1 [%2]").arg(file).arg(index));
    }
    return reports;
}

Reports readJsonReports(const QString& path)
{
    return jsonReports(readRegularFile(path, kLargestFile), path);
}

} // namespace statusmill::data
