#include "Values.h"

#include "Placeholders.h"

#include <algorithm>

namespace statusmill::inside {

using rtl::OUString;

Values::Values(const css::uno::Sequence<css::beans::NamedValue>& fields,
               const css::uno::Sequence<css::beans::NamedValue>& lists,
               const css::uno::Sequence<css::beans::NamedValue>& numbers)
{
    for (const auto& field : fields) {
        OUString text;
        field.Value >>= text;
        m_fields.emplace(key(field.Name), text);
    }
    for (const auto& list : lists) {
        css::uno::Sequence<css::uno::Sequence<css::beans::NamedValue>> items;
        list.Value >>= items;
        ListData data{list.Name, {}, {}};
        data.items.reserve(size_t(items.getLength()));
        for (const auto& item : items) {
            auto& values = data.items.emplace_back();
            for (const auto& field : item) {
                OUString text;
                field.Value >>= text;
                values.emplace(key(field.Name), text);
            }
        }
        data.numbers.resize(data.items.size());
        m_lists.push_back(std::move(data));
    }
    for (const auto& list : numbers)
        addNumbers(list);
}

void Values::addNumbers(const css::beans::NamedValue& list)
{
    const OUString& wanted = key(list.Name);
    const auto found = std::find_if(m_lists.begin(), m_lists.end(),
                                    [&](const ListData& data) { return key(data.name) == wanted; });
    if (found == m_lists.end())
        return;
    ListData& data = *found;
    css::uno::Sequence<css::uno::Sequence<css::beans::NamedValue>> items;
    list.Value >>= items;
    // Numbers for items the list does not have are no one's.
    const size_t count = std::min(data.numbers.size(), size_t(items.getLength()));
    for (size_t item = 0; item < count; ++item)
        for (const auto& field : items[sal_Int32(item)]) {
            double number = 0;
            if (field.Value >>= number)
                data.numbers[item].insert_or_assign(key(field.Name), number);
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

std::optional<double> Values::numberOf(const OUString& field, const ListData& list, size_t item) const
{
    if (item >= list.numbers.size())
        return std::nullopt;
    const auto& numbers = list.numbers[item];
    const auto found = numbers.find(key(field));
    return found == numbers.end() ? std::nullopt : std::optional<double>(found->second);
}

size_t Values::items() const
{
    size_t count = 0;
    for (const ListData& list : m_lists)
        count += list.items.size();
    return count;
}

} // namespace statusmill::inside
