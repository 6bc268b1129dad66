#include "StatusKey.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>
#include <rtl/character.hxx>

namespace statusmill::inside {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace {

constexpr sal_Int32 kNoColour = -1;

// Which status a whole text names: 0 Green, 1 Amber, 2 Red; -1 none.
int statusOf(const OUString& text, bool shortForms)
{
    static const char* const kNames[] = {"Green", "Amber", "Red"};
    const OUString trimmed = text.trim();
    for (int status = 0; status < 3; ++status) {
        if (trimmed.equalsIgnoreAsciiCaseAscii(kNames[status]))
            return status;
        if (shortForms && trimmed.getLength() == 1 &&
            rtl::toAsciiUpperCase(trimmed[0]) == sal_uInt32(kNames[status][0]))
            return status;
    }
    return -1;
}

OUString textOf(const Reference<css::table::XCell>& cell)
{
    Reference<css::text::XText> text(cell, UNO_QUERY);
    return text.is() ? text->getString() : OUString();
}

} // namespace

StatusKey::StatusKey(const Reference<css::frame::XModel>& document)
{
    Reference<css::container::XIndexAccess> tables(
        Reference<css::text::XTextTablesSupplier>(document, UNO_QUERY_THROW)->getTextTables(),
        UNO_QUERY_THROW);
    for (sal_Int32 t = 0; t < tables->getCount(); ++t) {
        Reference<css::text::XTextTable> table(tables->getByIndex(t), UNO_QUERY_THROW);
        for (const OUString& name : table->getCellNames()) {
            const auto cell = table->getCellByName(name);
            // The key spells its statuses out.
            const int status = statusOf(textOf(cell), false);
            if (status < 0 || m_colours[status])
                continue;
            sal_Int32 colour = kNoColour;
            Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->getPropertyValue("BackColor") >>= colour;
            if (colour != kNoColour)
                m_colours[status] = colour;
        }
    }
}

void StatusKey::colour(const Reference<css::table::XCell>& cell) const
{
    const int status = statusOf(textOf(cell), true);
    if (status >= 0 && m_colours[status])
        Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)
            ->setPropertyValue("BackColor", css::uno::Any(*m_colours[status]));
}

} // namespace statusmill::inside
