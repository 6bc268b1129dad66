#include "Placeholders.h"

namespace statusmill::inside {
namespace {

constexpr sal_Int32 kLongestName = 200;

bool isWordCharacter(sal_Unicode c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isWord(const rtl::OUString& text)
{
    if (text.isEmpty())
        return false;
    for (sal_Int32 i = 0; i < text.getLength(); ++i)
        if (!isWordCharacter(text[i]))
            return false;
    return true;
}

} // namespace

std::optional<ListField> listFieldOf(const rtl::OUString& name)
{
    const sal_Int32 dot = name.indexOf('.');
    if (dot < 0 || name.indexOf('.', dot + 1) >= 0)
        return std::nullopt;
    ListField field{name.copy(0, dot), name.copy(dot + 1)};
    if (!isWord(field.list) || (field.field != "#" && !isWord(field.field)))
        return std::nullopt;
    return field;
}

std::vector<Found> placeholdersIn(const rtl::OUString& text)
{
    std::vector<Found> found;
    sal_Int32 open = -1;
    for (sal_Int32 i = 0; i < text.getLength(); ++i) {
        const sal_Unicode c = text[i];
        if (c == '[') {
            open = i;
        } else if (c == '\n' || c == '\r') {
            open = -1;
        } else if (c == ']' && open >= 0) {
            const sal_Int32 length = i - open - 1;
            if (length >= 1 && length <= kLongestName)
                found.push_back({open, length + 2, text.copy(open + 1, length)});
            open = -1;
        }
    }
    return found;
}

} // namespace statusmill::inside
