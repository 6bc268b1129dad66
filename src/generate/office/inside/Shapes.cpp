#include "Shapes.h"
#include "UnoNames.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/UnknownPropertyException.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShapeDescriptor.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/text/XText.hpp>

namespace statusmill::inside {

namespace {

bool isTextBox(const Reference<css::beans::XPropertySet>& shape)
{
    bool textBox = false;
    try {
        if (shape.is())
            shape->getPropertyValue("TextBox") >>= textBox;
    } catch (const css::beans::UnknownPropertyException&) {
    }
    return textBox;
}

void collect(const Reference<css::drawing::XShapes>& shapes, std::vector<OUString>& texts)
{
    for (sal_Int32 i = 0; i < shapes->getCount(); ++i) {
        const css::uno::Any item = shapes->getByIndex(i);
        const Reference<css::drawing::XShapeDescriptor> descriptor(item, UNO_QUERY);
        if (!descriptor.is())
            continue;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        const OUString type = descriptor->getShapeType();
#pragma GCC diagnostic pop
        if (type == "FrameShape")
            continue;
        if (type == "com.sun.star.drawing.GroupShape") {
            if (const Reference<css::drawing::XShapes> group(item, UNO_QUERY); group.is())
                collect(group, texts);
            continue;
        }
        const Reference<css::text::XText> text(item, UNO_QUERY);
        if (text.is() && !isTextBox(Reference<css::beans::XPropertySet>(item, UNO_QUERY)))
            texts.push_back(text->getString());
    }
}

} // namespace

std::vector<OUString> drawingShapeTexts(const Reference<css::frame::XModel>& document)
{
    // Writer keeps its drawing shapes on one draw page; the supplier interface is
    // marked deprecated, but Writer offers nothing else.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const auto page = Reference<css::drawing::XDrawPageSupplier>(document, UNO_QUERY_THROW)->getDrawPage();
#pragma GCC diagnostic pop
    std::vector<OUString> texts;
    collect(Reference<css::drawing::XShapes>(page, UNO_QUERY_THROW), texts);
    return texts;
}

} // namespace statusmill::inside
