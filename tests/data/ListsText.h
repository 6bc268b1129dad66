#pragma once

// A report's lists as one line of text, for tests to compare.

#include "data/ReportData.h"

#include <QStringList>

namespace statusmill::testing {

// Each record's lists: "Milestones: Design/Alice, Build/Bob" (fields by name, in
// the item's order), "Risks: none" for a list with no item.
inline QString listsOf(const data::ReportData& data)
{
    QStringList lists;
    for (const data::List& list : data.lists()) {
        QStringList items;
        for (const auto& item : list.items) {
            QStringList texts;
            for (const data::Field& field : item)
                texts << field.name + '=' + field.text;
            items << texts.join('/');
        }
        lists << list.name + ": " + (items.isEmpty() ? QStringLiteral("none") : items.join(", "));
    }
    return lists.join("; ");
}

} // namespace statusmill::testing
