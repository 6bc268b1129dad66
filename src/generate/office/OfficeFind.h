#pragma once

// The search object of one range: Word's Find settings gathered until Execute,
// which hands a SearchRequest to whoever made the range. Internal to the engine.

#include "TextReplacer.h"
#include "generate/Automation.h"

#include <functional>

namespace statusmill::office {

class OfficeFind : public automation::Find
{
public:
    using Run = std::function<void(const SearchRequest&)>;
    explicit OfficeFind(Run run);

    void ClearFormatting() override {}
    Find& Replacement() override { return m_replacement; }
    void setText(const QString& text) override { m_text = text; }
    // Every search covers its whole story, and formatting is never searched for,
    // so direction, wrapping and format settings change nothing.
    void setForward(bool) override {}
    void setWrap(int) override {}
    void setFormat(bool) override {}
    void setMatchCase(bool on) override { m_matchCase = on; }
    void setMatchWholeWord(bool on) override { m_matchWholeWord = on; }
    void setMatchWildcards(bool on) override { m_matchWildcards = on; }
    void setMatchSoundsLike(bool on) override { m_matchSoundsLike = on; }
    void setMatchAllWordForms(bool on) override { m_matchAllWordForms = on; }

    void Execute(int replace) override;
    void Execute(const QString& findText, const QString& replacement, int replace) override;

private:
    // The replacement side: only its text and formatting matter.
    class ReplacementSide : public automation::Find
    {
    public:
        explicit ReplacementSide(OfficeFind& owner) : m_owner(owner) {}
        void ClearFormatting() override {}
        Find& Replacement() override { return *this; }
        void setText(const QString& text) override { m_owner.m_replacementText = text; }
        void setForward(bool) override {}
        void setWrap(int) override {}
        void setFormat(bool) override {}
        void setMatchCase(bool) override {}
        void setMatchWholeWord(bool) override {}
        void setMatchWildcards(bool) override {}
        void setMatchSoundsLike(bool) override {}
        void setMatchAllWordForms(bool) override {}
        void Execute(int) override { refuse(); }
        void Execute(const QString&, const QString&, int) override { refuse(); }

    private:
        [[noreturn]] static void refuse();
        OfficeFind& m_owner;
    };

    void run(const QString& findText, const QString& replacement, int replace);

    Run m_run;
    ReplacementSide m_replacement;
    QString m_text;
    QString m_replacementText;
    bool m_matchCase = false;
    bool m_matchWholeWord = false;
    bool m_matchWildcards = false;
    bool m_matchSoundsLike = false;
    bool m_matchAllWordForms = false;
};

} // namespace statusmill::office
