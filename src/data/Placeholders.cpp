#include "Placeholders.h"

#include <algorithm>

namespace statusmill::data {
namespace {

bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
    case u'\r':
    case u'\v': // Word's manual line break
    case u'\f':
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

bool endsName(QChar c)
{
    return c == u'[' || c == u']' || isLineBreak(c);
}

bool hasLetterOrDigit(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

// A part of a list field's name: starts with a letter, no space at either end.
bool isPartName(QStringView part)
{
    return !part.isEmpty() && part.front().isLetter() && !part.back().isSpace();
}

} // namespace

bool isPlaceholderName(QStringView name)
{
    return !name.isEmpty() && name.size() <= kLongestPlaceholderName &&
           std::none_of(name.begin(), name.end(), endsName) && hasLetterOrDigit(name);
}

QList<PlaceholderAt> placeholdersIn(QStringView text)
{
    QList<PlaceholderAt> found;
    qsizetype at = text.indexOf(u'[');
    while (at >= 0) {
        // The name runs to the next bracket or line break: each character is
        // looked at once, however many brackets open and never close.
        qsizetype end = at + 1;
        while (end < text.size() && !endsName(text[end]))
            ++end;
        if (end == text.size())
            break;
        const QStringView name = text.sliced(at + 1, end - at - 1);
        if (text[end] == u']' && isPlaceholderName(name))
            found.append({at, end - at + 1, name.toString()});
        at = text[end] == u'[' ? end : text.indexOf(u'[', end + 1);
    }
    return found;
}

std::optional<ListField> listFieldOf(QStringView name)
{
    const qsizetype dot = name.indexOf(u'.');
    if (dot < 0 || name.indexOf(u'.', dot + 1) >= 0 || !isPlaceholderName(name))
        return std::nullopt;
    const QStringView list = name.first(dot);
    const QStringView field = name.sliced(dot + 1);
    if (!isPartName(list) || (field != QStringView(kItemNumberField) && !isPartName(field)))
        return std::nullopt;
    return ListField{list.toString(), field.toString()};
}

QString bracketed(const QString& name)
{
    return QLatin1Char('[') + name + QLatin1Char(']');
}

} // namespace statusmill::data
