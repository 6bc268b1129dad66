#include "OfficeShape.h"

#include "TextReplacer.h"
#include "core/Failure.h"

namespace statusmill::office {

using namespace uno;
using css::text::XText;

namespace {


// A shape's text and what it last read, so that the fields a shape does not hold
// cost no call into the office.
struct ShapeText
{
    Reference<XText> text;
    KeepAlive keep;
    std::optional<QString> known;
    std::shared_ptr<bool> changed; // the document's: a change undo cannot take back

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
            *shape->changed = true;
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

std::shared_ptr<automation::Shape> makeOfficeShape(std::shared_ptr<OfficeSession> session,
                                                   Reference<XText> text, KeepAlive keep,
                                                   std::shared_ptr<bool> changed)
{
    return std::make_shared<OfficeShape>(
        std::move(session),
        std::make_shared<ShapeText>(ShapeText{std::move(text), std::move(keep), std::nullopt, std::move(changed)}));
}

} // namespace statusmill::office
