#include "Values.h"

#include "Placeholders.h"

#include <algorithm>

namespace statusmill::inside {

using rtl::OUString;

Values::Values(const css::uno::Sequence<css::beans::NamedValue>& fields,
               const css::uno::Sequence<css::beans::NamedValue>& lists)
{
    for (const auto& field : fields) {
        OUString text;
        field.Value >>= text;
        m_fields.emplace(key(field.Name), text);
    }
    for (const auto& list : lists) {
        css::uno::Sequence<css::uno::Sequence<css::beans::NamedValue>> items;
        list.Value >>= items;
        ListData data{list.Name, {}};
        data.items.reserve(size_t(items.getLength()));
        for (const auto& item : items) {
            auto& values = data.items.emplace_back();
            for (const auto& field : item) {
                OUString text;
                field.Value >>= text;
                values.emplace(key(field.Name), text);
            }
        }
        m_lists.push_back(std::move(data));
    }
}

const OUString& Values::key(const OUString& name) const
{
    const auto known = m_keys.find(name);
    if (known != m_keys.end())
        return known->second;
    return m_keys.emplace(name, nameKey(name)).first->second;
}

const ListData* Values::list(const OUString& name) const
{
    const OUString& wanted = key(name);
    const auto found = std::find_if(m_lists.begin(), m_lists.end(),
                                    [&](const ListData& list) { return key(list.name) == wanted; });
    return found == m_lists.end() ? nullptr : &*found;
}

std::optional<OUString> Values::textOf(const OUString& name, const ListData* list, size_t item) const
{
    const auto field = listFieldOf(name);
    if (!field) {
        const auto found = m_fields.find(key(name));
        return found == m_fields.end() ? std::nullopt : std::optional<OUString>(found->second);
    }
    if (!list || key(field->list) != key(list->name))
        return std::nullopt;
    // What marks the none row of a list given empty goes, and the row shows the rest.
    if (list->items.empty() && isNoneRowField(field->field))
        return OUString();
    if (item >= list->items.size())
        return std::nullopt;
    if (field->field == "#")
        return OUString::number(sal_Int64(item) + 1);
    const auto& values = list->items[item];
    const auto found = values.find(key(field->field));
    return found == values.end() ? OUString() : found->second;
}

size_t Values::items() const
{
    size_t count = 0;
    for (const ListData& list : m_lists)
        count += list.items.size();
    return count;
}

} // namespace statusmill::inside
