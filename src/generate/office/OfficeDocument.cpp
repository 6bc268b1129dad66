#include "OfficeDocument.h"

#include "CreationDate.h"
#include "DocumentReplace.h"
#include "OfficeShape.h"
#include "PageRenderer.h"
#include "PageSize.h"
#include "PdfExport.h"
#include "UndoSteps.h"
#include "core/FileHelpers.h"
#include "core/Random.h"
#include "core/WorkFolder.h"
#include "generate/ClipboardPicture.h"

#include <QFileInfo>
#include <QScopeGuard>

#include <com/sun/star/document/XUndoManagerSupplier.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/text/XPageCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/util/XCloseable.hpp>

namespace statusmill::office {

using namespace uno;
using css::text::XText;

namespace {

// Word's value for "save the changes" when closing.
constexpr int kSaveChanges = -1;

template <class T> automation::Enumerator<T> enumerate(std::vector<std::shared_ptr<T>> items)
{
    auto shared = std::make_shared<std::vector<std::shared_ptr<T>>>(std::move(items));
    auto position = std::make_shared<size_t>(0);
    return automation::Enumerator<T>([shared, position]() -> std::optional<std::shared_ptr<T>> {
        if (*position >= shared->size())
            return std::nullopt;
        return (*shared)[(*position)++];
    });
}

// The office says only that storing failed; the folder it wrote into can say why.
Failure withFolderReason(const Failure& failure, const QString& path)
{
    const auto why = whyFolderTakesNoWrite(QFileInfo(path).absolutePath());
    return why ? Failure(QStringLiteral("%1 (%2)").arg(failure.description(), *why)) : failure;
}

} // namespace

// ---------------------------------------------------------------- Range

OfficeRange::OfficeRange(std::shared_ptr<OfficeSession> session, Search search,
                         std::shared_ptr<OfficeDocument> wholeDocument)
    : m_session(std::move(session)), m_wholeDocument(std::move(wholeDocument)),
      m_find([session = m_session, search = std::move(search)](const SearchRequest& request) {
          session->call([&] { search(request); });
      })
{}

void OfficeRange::CopyAsPicture()
{
    if (!m_wholeDocument)
        throw Failure(
            QStringLiteral("Only the main text of a document can be copied as a picture."));
    putClipboardPicture(m_wholeDocument->renderPages());
}

// ---------------------------------------------------------------- Document

OfficeDocument::OfficeDocument(std::shared_ptr<OfficeSession> session,
                               Reference<css::lang::XComponent> component,
                               std::optional<DocumentLookups> lookups,
                               std::optional<QSizeF> paper, QString openedCopy)
    : m_session(std::move(session)), m_component(std::move(component)), m_paper(paper),
      m_openedCopy(std::move(openedCopy))
{
    m_held->hold(m_component);
    if (lookups) {
        m_headerFooters = std::move(lookups->headerFooters);
        m_comments = std::move(lookups->comments);
        m_shapeTexts = std::move(lookups->shapeTexts);
        m_held->take(std::move(lookups->held));
    }
}

OfficeDocument::~OfficeDocument()
{
    // Still open in a running office: its objects may not be released before the
    // office has closed it, which happens at the session's end at the latest.
    if (!m_closed && !m_session->ended())
        m_session->adopt(std::move(*m_held));
}

void OfficeDocument::ensureOpen() const
{
    if (m_closed)
        throw Failure(QStringLiteral("The document has been closed."));
    if (m_session->ended())
        throw Failure(QStringLiteral("The document engine is no longer running."));
}

const Reference<css::lang::XComponent>& OfficeDocument::component() const
{
    ensureOpen();
    return m_component;
}

KeepAlive OfficeDocument::keeper() const
{
    return [held = m_held](const css::uno::Any& object) { held->hold(object); };
}

const TextList& OfficeDocument::headerFooters()
{
    if (!m_headerFooters)
        m_headerFooters = headerFooterTexts(m_component, keeper());
    return *m_headerFooters;
}

const TextList& OfficeDocument::shapeTexts()
{
    if (!m_shapeTexts)
        m_shapeTexts = drawingShapeTexts(m_component, keeper());
    return *m_shapeTexts;
}

const std::vector<Reference<css::beans::XPropertySet>>& OfficeDocument::comments()
{
    if (!m_comments)
        m_comments = commentFields(m_component, keeper());
    return *m_comments;
}

automation::Enumerator<automation::Range> OfficeDocument::StoryRanges()
{
    ensureOpen();
    std::vector<std::shared_ptr<automation::Range>> ranges;
    auto self = shared_from_this();
    ranges.push_back(std::make_shared<OfficeRange>(m_session, [self](const SearchRequest& r) {
        self->ensureOpen();
        const auto body =
            Reference<css::text::XTextDocument>(self->m_component, UNO_QUERY_THROW)->getText();
        self->m_held->hold(body);
        // "Replace one" stays the main text's affair, as it would in the first story.
        if (r.limit >= 0)
            replaceInText(body, CursorUnits::Characters, r, self->keeper());
        else
            replaceInDocument(self->m_component, self->headerFooters(), r, self->keeper());
    }));
    m_session->call([&] {
        for (const auto& comment : comments())
            ranges.push_back(
                std::make_shared<OfficeRange>(m_session, [self, comment](const SearchRequest& r) {
                    self->ensureOpen();
                    replaceInComment(comment, r);
                }));
    });
    return enumerate(std::move(ranges));
}

automation::Enumerator<automation::Shape> OfficeDocument::Shapes()
{
    ensureOpen();
    return enumerate(m_session->call([&] {
        std::vector<std::shared_ptr<automation::Shape>> shapes;
        for (const auto& text : shapeTexts())
            shapes.push_back(makeOfficeShape(m_session, text, keeper(), m_beyondUndo));
        return shapes;
    }));
}

std::shared_ptr<automation::Range> OfficeDocument::Range()
{
    ensureOpen();
    auto self = shared_from_this();
    return std::make_shared<OfficeRange>(
        m_session,
        [self](const SearchRequest& r) {
            self->ensureOpen();
            const auto body =
                Reference<css::text::XTextDocument>(self->m_component, UNO_QUERY_THROW)->getText();
            self->m_held->hold(body);
            replaceInText(body, CursorUnits::Characters, r, self->keeper());
        },
        self);
}

void OfficeDocument::store(const QString& path, const char* filter,
                           const css::uno::Sequence<css::beans::PropertyValue>& filterData)
{
    ensureOpen();
    try {
        m_session->call([&] {
            Reference<css::frame::XStorable> storable(m_component, UNO_QUERY_THROW);
            auto arguments =
                properties({{"FilterName", css::uno::Any(rtl::OUString::createFromAscii(filter))},
                            {"Overwrite", css::uno::Any(true)}});
            if (filterData.hasElements()) {
                arguments.realloc(arguments.getLength() + 1);
                arguments.getArray()[arguments.getLength() - 1] =
                    css::beans::PropertyValue("FilterData", 0, css::uno::Any(filterData),
                                              css::beans::PropertyState_DIRECT_VALUE);
            }
            storable->storeToURL(fileUrl(path), arguments);
        });
    } catch (const Failure& failure) {
        throw withFolderReason(failure, path);
    }
}

void OfficeDocument::SaveAs(const QString& path, FileFormat format)
{
    const auto dated = [&](CreationDateForm form) {
        ensureOpen();
        m_session->call([&] { prepareCreationDate(m_component, form); });
    };
    switch (format) {
    case FormatDocument:
        dated(CreationDateForm::Local);
        return store(path, "MS Word 97");
    case FormatXMLDocument:
        dated(CreationDateForm::Utc);
        return store(path, "MS Word 2007 XML");
    case FormatXMLTemplate:
        dated(CreationDateForm::Utc);
        return store(path, "MS Word 2007 XML Template");
    case FormatOpenDocumentText:
        dated(CreationDateForm::Utc);
        return store(path, "writer8");
    case FormatOpenDocumentTextTemplate:
        dated(CreationDateForm::Utc);
        return store(path, "writer8_template");
    }
    throw Failure(QStringLiteral("The document engine cannot save in format %1.").arg(int(format)));
}

void OfficeDocument::ExportAsFixedFormat(const QString& path, int from, int to)
{
    if (m_linksRelative) {
        ensureOpen();
        m_session->call([&] { linkFrom(m_component, path); });
    }
    store(path, "writer_pdf_Export", pdfSettings(from, to, m_linksRelative));
}

void OfficeDocument::Close(std::optional<int> saveChanges)
{
    ensureOpen();
    m_session->call([&] {
        if (saveChanges == kSaveChanges) {
            Reference<css::frame::XStorable> storable(m_component, UNO_QUERY_THROW);
            if (storable->hasLocation() && !storable->isReadonly())
                storable->store();
        }
        Reference<css::util::XCloseable> closeable(m_component, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            m_component->dispose();
    });
    m_closed = true;
    DeleteFileQuietly(m_openedCopy);
    // Closed: nothing in the office works on these objects any more.
    m_headerFooters.reset();
    m_comments.reset();
    m_shapeTexts.reset();
    m_fill.clear();
    m_held->release();
}

void OfficeDocument::SetPaperSize(QSizeF points)
{
    ensureOpen();
    // Put on it while the document waited to be taken: nothing to ask the office.
    if (m_paper == points)
        return;
    m_session->call([&] { setPaperSize(m_component, points); });
    m_paper = points;
}

void OfficeDocument::SetScreenUpdating(bool on)
{
    ensureOpen();
    if (on != m_screenStopped)
        return;
    m_session->call([&] {
        const Reference<css::frame::XModel> model(m_component, UNO_QUERY_THROW);
        if (on)
            model->unlockControllers();
        else
            model->lockControllers();
    });
    m_screenStopped = !on;
}

void OfficeDocument::withUndoManager(
    const std::function<void(const Reference<css::document::XUndoManager>&)>& work)
{
    ensureOpen();
    m_session->call([&] {
        work(Reference<css::document::XUndoManagerSupplier>(m_component, UNO_QUERY_THROW)
                 ->getUndoManager());
    });
}

void OfficeDocument::UndoClear()
{
    withUndoManager([](const auto& undo) { undo->clear(); });
    *m_beyondUndo = false;
}

bool OfficeDocument::UndoAll()
{
    bool complete = false;
    withUndoManager([&](const auto& undo) {
        // Past its limit the office drops the oldest steps without a word: undoing
        // the rest would leave the first changes in, and the next report would
        // carry them.
        if (!m_undoStepsKept)
            m_undoStepsKept = undoStepsKept(m_session->office()->context());
        if (undo->getAllUndoActionTitles().getLength() >= *m_undoStepsKept)
            return;
        while (undo->isUndoPossible())
            undo->undo();
        complete = true;
    });
    return complete && !*m_beyondUndo;
}

void OfficeDocument::StartCustomRecord(const QString& name)
{
    withUndoManager([&](const auto& undo) { undo->enterUndoContext(toOUString(name)); });
}

void OfficeDocument::EndCustomRecord()
{
    withUndoManager([](const auto& undo) { undo->leaveUndoContext(); });
}

int OfficeDocument::ComputeStatistics(int statistic)
{
    ensureOpen();
    if (statistic != kStatisticPages)
        throw Failure(QStringLiteral("The document engine counts pages only."));
    return m_session->call([&] {
        // A hidden document still has a view, whose cursor knows the layout.
        Reference<css::frame::XModel> model(m_component, UNO_QUERY_THROW);
        Reference<css::text::XTextViewCursorSupplier> view(model->getCurrentController(),
                                                           UNO_QUERY_THROW);
        Reference<css::text::XPageCursor> pages(view->getViewCursor(), UNO_QUERY_THROW);
        pages->jumpToLastPage();
        return int(pages->getPage());
    });
}

void OfficeDocument::PrintOut(QPagedPaintDevice& device, int from, int to)
{
    // Drawn from the document itself, every page asked for: the office writes the
    // pages into a PDF file of ours, and each is rendered for the device from there.
    const QString pdf =
        WorkFolder::file(QStringLiteral("print-%1.pdf").arg(Random::uniqueSuffix()));
    const auto remove = qScopeGuard([&] { DeleteFileQuietly(pdf); });
    ExportAsFixedFormat(pdf, from, to);
    office::printPages(pdf, device, 1, to - from + 1);
}

QImage OfficeDocument::renderPages()
{
    ensureOpen();
    // The office draws the pages into a PDF file of ours; Poppler turns that into
    // pixels. The file is private to the session and removed at once.
    const QString pdf =
        WorkFolder::file(QStringLiteral("render-%1.pdf").arg(Random::uniqueSuffix()));
    const auto remove = qScopeGuard([&] { DeleteFileQuietly(pdf); });
    // Only the pages the picture can hold are drawn at all.
    const auto pageRange = toOUString(QStringLiteral("1-%1").arg(kMostPagesPictured));
    const double ratio = pictureRatio();
    SheetAhead sheet(ratio);
    store(pdf, "writer_pdf_Export", properties({{"PageRange", css::uno::Any(pageRange)}}));
    // The user waits for the first view only: the pages below follow meanwhile.
    return office::renderPages(pdf, ratio, kMostPagesPictured, &sheet, Hand::FirstViewFirst);
}

} // namespace statusmill::office
