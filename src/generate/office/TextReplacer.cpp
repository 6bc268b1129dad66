#include "TextReplacer.h"

#include <QList>
#include <QStringList>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>

#include <vector>

namespace statusmill::office {

using namespace uno;
using css::text::XText;
using css::text::XTextRange;

namespace {

struct Paragraph
{
    Reference<XText> text; // the text the paragraph belongs to (a cell's, for tables)
    Reference<XTextRange> range;
};

// The paragraphs of a text, table cells included, collected before anything
// changes so that paragraphs made by a replacement are not visited.
void collectParagraphs(const Reference<XText>& text, std::vector<Paragraph>& out,
                       const KeepAlive& keep)
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
        if (table.is()) {
            for (const rtl::OUString& name : table->getCellNames())
                collectParagraphs(Reference<XText>(table->getCellByName(name), UNO_QUERY), out,
                                  keep);
            continue;
        }
        Reference<XTextRange> range(item, UNO_QUERY);
        keep(css::uno::Any(range));
        if (range.is())
            out.push_back({text, range});
    }
}

int cursorLength(QStringView text, CursorUnits units)
{
    if (units == CursorUnits::Utf16)
        return int(text.size());
    int length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++length;
    }
    return length;
}

void moveRight(const Reference<css::text::XTextCursor>& cursor, int count, bool expand)
{
    // goRight counts in a 16-bit integer.
    while (count > 0) {
        const int step = std::min(count, 0x7fff);
        cursor->goRight(static_cast<sal_Int16>(step), expand);
        count -= step;
    }
}

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Portions that take no place in the text: a match may run across them.
bool isZeroWidth(const QString& type)
{
    return type == QLatin1String("Bookmark") || type == QLatin1String("SoftPageBreak") ||
           type == QLatin1String("Redline");
}

// A stretch of plain text inside one paragraph, possibly over several formatting
// portions; fields, notes and anchors end a stretch.
struct Run
{
    QString text;
    Reference<XTextRange> start;
};

std::vector<Run> runsOf(const Reference<XTextRange>& paragraph, const KeepAlive& keep)
{
    std::vector<Run> runs;
    Reference<css::container::XEnumerationAccess> access(paragraph, UNO_QUERY);
    keep(css::uno::Any(access));
    if (!access.is()) {
        runs.push_back({toQString(paragraph->getString()), paragraph->getStart()});
        keep(css::uno::Any(runs.back().start));
        return runs;
    }
    bool open = false;
    const auto portions = access->createEnumeration();
    keep(css::uno::Any(portions));
    while (portions->hasMoreElements()) {
        const css::uno::Any item = portions->nextElement();
        keep(item);
        Reference<XTextRange> portion(item, UNO_QUERY);
        keep(css::uno::Any(portion));
        if (!portion.is())
            continue;
        QString type = QStringLiteral("Text");
        Reference<css::beans::XPropertySet> properties(portion, UNO_QUERY);
        keep(css::uno::Any(properties));
        const auto info = properties.is() ? properties->getPropertySetInfo() : nullptr;
        keep(css::uno::Any(info));
        if (info.is() && info->hasPropertyByName("TextPortionType")) {
            rtl::OUString value;
            properties->getPropertyValue("TextPortionType") >>= value;
            type = toQString(value);
        }
        if (type == QLatin1String("Text")) {
            if (!open) {
                runs.push_back({QString(), portion->getStart()});
                keep(css::uno::Any(runs.back().start));
            }
            runs.back().text += toQString(portion->getString());
            open = true;
        } else if (!isZeroWidth(type)) {
            open = false;
        }
    }
    return runs;
}

QList<qsizetype> occurrences(const QString& text, const SearchRequest& request)
{
    QList<qsizetype> found;
    const auto sensitivity = request.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype length = request.findText.size();
    for (qsizetype at = text.indexOf(request.findText, 0, sensitivity); at >= 0;
         at = text.indexOf(request.findText, at + 1, sensitivity)) {
        if (request.matchWholeWord) {
            const bool startsWord = at == 0 || !isWordCharacter(text[at - 1]);
            const bool endsWord = at + length >= text.size() || !isWordCharacter(text[at + length]);
            if (!startsWord || !endsWord)
                continue;
        }
        found.append(at);
        at += length - 1; // occurrences never overlap
    }
    return found;
}

} // namespace

