#include "FaultyEngine.h"

#include "core/Failure.h"

namespace statusmill::automation::testing {

using State = FaultyEngine::State;

void State::enter(const QString& operation)
{
    calls << operation;
    const int count = ++counts[operation];
    const auto [first, last] = faults.equal_range(operation);
    for (auto it = first; it != last; ++it) {
        const Fault& fault = it->second;
        if (count == fault.occurrence || (fault.repeat && count > fault.occurrence))
            throw Failure(fault.description);
    }
    const auto [from, to] = actions.equal_range(operation);
    for (auto it = from; it != to; ++it)
        it->second();
}

namespace {

using StatePtr = std::shared_ptr<State>;

template <class T, class Wrap>
Enumerator<T> wrapEnumerator(StatePtr state, Enumerator<T> inner, Wrap wrap)
{
    auto shared = std::make_shared<Enumerator<T>>(std::move(inner));
    return Enumerator<T>([state, shared, wrap]() -> std::optional<std::shared_ptr<T>> {
        state->enter(QStringLiteral("next"));
        auto item = shared->next();
        if (!item)
            return std::nullopt;
        return wrap(*item);
    });
}

class FaultyFind : public Find
{
public:
    FaultyFind(StatePtr state, Find& inner) : m_state(std::move(state)), m_inner(inner) {}

