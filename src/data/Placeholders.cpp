#include "Placeholders.h"

#include "rule/PlaceholderRule.h"

namespace statusmill::data {
namespace {

std::u16string_view view(QStringView text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())};
}

QString qString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

} // namespace

bool isPlaceholderName(QStringView name)
{
    return rule::isName(view(name));
}

QList<PlaceholderAt> placeholdersIn(QStringView text)
{
    QList<PlaceholderAt> found;
    for (const rule::Span& span : rule::placeholdersIn(view(text)))
        found.append({qsizetype(span.start), qsizetype(span.length),
                      text.sliced(qsizetype(span.start) + 1, qsizetype(span.length) - 2).toString()});
    return found;
}

std::optional<ListField> listFieldOf(QStringView name)
{
    const auto parts = rule::listFieldOf(view(name));
    if (!parts)
        return std::nullopt;
    return ListField{qString(parts->list), qString(parts->field)};
}

bool isNoneRowField(QStringView field)
{
    return rule::isNoneRowField(view(field));
}

QString bracketed(const QString& name)
{
    return QLatin1Char('[') + name + QLatin1Char(']');
}

} // namespace statusmill::data
