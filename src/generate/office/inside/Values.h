#pragma once

// The values of one report as the fill asks for them: each field's text, and each
// list's items, by their names in any letter case. Runs inside the office.

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/uno/Sequence.hxx>

#include <map>
#include <optional>
#include <vector>

namespace statusmill::inside {

namespace css = ::com::sun::star;

// A list as the data gives it: its items, each a field's name key and its text,
// and beside them the numbers of the fields that read as numbers (by name key), for
// charts; `numbers` is as long as `items`.
struct ListData
{
    rtl::OUString name;
    std::vector<std::map<rtl::OUString, rtl::OUString>> items;
    std::vector<std::map<rtl::OUString, double>> numbers;
};

class Values
{
public:
    // `fields`: each a field's name and its text; `lists`: each a list's name and
    // its items, as a sequence of sequences of NamedValue (an item's fields);
    // `numbers`: for a list, its items' fields that read as numbers, each a
    // NamedValue of a field's name and a double, item for item as in `lists`.
    Values(const css::uno::Sequence<css::beans::NamedValue>& fields,
           const css::uno::Sequence<css::beans::NamedValue>& lists,
           const css::uno::Sequence<css::beans::NamedValue>& numbers = {});

    // The text of the placeholder named `name`: a field's, or, in a row of `list`,
    // the field of its item `item` (counted from 0; "#" is the item's number, and a
    // field the item does not give is empty). Nothing when the data has no text for
    // it: a field it does not give, a list's field outside a row of that list. In a
    // row of a list with no items, "None" is empty: the marker of its none row.
    std::optional<rtl::OUString> textOf(const rtl::OUString& name, const ListData* list = nullptr,
                                        size_t item = 0) const;

    // The list of that name, when the data has it at all.
    const ListData* list(const rtl::OUString& name) const;

    // The number field `field` of item `item` of the list reads as; nothing when
    // its text is no number.
    std::optional<double> numberOf(const rtl::OUString& field, const ListData& list, size_t item) const;

    // How many items all the lists have.
    size_t items() const;

private:
    void addNumbers(const css::beans::NamedValue& list);
    const rtl::OUString& key(const rtl::OUString& name) const;

    std::map<rtl::OUString, rtl::OUString> m_fields;
    std::vector<ListData> m_lists;
    // A report asks for the same few names hundreds of times.
    mutable std::map<rtl::OUString, rtl::OUString> m_keys;
};

} // namespace statusmill::inside
