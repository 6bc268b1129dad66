#include "Placeholders.h"

#include "rule/PlaceholderRule.h"

namespace statusmill::inside {
namespace {

std::u16string_view view(const rtl::OUString& text)
{
    return {reinterpret_cast<const char16_t*>(text.getStr()), size_t(text.getLength())};
}

rtl::OUString ouString(std::u16string_view text)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.data()), sal_Int32(text.size()));
}

} // namespace

std::optional<ListField> listFieldOf(const rtl::OUString& name)
{
    const auto parts = rule::listFieldOf(view(name));
    if (!parts)
        return std::nullopt;
    return ListField{ouString(parts->list), ouString(parts->field)};
}

std::vector<Found> placeholdersIn(const rtl::OUString& text)
{
    std::vector<Found> found;
    for (const rule::Span& span : rule::placeholdersIn(view(text)))
        found.push_back({sal_Int32(span.start), sal_Int32(span.length),
                         text.copy(sal_Int32(span.start) + 1, sal_Int32(span.length) - 2)});
    return found;
}

std::optional<rtl::OUString> wholePlaceholder(const rtl::OUString& text)
{
    if (text.getLength() < 3 || text[0] != '[' || text[text.getLength() - 1] != ']')
        return std::nullopt;
    const rtl::OUString name = text.copy(1, text.getLength() - 2);
    if (!rule::isName(view(name)))
        return std::nullopt;
    return name;
}

rtl::OUString nameKey(const rtl::OUString& name)
{
    return ouString(rule::nameKey(view(name)));
}

bool isNoneRowField(const rtl::OUString& field)
{
    return rule::isNoneRowField(view(field));
}

bool namesStatus(const rtl::OUString& name)
{
    return rule::namesStatus(view(name));
}

} // namespace statusmill::inside
