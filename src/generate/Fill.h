#pragma once

// The fill of a template, one piece for every way a report is made: the window's
// press, the one report of the command line and each row of a table. It opens the
// template and fills it, statement by statement, through a runner of steps: the
// window's Procedure, which reports a failed statement and goes on with the next,
// or StrictSteps, which stops at the first failure and throws it on. The window
// without data fills its four fields placeholder by placeholder; a report from
// data is filled in one go (fillReport).

#include "Automation.h"
#include "FillPlan.h"
#include "core/Failure.h"
#include "core/ObjectRef.h"
#include "core/StopRequest.h"
#include "data/ReportData.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace statusmill::automation {

// Statements run one after the other; the first that fails ends the run with its
// failure. For the command line, where a report is made whole or not at all.
class StrictSteps
{
public:
    template <class Statement> bool run(int, Statement&& statement)
    {
        stopIfAsked();
        std::invoke(statement);
        return true;
    }
    template <class Test> bool when(int, Test&& test)
    {
        stopIfAsked();
        return static_cast<bool>(std::invoke(test));
    }
    template <class Test> bool jumpWhen(int line, Test&& test) { return when(line, test); }
    template <class Fetch, class Body> void forEach(int, int, Fetch&& fetch, Body&& body)
    {
        stopIfAsked();
        auto items = std::invoke(fetch);
        for (auto item = items.next(); item; item = items.next())
            body(item);
    }

private:
    static void stopIfAsked()
    {
        if (StopRequest::requested())
            throw Failure(QStringLiteral("The program is stopping."));
    }
};

// Opens the template hidden and read-only, as a report is made from it: the file
// itself is never changed. With `paper`, the report is made on that paper.
template <class Steps>
std::shared_ptr<Document> openTemplate(Steps& steps, const std::unique_ptr<Application>& app,
                                       const QString& path, std::optional<QSizeF> paper)
{
    std::shared_ptr<Document> doc;
    if (steps.run(114, [&] { doc = use(app).Documents().Open(path, /*readOnly=*/true); }) && paper)
        steps.run(114, [&] { use(doc).SetPaperSize(*paper); });
    return doc;
}

// Each replacement through every story, one after another, statement by statement.
template <class Steps>
void fillStories(Steps& steps, const std::shared_ptr<Document>& doc,
                 const QList<Replacement>& inOrder)
{
    for (const Replacement& replacement : inOrder) {
        steps.forEach(
            118, 150, [&] { return use(doc).StoryRanges(); },
            [&](const std::optional<std::shared_ptr<Range>>& story) {
                steps.run(122, [&] { use(story).Find().ClearFormatting(); });
                steps.run(124, [&] { use(story).Find().Replacement().ClearFormatting(); });
                Find* find = nullptr;
                steps.run(126, [&] { find = &use(story).Find(); });
                steps.run(128, [&] { use(find).setText(replacement.placeholder); });
                steps.run(130, [&] { use(find).Replacement().setText(replacement.text); });
                steps.run(132, [&] { use(find).setForward(true); });
                steps.run(134, [&] { use(find).setWrap(1); });
                steps.run(136, [&] { use(find).setFormat(false); });
                steps.run(138, [&] { use(find).setMatchCase(false); });
                steps.run(140, [&] { use(find).setMatchWholeWord(false); });
                steps.run(142, [&] { use(find).setMatchWildcards(false); });
                steps.run(144, [&] { use(find).setMatchSoundsLike(false); });
                steps.run(146, [&] { use(find).setMatchAllWordForms(false); });
                steps.run(148, [&] { use(find).Execute(Find::kReplaceAll); });
            });
    }
}

// Every replacement in one shape before the next shape: the text of a drawing
// shape, which the office's search of the stories does not reach.
template <class Steps>
void fillShapes(Steps& steps, const std::shared_ptr<Document>& doc,
                const QList<Replacement>& inOrder)
{
    steps.forEach(
        154, 164, [&] { return use(doc).Shapes(); },
        [&](const std::optional<std::shared_ptr<Shape>>& shape) {
            if (!steps.when(156, [&] { return use(use(shape).TextFrame()).HasText(); }))
                return;
            for (const Replacement& replacement : inOrder)
                steps.run(160, [&] {
                    use(use(use(shape).TextFrame()).TextRange())
                        .Find()
                        .Execute(replacement.placeholder, replacement.text, Find::kReplaceAll);
                });
        });
}

// Replaces every placeholder by its text, literally and in any letter case, each
// placeholder once and no value searched again (see FillPlan.h): the stories pass
// takes each placeholder through every story before the next placeholder; the
// shapes pass takes every placeholder in one shape before the next shape.
template <class Steps>
void fillPlaceholders(Steps& steps, const std::shared_ptr<Document>& doc,
                      const QList<Replacement>& replacements)
{
    const FillPlan plan = planFill(replacements);
    fillStories(steps, doc, plan.placeholders + plan.markers);
    fillShapes(steps, doc, plan.placeholders + plan.markers);
}

// The fill of a report from its data, one for the window (when it has data), one
// report and every row of a batch: the stories in one call made inside the office
// (statement 118), lists and the status colours with them; then the fields in the
// drawing shapes, which that call does not reach. Returns the placeholders the
// data gave no text for, which the report keeps ("[Name]", each once), and the
// charts' gaps.
template <class Steps>
FillOutcome fillReport(Steps& steps, const std::shared_ptr<Document>& doc, const data::ReportData& data)
{
    FillOutcome outcome;
    // A call that failed leaves the shapes alone: each of their statements would
    // fail in turn on the same fault, and say so again.
    if (!steps.run(118, [&] { outcome = use(doc).FillData(data); }))
        return outcome;
    QList<Replacement> fields;
    for (const data::Field& field : data.fields())
        fields.append({QLatin1Char('[') + field.name + QLatin1Char(']'), field.text});
    const FillPlan plan = planFill(fields);
    fillShapes(steps, doc, plan.placeholders + plan.markers);
    return outcome;
}

} // namespace statusmill::automation
