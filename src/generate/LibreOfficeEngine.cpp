#include "LibreOfficeEngine.h"

#include "PageRenderer.h"
#include "common/FileHelpers.h"
#include "common/WorkFolder.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRandomGenerator>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XEndnotesSupplier.hpp>
#include <com/sun/star/text/XFootnotesSupplier.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextFramesSupplier.hpp>
#include <com/sun/star/util/XCloseable.hpp>

namespace statusmill::office {

using namespace uno;
using css::text::XText;

namespace {

// Word's value for "save the changes" when closing.
constexpr int kSaveChanges = -1;

template <class T>
T property(const Reference<css::beans::XPropertySet>& object, const char* name, T fallback)
{
    const rtl::OUString key = rtl::OUString::createFromAscii(name);
    if (!object.is() || !object->getPropertySetInfo()->hasPropertyByName(key))
        return fallback;
    T value = fallback;
    object->getPropertyValue(key) >>= value;
    return value;
}

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
    void setForward(bool on) override { m_forward = on; }
    void setWrap(int wrap) override { m_wrap = wrap; }
    void setFormat(bool on) override { m_format = on; }
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
        request.replacement = replacement;
        request.matchCase = m_matchCase;
        request.matchWholeWord = m_matchWholeWord;
        request.limit = replace == kReplaceAll ? -1 : (replace == 1 ? 1 : 0);
        m_range.m_session->call([&] { replaceInText(m_range.m_text, m_range.m_units, request); });
    }

    OfficeRange& m_range;
    ReplacementSide m_replacement;
    QString m_text;
    QString m_replacementText;
    bool m_forward = true;
    int m_wrap = 0;
    bool m_format = false;
    bool m_matchCase = false;
    bool m_matchWholeWord = false;
    bool m_matchWildcards = false;
    bool m_matchSoundsLike = false;
    bool m_matchAllWordForms = false;
};

// ---------------------------------------------------------------- Range

OfficeRange::OfficeRange(std::shared_ptr<OfficeSession> session, Reference<XText> text,
                         CursorUnits units, std::shared_ptr<OfficeDocument> wholeDocument)
    : m_session(std::move(session)), m_text(std::move(text)), m_units(units),
      m_wholeDocument(std::move(wholeDocument)), m_find(std::make_unique<RangeFind>(*this))
{}

automation::Find& OfficeRange::Find()
{
    return *m_find;
}

void OfficeRange::CopyAsPicture()
{
    if (!m_wholeDocument)
        throw Failure(
            QStringLiteral("Only the main text of a document can be copied as a picture."));
    const QImage picture = m_wholeDocument->renderPages();
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!application)
        throw Failure(QStringLiteral("There is no clipboard to copy the picture to."));
    QGuiApplication::clipboard()->setImage(picture);
}

QString OfficeRange::text()
{
    return m_session->call([&] { return office::readText(m_text, keeper()); });
}

KeepAlive OfficeRange::keeper() const
{
    // Writer's own text objects are released as usual; the drawing layer's are not.
    if (m_units == CursorUnits::Characters)
        return {};
    return [session = m_session](const css::uno::Any& object) { session->keepAlive(object); };
}

// ---------------------------------------------------------------- Shapes

namespace {

class OfficeTextFrame : public automation::TextFrame
{
public:
    OfficeTextFrame(std::shared_ptr<OfficeSession> session, Reference<XText> text)
        : m_session(std::move(session)), m_text(std::move(text))
    {}

    bool HasText() override
    {
        return m_text.is() && m_session->call([&] { return !m_text->getString().isEmpty(); });
    }

