#include "OfficeFind.h"

#include "core/Failure.h"

namespace statusmill::office {

// Control characters other than tab, line feed and carriage return make the
// office's Word export crash or write a file other readers choke on (a NUL hides
// the rest of its paragraph), and U+FFFE and U+FFFF are no characters at all. The
// user's value itself is kept as it was typed.
QString documentText(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        const bool control = code < 0x20 && code != u'\t' && code != u'\n' && code != u'\r';
        if (!control && code != 0xFFFE && code != 0xFFFF)
            kept += c;
    }
    return kept;
}

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
    request.replacement = documentText(replacement);
    request.matchCase = m_matchCase;
    request.matchWholeWord = m_matchWholeWord;
    request.limit = replace == kReplaceAll ? -1 : (replace == 1 ? 1 : 0);
    m_run(request);
}

} // namespace statusmill::office
