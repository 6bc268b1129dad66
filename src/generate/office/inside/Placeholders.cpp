#include "Placeholders.h"

namespace statusmill::inside {
namespace {

constexpr sal_Int32 kLongestName = 200;

bool isLineBreak(sal_Unicode c)
{
    return c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x0085 || c == 0x2028 ||
           c == 0x2029;
}

bool endsName(sal_Unicode c)
{
    return c == '[' || c == ']' || isLineBreak(c);
}

bool isSpace(sal_Unicode c)
{
    return c == ' ' || c == '\t' || c == 0x00A0 || (c >= 0x2000 && c <= 0x200B) || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// Latin-1's signs, and the blocks of punctuation, symbols and spaces, are no
// letters; every other character outside ASCII is taken for one.
bool isLetter(sal_Unicode c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return !(c < 0xC0 || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x2BFF) ||
             (c >= 0x3000 && c <= 0x303F) || (c >= 0xFE30 && c <= 0xFE4F) ||
             (c >= 0xFF00 && c <= 0xFF20) || c >= 0xFFF0);
}

bool isLetterOrDigit(sal_Unicode c)
{
    return (c >= '0' && c <= '9') || isLetter(c);
}

bool isName(const sal_Unicode* name, sal_Int32 length)
{
    bool letterOrDigit = false;
    for (sal_Int32 i = 0; i < length; ++i) {
        if (endsName(name[i]))
            return false;
        letterOrDigit = letterOrDigit || isLetterOrDigit(name[i]);
    }
    return length >= 1 && length <= kLongestName && letterOrDigit;
}

bool isPartName(const rtl::OUString& part)
{
    return !part.isEmpty() && isLetter(part[0]) && !isSpace(part[part.getLength() - 1]);
}

} // namespace

std::optional<ListField> listFieldOf(const rtl::OUString& name)
{
    const sal_Int32 dot = name.indexOf('.');
    if (dot < 0 || name.indexOf('.', dot + 1) >= 0 || !isName(name.getStr(), name.getLength()))
        return std::nullopt;
    ListField field{name.copy(0, dot), name.copy(dot + 1)};
    if (!isPartName(field.list) || (field.field != "#" && !isPartName(field.field)))
        return std::nullopt;
    return field;
}

std::vector<Found> placeholdersIn(const rtl::OUString& text)
{
    std::vector<Found> found;
    sal_Int32 at = text.indexOf('[');
    while (at >= 0) {
        sal_Int32 end = at + 1;
        while (end < text.getLength() && !endsName(text[end]))
            ++end;
        if (end == text.getLength())
            break;
        if (text[end] == ']' && isName(text.getStr() + at + 1, end - at - 1))
            found.push_back({at, end - at + 1, text.copy(at + 1, end - at - 1)});
        at = text[end] == '[' ? end : text.indexOf('[', end + 1);
    }
    return found;
}

} // namespace statusmill::inside