    std::shared_ptr<automation::Range> TextRange() override
    {
        if (!m_text.is())
            throw Failure(QStringLiteral("This shape holds no text."));
        return std::make_shared<OfficeRange>(m_session, m_text, CursorUnits::Utf16);
    }

private:
    std::shared_ptr<OfficeSession> m_session;
    Reference<XText> m_text;
};

class OfficeShape : public automation::Shape
{
public:
    OfficeShape(std::shared_ptr<OfficeSession> session, Reference<XText> text)
        : m_frame(std::make_shared<OfficeTextFrame>(std::move(session), std::move(text)))
    {}
    std::shared_ptr<automation::TextFrame> TextFrame() override { return m_frame; }

private:
    std::shared_ptr<OfficeTextFrame> m_frame;
};

// The drawing shapes whose text lives outside Writer's own text: groups are
// opened, Writer frames and shapes whose text is held by a frame are left to the
// stories, which already cover them.
void collectShapes(OfficeSession& session, const Reference<css::drawing::XShapes>& shapes,
                   std::vector<Reference<XText>>& out)
{
    // Every interface of a shape is a proxy of its own; none may be released.
    session.keepAlive(shapes);
    for (sal_Int32 i = 0; i < shapes->getCount(); ++i) {
        const css::uno::Any item = shapes->getByIndex(i);
        session.keepAlive(item);
        Reference<css::uno::XInterface> shape(item, UNO_QUERY);
        Reference<css::lang::XServiceInfo> info(shape, UNO_QUERY);
        Reference<css::drawing::XShapes> group(shape, UNO_QUERY);
        Reference<css::beans::XPropertySet> properties(shape, UNO_QUERY);
        Reference<XText> text(shape, UNO_QUERY);
        for (const Reference<css::uno::XInterface>& object :
             {shape, Reference<css::uno::XInterface>(info), Reference<css::uno::XInterface>(group),
              Reference<css::uno::XInterface>(properties), Reference<css::uno::XInterface>(text)})
            session.keepAlive(object);
        if (!shape.is() || (info.is() && info->supportsService("com.sun.star.text.TextFrame")))
            continue;
        if (group.is()) {
            collectShapes(session, group, out);
            continue;
        }
        if (properties.is()) {
            const auto propertyInfo = properties->getPropertySetInfo();
            session.keepAlive(propertyInfo);
            bool textBox = false;
            if (propertyInfo->hasPropertyByName("TextBox"))
                properties->getPropertyValue("TextBox") >>= textBox;
            if (textBox)
                continue;
        }
        out.push_back(text);
    }
}

// Writer keeps its drawing shapes on one draw page; the supplier interface is
// marked deprecated, but Writer offers nothing else.
Reference<css::drawing::XShapes> drawPageOf(OfficeSession& session,
                                            const Reference<css::lang::XComponent>& component)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Reference<css::drawing::XDrawPageSupplier> supplier(component, UNO_QUERY_THROW);
    const auto page = supplier->getDrawPage();
    session.keepAlive(supplier);
    session.keepAlive(page);
    return Reference<css::drawing::XShapes>(page, UNO_QUERY_THROW);
#pragma GCC diagnostic pop
}

} // namespace

// ---------------------------------------------------------------- Document

OfficeDocument::OfficeDocument(std::shared_ptr<OfficeSession> session,
                               Reference<css::lang::XComponent> component)
    : m_session(std::move(session)), m_component(std::move(component))
{}

void OfficeDocument::ensureOpen() const
{
    if (m_closed)
        throw Failure(QStringLiteral("The document has been closed."));
}