    void ClearFormatting() override { m_inner.ClearFormatting(); }
    Find& Replacement() override
    {
        if (!m_replacement)
            m_replacement = std::make_unique<FaultyFind>(m_state, m_inner.Replacement());
        return *m_replacement;
    }
    void setText(const QString& text) override { m_inner.setText(text); }
    void setForward(bool on) override { m_inner.setForward(on); }
    void setWrap(int wrap) override { m_inner.setWrap(wrap); }
    void setFormat(bool on) override { m_inner.setFormat(on); }
    void setMatchCase(bool on) override { m_inner.setMatchCase(on); }
    void setMatchWholeWord(bool on) override { m_inner.setMatchWholeWord(on); }
    void setMatchWildcards(bool on) override { m_inner.setMatchWildcards(on); }
    void setMatchSoundsLike(bool on) override { m_inner.setMatchSoundsLike(on); }
    void setMatchAllWordForms(bool on) override { m_inner.setMatchAllWordForms(on); }
    void Execute(int replace) override
    {
        m_state->enter(QStringLiteral("Execute"));
        m_inner.Execute(replace);
    }
    void Execute(const QString& findText, const QString& replacement, int replace) override
    {
        m_state->enter(QStringLiteral("Execute"));
        m_inner.Execute(findText, replacement, replace);
    }

private:
    StatePtr m_state;
    Find& m_inner;
    std::unique_ptr<FaultyFind> m_replacement;
};

class FaultyRange : public Range
{
public:
    FaultyRange(StatePtr state, std::shared_ptr<Range> inner)
        : m_state(std::move(state)), m_inner(std::move(inner))
    {}
    automation::Find& Find() override
    {
        m_state->enter(QStringLiteral("Find"));
        if (!m_find)
            m_find = std::make_unique<FaultyFind>(m_state, m_inner->Find());
        return *m_find;
    }
    void CopyAsPicture() override
    {
        m_state->enter(QStringLiteral("CopyAsPicture"));
        m_inner->CopyAsPicture();
    }

private:
    StatePtr m_state;
    std::shared_ptr<Range> m_inner;
    std::unique_ptr<FaultyFind> m_find;
};

class FaultyTextFrame : public TextFrame
{
public:
    FaultyTextFrame(StatePtr state, std::shared_ptr<TextFrame> inner)
        : m_state(std::move(state)), m_inner(std::move(inner))
    {}
    bool HasText() override
    {
        m_state->enter(QStringLiteral("HasText"));
        return m_inner->HasText();
    }
    std::shared_ptr<Range> TextRange() override
    {
        m_state->enter(QStringLiteral("TextRange"));
        return std::make_shared<FaultyRange>(m_state, m_inner->TextRange());
    }

private:
    StatePtr m_state;
    std::shared_ptr<TextFrame> m_inner;
};

class FaultyShape : public Shape
{
public:
    FaultyShape(StatePtr state, std::shared_ptr<Shape> inner)
        : m_state(std::move(state)), m_inner(std::move(inner))
    {}
    std::shared_ptr<automation::TextFrame> TextFrame() override
    {
        m_state->enter(QStringLiteral("TextFrame"));
        return std::make_shared<FaultyTextFrame>(m_state, m_inner->TextFrame());
    }

private:
    StatePtr m_state;
    std::shared_ptr<Shape> m_inner;
};

class FaultyDocument : public Document
{
public:
    FaultyDocument(StatePtr state, std::shared_ptr<Document> inner)
        : m_state(std::move(state)), m_inner(std::move(inner))
    {}
    Enumerator<automation::Range> StoryRanges() override
    {
        m_state->enter(QStringLiteral("StoryRanges"));
        const StatePtr state = m_state;
        return wrapEnumerator<automation::Range>(
            state, m_inner->StoryRanges(),
            [state](const std::shared_ptr<automation::Range>& range) {
                return std::shared_ptr<automation::Range>(
                    std::make_shared<FaultyRange>(state, range));
            });
    }
    Enumerator<automation::Shape> Shapes() override
    {
        m_state->enter(QStringLiteral("Shapes"));
        const StatePtr state = m_state;
        return wrapEnumerator<automation::Shape>(
            state, m_inner->Shapes(), [state](const std::shared_ptr<automation::Shape>& shape) {
                return std::shared_ptr<automation::Shape>(
                    std::make_shared<FaultyShape>(state, shape));
            });
    }
    std::shared_ptr<automation::Range> Range() override
    {
        m_state->enter(QStringLiteral("Range"));
        return std::make_shared<FaultyRange>(m_state, m_inner->Range());
    }
    void SaveAs(const QString& path, FileFormat format) override
    {
        m_state->enter(QStringLiteral("SaveAs"));
        m_inner->SaveAs(path, format);
    }
    void ExportAsFixedFormat(const QString& path, int from, int to) override
    {
        m_state->enter(QStringLiteral("ExportAsFixedFormat"));
        m_inner->ExportAsFixedFormat(path, from, to);
    }
    void SetLinksRelative(bool on) override { m_inner->SetLinksRelative(on); }
    void Close(std::optional<int> saveChanges) override
    {
        m_state->enter(QStringLiteral("Close"));
        m_inner->Close(saveChanges);
    }
    int ComputeStatistics(int statistic) override
    {
        m_state->enter(QStringLiteral("ComputeStatistics"));
        return m_inner->ComputeStatistics(statistic);
    }
    void SetPaperSize(QSizeF points) override
    {
        m_state->enter(QStringLiteral("SetPaperSize"));
        m_inner->SetPaperSize(points);
    }
    void SetScreenUpdating(bool on) override
    {
        m_state->enter(QStringLiteral("SetScreenUpdating"));
        m_inner->SetScreenUpdating(on);
    }
    void UndoClear() override
    {
        m_state->enter(QStringLiteral("UndoClear"));
        m_inner->UndoClear();
    }
    bool UndoAll() override
    {
        m_state->enter(QStringLiteral("UndoAll"));
        return m_inner->UndoAll();
    }
    void StartCustomRecord(const QString& name) override
    {
        m_state->enter(QStringLiteral("StartCustomRecord"));
        m_inner->StartCustomRecord(name);
    }
    void EndCustomRecord() override
    {
        m_state->enter(QStringLiteral("EndCustomRecord"));
        m_inner->EndCustomRecord();
    }
    automation::FillOutcome FillData(const data::ReportData& data) override
    {
        m_state->enter(QStringLiteral("FillData"));
        return m_inner->FillData(data);
    }
    void PrintOut(QPagedPaintDevice& device, int from, int to) override
    {
        m_state->enter(QStringLiteral("PrintOut"));
        m_inner->PrintOut(device, from, to);
    }
    const std::shared_ptr<Document>& inner() const { return m_inner; }

private:
    StatePtr m_state;
    std::shared_ptr<Document> m_inner;
};

class FaultyDocuments : public Documents
{
public:
    FaultyDocuments(StatePtr state, Documents& inner) : m_state(std::move(state)), m_inner(inner) {}
    std::shared_ptr<Document> Open(const QString& path, bool readOnly) override
    {
        m_state->enter(QStringLiteral("Open"));
        return std::make_shared<FaultyDocument>(m_state, m_inner.Open(path, readOnly));
    }

private:
    StatePtr m_state;
    Documents& m_inner;
};

class FaultyApplication : public Application
{
public:
    FaultyApplication(StatePtr state, std::unique_ptr<Application> inner)
        : m_state(std::move(state)), m_inner(std::move(inner)),
          m_documents(m_state, m_inner->Documents())
    {}
    automation::Documents& Documents() override { return m_documents; }
    void setDisplayAlerts(bool on) override
    {
        m_state->enter(QStringLiteral("setDisplayAlerts"));
        m_inner->setDisplayAlerts(on);
    }
    std::shared_ptr<Document> ActiveDocument() override
    {
        m_state->enter(QStringLiteral("ActiveDocument"));
        return std::make_shared<FaultyDocument>(m_state, m_inner->ActiveDocument());
    }
    void quit() override
    {
        m_state->enter(QStringLiteral("quit"));
        m_inner->quit();
    }

private:
    StatePtr m_state;
    std::unique_ptr<Application> m_inner;
    FaultyDocuments m_documents;
};

} // namespace

FaultyEngine::FaultyEngine(Engine* inner) : m_inner(inner) {}

void FaultyEngine::failAt(const QString& operation, int occurrence, const QString& description,
                          bool repeat)
{
    m_state->faults.emplace(operation, State::Fault{occurrence, description, repeat});
}

void FaultyEngine::onEnter(const QString& operation, std::function<void()> action)
{
    m_state->actions.emplace(operation, std::move(action));
}

std::unique_ptr<Application> FaultyEngine::createApplication()
{
    m_state->enter(QStringLiteral("createApplication"));
    // The office engine is looked up only now: a test may have put this engine in
    // its place, and engine() would then return us.
    Engine& inner = m_inner ? *m_inner : officeEngine();
    return std::make_unique<FaultyApplication>(m_state, inner.createApplication());
}

} // namespace statusmill::automation::testing
