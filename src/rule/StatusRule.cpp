#include "StatusRule.h"

#include <unicode/uchar.h>

namespace statusmill::rule {
namespace {

bool isSpace(char16_t c)
{
    return c <= u' ' || u_isUWhiteSpace(c);
}

std::u16string_view trimmed(std::u16string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

char16_t upper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
}

bool sameInAnyCase(std::u16string_view text, std::u16string_view name)
{
    if (text.size() != name.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (upper(text[i]) != upper(name[i]))
            return false;
    return true;
}

} // namespace

std::optional<Status> statusOf(std::u16string_view text, bool shortForms)
{
    static constexpr std::u16string_view kNames[] = {u"Green", u"Amber", u"Red"};
    const std::u16string_view status = trimmed(text);
    for (int index = 0; index < 3; ++index) {
        if (sameInAnyCase(status, kNames[index]))
            return Status(index);
        if (shortForms && status.size() == 1 && upper(status.front()) == kNames[index].front())
            return Status(index);
    }
    return std::nullopt;
}

} // namespace statusmill::rule
