#pragma once

// Writes a report's values where its placeholders stand: a field's text, or in a
// copy of a list row its item's; a comment's placeholders in its text; a status in
// the key's colour where its placeholder names a status; a link whose target is a
// placeholder pointed at its value. Notes what the data gave
// no text for. Runs inside the office.

#include "Spots.h"
#include "StatusKey.h"
#include "Values.h"

#include <com/sun/star/table/XCell.hpp>

#include <set>

namespace statusmill::inside {

class Filler
{
public:
    Filler(const Values& values, const StatusKey& key) : m_values(values), m_key(key) {}

    // Writes each spot's text: in a copy of a row of `list`, with its item `item`.
    void fill(const std::vector<Spot>& spots, const ListData* list = nullptr, size_t item = 0);
    // The same for the comments, each rewritten whole as plain text; a comment is
    // filled once, the first time it is given.
    void fillComments(const std::vector<css::uno::Reference<css::beans::XPropertySet>>& comments,
                      const ListData* list = nullptr, size_t item = 0);
    void fill(const RowContent& content, const ListData& list, size_t item)
    {
        fill(content.spots, &list, item);
        fillComments(content.comments, &list, item);
    }
    // An empty cell of a new row, written with what the placeholder `name` of its
    // row's cell gives item `item` of `list`.
    void writeCell(const css::uno::Reference<css::table::XCell>& cell, const rtl::OUString& name,
                   const ListData& list, size_t item);

    // Notes the placeholders of a text that is filled elsewhere (a drawing shape's,
    // with fields only) that the data gives no text for.
    void noteLeftIn(const rtl::OUString& text);

    sal_Int32 filled() const { return m_filled; }
    // The names of the placeholders the data gave no text for, each once, as first met.
    const std::vector<rtl::OUString>& left() const { return m_left; }

private:
    void leave(const rtl::OUString& name);
    // Points the link of a filled spot at the value of the placeholder its
    // template's target was; an empty value takes the link away.
    void linkTo(const css::uno::Reference<css::beans::XPropertySet>& range, const rtl::OUString& name,
                const ListData* list, size_t item);

    const Values& m_values;
    const StatusKey& m_key;
    sal_Int32 m_filled = 0;
    std::vector<rtl::OUString> m_left;
    std::set<rtl::OUString> m_leftKeys;
    std::set<css::uno::XInterface*> m_commentsFilled;
    // Held, so that no other object takes a filled comment's address.
    std::vector<css::uno::Reference<css::uno::XInterface>> m_commentsHeld;
};

} // namespace statusmill::inside
