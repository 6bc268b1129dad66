#include "DocumentStories.h"

#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShapeDescriptor.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XEndnotesSupplier.hpp>
#include <com/sun/star/text/XFootnotesSupplier.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextFramesSupplier.hpp>

namespace statusmill::office {

using namespace uno;
using css::text::XText;

namespace {

void addOnce(TextList& texts, const Reference<XText>& text)
{
    if (!text.is())
        return;
    for (const auto& known : texts)
        if (known == text)
            return;
    texts.push_back(text);
}

template <class T> T as(const css::uno::Any& value, T fallback)
{
    T result = fallback;
    value >>= result;
    return result;
}

Reference<XText> textOf(const css::uno::Any& answer, const KeepAlive& keep)
{
    keep(answer);
    Reference<XText> text(answer, UNO_QUERY);
    keep(css::uno::Any(text));
    return text;
}

void addIndexed(TextList& texts, const Reference<css::container::XIndexAccess>& notes,
                const KeepAlive& keep)
{
    keep(css::uno::Any(notes));
    for (sal_Int32 i = 0; notes.is() && i < notes->getCount(); ++i)
        addOnce(texts, textOf(notes->getByIndex(i), keep));
}

void collectShapes(const Reference<css::drawing::XShapes>& shapes, TextList& out,
                   const KeepAlive& keep)
{
    keep(css::uno::Any(shapes));
    for (sal_Int32 i = 0; i < shapes->getCount(); ++i) {
        const css::uno::Any item = shapes->getByIndex(i);
        keep(item);
        Reference<css::drawing::XShapeDescriptor> descriptor(item, UNO_QUERY);
        keep(css::uno::Any(descriptor));
        if (!descriptor.is())
            continue;
            // One call tells frames, groups and drawing shapes apart; the interface is
            // marked deprecated in favour of service names, which take more calls.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        const QString type = toQString(descriptor->getShapeType());
#pragma GCC diagnostic pop
        if (type == QLatin1String("FrameShape"))
            continue;
        if (type == QLatin1String("com.sun.star.drawing.GroupShape")) {
            Reference<css::drawing::XShapes> group(item, UNO_QUERY);
            if (group.is())
                collectShapes(group, out, keep);
            continue;
        }
        Reference<XText> text(item, UNO_QUERY);
        keep(css::uno::Any(text));
        if (!text.is())
            continue;
        // A shape whose text box is a Writer frame: the frame is one of the stories.
        Reference<css::beans::XPropertySet> properties(item, UNO_QUERY);
        keep(css::uno::Any(properties));
        bool textBox = false;
        try {
            if (properties.is())
                properties->getPropertyValue("TextBox") >>= textBox;
        } catch (const css::beans::UnknownPropertyException&) {
        }
        if (!textBox)
            out.push_back(text);
    }
}

} // namespace

TextList headerFooterTexts(const Reference<css::lang::XComponent>& document, const KeepAlive& keep)
{
    TextList texts;
    Reference<css::style::XStyleFamiliesSupplier> families(document, UNO_QUERY_THROW);
    const auto familyNames = families->getStyleFamilies();
    keep(css::uno::Any(familyNames));
    const css::uno::Any pageStylesAnswer = familyNames->getByName("PageStyles");
    keep(pageStylesAnswer);
    Reference<css::container::XNameAccess> pageStyles(pageStylesAnswer, UNO_QUERY_THROW);

    // One call per style for everything it says about its headers and footers.
    static const char* const kNames[] = {"FirstIsShared",   "FooterIsOn",      "FooterIsShared",
                                         "FooterText",      "FooterTextFirst", "FooterTextLeft",
                                         "HeaderIsOn",      "HeaderIsShared",  "HeaderText",
                                         "HeaderTextFirst", "HeaderTextLeft"};
    css::uno::Sequence<rtl::OUString> names(std::size(kNames));
    for (size_t i = 0; i < std::size(kNames); ++i)
        names.getArray()[i] = rtl::OUString::createFromAscii(kNames[i]);

    for (const rtl::OUString& name : pageStyles->getElementNames()) {
        const css::uno::Any styleAnswer = pageStyles->getByName(name);
        keep(styleAnswer);
        Reference<css::style::XStyle> style(styleAnswer, UNO_QUERY);
        if (!style.is() || !style->isInUse())
            continue;
        Reference<css::beans::XMultiPropertySet> page(style, UNO_QUERY_THROW);
        keep(css::uno::Any(page));
        const auto values = page->getPropertyValues(names);
        auto value = [&](const char* wanted) {
            for (size_t i = 0; i < std::size(kNames); ++i)
                if (qstrcmp(kNames[i], wanted) == 0)
                    return values[sal_Int32(i)];
            return css::uno::Any();
        };
        const bool firstShared = as(value("FirstIsShared"), true);
        for (const char* name : {"Header", "Footer"}) {
            const QByteArray kind(name);
            if (!as(value(kind + "IsOn"), false))
                continue;
            addOnce(texts, textOf(value(kind + "Text"), keep));
            if (!as(value(kind + "IsShared"), true))
                addOnce(texts, textOf(value(kind + "TextLeft"), keep));
            if (!firstShared)
                addOnce(texts, textOf(value(kind + "TextFirst"), keep));
        }
    }
    return texts;
}

std::vector<std::pair<StoryKind, Reference<XText>>>
writerStories(const Reference<css::lang::XComponent>& document, const KeepAlive& keep)
{
    TextList texts;
    std::vector<std::pair<StoryKind, Reference<XText>>> stories;
    // Each text once, as the first kind it is found as.
    auto add = [&](StoryKind kind, const TextList& found) {
        for (const auto& text : found) {
            const size_t before = texts.size();
            addOnce(texts, text);
            if (texts.size() > before)
                stories.emplace_back(kind, text);
        }
    };
    const auto body = Reference<css::text::XTextDocument>(document, UNO_QUERY_THROW)->getText();
    keep(css::uno::Any(body));
    add(StoryKind::MainText, {body});
    add(StoryKind::HeadersAndFooters, headerFooterTexts(document, keep));
    TextList notes;
    addIndexed(notes,
               Reference<css::text::XFootnotesSupplier>(document, UNO_QUERY_THROW)->getFootnotes(),
               keep);
    addIndexed(notes,
               Reference<css::text::XEndnotesSupplier>(document, UNO_QUERY_THROW)->getEndnotes(),
               keep);
    add(StoryKind::Notes, notes);
    TextList frameTexts;
    const auto frames =
        Reference<css::text::XTextFramesSupplier>(document, UNO_QUERY_THROW)->getTextFrames();
    keep(css::uno::Any(frames));
    for (const rtl::OUString& name : frames->getElementNames())
        addOnce(frameTexts, textOf(frames->getByName(name), keep));
    add(StoryKind::Frames, frameTexts);
    return stories;
}

TextList writerStoryTexts(const Reference<css::lang::XComponent>& document, const KeepAlive& keep)
{
    TextList texts;
    for (const auto& [kind, text] : writerStories(document, keep))
        texts.push_back(text);
    return texts;
}

std::vector<Reference<css::beans::XPropertySet>>
commentFields(const Reference<css::lang::XComponent>& document, const KeepAlive& keep)
{
    std::vector<Reference<css::beans::XPropertySet>> comments;
    const auto access =
        Reference<css::text::XTextFieldsSupplier>(document, UNO_QUERY_THROW)->getTextFields();
    keep(css::uno::Any(access));
    const auto fields = access->createEnumeration();
    keep(css::uno::Any(fields));
    while (fields->hasMoreElements()) {
        const css::uno::Any item = fields->nextElement();
        keep(item);
        Reference<css::lang::XServiceInfo> info(item, UNO_QUERY);
        keep(css::uno::Any(info));
        if (!info.is() || !info->supportsService("com.sun.star.text.textfield.Annotation"))
            continue;
        Reference<css::beans::XPropertySet> field(item, UNO_QUERY);
        keep(css::uno::Any(field));
        if (field.is())
            comments.push_back(field);
    }
    return comments;
}

TextList drawingShapeTexts(const Reference<css::lang::XComponent>& document, const KeepAlive& keep)
{
    // Writer keeps its drawing shapes on one draw page; the supplier interface is
    // marked deprecated, but Writer offers nothing else.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Reference<css::drawing::XDrawPageSupplier> supplier(document, UNO_QUERY_THROW);
    keep(css::uno::Any(supplier));
    const auto page = supplier->getDrawPage();
#pragma GCC diagnostic pop
    keep(css::uno::Any(page));
    TextList texts;
    collectShapes(Reference<css::drawing::XShapes>(page, UNO_QUERY_THROW), texts, keep);
    return texts;
}

DocumentLookups lookUp(const Reference<css::lang::XComponent>& component)
{
    DocumentLookups lookups;
    const KeepAlive keep = [&lookups](const css::uno::Any& object) { lookups.held.hold(object); };
    lookups.headerFooters = headerFooterTexts(component, keep);
    lookups.comments = commentFields(component, keep);
    lookups.shapeTexts = drawingShapeTexts(component, keep);
    return lookups;
}

} // namespace statusmill::office
