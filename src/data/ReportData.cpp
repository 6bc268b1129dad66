#include "ReportData.h"

#include <algorithm>

namespace statusmill::data {
namespace {

template <class T> auto named(T& items, const QString& name)
{
    return std::find_if(items.begin(), items.end(), [&](const auto& item) {
        return item.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

} // namespace

std::optional<QString> fieldOf(const QList<Field>& item, const QString& name)
{
    const auto found = named(item, name);
    return found == item.end() ? std::nullopt : std::optional<QString>(found->text);
}

std::optional<QString> ReportData::field(const QString& name) const
{
    return fieldOf(m_fields, name);
}

void ReportData::setField(const QString& name, const QString& text)
{
    if (const auto found = named(m_fields, name); found != m_fields.end())
        found->text = text;
    else
        m_fields.append({name, text});
}

const List* ReportData::list(const QString& name) const
{
    const auto found = named(m_lists, name);
    return found == m_lists.end() ? nullptr : &*found;
}

void ReportData::setList(List list)
{
    if (const auto found = named(m_lists, list.name); found != m_lists.end())
        *found = std::move(list);
    else
        m_lists.append(std::move(list));
}

} // namespace statusmill::data