std::vector<std::shared_ptr<OfficeRange>> OfficeDocument::storyRanges()
{
    ensureOpen();
    return m_session->call([&] {
        std::vector<Reference<XText>> writerTexts;
        std::vector<Reference<XText>> commentTexts;
        auto add = [&](const Reference<XText>& text) {
            if (!text.is())
                return;
            // A shared header is one text under several names.
            for (const auto& known : writerTexts)
                if (known == text)
                    return;
            writerTexts.push_back(text);
        };

        Reference<css::text::XTextDocument> document(m_component, UNO_QUERY_THROW);
        add(document->getText());

        // Headers and footers of every page style in use, shown on a page or not:
        // a longer text can bring a first-page or left-page variant into view.
        Reference<css::style::XStyleFamiliesSupplier> families(m_component, UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> pageStyles(
            families->getStyleFamilies()->getByName("PageStyles"), UNO_QUERY_THROW);
        for (const rtl::OUString& name : pageStyles->getElementNames()) {
            Reference<css::style::XStyle> style(pageStyles->getByName(name), UNO_QUERY);
            if (!style.is() || !style->isInUse())
                continue;
            Reference<css::beans::XPropertySet> page(style, UNO_QUERY_THROW);
            for (const char* kind : {"Header", "Footer"}) {
                const QByteArray prefix(kind);
                if (!property(page, prefix + "IsOn", false))
                    continue;
                add(property(page, prefix + "Text", Reference<XText>()));
                if (!property(page, prefix + "IsShared", true))
                    add(property(page, prefix + "TextLeft", Reference<XText>()));
                if (!property(page, "FirstIsShared", true))
                    add(property(page, prefix + "TextFirst", Reference<XText>()));
            }
        }

        auto addIndexed = [&](const Reference<css::container::XIndexAccess>& notes) {
            for (sal_Int32 i = 0; notes.is() && i < notes->getCount(); ++i)
                add(Reference<XText>(notes->getByIndex(i), UNO_QUERY));
        };
        addIndexed(
            Reference<css::text::XFootnotesSupplier>(m_component, UNO_QUERY_THROW)->getFootnotes());
        addIndexed(
            Reference<css::text::XEndnotesSupplier>(m_component, UNO_QUERY_THROW)->getEndnotes());

        // Text frames, the frames that hold a shape's text box among them.
        const auto frames = Reference<css::text::XTextFramesSupplier>(m_component, UNO_QUERY_THROW)
                                ->getTextFrames();
        for (const rtl::OUString& name : frames->getElementNames())
            add(Reference<XText>(frames->getByName(name), UNO_QUERY));

        const auto fields = Reference<css::text::XTextFieldsSupplier>(m_component, UNO_QUERY_THROW)
                                ->getTextFields()
                                ->createEnumeration();
        while (fields->hasMoreElements()) {
            const css::uno::Any item = fields->nextElement();
            Reference<css::beans::XPropertySet> field(item, UNO_QUERY);
            Reference<css::lang::XServiceInfo> info(item, UNO_QUERY);
            m_session->keepAlive(item);
            m_session->keepAlive(field);
            m_session->keepAlive(info);
            if (!info.is() || !info->supportsService("com.sun.star.text.textfield.Annotation"))
                continue;
            if (const auto text = property(field, "TextRange", Reference<XText>()); text.is()) {
                m_session->keepAlive(text);
                commentTexts.push_back(text);
            }
        }

        std::vector<std::shared_ptr<OfficeRange>> ranges;
        for (const auto& text : writerTexts)
            ranges.push_back(
                std::make_shared<OfficeRange>(m_session, text, CursorUnits::Characters));
        for (const auto& text : commentTexts)
            ranges.push_back(std::make_shared<OfficeRange>(m_session, text, CursorUnits::Utf16));
        return ranges;
    });
}

automation::Enumerator<automation::Range> OfficeDocument::StoryRanges()
{
    std::vector<std::shared_ptr<automation::Range>> ranges;
    for (auto& range : storyRanges())
        ranges.push_back(range);
    return enumerate(std::move(ranges));
}

std::vector<std::shared_ptr<automation::Shape>> OfficeDocument::shapes()
{
    ensureOpen();
    return m_session->call([&] {
        std::vector<Reference<XText>> texts;
        collectShapes(*m_session, drawPageOf(*m_session, m_component), texts);
        std::vector<std::shared_ptr<automation::Shape>> shapes;
        for (const auto& text : texts)
            shapes.push_back(std::make_shared<OfficeShape>(m_session, text));
        return shapes;
    });
}

automation::Enumerator<automation::Shape> OfficeDocument::Shapes()
{
    return enumerate(shapes());
}

std::shared_ptr<automation::Range> OfficeDocument::Range()
{
    ensureOpen();
    const auto body = m_session->call([&] {
        return Reference<css::text::XTextDocument>(m_component, UNO_QUERY_THROW)->getText();
    });
    return std::make_shared<OfficeRange>(m_session, body, CursorUnits::Characters,
                                         shared_from_this());
}

void OfficeDocument::SaveAs(const QString& path)
{
    ensureOpen();
    m_session->call([&] {
        Reference<css::frame::XStorable> storable(m_component, UNO_QUERY_THROW);
        storable->storeToURL(fileUrl(path),
                             properties({{"FilterName", css::uno::Any(rtl::OUString("MS Word 97"))},
                                         {"Overwrite", css::uno::Any(true)}}));
    });
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
    m_session->call([&] {
        Reference<css::frame::XStorable> storable(m_component, UNO_QUERY_THROW);
        storable->storeToURL(
            fileUrl(pdf),
            properties({{"FilterName", css::uno::Any(rtl::OUString("writer_pdf_Export"))}}));
    });
    return office::renderPages(pdf);
}

automation::DocumentText OfficeDocument::readText()
{
    automation::DocumentText result;
    for (const auto& range : storyRanges())
        result.stories << range->text();
    m_session->call([&] {
        std::vector<Reference<XText>> texts;
        collectShapes(*m_session, drawPageOf(*m_session, m_component), texts);
        for (const auto& text : texts)
            if (text.is())
                result.shapes << office::readText(
                    text, [this](const css::uno::Any& object) { m_session->keepAlive(object); });
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

DocumentText readDocumentText(Document& document)
{
    auto* office = dynamic_cast<office::OfficeDocument*>(&document);
    if (!office)
        throw Failure(QStringLiteral("Only documents of the office engine can be read."));
    return office->readText();
}

} // namespace statusmill::automation
