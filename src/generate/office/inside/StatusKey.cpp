#include "StatusKey.h"
#include "UnoNames.h"
#include "rule/StatusRule.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XSearchable.hpp>

namespace statusmill::inside {

namespace {

constexpr sal_Int32 kNoColour = -1;

// Which status a whole text names: 0 Green, 1 Amber, 2 Red; -1 none.
int statusOf(const OUString& text, bool shortForms)
{
    const auto status = rule::statusOf(
        {reinterpret_cast<const char16_t*>(text.getStr()), std::size_t(text.getLength())}, shortForms);
    return status ? int(*status) : -1;
}

OUString textOf(const Reference<css::table::XCell>& cell)
{
    Reference<css::text::XText> text(cell, UNO_QUERY);
    return text.is() ? text->getString() : OUString();
}

} // namespace

StatusKey::StatusKey(const Reference<css::frame::XModel>& document)
{
    // Found by the office's own search, which is many times quicker than reading
    // every cell of every table: a key's cell is a paragraph that is a status.
    Reference<css::util::XSearchable> searchable(document, UNO_QUERY_THROW);
    const auto search = searchable->createSearchDescriptor();
    search->setSearchString("^\\s*(green|amber|red)\\s*$");
    Reference<css::beans::XPropertySet> options(search, UNO_QUERY_THROW);
    options->setPropertyValue("SearchRegularExpression", css::uno::Any(true));
    options->setPropertyValue("SearchCaseSensitive", css::uno::Any(false));
    const auto found = searchable->findAll(search);
    for (sal_Int32 i = 0; i < found->getCount(); ++i) {
        Reference<css::beans::XPropertySet> where(found->getByIndex(i), UNO_QUERY_THROW);
        Reference<css::table::XCell> cell(where->getPropertyValue("Cell"), UNO_QUERY);
        if (!cell.is())
            continue;
        // The key spells its statuses out, alone in their cells.
        const int status = statusOf(textOf(cell), false);
        if (status < 0 || m_colours[status])
            continue;
        sal_Int32 colour = kNoColour;
        Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->getPropertyValue("BackColor") >>= colour;
        if (colour != kNoColour)
            m_colours[status] = colour;
    }
}

std::optional<sal_Int32> StatusKey::colourOf(const OUString& value) const
{
    const int status = statusOf(value, true);
    return status >= 0 ? m_colours[status] : std::nullopt;
}

void StatusKey::colour(const Reference<css::table::XCell>& cell, const OUString& value) const
{
    if (const auto colour = colourOf(value))
        Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->setPropertyValue("BackColor", css::uno::Any(*colour));
}

} // namespace statusmill::inside
