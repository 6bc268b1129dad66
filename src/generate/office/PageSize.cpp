#include "PageSize.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/style/XStyle.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>

#include <cmath>

namespace statusmill::office {

using namespace uno;

namespace {

// The office measures pages in hundredths of a millimetre.
sal_Int32 hundredthsOfMillimetre(double points)
{
    return sal_Int32(std::lround(points * 2540.0 / 72.0));
}

void setIfOther(const Reference<css::beans::XPropertySet>& style, const rtl::OUString& name,
                sal_Int32 value)
{
    if (style->getPropertyValue(name).get<sal_Int32>() != value)
        style->setPropertyValue(name, css::uno::Any(value));
}

} // namespace

void setPaperSize(const Reference<css::lang::XComponent>& document, QSizeF points)
{
    const Reference<css::container::XNameAccess> pageStyles(
        Reference<css::style::XStyleFamiliesSupplier>(document, UNO_QUERY_THROW)
            ->getStyleFamilies()
            ->getByName("PageStyles"),
        UNO_QUERY_THROW);
    const sal_Int32 narrow = hundredthsOfMillimetre(points.width());
    const sal_Int32 tall = hundredthsOfMillimetre(points.height());
    for (const rtl::OUString& name : pageStyles->getElementNames()) {
        const Reference<css::style::XStyle> style(pageStyles->getByName(name), UNO_QUERY_THROW);
        if (!style->isInUse())
            continue;
        const Reference<css::beans::XPropertySet> properties(style, UNO_QUERY_THROW);
        const bool landscape = properties->getPropertyValue("IsLandscape").get<bool>();
        setIfOther(properties, "Width", landscape ? tall : narrow);
        setIfOther(properties, "Height", landscape ? narrow : tall);
    }
}

} // namespace statusmill::office
