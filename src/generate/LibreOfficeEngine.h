#pragma once

// The object model of Automation.h on a LibreOffice session. Internal to the
// engine: the rest of the program reaches it through automation::engine().

#include "Automation.h"
#include "DocumentStories.h"
#include "DocumentText.h"
#include "TextReplacer.h"
#include "office/HeldReferences.h"
#include "office/OfficeSession.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/text/XText.hpp>

#include <QImage>

#include <functional>
#include <optional>
#include <vector>

namespace statusmill::office {

class OfficeDocument;

// One searchable part of a document: the document itself (its first story), a
// comment, a shape's text, or the main text alone. What a search reaches is
// decided by whoever made the range.
class OfficeRange : public automation::Range
{
public:
    using Search = std::function<void(const SearchRequest&)>;
    OfficeRange(std::shared_ptr<OfficeSession> session, Search search,
                std::shared_ptr<OfficeDocument> wholeDocument = nullptr);
    ~OfficeRange() override;

    automation::Find& Find() override;
    void CopyAsPicture() override;

private:
    class RangeFind;
    std::shared_ptr<OfficeSession> m_session;
    Search m_search;
    std::shared_ptr<OfficeDocument> m_wholeDocument;
    std::unique_ptr<RangeFind> m_find;
};

class OfficeDocument : public automation::Document,
                       public std::enable_shared_from_this<OfficeDocument>
{
public:
    OfficeDocument(std::shared_ptr<OfficeSession> session,
                   uno::Reference<uno::css::lang::XComponent> component);
    ~OfficeDocument() override;

    // The first story stands for every story of Writer's own text: one
    // replaceAll reaches them (see DocumentReplace.h). Each comment follows as a
    // story of its own, since replaceAll does not reach comments.
    automation::Enumerator<automation::Range> StoryRanges() override;
    automation::Enumerator<automation::Shape> Shapes() override;
    std::shared_ptr<automation::Range> Range() override;
    void SaveAs(const QString& path) override;
    void Close(std::optional<int> saveChanges) override;

    bool closed() const { return m_closed; }
    // Renders the pages the picture can hold (PageRenderer.h), top to bottom, as one picture.
    QImage renderPages();
    automation::DocumentText readText();

private:
    void ensureOpen() const;
    KeepAlive keeper() const;
    const TextList& headerFooters();
    const std::vector<uno::Reference<uno::css::beans::XPropertySet>>& comments();

    std::shared_ptr<OfficeSession> m_session;
    uno::Reference<uno::css::lang::XComponent> m_component;
    std::shared_ptr<HeldReferences> m_held = std::make_shared<HeldReferences>();
    // Neither changes while fields are replaced, so each is looked up once.
    std::optional<TextList> m_headerFooters;
    std::optional<std::vector<uno::Reference<uno::css::beans::XPropertySet>>> m_comments;
    bool m_closed = false;
};

class OfficeDocuments : public automation::Documents
{
public:
    explicit OfficeDocuments(std::shared_ptr<OfficeSession> session) : m_session(std::move(session))
    {}
    std::shared_ptr<automation::Document> Open(const QString& path, bool readOnly) override;
    std::shared_ptr<automation::Document> active() const;

private:
    std::shared_ptr<OfficeSession> m_session;
    std::vector<std::weak_ptr<OfficeDocument>> m_opened;
};

class OfficeApplication : public automation::Application
{
public:
    explicit OfficeApplication(std::shared_ptr<OfficeSession> session);
    ~OfficeApplication() override;

    automation::Documents& Documents() override { return m_documents; }
    // The office never prompts in a session of ours, so there is nothing to silence.
    void setDisplayAlerts(bool) override {}
    std::shared_ptr<automation::Document> ActiveDocument() override;
    void quit() override;

    OfficeSession& session() { return *m_session; }

private:
    std::shared_ptr<OfficeSession> m_session;
    OfficeDocuments m_documents;
};

class LibreOfficeEngine : public automation::Engine
{
public:
    std::unique_ptr<automation::Application> createApplication() override;
};

} // namespace statusmill::office
