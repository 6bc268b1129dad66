#include "Stories.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextFramesSupplier.hpp>

#include <algorithm>
#include <string>

namespace statusmill::inside {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

void addOnce(std::vector<Reference<css::text::XText>>& texts, const css::uno::Any& value)
{
    Reference<css::text::XText> text(value, UNO_QUERY);
    if (text.is() && std::find(texts.begin(), texts.end(), text) == texts.end())
        texts.push_back(text);
}

bool flag(const Reference<css::beans::XPropertySet>& style, const char* name)
{
    bool on = false;
    style->getPropertyValue(rtl::OUString::createFromAscii(name)) >>= on;
    return on;
}

} // namespace

std::vector<Reference<css::text::XText>> storyTexts(const Reference<css::frame::XModel>& document)
{
    std::vector<Reference<css::text::XText>> texts;
    addOnce(texts, css::uno::Any(Reference<css::text::XTextDocument>(document, UNO_QUERY_THROW)->getText()));

    Reference<css::container::XNameAccess> pageStyles(
        Reference<css::style::XStyleFamiliesSupplier>(document, UNO_QUERY_THROW)
            ->getStyleFamilies()
            ->getByName("PageStyles"),
        UNO_QUERY_THROW);
    for (const rtl::OUString& name : pageStyles->getElementNames()) {
        Reference<css::beans::XPropertySet> style(pageStyles->getByName(name), UNO_QUERY_THROW);
        for (const char* part : {"Header", "Footer"}) {
            const rtl::OUString prefix = rtl::OUString::createFromAscii(part);
            if (!flag(style, (std::string(part) + "IsOn").c_str()))
                continue;
            addOnce(texts, style->getPropertyValue(prefix + "Text"));
            // Left and first pages have texts of their own only where they are not
            // shared; a shared one is the same text, taken once.
            if (!flag(style, (std::string(part) + "IsShared").c_str()))
                addOnce(texts, style->getPropertyValue(prefix + "TextLeft"));
            if (!flag(style, "FirstIsShared"))
                addOnce(texts, style->getPropertyValue(prefix + "TextFirst"));
        }
    }

    Reference<css::container::XIndexAccess> frames(
        Reference<css::text::XTextFramesSupplier>(document, UNO_QUERY_THROW)->getTextFrames(), UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < frames->getCount(); ++i)
        addOnce(texts, frames->getByIndex(i));
    return texts;
}

} // namespace statusmill::inside
