#include "Numbers.h"

#include "WindowFields.h"

#include <cmath>

namespace statusmill::data {
namespace {

// What stands around a number without being part of it: a currency's sign, the
// spaces beside it, a percent sign.
bool isDecoration(QChar c)
{
    return c.category() == QChar::Symbol_Currency || c.isSpace() || c == QLatin1Char('%');
}

QString withoutDecoration(QString text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isDecoration(text.at(start)))
        ++start;
    while (end > start && isDecoration(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

std::optional<double> plainNumberOf(const QString& text, const QLocale& locale)
{
    for (const QLocale& reading : {locale, QLocale::c()}) {
        bool ok = false;
        const double number = reading.toDouble(text, &ok);
        if (ok)
            return number;
    }
    return std::nullopt;
}

} // namespace

std::optional<double> numberOf(const QString& written, const QLocale& locale)
{
    QString text = written.trimmed();
    text.replace(QChar(0x2212), QLatin1Char('-')); // the typographic minus
    bool negative = false;
    // "(5,000)", as accounts write a loss.
    if (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))) {
        negative = true;
        text = text.mid(1, text.size() - 2);
    }
    // "-£5" and "£-5" alike: the sign may stand outside the currency's.
    text = withoutDecoration(text);
    if (text.startsWith(QLatin1Char('-')) && !negative) {
        negative = true;
        text = withoutDecoration(text.mid(1));
    }
    // One sign at most: "-(5)" and "--5" are no numbers.
    if (negative && (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))))
        return std::nullopt;
    const auto number = plainNumberOf(text, locale);
    if (!number || !std::isfinite(*number))
        return std::nullopt;
    return negative ? -*number : *number;
}

std::optional<double> numberOf(const Field& field, const QLocale& locale)
{
    if (field.number)
        return field.number;
    return numberOf(field.text, locale);
}

QLocale localeOfNumbers()
{
    return localeOfDates(qEnvironmentVariable("LC_NUMERIC"), qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LANG"));
}

} // namespace statusmill::data
