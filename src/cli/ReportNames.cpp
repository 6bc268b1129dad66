#include "ReportNames.h"

namespace statusmill::cli {
namespace {

constexpr qsizetype kLongestName = 200; // bytes, as UTF-8

// The four placeholders the window fills, with the names a table may give them.
struct Known
{
    const char* placeholder;
    QStringList names; // compared in lower case with spaces removed
};

const Known kKnown[] = {
    {"[ProjectName]", {"projectname"}},
    {"[Department]", {"department"}},
    {"[FocusArea]", {"focusarea"}},
    {"[Product]", {"product", "product/process"}},
};

QString normalised(QString name)
{
    return name.remove(QLatin1Char(' ')).toLower();
}

} // namespace

std::optional<QString> placeholderOfColumn(const QString& column)
{
    QString name = column.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2).trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('[')) || name.contains(QLatin1Char(']')))
        return std::nullopt;
    for (const Known& known : kKnown)
        if (known.names.contains(normalised(name)))
            return QLatin1String(known.placeholder);
    return QLatin1Char('[') + name + QLatin1Char(']');
}

std::optional<QString> patternProblem(const QString& pattern, const QStringList& known)
{
    for (qsizetype at = 0; at < pattern.size(); ++at) {
        const QChar c = pattern.at(at);
        if (c == QLatin1Char('}')) {
            if (pattern.mid(at, 2) != QLatin1String("}}"))
                return QStringLiteral("a \"}\" without its \"{\"");
            ++at;
            continue;
        }
        if (c != QLatin1Char('{'))
            continue;
        if (pattern.mid(at, 2) == QLatin1String("{{")) {
            ++at;
            continue;
        }
        const qsizetype close = pattern.indexOf(QLatin1Char('}'), at);
        if (close < 0)
            return QStringLiteral("a \"{\" without its \"}\"");
        const QString name = pattern.mid(at + 1, close - at - 1);
        if (name.compare(QLatin1String("row"), Qt::CaseInsensitive) != 0) {
            const auto placeholder = placeholderOfColumn(name);
            const bool found = placeholder && std::any_of(known.begin(), known.end(), [&](const QString& k) {
                                   return k.compare(*placeholder, Qt::CaseInsensitive) == 0;
                               });
            if (!found)
                return QStringLiteral("no column or placeholder is called \"%1\"").arg(name);
        }
        at = close;
    }
    return std::nullopt;
}

QString expandPattern(const QString& pattern, int row, int rowDigits,
                      const QHash<QString, QString>& values)
{
    QString name;
    for (qsizetype at = 0; at < pattern.size(); ++at) {
        const QChar c = pattern.at(at);
        const QString pair = pattern.mid(at, 2);
        if (pair == QLatin1String("{{") || pair == QLatin1String("}}")) {
            name += c;
            ++at;
            continue;
        }
        const qsizetype close = c == QLatin1Char('{') ? pattern.indexOf(QLatin1Char('}'), at) : -1;
        if (close < 0) {
            name += c;
            continue;
        }
        const QString key = pattern.mid(at + 1, close - at - 1);
        if (key.compare(QLatin1String("row"), Qt::CaseInsensitive) == 0) {
            name += QStringLiteral("%1").arg(row, rowDigits, 10, QLatin1Char('0'));
        } else if (const auto placeholder = placeholderOfColumn(key)) {
            for (auto it = values.begin(); it != values.end(); ++it)
                if (it.key().compare(*placeholder, Qt::CaseInsensitive) == 0)
                    name += it.value();
        }
        at = close;
    }
    return name;
}

std::optional<QString> safeFileName(const QString& name, const QString& extension)
{
    QString safe;
    for (const QChar c : name) {
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7f ||
                             c.category() == QChar::Other_Control;
        safe += control || c == QLatin1Char('/') ? QLatin1Char('_') : c;
    }
    safe = safe.trimmed();
    while (!safe.isEmpty() && (safe.front() == QLatin1Char('.') || safe.front() == QLatin1Char('-') ||
                               safe.front().isSpace()))
        safe.remove(0, 1);
    // Shortened a whole character at a time, never inside one.
    const qsizetype room = kLongestName - extension.toUtf8().size();
    while (safe.toUtf8().size() > room) {
        safe.chop(1);
        if (!safe.isEmpty() && safe.back().isHighSurrogate())
            safe.chop(1);
    }
    safe = safe.trimmed();
    if (safe.isEmpty())
        return std::nullopt;
    return safe + extension;
}

} // namespace statusmill::cli
