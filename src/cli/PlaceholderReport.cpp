#include "PlaceholderReport.h"

#include <QMap>
#include <QSet>

#include <algorithm>
#include <vector>

namespace statusmill::cli {
namespace {

const QStringList kWindowFills{"[ProjectName]", "[Department]", "[FocusArea]", "[Product]"};

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

} // namespace

QStringList placeholdersNotHeld(const QList<automation::PlaceholderSeen>& seen,
                                const QStringList& placeholders)
{
    QSet<QString> held;
    for (const auto& found : seen)
        held.insert(found.text.toLower());
    QStringList notHeld;
    for (const QString& placeholder : placeholders)
        if (!held.contains(placeholder.toLower()) && !kWindowFills.contains(placeholder, Qt::CaseInsensitive))
            notHeld << placeholder;
    return notHeld;
}

std::optional<QString> likelyMeant(const QString& placeholder)
{
    const QString name = placeholder.toLower();
    for (const QString& filled : kWindowFills) {
        const int distance = editDistance(name, filled.toLower());
        if (distance > 0 && distance <= 2)
            return filled;
    }
    return std::nullopt;
}

QString describePlaceholders(const QString& file, const QList<automation::PlaceholderSeen>& seen)
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
        auto entry = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
            return e.name.compare(found.text, Qt::CaseInsensitive) == 0;
        });
        if (entry == entries.end()) {
            // One of the four under the name the window gives it.
            const auto filled = std::find_if(kWindowFills.begin(), kWindowFills.end(), [&](const QString& f) {
                return f.compare(found.text, Qt::CaseInsensitive) == 0;
            });
            entries.append({filled != kWindowFills.end() ? *filled : found.text, 0, {}});
            entry = entries.end() - 1;
        }
        ++entry->count;
        ++entry->where[storyName(found.story)];
        if (found.splitByFormatting)
            warnings << QStringLiteral("%1 (%2) changes formatting inside: it is replaced whole, "
                                       "in the formatting of its first letter")
                            .arg(found.text, storyName(found.story));
    }
    for (const Entry& entry : std::as_const(entries))
        if (const auto meant = likelyMeant(entry.name))
            warnings << QStringLiteral("%1 looks like a typo of %2, which the window fills")
                            .arg(entry.name, *meant);
    warnings.removeDuplicates();

    QString text = entries.isEmpty() ? QStringLiteral("%1 holds no placeholders.\n").arg(file)
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
        const bool filled = std::any_of(kWindowFills.begin(), kWindowFills.end(), [&](const QString& f) {
            return f.compare(entry.name, Qt::CaseInsensitive) == 0;
        });
        text += QStringLiteral("  %1  %2  %3%4\n")
                    .arg(entry.name.leftJustified(width))
                    .arg(entry.count, 3)
                    .arg(places.join(QStringLiteral(", ")),
                         filled ? QStringLiteral("  (filled by the window)") : QString());
    }
    if (!warnings.isEmpty()) {
        text += QStringLiteral("Warnings:\n");
        for (const QString& warning : std::as_const(warnings))
            text += QStringLiteral("  %1\n").arg(warning);
    }
    return text;
}

} // namespace statusmill::cli
