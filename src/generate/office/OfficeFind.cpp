#include "OfficeFind.h"

#include "core/Failure.h"
#include "generate/FillPlan.h"

namespace statusmill::office {

OfficeFind::OfficeFind(Run run) : m_run(std::move(run)), m_replacement(*this) {}

void OfficeFind::Execute(int replace)
{
    run(m_text, m_replacementText, replace);
}

void OfficeFind::Execute(const QString& findText, const QString& replacement, int replace)
{
    run(findText, replacement, replace);
}

void OfficeFind::ReplacementSide::refuse()
{
    throw Failure(QStringLiteral("A replacement text cannot run a search."));
}

void OfficeFind::run(const QString& findText, const QString& replacement, int replace)
{
    // Patterns, sound-alikes and word forms would need the office's own search in
    // a form it does not offer for every story; refusing beats a literal search
    // that quietly means something else.
    if (m_matchWildcards || m_matchSoundsLike || m_matchAllWordForms)
        throw Failure(QStringLiteral("Pattern, sounds-like and word-form searches are not "
                                     "supported by the document engine."));
    SearchRequest request;
    request.findText = findText;
    // The user's value itself is kept as it was typed.
    request.replacement = automation::documentText(replacement);
    request.matchCase = m_matchCase;
    request.matchWholeWord = m_matchWholeWord;
    request.limit = replace == kReplaceAll ? -1 : (replace == 1 ? 1 : 0);
    m_run(request);
}

} // namespace statusmill::office
