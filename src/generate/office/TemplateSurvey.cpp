#include "generate/office/TemplateSurvey.h"

#include "ChartRead.h"
#include "DocumentReplace.h"
#include "DocumentStories.h"
#include "OfficeApplication.h"
#include "OfficeDocument.h"
#include "TextReplacer.h"
#include "data/Placeholders.h"

#include <QHash>

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/text/XTextTable.hpp>

namespace statusmill::automation {

using namespace office;
using namespace statusmill::uno;

namespace {

Story storyOf(StoryKind kind)
{
    switch (kind) {
    case StoryKind::MainText:
        return Story::MainText;
    case StoryKind::HeadersAndFooters:
        return Story::HeadersAndFooters;
    case StoryKind::Notes:
        return Story::Notes;
    case StoryKind::Frames:
        break;
    }
    return Story::Frames;
}

// The row a table cell's name gives ("B12": 12; "A3.1.2", a part of a split cell: 3).
int rowOfCellName(QStringView name)
{
    qsizetype at = 0;
    while (at < name.size() && name[at].isLetter())
        ++at;
    qsizetype end = at;
    while (end < name.size() && name[end].isDigit())
        ++end;
    return name.sliced(at, end - at).toInt();
}

struct Survey
{
    const KeepAlive& keep;
    QList<PlaceholderSeen>& seen;
    int holders = 0;

    void addFound(const QString& text, const QList<qsizetype>& boundaries, Story story,
                  Holder holder, int holderNumber)
    {
        for (const data::PlaceholderAt& found : data::placeholdersIn(text)) {
            const qsizetype end = found.start + found.length;
            const bool split = std::any_of(boundaries.begin(), boundaries.end(), [&](qsizetype at) {
                return at > found.start && at < end;
            });
            seen.append({text.mid(found.start, found.length), story, split, holder, holderNumber});
        }
    }

    // The placeholders of one paragraph; where its runs of formatting meet, from
    // its text portions.
    void paragraph(const Reference<css::text::XTextRange>& paragraph, Story story, Holder holder,
                   int holderNumber)
    {
        // Most paragraphs hold no placeholder (a heading, a column's title): their
        // runs are not worth a call each.
        if (!toQString(paragraph->getString()).contains(QLatin1Char('[')))
            return;
        QString text;
        QList<qsizetype> boundaries;
        Reference<css::container::XEnumerationAccess> portions(paragraph, UNO_QUERY);
        keep(css::uno::Any(portions));
        if (portions.is()) {
            const auto items = portions->createEnumeration();
            keep(css::uno::Any(items));
            while (items->hasMoreElements()) {
                const css::uno::Any item = items->nextElement();
                keep(item);
                Reference<css::text::XTextRange> portion(item, UNO_QUERY);
                if (!text.isEmpty())
                    boundaries << text.size();
                if (portion.is())
                    text += toQString(portion->getString());
            }
        } else {
            text = toQString(paragraph->getString());
        }
        addFound(text, boundaries, story, holder, holderNumber);
    }

    // A text's paragraphs, each its own holder, unless the text is a table cell's,
    // whose row holds them all (`row`); a table inside a cell has rows of its own.
    void text(const Reference<css::text::XText>& text, Story story, int row = 0)
    {
        Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY);
        keep(css::uno::Any(access));
        if (!access.is())
            return;
        const auto items = access->createEnumeration();
        keep(css::uno::Any(items));
        while (items->hasMoreElements()) {
            const css::uno::Any item = items->nextElement();
            keep(item);
            Reference<css::text::XTextTable> table(item, UNO_QUERY);
            keep(css::uno::Any(table));
            if (table.is()) {
                QHash<int, int> holderOfRow;
                for (const rtl::OUString& name : table->getCellNames()) {
                    int& holder = holderOfRow[rowOfCellName(toQString(name))];
                    if (holder == 0)
                        holder = ++holders;
                    const auto cell = table->getCellByName(name);
                    keep(css::uno::Any(cell));
                    Reference<css::text::XText> cellText(cell, UNO_QUERY);
                    keep(css::uno::Any(cellText));
                    this->text(cellText, story, holder);
                }
                continue;
            }
            Reference<css::text::XTextRange> range(item, UNO_QUERY);
            keep(css::uno::Any(range));
            if (range.is())
                paragraph(range, story, row > 0 ? Holder::TableRow : Holder::Paragraph,
                          row > 0 ? row : ++holders);
        }
    }
};

OfficeDocument& officeDocument(Document& document)
{
    auto* office = dynamic_cast<OfficeDocument*>(&document);
    if (!office)
        throw Failure(QStringLiteral("Only documents of the office engine can be surveyed."));
    return *office;
}

// The list field a label is wholly the placeholder of.
std::optional<data::ListField> listFieldIn(const QString& label)
{
    const QString text = label.trimmed();
    const QList<data::PlaceholderAt> found = data::placeholdersIn(text);
    if (found.size() != 1 || found.first().length != text.size())
        return std::nullopt;
    return data::listFieldOf(found.first().name);
}

ChartSeen chartSeen(const ChartTable& table)
{
    ChartSeen seen{table.title, {}, {}, {}};
    for (const QString& row : table.rows)
        if (const auto field = listFieldIn(row)) {
            seen.list = field->list;
            seen.categories = field->field;
            break;
        }
    if (seen.list.isEmpty())
        return seen;
    for (const QString& column : table.columns)
        if (const auto field = listFieldIn(column); field && field->list.compare(seen.list, Qt::CaseInsensitive) == 0)
            seen.series << field->field;
    // Without a series the chart takes nothing from the list.
    if (seen.series.isEmpty())
        seen.list = seen.categories = QString();
    return seen;
}

} // namespace

QList<ChartSeen> surveyCharts(Document& document)
{
    OfficeDocument& office = officeDocument(document);
    const auto component = office.component();
    const auto keep = office.keeper();
    QList<ChartTable> tables;
    office.session().call([&] { tables = chartTables(component, keep); });
    QList<ChartSeen> seen;
    for (const ChartTable& table : std::as_const(tables))
        seen << chartSeen(table);
    return seen;
}

QList<PlaceholderSeen> surveyPlaceholders(Document& document)
{
    OfficeDocument* office = &officeDocument(document);
    const auto component = office->component();
    const auto keep = office->keeper();
    QList<PlaceholderSeen> seen;
    Survey survey{keep, seen};
    office->session().call([&] {
        for (const auto& [kind, text] : writerStories(component, keep))
            survey.text(text, storyOf(kind));
        for (const auto& text : drawingShapeTexts(component, keep))
            survey.text(text, Story::Shapes);
        for (const auto& comment : commentFields(component, keep))
            survey.addFound(commentText(comment), {}, Story::Comments, Holder::Paragraph,
                            ++survey.holders);
    });
    return seen;
}

} // namespace statusmill::automation
