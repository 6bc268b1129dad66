#include "LibreOfficeEngine.h"

#include "ClipboardPicture.h"
#include "DocumentReplace.h"
#include "OfficeView.h"
#include "PageRenderer.h"
#include "SpareOffices.h"
#include "common/FileHelpers.h"
#include "common/WorkFolder.h"
#include "office/Spares.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
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

bool supports(const Reference<css::uno::XInterface>& object, const char* service)
{
    Reference<css::lang::XServiceInfo> info(object, UNO_QUERY);
    return info.is() && info->supportsService(rtl::OUString::createFromAscii(service));
}

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

// The replacement text as the document can hold it. Control characters other than
// tab, line feed and carriage return make the office's Word export crash or write
// a file other readers choke on (a NUL hides the rest of its paragraph), and
// U+FFFE and U+FFFF are no characters at all: they are left out of the document.
// The user's value itself is kept as it was typed.
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

// The office says only that storing failed; the folder it wrote into can say why.
Failure withFolderReason(const Failure& failure, const QString& path)
{
    const auto why = whyFolderTakesNoWrite(QFileInfo(path).absolutePath());
    return why ? Failure(QStringLiteral("%1 (%2)").arg(failure.description(), *why)) : failure;
}

QString uniqueName(const QString& stem, const QString& suffix)
{
    return stem + QString::number(QRandomGenerator::global()->generate64(), 16) + suffix;
}

} // namespace

// ---------------------------------------------------------------- Find

class OfficeRange::RangeFind : public automation::Find
{
public:
    explicit RangeFind(OfficeRange& range) : m_range(range), m_replacement(*this) {}

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

    void Execute(int replace) override { run(m_text, m_replacementText, replace); }
    void Execute(const QString& findText, const QString& replacement, int replace) override
    {
        run(findText, replacement, replace);
    }

private:
    // The replacement side: only its text and formatting matter.
    class ReplacementSide : public automation::Find
    {
    public:
        explicit ReplacementSide(RangeFind& owner) : m_owner(owner) {}
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
        [[noreturn]] static void refuse()
        {
            throw Failure(QStringLiteral("A replacement text cannot run a search."));
        }
        RangeFind& m_owner;
    };

    void run(const QString& findText, const QString& replacement, int replace)
    {
        // Patterns, sound-alikes and word forms would need the office's own search
        // in a form it does not offer for every story; refusing beats a literal search
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
        m_range.m_session->call([&] { m_range.m_search(request); });
    }

    OfficeRange& m_range;
    ReplacementSide m_replacement;
    QString m_text;
    QString m_replacementText;
    bool m_matchCase = false;
    bool m_matchWholeWord = false;
    bool m_matchWildcards = false;
    bool m_matchSoundsLike = false;
    bool m_matchAllWordForms = false;
};

// ---------------------------------------------------------------- Range

OfficeRange::OfficeRange(std::shared_ptr<OfficeSession> session, Search search,
                         std::shared_ptr<OfficeDocument> wholeDocument)
    : m_session(std::move(session)), m_search(std::move(search)),
      m_wholeDocument(std::move(wholeDocument)), m_find(std::make_unique<RangeFind>(*this))
{}

OfficeRange::~OfficeRange() = default;

automation::Find& OfficeRange::Find()
{
    return *m_find;
}

void OfficeRange::CopyAsPicture()
{
    if (!m_wholeDocument)
        throw Failure(
            QStringLiteral("Only the main text of a document can be copied as a picture."));
    putClipboardPicture(m_wholeDocument->renderPages());
}

// ---------------------------------------------------------------- Shapes

namespace {

// A shape's text and what it last read, so that the fields a shape does not hold
// cost no call into the office.
struct ShapeText
{
    Reference<XText> text;
    KeepAlive keep;
    std::optional<QString> known;

