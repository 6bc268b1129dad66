#pragma once

// The replacement passes as the generation run makes them: every story for each
// field in index order, then the text of every drawing shape.

#include "generate/Automation.h"

#include <QStringList>

namespace statusmill::testing {

inline const QStringList& placeholders()
{
    static const QStringList tags{QStringLiteral("[ProjectName]"), QStringLiteral("[Department]"),
                                  QStringLiteral("[FocusArea]"), QStringLiteral("[Product]")};
    return tags;
}

inline void replaceFields(automation::Document& document, const QStringList& values)
{
    using automation::Find;
    for (int field = 0; field < placeholders().size(); ++field) {
        auto stories = document.StoryRanges();
        while (auto story = stories.next()) {
            Find& find = (*story)->Find();
            find.ClearFormatting();
            find.Replacement().ClearFormatting();
            find.setText(placeholders()[field]);
            find.Replacement().setText(values[field]);
            find.setForward(true);
            find.setWrap(1);
            find.setFormat(false);
            find.setMatchCase(false);
            find.setMatchWholeWord(false);
            find.setMatchWildcards(false);
            find.setMatchSoundsLike(false);
            find.setMatchAllWordForms(false);
            find.Execute(Find::kReplaceAll);
        }
    }
    auto shapes = document.Shapes();
    while (auto shape = shapes.next()) {
        auto frame = (*shape)->TextFrame();
        if (!frame->HasText())
            continue;
        for (int field = 0; field < placeholders().size(); ++field)
            frame->TextRange()->Find().Execute(placeholders()[field], values[field],
                                               Find::kReplaceAll);
    }
}

} // namespace statusmill::testing
