#include "PlaceholderReport.h"

#include "data/LastWeek.h"

#include "data/Placeholders.h"
#include "data/WindowFields.h"

#include <QMap>
#include <QSet>

#include <algorithm>
#include <vector>

namespace statusmill::cli {
namespace {

using automation::PlaceholderSeen;
using automation::ChartSeen;

int editDistance(const QString& a, const QString& b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1,
                                       diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

QString storyName(automation::Story story)
{
    switch (story) {
    case automation::Story::MainText:
        return QStringLiteral("main text");
    case automation::Story::HeadersAndFooters:
        return QStringLiteral("headers and footers");
    case automation::Story::Notes:
        return QStringLiteral("notes");
    case automation::Story::Frames:
    case automation::Story::Shapes:
        return QStringLiteral("shapes and frames");
    case automation::Story::Comments:
        break;
    }
    return QStringLiteral("comments");
}

QString nameOf(const PlaceholderSeen& found)
{
    return found.text.mid(1, found.text.size() - 2);
}

// The window's placeholder of that name, as the window writes it; nothing for others.
std::optional<QString> windowPlaceholder(const QString& name)
{
    for (const data::WindowField& field : data::kWindowFields)
        if (name.compare(QLatin1String(field.name), Qt::CaseInsensitive) == 0)
            return data::bracketed(QLatin1String(field.name));
    return std::nullopt;
}

bool isWindowField(const QString& name)
{
    return windowPlaceholder(name).has_value();
}

// Adds `name` unless it is there in some letter case.
void addOnce(QStringList& names, const QString& name)
{
    if (!names.contains(name, Qt::CaseInsensitive))
        names << name;
}

// A list the template holds: its fields, and the rows each item repeats.
struct TemplateList
{
    QString name;
    QStringList fields;
    QList<const PlaceholderSeen*> rows; // the first placeholder of each row
    QList<const PlaceholderSeen*> noneRows; // the rows shown when it has no items
};

// What a template holds: its plain fields and its lists, in order of appearance.
struct TemplateNames
{
    QStringList fields;
    QList<TemplateList> lists;

    template <class Self> static auto list(Self& self, const QString& name)
    {
        const auto found = std::find_if(self.lists.begin(), self.lists.end(), [&](const TemplateList& l) {
            return l.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        return found == self.lists.end() ? nullptr : &*found;
    }
};

// The paragraphs and table rows whose only placeholders are a list's [List.None]:
// its none rows, which are no rows of its items.
QSet<int> noneRowHolders(const QList<PlaceholderSeen>& seen)
{
    QSet<int> none;
    QSet<int> other;
    for (const PlaceholderSeen& found : seen) {
        const auto listField = data::listFieldOf(nameOf(found));
        (listField && data::isNoneRowField(listField->field) ? none : other).insert(found.holderNumber);
    }
    return none.subtract(other);
}

TemplateNames namesOf(const QList<PlaceholderSeen>& seen)
{
    TemplateNames names;
    const QSet<int> noneRows = noneRowHolders(seen);
    for (const PlaceholderSeen& found : seen) {
        const QString name = nameOf(found);
        const auto listField = data::listFieldOf(name);
        if (!listField) {
            addOnce(names.fields, name);
            continue;
        }
        TemplateList* list = TemplateNames::list(names, listField->list);
        if (!list) {
            names.lists.append({listField->list, {}, {}, {}});
            list = &names.lists.last();
        }
        // A comment is no row: its list fields take the item of the list row it
        // stands in.
        const bool inRow = found.story != automation::Story::Comments;
        const bool none = inRow && noneRows.contains(found.holderNumber);
        if (!none)
            addOnce(list->fields, listField->field);
        auto& rows = none ? list->noneRows : list->rows;
        if (inRow && std::none_of(rows.begin(), rows.end(), [&](const PlaceholderSeen* row) {
                return row->holderNumber == found.holderNumber;
            }))
            rows << &found;
    }
    return names;
}

QString holderName(const PlaceholderSeen& found)
{
    return QStringLiteral("%1 in %2")
        .arg(found.holder == automation::Holder::TableRow ? QStringLiteral("table row")
                                                          : QStringLiteral("paragraph"),
             storyName(found.story));
}

// "[A]", "[A] and [B]", "[A], [B] and [C]".
QString joinedAnd(const QStringList& items)
{
    if (items.size() < 2)
        return items.value(0);
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           items.constLast();
}

// The window's four and the report's date: filled in every report, given or not.
bool isAlwaysFilled(const QString& name)
{
    return isWindowField(name) || name.compare(QLatin1String(data::kReportDate), Qt::CaseInsensitive) == 0;
}

// "A, B, C, D, E and 3 others": a long run of names said in a line.
QString namedFew(const QStringList& names)
{
    constexpr qsizetype kNamed = 5;
    if (names.size() <= kNamed + 1)
        return joinedAnd(names);
    return names.mid(0, kNamed).join(QStringLiteral(", ")) +
           QStringLiteral(" and %1 others").arg(names.size() - kNamed);
}

// The fields of a list that its items and the template do not share.
QStringList listFieldWarnings(const DataShape::ListShape& list, const TemplateList& used)
{
    QStringList warnings;
    for (const QString& field : list.fields)
        if (!used.fields.contains(field, Qt::CaseInsensitive))
            warnings << QStringLiteral("the template holds no %1, so the items' %2 fills nothing")
                            .arg(data::bracketed(list.name + QLatin1Char('.') + field), field);
    QStringList notGiven;
    for (const QString& field : used.fields)
        if (!list.fields.isEmpty() && field != QStringView(data::kItemNumberField) &&
            !data::isNoneRowField(field) && !data::isWorkedOut(list.name, field) &&
            !list.fields.contains(field, Qt::CaseInsensitive))
            notGiven << data::bracketed(used.name + QLatin1Char('.') + field);
    if (!notGiven.isEmpty())
        warnings << QStringLiteral("the items of the list %1 give no %2, which the reports leave empty")
                        .arg(list.name, joinedAnd(notGiven));
    return warnings;
}

// A list of the template that the data gives no report, or only some of them.
QStringList listNotGivenWarnings(const TemplateList& list, const DataShape& shape)
{
    if (data::isWorkedOut(list.name))
        return {};
    const auto given = std::find_if(shape.lists.begin(), shape.lists.end(), [&](const DataShape::ListShape& l) {
        return l.name.compare(list.name, Qt::CaseInsensitive) == 0;
    });
    if (given == shape.lists.end())
        return {QStringLiteral("the data has no list %1, whose rows the reports keep as the "
                               "template has them")
                    .arg(list.name)};
    QStringList lacking;
    for (const QString& report : shape.reports)
        if (!given->givenBy.contains(report))
            lacking << report;
    if (lacking.isEmpty())
        return {};
    const bool one = lacking.size() == 1;
    return {QStringLiteral("%1 %2 no list %3, which other reports have, so its rows stay in %4 as the "
                           "template has them")
                .arg(namedFew(lacking), one ? QStringLiteral("has") : QStringLiteral("have"), list.name,
                     one ? QStringLiteral("its report") : QStringLiteral("their reports"))};
}

} // namespace

QStringList fieldsNotHeld(const QList<PlaceholderSeen>& seen, const QStringList& fields)
{
    const QStringList held = namesOf(seen).fields;
    QStringList notHeld;
    for (const QString& field : fields)
        if (!held.contains(field, Qt::CaseInsensitive) && !isWindowField(field))
            notHeld << field;
    return notHeld;
}

std::optional<QString> likelyMeant(const QString& placeholder)
{
    const QString name = placeholder.toLower();
    for (const data::WindowField& field : data::kWindowFields) {
        const QString filled = data::bracketed(QLatin1String(field.name));
        const int distance = editDistance(name, filled.toLower());
        if (distance > 0 && distance <= 2)
            return filled;
    }
    return std::nullopt;
}

// "  Budget: categories Item; series Approved, Actual", a line a chart, in the
// order of their lists' names: what each draws for every report.
QString chartLines(QList<ChartSeen> charts)
{
    if (charts.isEmpty())
        return {};
    std::sort(charts.begin(), charts.end(), [](const ChartSeen& a, const ChartSeen& b) {
        return std::tie(a.list, a.title) < std::tie(b.list, b.title);
    });
    QString text = QStringLiteral("Charts (each drawn from its list for every report):\n");
    for (const ChartSeen& chart : std::as_const(charts)) {
        const QString title = chart.title.isEmpty() ? QString() : QStringLiteral(" (\"%1\")").arg(chart.title);
        text += chart.list.isEmpty()
                    ? QStringLiteral("  a chart%1 drawn from no list: it keeps the template's data\n").arg(title)
                    : QStringLiteral("  %1%2: categories %3; series %4\n")
                          .arg(chart.list, title, chart.categories, chart.series.join(QStringLiteral(", ")));
    }
    return text;
}

QString describePlaceholders(const QString& file, const QList<PlaceholderSeen>& seen, const QList<ChartSeen>& charts)
{
    struct Entry
    {
        QString name;
        int count = 0;
        QMap<QString, int> where; // story name to count, in a fixed order below
    };
    QList<Entry> entries;
    QStringList warnings;
    for (const auto& found : seen) {
        if (found.splitByFormatting)
            warnings << QStringLiteral("%1 (%2) changes formatting inside: it is replaced whole, "
                                       "in the formatting of its first letter")
                            .arg(found.text, storyName(found.story));
        if (data::listFieldOf(nameOf(found)))
            continue;
        auto entry = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
            return e.name.compare(found.text, Qt::CaseInsensitive) == 0;
        });
        if (entry == entries.end()) {
            // One of the four under the name the window gives it.
            entries.append({windowPlaceholder(nameOf(found)).value_or(found.text), 0, {}});
            entry = entries.end() - 1;
        }
        ++entry->count;
        ++entry->where[storyName(found.story)];
    }
    for (const Entry& entry : std::as_const(entries))
        if (const auto meant = likelyMeant(entry.name))
            warnings << QStringLiteral("%1 looks like a typo of %2, which the window fills")
                            .arg(entry.name, *meant);

    const TemplateNames names = namesOf(seen);
    // A row can be repeated for one list's items only.
    QHash<int, QString> listOfRow;
    for (const PlaceholderSeen& found : seen) {
        const auto listField = data::listFieldOf(nameOf(found));
        if (!listField)
            continue;
        const QString earlier = listOfRow.value(found.holderNumber);
        if (earlier.isEmpty())
            listOfRow.insert(found.holderNumber, listField->list);
        else if (earlier.compare(listField->list, Qt::CaseInsensitive) != 0)
            warnings << QStringLiteral("a %1 holds fields of two lists, %2 and %3: it is repeated "
                                       "for the items of one list only")
                            .arg(holderName(found), earlier, listField->list);
    }
    warnings.removeDuplicates();

    QString text = seen.isEmpty() ? QStringLiteral("%1 holds no placeholders.\n").arg(file)
                                  : QStringLiteral("Placeholders in %1:\n").arg(file);
    qsizetype width = 0;
    for (const Entry& entry : std::as_const(entries))
        width = std::max(width, entry.name.size());
    const QStringList order{"main text", "headers and footers", "notes", "shapes and frames",
                            "comments"};
    for (const Entry& entry : std::as_const(entries)) {
        QStringList places;
        for (const QString& story : order)
            if (entry.where.contains(story))
                places << QStringLiteral("%1 %2").arg(story).arg(entry.where.value(story));
        text += QStringLiteral("  %1  %2  %3%4\n")
                    .arg(entry.name.leftJustified(width))
                    .arg(entry.count, 3)
                    .arg(places.join(QStringLiteral(", ")),
                         isWindowField(entry.name.mid(1, entry.name.size() - 2))
                             ? QStringLiteral("  (filled by the window)")
                             : QString());
    }
    if (!names.lists.isEmpty()) {
        text += QStringLiteral("Lists (each row repeated once per item):\n");
        for (const TemplateList& list : names.lists) {
            text += QStringLiteral("  %1: %2\n").arg(list.name, list.fields.join(QStringLiteral(", ")));
            for (const PlaceholderSeen* row : list.rows)
                text += QStringLiteral("    %1\n").arg(holderName(*row));
            for (const PlaceholderSeen* row : list.noneRows)
                text += QStringLiteral("    when empty: %1\n").arg(holderName(*row));
        }
    }
    text += chartLines(charts);
    if (!warnings.isEmpty()) {
        text += QStringLiteral("Warnings:\n");
        for (const QString& warning : std::as_const(warnings))
            text += QStringLiteral("  %1\n").arg(warning);
    }
    return text;
}

void DataShape::add(const data::ReportData& report, const QString& where)
{
    reports << where;
    for (const data::Field& field : report.fields())
        addOnce(fields, field.name);
    for (const data::List& list : report.lists()) {
        auto known = std::find_if(lists.begin(), lists.end(), [&](const ListShape& l) {
            return l.name.compare(list.name, Qt::CaseInsensitive) == 0;
        });
        if (known == lists.end()) {
            lists.append({list.name, {}, {}});
            known = lists.end() - 1;
        }
        known->givenBy << where;
        for (const auto& item : list.items)
            for (const data::Field& field : item)
                addOnce(known->fields, field.name);
    }
}

QStringList dataWarnings(const QList<PlaceholderSeen>& seen, const DataShape& shape, const QList<ChartSeen>& charts)
{
    const TemplateNames names = namesOf(seen);
    QStringList warnings;
    for (const QString& field : shape.fields)
        if (!isWindowField(field) && !names.fields.contains(field, Qt::CaseInsensitive))
            warnings << (!shape.columns ? QStringLiteral("the template holds no %1, so the data's %2 "
                                                      "fills nothing")
                                           .arg(data::bracketed(field), field)
                                     : QStringLiteral("the template holds no %1, so its column "
                                                      "fills nothing")
                                           .arg(data::bracketed(field)));
    for (const DataShape::ListShape& list : shape.lists) {
        const TemplateList* used = TemplateNames::list(names, list.name);
        const bool drawn = std::any_of(charts.begin(), charts.end(), [&](const ChartSeen& chart) {
            return chart.list.compare(list.name, Qt::CaseInsensitive) == 0;
        });
        if (!used && !drawn) {
            warnings << QStringLiteral("the template has no row of the list %1, so its items fill "
                                       "nothing")
                            .arg(list.name);
            continue;
        }
        if (used)
            warnings += listFieldWarnings(list, *used);
    }
    if (!shape.whole)
        return warnings;
    QStringList notGiven;
    for (const QString& field : names.fields)
        if (!isAlwaysFilled(field) && !shape.fields.contains(field, Qt::CaseInsensitive) &&
            !shape.alsoGiven.contains(field, Qt::CaseInsensitive))
            notGiven << data::bracketed(field);
    if (!notGiven.isEmpty())
        warnings << QStringLiteral("the data gives no text for %1, which the reports keep as the "
                                   "template has %2")
                        .arg(joinedAnd(notGiven),
                             notGiven.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
    for (const TemplateList& list : names.lists)
        warnings += listNotGivenWarnings(list, shape);
    return warnings;
}

} // namespace statusmill::cli
