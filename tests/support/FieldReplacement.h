#pragma once

// The fill as the generation run makes it, for the four fields in index order.

#include "data/Placeholders.h"
#include "data/WindowFields.h"
#include "generate/Fill.h"

#include <QStringList>

namespace statusmill::testing {

inline const QStringList& placeholders()
{
    static const QStringList tags = [] {
        QStringList list;
        for (const data::WindowField& field : data::kWindowFields)
            list << data::bracketed(QString::fromLatin1(field.name));
        return list;
    }();
    return tags;
}

inline void replaceFields(const std::shared_ptr<automation::Document>& document,
                          const QStringList& values)
{
    QList<automation::Replacement> replacements;
    for (int field = 0; field < placeholders().size(); ++field)
        replacements.append({placeholders()[field], values[field]});
    automation::StrictSteps steps;
    automation::fillPlaceholders(steps, document, replacements);
}

} // namespace statusmill::testing
