#include "ReportNames.h"

#include "data/WindowFields.h"

namespace statusmill::cli {
namespace {

constexpr qsizetype kLongestName = 200; // bytes, as UTF-8

} // namespace

std::optional<QString> patternProblem(const QString& pattern, const QStringList& fields)
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
            const auto field = data::fieldOfColumn(name);
            if (!field || !fields.contains(*field, Qt::CaseInsensitive))
                return QStringLiteral("no column or placeholder is called \"%1\"").arg(name);
        }
        at = close;
    }
    return std::nullopt;
}

namespace {

// A stretch of a filled-in pattern: its own text and the row's number, or a value.
struct Piece
{
    QString text;
    bool value = false;
};

QList<Piece> expandPieces(const QString& pattern, int row, int rowDigits,
                          const data::ReportData& report)
{
    QList<Piece> pieces{Piece{}};
    auto literal = [&](const QString& text) {
        if (pieces.constLast().value)
            pieces.append(Piece{});
        pieces.last().text += text;
    };
    for (qsizetype at = 0; at < pattern.size(); ++at) {
        const QChar c = pattern.at(at);
        const QString pair = pattern.mid(at, 2);
        if (pair == QLatin1String("{{") || pair == QLatin1String("}}")) {
            literal(c);
            ++at;
            continue;
        }
        const qsizetype close = c == QLatin1Char('{') ? pattern.indexOf(QLatin1Char('}'), at) : -1;
        if (close < 0) {
            literal(c);
            continue;
        }
        const QString key = pattern.mid(at + 1, close - at - 1);
        if (key.compare(QLatin1String("row"), Qt::CaseInsensitive) == 0) {
            literal(QStringLiteral("%1").arg(row, rowDigits, 10, QLatin1Char('0')));
        } else if (const auto field = data::fieldOfColumn(key)) {
            if (const auto text = report.field(*field))
                pieces.append(Piece{*text, true});
        }
        at = close;
    }
    return pieces;
}

// What the text takes in UTF-8, as toUtf8() writes it (a lone surrogate as U+FFFD).
qsizetype utf8Size(QStringView text)
{
    qsizetype size = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        if (c < 0x80)
            size += 1;
        else if (c < 0x800)
            size += 2;
        else if (QChar::isHighSurrogate(c) && at + 1 < text.size() && text[at + 1].isLowSurrogate())
            size += 4, ++at;
        else
            size += 3;
    }
    return size;
}

// Cuts the text to at most `bytes` in UTF-8, between whole characters; what is left
// takes the bytes returned.
qsizetype cutToBytes(QString& text, qsizetype bytes)
{
    qsizetype size = 0;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype length =
            text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate() ? 2 : 1;
        const qsizetype more = utf8Size(QStringView(text).mid(at, length));
        if (size + more > bytes)
            break;
        size += more;
        at += length;
    }
    text.truncate(at);
    return size;
}

bool isUnsafe(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control ||
           c == QLatin1Char('/');
}

// No leading dot, dash or space (a hidden file, an option), no trailing space.
void trimEdges(QList<Piece>& pieces)
{
    for (Piece& piece : pieces) {
        qsizetype from = 0;
        while (from < piece.text.size() &&
               (piece.text[from] == QLatin1Char('.') || piece.text[from] == QLatin1Char('-') ||
                piece.text[from].isSpace()))
            ++from;
        piece.text.remove(0, from);
        if (!piece.text.isEmpty())
            break;
    }
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        qsizetype to = piece->text.size();
        while (to > 0 && piece->text[to - 1].isSpace())
            --to;
        piece->text.truncate(to);
        if (!piece->text.isEmpty())
            break;
    }
}

// Too long a name gives up bytes of its values, the shortest keeping the most, so
// that the pattern's own text and the row's number stay and rows stay apart; only
// a pattern too long by itself is cut at its end.
void shorten(QList<Piece>& pieces, qsizetype room)
{
    QList<qsizetype> sizes;
    qsizetype total = 0;
    qsizetype fixed = 0;
    for (const Piece& piece : std::as_const(pieces)) {
        sizes << utf8Size(piece.text);
        total += sizes.constLast();
        if (!piece.value)
            fixed += sizes.constLast();
    }
    if (total <= room)
        return;
    QList<qsizetype> values;
    for (qsizetype index = 0; index < pieces.size(); ++index)
        if (pieces.at(index).value)
            values << index;
    std::stable_sort(values.begin(), values.end(),
                     [&](qsizetype a, qsizetype b) { return sizes.at(a) < sizes.at(b); });
    qsizetype left = std::max<qsizetype>(0, room - fixed);
    for (qsizetype counted = 0; counted < values.size(); ++counted) {
        const qsizetype share = left / (values.size() - counted);
        left -= cutToBytes(pieces[values.at(counted)].text, share);
    }
    if (fixed > room) {
        QString whole;
        for (const Piece& piece : std::as_const(pieces))
            whole += piece.text;
        cutToBytes(whole, room);
        pieces = {Piece{whole, false}};
    }
}

std::optional<QString> safeName(QList<Piece> pieces, const QString& extension)
{
    for (Piece& piece : pieces)
        for (QChar& c : piece.text)
            if (isUnsafe(c))
                c = QLatin1Char('_');
    trimEdges(pieces);
    shorten(pieces, kLongestName - utf8Size(extension));
    // A value cut away may leave the pattern's text at an edge.
    trimEdges(pieces);
    QString safe;
    for (const Piece& piece : std::as_const(pieces))
        safe += piece.text;
    if (safe.isEmpty())
        return std::nullopt;
    return safe + extension;
}

} // namespace

QString expandPattern(const QString& pattern, int row, int rowDigits, const data::ReportData& report)
{
    QString name;
    for (const Piece& piece : expandPieces(pattern, row, rowDigits, report))
        name += piece.text;
    return name;
}

std::optional<QString> safeFileName(const QString& name, const QString& extension)
{
    return safeName({Piece{name, true}}, extension);
}

std::optional<QString> reportFileName(const QString& pattern, int row, int rowDigits,
                                      const data::ReportData& report, const QString& extension)
{
    return safeName(expandPieces(pattern, row, rowDigits, report), extension);
}

} // namespace statusmill::cli
