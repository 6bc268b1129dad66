#include "UndoSteps.h"

#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>

namespace statusmill::office {

using namespace uno;

int undoStepsKept(const Reference<css::uno::XComponentContext>& context)
{
    try {
        const auto provider = css::configuration::theDefaultProvider::get(context);
        css::uno::Sequence<css::uno::Any> where(1);
        where.getArray()[0] <<= css::beans::PropertyValue(
            "nodepath", 0, css::uno::Any(rtl::OUString("/org.openoffice.Office.Common/Undo")),
            css::beans::PropertyState_DIRECT_VALUE);
        const Reference<css::container::XNameAccess> undo(
            provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationAccess",
                                                  where),
            UNO_QUERY_THROW);
        sal_Int32 steps = 0;
        return (undo->getByName("Steps") >>= steps) && steps > 0 ? int(steps) : 0;
    } catch (const css::uno::Exception&) {
        return 0;
    }
}

} // namespace statusmill::office
