#include "PlaceholderRule.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace statusmill::rule {
namespace {

bool isLineBreak(char32_t c)
{
    switch (c) {
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

bool endsName(char32_t c)
{
    return c == u'[' || c == u']' || isLineBreak(c);
}

bool isLetter(char32_t c)
{
    return (U_GET_GC_MASK(c) & U_GC_L_MASK) != 0;
}

bool isLetterOrNumber(char32_t c)
{
    return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_N_MASK)) != 0;
}

bool isSpace(char32_t c)
{
    return u_isUWhiteSpace(UChar32(c)) != 0;
}

// The code point at `at`; a lone surrogate stands for itself.
char32_t codePointAt(std::u16string_view text, std::size_t& at)
{
    char32_t c = 0;
    U16_NEXT(text.data(), at, text.size(), c);
    return c;
}

char32_t lastCodePoint(std::u16string_view text)
{
    std::size_t at = text.size();
    char32_t c = 0;
    U16_PREV(text.data(), 0, at, c);
    return c;
}

// A part of a list field's name: starts with a letter, no space at its end.
bool isPartName(std::u16string_view part)
{
    if (part.empty())
        return false;
    std::size_t at = 0;
    return isLetter(codePointAt(part, at)) && !isSpace(lastCodePoint(part));
}

} // namespace

bool isName(std::u16string_view name)
{
    std::size_t characters = 0;
    bool letterOrNumber = false;
    for (std::size_t at = 0; at < name.size();) {
        const char32_t c = codePointAt(name, at);
        if (endsName(c))
            return false;
        letterOrNumber = letterOrNumber || isLetterOrNumber(c);
        ++characters;
    }
    return characters >= 1 && characters <= kLongestName && letterOrNumber;
}

std::vector<Span> placeholdersIn(std::u16string_view text)
{
    std::vector<Span> found;
    std::size_t at = text.find(u'[');
    while (at != std::u16string_view::npos) {
        // The name runs to the next bracket or line break: each character is
        // looked at once, however many brackets open and never close.
        std::size_t end = at + 1;
        while (end < text.size() && !endsName(text[end]))
            ++end;
        if (end == text.size())
            break;
        if (text[end] == u']' && isName(text.substr(at + 1, end - at - 1)))
            found.push_back({at, end - at + 1});
        at = text[end] == u'[' ? end : text.find(u'[', end + 1);
    }
    return found;
}

std::optional<ListFieldName> listFieldOf(std::u16string_view name)
{
    const std::size_t dot = name.find(u'.');
    if (dot == std::u16string_view::npos || name.find(u'.', dot + 1) != std::u16string_view::npos ||
        !isName(name))
        return std::nullopt;
    const ListFieldName parts{name.substr(0, dot), name.substr(dot + 1)};
    if (!isPartName(parts.list) || (parts.field != kItemNumberField && !isPartName(parts.field)))
        return std::nullopt;
    return parts;
}

std::u16string nameKey(std::u16string_view name)
{
    std::u16string key;
    key.reserve(name.size());
    for (std::size_t at = 0; at < name.size();) {
        const auto folded = UChar32(u_foldCase(UChar32(codePointAt(name, at)), U_FOLD_CASE_DEFAULT));
        UChar units[2];
        std::size_t length = 0;
        U16_APPEND_UNSAFE(units, length, folded);
        key.append(reinterpret_cast<const char16_t*>(units), length);
    }
    return key;
}

bool isNoneRowField(std::u16string_view field)
{
    static const std::u16string none = nameKey(kNoneRowField);
    return nameKey(field) == none;
}

bool namesStatus(std::u16string_view name)
{
    static const std::u16string status = nameKey(u"status");
    const auto field = listFieldOf(name);
    const std::u16string key = nameKey(field ? field->field : name);
    return key.size() >= status.size() && key.compare(key.size() - status.size(), status.size(), status) == 0;
}

} // namespace statusmill::rule
