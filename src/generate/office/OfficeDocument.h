#pragma once

// Documents and ranges of the object model (Automation.h) on a LibreOffice
// session. Internal to the engine.

#include "DocumentStories.h"
#include "HeldReferences.h"
#include "OfficeFind.h"
#include "OfficeSession.h"
#include "generate/Automation.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/document/XUndoManager.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/task/XJob.hpp>

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

    automation::Find& Find() override { return m_find; }
    void CopyAsPicture() override;

private:
    std::shared_ptr<OfficeSession> m_session;
    std::shared_ptr<OfficeDocument> m_wholeDocument;
    OfficeFind m_find;
};

class OfficeDocument : public automation::Document,
                       public std::enable_shared_from_this<OfficeDocument>
{
public:
    OfficeDocument(std::shared_ptr<OfficeSession> session,
                   uno::Reference<uno::css::lang::XComponent> component,
                   std::optional<DocumentLookups> lookups = std::nullopt,
                   std::optional<QSizeF> paper = std::nullopt, QString openedCopy = {});
    ~OfficeDocument() override;

    // The first story stands for every story of Writer's own text: one
    // replaceAll reaches them (see DocumentReplace.h). Each comment follows as a
    // story of its own, since replaceAll does not reach comments.
    automation::Enumerator<automation::Range> StoryRanges() override;
    automation::Enumerator<automation::Shape> Shapes() override;
    std::shared_ptr<automation::Range> Range() override;
    void SaveAs(const QString& path, FileFormat format) override;
    void ExportAsFixedFormat(const QString& path, int from, int to) override;
    void Close(std::optional<int> saveChanges) override;
    void SetPaperSize(QSizeF points) override;
    void SetScreenUpdating(bool on) override;
    void SetLinksRelative(bool on) override { m_linksRelative = on; }
    void UndoClear() override;
    bool UndoAll() override;
    void StartCustomRecord(const QString& name) override;
    void EndCustomRecord() override;
    automation::FillOutcome FillData(const data::ReportData& data) override;
    int ComputeStatistics(int statistic) override;
    void PrintOut(QPagedPaintDevice& device, int from, int to) override;

    bool closed() const { return m_closed; }
    // Renders the pages the picture can hold (PageRenderer.h), top to bottom, as one picture.
    QImage renderPages();

    // For looking inside, while it is open.
    OfficeSession& session() const { return *m_session; }
    const uno::Reference<uno::css::lang::XComponent>& component() const;
    // Holds what a caller made of the document's objects until the document closes.
    KeepAlive keeper() const;

private:
    // Stores a copy of the document through the office's filter of that name.
    void store(const QString& path, const char* filter,
               const uno::css::uno::Sequence<uno::css::beans::PropertyValue>& filterData = {});
    const TextList& headerFooters();
    const TextList& shapeTexts();
    const std::vector<uno::Reference<uno::css::beans::XPropertySet>>& comments();
    void ensureOpen() const;
    void withUndoManager(
        const std::function<void(const uno::Reference<uno::css::document::XUndoManager>&)>& work);

    std::shared_ptr<OfficeSession> m_session;
    uno::Reference<uno::css::lang::XComponent> m_component;
    std::shared_ptr<HeldReferences> m_held = std::make_shared<HeldReferences>();
    // Neither changes while fields are replaced, so each is looked up once.
    std::optional<TextList> m_headerFooters;
    std::optional<std::vector<uno::Reference<uno::css::beans::XPropertySet>>> m_comments;
    std::optional<TextList> m_shapeTexts;
    // The office's part of the fill, made once for the document's reports.
    uno::Reference<uno::css::task::XJob> m_fill;
    bool m_closed = false;
    // Set once text in a drawing shape has been replaced, which the office's undo
    // does not reach.
    std::shared_ptr<bool> m_beyondUndo = std::make_shared<bool>(false);
    // How many steps the office keeps to take back, once asked.
    std::optional<int> m_undoStepsKept;
    // A PDF written of it links to files relative to the PDF.
    bool m_linksRelative = false;
    // Its views were told to stop following its changes.
    bool m_screenStopped = false;
    // The paper it is known to be on.
    std::optional<QSizeF> m_paper;
    // A private copy it was opened from, removed once it is closed.
    QString m_openedCopy;
};

} // namespace statusmill::office