QList<qsizetype> findOccurrences(const QString& text, const SearchRequest& request)
{
    return occurrences(text, request);
}

int replaceInText(const Reference<XText>& text, CursorUnits units, const SearchRequest& request,
                  const KeepAlive& keep)
{
    if (!text.is() || request.findText.isEmpty() || request.limit == 0)
        return 0;
    const auto sensitivity = request.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;

    std::vector<Paragraph> paragraphs;
    collectParagraphs(text, paragraphs, keep);

    struct Match
    {
        Reference<XText> text;
        Reference<XTextRange> runStart;
        QString runText;
        qsizetype at;
    };
    std::vector<Match> matches;
    auto full = [&] { return request.limit > 0 && qsizetype(matches.size()) >= request.limit; };
    for (const Paragraph& paragraph : paragraphs) {
        // Most paragraphs hold no placeholder; one call settles that.
        if (full() ||
            !toQString(paragraph.range->getString()).contains(request.findText, sensitivity))
            continue;
        for (const Run& run : runsOf(paragraph.range, keep)) {
            for (qsizetype at : occurrences(run.text, request)) {
                if (full())
                    break;
                matches.push_back({paragraph.text, run.start, run.text, at});
            }
        }
    }

    // Everything is found and anchored before anything changes, and replaced from
    // the last occurrence to the first: a replacement (even one that splits a
    // paragraph) then never moves a position still to be used.
    std::vector<Reference<css::text::XTextCursor>> anchors;
    anchors.reserve(matches.size());
    for (const Match& match : matches) {
        anchors.push_back(match.text->createTextCursorByRange(match.runStart));
        keep(css::uno::Any(anchors.back()));
    }
    for (size_t i = matches.size(); i-- > 0;) {
        const Match& match = matches[i];
        const auto start = anchors[i]->getStart();
        const auto cursor = match.text->createTextCursorByRange(start);
        keep(css::uno::Any(start));
        keep(css::uno::Any(cursor));
        moveRight(cursor, cursorLength(QStringView(match.runText).first(match.at), units), false);
        moveRight(
            cursor,
            cursorLength(QStringView(match.runText).mid(match.at, request.findText.size()), units),
            true);
        cursor->setString(toOUString(request.replacement));
    }
    return int(matches.size());
}

int replaceInDrawingText(const Reference<XText>& text, const SearchRequest& request,
                         const KeepAlive& keep)
{
    if (!text.is() || request.findText.isEmpty() || request.limit == 0)
        return 0;
    const QString whole = toQString(text->getString());
    QList<qsizetype> found = occurrences(whole, request);
    if (request.limit > 0 && found.size() > request.limit)
        found.resize(request.limit);
    if (found.isEmpty())
        return 0;

    // Every selection is made and checked before anything changes; then they are
    // replaced from the last to the first, so no position moves under another.
    std::vector<Reference<css::text::XTextCursor>> selections;
    for (qsizetype at : std::as_const(found)) {
        const auto cursor = text->createTextCursor();
        keep(css::uno::Any(cursor));
        cursor->gotoStart(false);
        moveRight(cursor, int(at), false);
        moveRight(cursor, int(request.findText.size()), true);
        const QString selected = toQString(cursor->getString());
        const auto sensitivity = request.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
        if (selected.compare(request.findText, sensitivity) != 0)
            return replaceInText(text, CursorUnits::Utf16, request, keep);
        selections.push_back(cursor);
    }
    for (auto cursor = selections.rbegin(); cursor != selections.rend(); ++cursor)
        (*cursor)->setString(toOUString(request.replacement));
    return int(selections.size());
}

std::vector<Reference<XTextRange>> paragraphsOf(const Reference<XText>& text, const KeepAlive& keep)
{
    std::vector<Paragraph> paragraphs;
    collectParagraphs(text, paragraphs, keep);
    std::vector<Reference<XTextRange>> ranges;
    for (const Paragraph& paragraph : paragraphs)
        ranges.push_back(paragraph.range);
    return ranges;
}

QString readText(const Reference<XText>& text, const KeepAlive& keep)
{
    std::vector<Paragraph> paragraphs;
    collectParagraphs(text, paragraphs, keep);
    QStringList lines;
    for (const Paragraph& paragraph : paragraphs)
        lines << toQString(paragraph.range->getString());
    return lines.join(QLatin1Char('\n'));
}

} // namespace statusmill::office