    const QString& current()
    {
        if (!known)
            known = toQString(text->getString());
        return *known;
    }
};

class OfficeTextFrame : public automation::TextFrame
{
public:
    OfficeTextFrame(std::shared_ptr<OfficeSession> session, std::shared_ptr<ShapeText> shape)
        : m_session(std::move(session)), m_shape(std::move(shape))
    {}

    bool HasText() override
    {
        return m_shape->text.is() && m_session->call([&] { return !m_shape->current().isEmpty(); });
    }

    std::shared_ptr<automation::Range> TextRange() override
    {
        if (!m_shape->text.is())
            throw Failure(QStringLiteral("This shape holds no text."));
        return std::make_shared<OfficeRange>(m_session, [shape = m_shape](const SearchRequest& r) {
            if (findOccurrences(shape->current(), r).isEmpty())
                return;
            shape->known.reset();
            replaceInDrawingText(shape->text, r, shape->keep);
        });
    }

private:
    std::shared_ptr<OfficeSession> m_session;
    std::shared_ptr<ShapeText> m_shape;
};

class OfficeShape : public automation::Shape
{
public:
    OfficeShape(std::shared_ptr<OfficeSession> session, std::shared_ptr<ShapeText> shape)
        : m_frame(std::make_shared<OfficeTextFrame>(std::move(session), std::move(shape)))
    {}
    std::shared_ptr<automation::TextFrame> TextFrame() override { return m_frame; }

private:
    std::shared_ptr<OfficeTextFrame> m_frame;
};

} // namespace

// ---------------------------------------------------------------- Document

OfficeDocument::OfficeDocument(std::shared_ptr<OfficeSession> session,
                               Reference<css::lang::XComponent> component)
    : m_session(std::move(session)), m_component(std::move(component))
{
    m_held->hold(m_component);
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
        for (const auto& text : drawingShapeTexts(m_component, keeper()))
            shapes.push_back(std::make_shared<OfficeShape>(
                m_session, std::make_shared<ShapeText>(ShapeText{text, keeper(), std::nullopt})));
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

void OfficeDocument::SaveAs(const QString& path)
{
    ensureOpen();
    try {
        m_session->call([&] {
            Reference<css::frame::XStorable> storable(m_component, UNO_QUERY_THROW);
            storable->storeToURL(
                fileUrl(path),
                properties({{"FilterName", css::uno::Any(rtl::OUString("MS Word 97"))},
                            {"Overwrite", css::uno::Any(true)}}));
        });
    } catch (const Failure& failure) {
        throw withFolderReason(failure, path);
    }
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
    // Closed: nothing in the office works on these objects any more.
    m_headerFooters.reset();
    m_comments.reset();
    m_held->release();
}

QImage OfficeDocument::renderPages()
{
    ensureOpen();
    // The office draws the pages into a PDF file of ours; Poppler turns that into
    // pixels. The file is private to the session and removed at once.
    const QString pdf =
        WorkFolder::file(uniqueName(QStringLiteral("render-"), QStringLiteral(".pdf")));
    struct Remove
    {
        QString path;
        ~Remove() { DeleteFileQuietly(path); }
    } remove{pdf};
    try {
        m_session->call([&] {
            Reference<css::frame::XStorable> storable(m_component, UNO_QUERY_THROW);
            // Only the pages the picture can hold are drawn at all.
            const auto pageRange = toOUString(QStringLiteral("1-%1").arg(kMostPagesPictured));
            storable->storeToURL(
                fileUrl(pdf),
                properties({{"FilterName", css::uno::Any(rtl::OUString("writer_pdf_Export"))},
                            {"FilterData", css::uno::Any(properties(
                                               {{"PageRange", css::uno::Any(pageRange)}}))}}));
        });
    } catch (const Failure& failure) {
        throw withFolderReason(failure, pdf);
    }
    return office::renderPages(pdf, pictureRatio());
}

automation::DocumentText OfficeDocument::readText()
{
    ensureOpen();
    automation::DocumentText result;
    m_session->call([&] {
        for (const auto& text : writerStoryTexts(m_component, keeper()))
            result.stories << office::readText(text, keeper());
        for (const auto& comment : commentFields(m_component, keeper()))
            result.stories << commentText(comment);
        // The whole text's own string: the paragraphs of a shape may still report
        // themselves as they were before a replacement.
        for (const auto& text : drawingShapeTexts(m_component, keeper())) {
            QString shape = toQString(text->getString());
            shape.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            result.shapes << shape.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        }
        // A hidden document still has a view, whose cursor knows the layout.
        Reference<css::frame::XModel> model(m_component, UNO_QUERY_THROW);
        Reference<css::text::XTextViewCursorSupplier> view(model->getCurrentController(),
                                                           UNO_QUERY_THROW);
        Reference<css::text::XPageCursor> pages(view->getViewCursor(), UNO_QUERY_THROW);
        pages->jumpToLastPage();
        result.pages = pages->getPage();
    });
    return result;
}

// ---------------------------------------------------------------- Documents

std::shared_ptr<automation::Document> OfficeDocuments::Open(const QString& path, bool readOnly)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    auto component = m_session->call([&] {
        Reference<css::frame::XComponentLoader> loader(m_session->desktop(), UNO_QUERY_THROW);
        // No interaction handler: the office then asks nothing and fails instead.
        const auto loaded = loader->loadComponentFromURL(
            fileUrl(absolute), "_blank", 0,
            properties(
                {{"Hidden", css::uno::Any(true)},
                 {"ReadOnly", css::uno::Any(readOnly)},
                 {"MacroExecutionMode", css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)},
                 {"UpdateDocMode", css::uno::Any(css::document::UpdateDocMode::NO_UPDATE)}}));
        if (loaded.is() && !supports(loaded, "com.sun.star.text.TextDocument")) {
            Reference<css::util::XCloseable> closeable(loaded, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            throw Failure(QStringLiteral("%1 is not a text document.").arg(absolute));
        }
        return loaded;
    });
    if (!component.is())
        throw Failure(QStringLiteral("The document %1 could not be opened.").arg(absolute));
    auto document = std::make_shared<OfficeDocument>(m_session, component);
    m_opened.push_back(document);
    return document;
}

