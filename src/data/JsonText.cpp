#include "JsonText.h"

#include "TextEncoding.h"
#include "core/Failure.h"

#include <QRegularExpression>

#include <charconv>

namespace statusmill::data {
namespace {

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

QString placeOf(const QString& file, const QByteArray& text, qsizetype offset)
{
    const auto [line, column] = lineAndColumn(text, offset);
    return QStringLiteral("%1, line %2, column %3").arg(file).arg(line).arg(column);
}

bool isNumberByte(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// The bytes of the number the parser stopped at (it stops just past it).
std::pair<qsizetype, qsizetype> numberAround(const QByteArray& text, qsizetype offset)
{
    qsizetype end = std::clamp<qsizetype>(offset, 0, text.size());
    while (end < text.size() && isNumberByte(text[end]))
        ++end;
    qsizetype start = end;
    while (start > 0 && isNumberByte(text[start - 1]))
        --start;
    return {start, end};
}

// Whether a number that no double holds is too small rather than too large: the
// power of ten of its first digit that is not 0 is below 0.
bool isTooSmall(QByteArrayView number)
{
    static const QRegularExpression parts(QStringLiteral("^-?([0-9]+)(?:\\.([0-9]+))?(?:[eE]([+-]?[0-9]+))?$"));
    const auto match = parts.match(QString::fromLatin1(number));
    const QString whole = match.captured(1);
    const QString fraction = match.captured(2);
    // An exponent of more digits than these is far past any double either way.
    const QString exponentText = match.captured(3);
    const qint64 exponent = exponentText.size() > 12 ? (exponentText.startsWith(QLatin1Char('-')) ? -1000000 : 1000000)
                                                     : exponentText.toLongLong();
    const qsizetype firstWhole = whole.indexOf(QRegularExpression(QStringLiteral("[1-9]")));
    if (firstWhole >= 0)
        return whole.size() - firstWhole - 1 + exponent < 0;
    const qsizetype firstFraction = fraction.indexOf(QRegularExpression(QStringLiteral("[1-9]")));
    return -(firstFraction + 1) + exponent < 0;
}

// Whether the bytes are a number as JSON writes them that no double holds.
bool isOutOfRange(QByteArrayView number)
{
    static const QRegularExpression json(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?([eE][+-]?[0-9]+)?$"));
    if (!json.match(QString::fromLatin1(number)).hasMatch())
        return false;
    double value = 0;
    const char* begin = number.data() + (number.startsWith('-') ? 1 : 0);
    return std::from_chars(begin, number.data() + number.size(), value).ec == std::errc::result_out_of_range;
}

[[noreturn]] void throwParseError(const QByteArray& text, const QJsonParseError& error, const QString& file)
{
    const QByteArray start = text.trimmed().left(1);
    if (!start.isEmpty() && start != "{" && start != "[")
        throw Failure(QStringLiteral("%1 holds neither a report (a JSON object) nor a batch of "
                                     "them (an array of objects)")
                          .arg(file));
    throw Failure(QStringLiteral("%1: %2").arg(placeOf(file, text, error.offset), error.errorString()));
}

} // namespace

JsonText readJsonText(QByteArray bytes, const QString& file)
{
    if (const auto kind = utf16Kind(bytes))
        throw Failure(QStringLiteral("%1, line 1: UTF-16 text (%2); save it as UTF-8").arg(file, *kind));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    for (;;) {
        QJsonParseError error;
        QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
        if (error.error == QJsonParseError::NoError)
            return {bytes, document};
        const auto [start, end] = numberAround(bytes, error.offset);
        const QByteArrayView number(bytes.constData() + start, end - start);
        if (error.error != QJsonParseError::IllegalNumber || !isOutOfRange(number))
            throwParseError(bytes, error, file);
        if (!isTooSmall(number))
            throw Failure(QStringLiteral("%1: the number %2 is too large to be read")
                              .arg(placeOf(file, bytes, start + 1), QString::fromLatin1(number)));
        bytes.replace(start, end - start, QByteArray("0").leftJustified(end - start, ' '));
    }
}

} // namespace statusmill::data
