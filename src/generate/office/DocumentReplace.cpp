#include "DocumentReplace.h"

#include <com/sun/star/util/XReplaceable.hpp>
#include <com/sun/star/util/XSearchDescriptor.hpp>

namespace statusmill::office {

using namespace uno;

namespace {

bool holds(const QString& text, const SearchRequest& request)
{
    return !findOccurrences(text, request).isEmpty();
}

} // namespace

void replaceInDocument(const Reference<css::lang::XComponent>& document,
                       const TextList& otherStories, const SearchRequest& request,
                       const KeepAlive& keep)
{
    if (request.findText.isEmpty() || request.limit == 0)
        return;

    struct Candidate
    {
        Reference<css::text::XText> text;
        rtl::OUString before;
    };
    std::vector<Candidate> candidates;
    for (const auto& text : otherStories) {
        const rtl::OUString before = text->getString();
        if (holds(toQString(before), request))
            candidates.push_back({text, before});
    }

    Reference<css::util::XReplaceable> replaceable(document, UNO_QUERY_THROW);
    const auto descriptor = replaceable->createReplaceDescriptor();
    keep(css::uno::Any(descriptor));
    descriptor->setSearchString(toOUString(request.findText));
    descriptor->setReplaceString(toOUString(request.replacement));
    Reference<css::beans::XPropertySet> options(descriptor, UNO_QUERY_THROW);
    keep(css::uno::Any(options));
    // Literal search: with patterns off, "$1", "&" and "\n" in a value stay as typed.
    options->setPropertyValue("SearchRegularExpression", css::uno::Any(false));
    options->setPropertyValue("SearchSimilarity", css::uno::Any(false));
    options->setPropertyValue("SearchCaseSensitive", css::uno::Any(request.matchCase));
    options->setPropertyValue("SearchWords", css::uno::Any(request.matchWholeWord));
    replaceable->replaceAll(Reference<css::util::XSearchDescriptor>(descriptor, UNO_QUERY_THROW));

    for (const Candidate& candidate : candidates)
        if (candidate.text->getString() == candidate.before)
            replaceInText(candidate.text, CursorUnits::Characters, request, keep);
}

QString commentText(const Reference<css::beans::XPropertySet>& comment)
{
    rtl::OUString content;
    comment->getPropertyValue("Content") >>= content;
    QString text = toQString(content);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

int replaceInComment(const Reference<css::beans::XPropertySet>& comment,
                     const SearchRequest& request)
{
    if (request.findText.isEmpty() || request.limit == 0)
        return 0;
    QString text = commentText(comment);
    QList<qsizetype> found = findOccurrences(text, request);
    if (request.limit > 0 && found.size() > request.limit)
        found.resize(request.limit);
    if (found.isEmpty())
        return 0;
    // From the last to the first, so earlier positions stay valid and no value
    // is searched again.
    for (auto at = found.crbegin(); at != found.crend(); ++at)
        text.replace(*at, request.findText.size(), request.replacement);
    comment->setPropertyValue("Content", css::uno::Any(toOUString(text)));
    return int(found.size());
}

} // namespace statusmill::office
