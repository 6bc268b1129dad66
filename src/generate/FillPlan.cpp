#include "FillPlan.h"

#include "core/Random.h"

#include <algorithm>

namespace statusmill::automation {
namespace {

// Whether a later search for `placeholder` could match text that includes part of
// `value`: a match that starts or ends inside the value takes its bracket from the
// value, and one that holds the value whole holds it as part of its own text.
bool couldBeFoundIn(const QString& value, const QString& placeholder)
{
    return value.contains(QLatin1Char('[')) || value.contains(QLatin1Char(']')) ||
           placeholder.contains(value, Qt::CaseInsensitive);
}

// Private-use characters around a number drawn for this fill: no placeholder holds
// them, and a value that happens to is seen to and a new number drawn.
QString markerStem(const QList<Replacement>& replacements)
{
    for (;;) {
        const QString stem = QChar(0xE000) + Random::uniqueSuffix();
        if (std::none_of(replacements.begin(), replacements.end(), [&](const Replacement& r) {
                return r.text.contains(stem, Qt::CaseInsensitive);
            }))
            return stem;
    }
}

} // namespace

FillPlan planFill(const QList<Replacement>& replacements)
{
    QList<Replacement> once;
    for (const Replacement& replacement : replacements) {
        const bool listed = std::any_of(once.begin(), once.end(), [&](const Replacement& r) {
            return r.placeholder.compare(replacement.placeholder, Qt::CaseInsensitive) == 0;
        });
        if (!replacement.placeholder.isEmpty() && !listed)
            once.append(replacement);
    }

    FillPlan plan;
    QString stem;
    for (qsizetype i = 0; i < once.size(); ++i) {
        const QString value = documentText(once.at(i).text);
        const bool searchedLater =
            !value.isEmpty() && std::any_of(once.begin() + i + 1, once.end(), [&](const Replacement& r) {
                return couldBeFoundIn(value, r.placeholder);
            });
        if (!searchedLater) {
            plan.placeholders.append(once.at(i));
            continue;
        }
        if (stem.isEmpty())
            stem = markerStem(replacements);
        const QString marker = stem + QString::number(i) + QChar(0xE001);
        plan.placeholders.append({once.at(i).placeholder, marker});
        plan.markers.append({marker, once.at(i).text});
    }
    return plan;
}

QString documentText(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        const char16_t code = c.unicode();
        if (c.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate()) {
            kept += c;
            kept += text.at(++at);
        } else if (c.isSurrogate()) {
            kept += QChar::ReplacementCharacter;
        } else if (code == u'\r') {
            if (at + 1 >= text.size() || text.at(at + 1) != u'\n')
                kept += u'\n';
        } else if ((code >= 0x20 || code == u'\t' || code == u'\n') && code != 0xFFFE && code != 0xFFFF) {
            kept += c;
        }
    }
    return kept;
}

} // namespace statusmill::automation