std::shared_ptr<automation::Document> OfficeDocuments::active() const
{
    for (auto it = m_opened.crbegin(); it != m_opened.crend(); ++it) {
        if (auto document = it->lock(); document && !document->closed())
            return document;
    }
    return nullptr;
}

// ---------------------------------------------------------------- Application

OfficeApplication::OfficeApplication(std::shared_ptr<OfficeSession> session)
    : m_session(std::move(session)), m_documents(m_session)
{}

OfficeApplication::~OfficeApplication()
{
    m_session->shutDown();
}

std::shared_ptr<automation::Document> OfficeApplication::ActiveDocument()
{
    if (m_session->ended())
        throw Failure(QStringLiteral("The document engine is no longer running."));
    auto document = m_documents.active();
    if (!document)
        throw Failure(QStringLiteral("No document is open."));
    return document;
}

void OfficeApplication::quit()
{
    m_session->shutDown();
}

std::unique_ptr<automation::Application> LibreOfficeEngine::createApplication()
{
    return std::make_unique<OfficeApplication>(OfficeSession::start());
}

} // namespace statusmill::office

// ---------------------------------------------------------------- the engine seam

namespace statusmill::automation {
namespace {
Engine* g_replacement = nullptr;
} // namespace

Engine& officeEngine()
{
    static office::LibreOfficeEngine libreOffice;
    return libreOffice;
}

Engine& engine()
{
    return g_replacement ? *g_replacement : officeEngine();
}

void setEngine(Engine* replacement)
{
    g_replacement = replacement;
}

void endEveryOfficeAtOnce()
{
    office::endEveryOfficeNow();
}

void warmUpSpareOffice()
{
    using namespace uno;
    try {
        // Only an office that is ready: waiting for one to start would freeze the
        // window the user has just been shown.
        const auto session = office::OfficeSession::startIfReady();
        if (!session)
            return;
        const QString word = WorkFolder::file(QStringLiteral("warm-up.doc"));
        const QString pdf = WorkFolder::file(QStringLiteral("warm-up.pdf"));
        struct Remove
        {
            QStringList paths;
            ~Remove()
            {
                for (const QString& path : paths)
                    DeleteFileQuietly(path);
            }
        } remove{{word, pdf}};
        session->call([&] {
            Reference<css::frame::XComponentLoader> loader(session->desktop(), UNO_QUERY_THROW);
            const auto hidden = properties({{"Hidden", css::uno::Any(true)}});
            auto close = [](const Reference<css::lang::XComponent>& document) {
                Reference<css::util::XCloseable>(document, UNO_QUERY_THROW)->close(true);
            };
            const auto blank =
                loader->loadComponentFromURL("private:factory/swriter", "_blank", 0, hidden);
            Reference<css::text::XTextDocument>(blank, UNO_QUERY_THROW)
                ->getText()
                ->setString("Statusmill");
            Reference<css::frame::XStorable>(blank, UNO_QUERY_THROW)
                ->storeToURL(fileUrl(word),
                             properties({{"FilterName", css::uno::Any(rtl::OUString("MS Word 97"))},
                                         {"Overwrite", css::uno::Any(true)}}));
            close(blank);
            const auto reread = loader->loadComponentFromURL(fileUrl(word), "_blank", 0, hidden);
            Reference<css::frame::XStorable>(reread, UNO_QUERY_THROW)
                ->storeToURL(fileUrl(pdf),
                             properties({{"FilterName",
                                          css::uno::Any(rtl::OUString("writer_pdf_Export"))}}));
            close(reread);
        });
        office::renderPages(pdf, office::pictureRatio(), 1);
        session->shutDown();
    } catch (...) {
        // Only the first press is a little slower then.
    }
}

OfficeView inspectOffice(Application& application)
{
    using namespace uno;
    auto* office = dynamic_cast<office::OfficeApplication*>(&application);
    if (!office)
        throw Failure(QStringLiteral("Only sessions of the office engine can be inspected."));
    office::OfficeSession& session = office->session();
    OfficeView view;
    session.call([&] {
        office::OfficeInstance* instance = session.office();
        view.processId = instance->process().pid();
        view.openDocuments = 0;
        const auto components = instance->desktop()->getComponents()->createEnumeration();
        for (; components->hasMoreElements(); components->nextElement())
            ++view.openDocuments;

        const auto provider = css::configuration::theDefaultProvider::get(instance->context());
        css::uno::Sequence<css::uno::Any> where(1);
        where.getArray()[0] <<= css::beans::PropertyValue(
            "nodepath", 0,
            css::uno::Any(rtl::OUString("/org.openoffice.Office.Histories/Histories")),
            css::beans::PropertyState_DIRECT_VALUE);
        Reference<css::container::XNameAccess> histories(
            provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationAccess",
                                                  where),
            UNO_QUERY_THROW);
        view.recentDocuments = 0;
        if (histories->hasByName("PickList")) {
            Reference<css::container::XNameAccess> pickList(histories->getByName("PickList"),
                                                            UNO_QUERY_THROW);
            Reference<css::container::XNameAccess> items(pickList->getByName("ItemList"),
                                                         UNO_QUERY_THROW);
            view.recentDocuments = items->getElementNames().getLength();
        }
    });
    return view;
}

DocumentText readDocumentText(Document& document)
{
    auto* office = dynamic_cast<office::OfficeDocument*>(&document);
    if (!office)
        throw Failure(QStringLiteral("Only documents of the office engine can be read."));
    return office->readText();
}

} // namespace statusmill::automation
