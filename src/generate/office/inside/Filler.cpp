#include "Filler.h"
#include "UnoNames.h"

#include "Links.h"
#include "Placeholders.h"

#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/text/XText.hpp>
#include <rtl/ustrbuf.hxx>

namespace statusmill::inside {

namespace {

// A prompt of the template is in the character style "Prompt" (grey): what fills
// it reads as the report's own text.
void takeOffPrompt(const Reference<css::beans::XPropertySet>& range)
{
    OUString style;
    range->getPropertyValue("CharStyleName") >>= style;
    if (style == "Prompt")
        Reference<css::beans::XPropertyState>(range, UNO_QUERY_THROW)->setPropertyToDefault("CharStyleName");
}

// A link of the template whose target is a placeholder (see Links.h): what
// it links to, read before its text is written.
std::optional<OUString> linkedPlaceholder(const Reference<css::beans::XPropertySet>& range)
{
    OUString target;
    range->getPropertyValue("HyperLinkURL") >>= target;
    return placeholderOfLink(target);
}

} // namespace

void Filler::fill(const std::vector<Spot>& spots, const ListData* list, size_t item)
{
    // A cell is coloured by the status written for its placeholder.
    std::vector<std::pair<Reference<css::table::XCell>, OUString>> statusCells;
    for (const Spot& spot : spots) {
        const auto text = m_values.textOf(spot.name, list, item);
        if (!text) {
            leave(spot.name);
            continue;
        }
        const Reference<css::beans::XPropertySet> where(spot.range, UNO_QUERY_THROW);
        const auto linked = linkedPlaceholder(where);
        spot.range->setString(*text);
        takeOffPrompt(where);
        if (linked)
            linkTo(where, *linked, list, item);
        ++m_filled;
        if (namesStatus(spot.name))
            if (const Reference<css::table::XCell> cell(where->getPropertyValue("Cell"), UNO_QUERY); cell.is())
                statusCells.emplace_back(cell, *text);
    }
    for (const auto& [cell, status] : statusCells)
        m_key.colour(cell, status);
}

void Filler::fillComments(const std::vector<Reference<css::beans::XPropertySet>>& comments,
                          const ListData* list, size_t item)
{
    for (const auto& comment : comments) {
        const Reference<css::uno::XInterface> object(comment, UNO_QUERY_THROW);
        if (!m_commentsFilled.insert(object.get()).second)
            continue;
        m_commentsHeld.push_back(object);
        OUString content;
        comment->getPropertyValue("Content") >>= content;
        rtl::OUStringBuffer rewritten;
        sal_Int32 copied = 0;
        for (const Found& found : placeholdersIn(content)) {
            const auto text = m_values.textOf(found.name, list, item);
            if (!text) {
                leave(found.name);
                continue;
            }
            rewritten.append(content.copy(copied, found.start - copied)).append(*text);
            copied = found.start + found.length;
            ++m_filled;
        }
        if (copied > 0)
            comment->setPropertyValue("Content",
                                      css::uno::Any(rewritten.append(content.copy(copied)).makeStringAndClear()));
    }
}

void Filler::writeCell(const Reference<css::table::XCell>& cell, const OUString& name, const ListData& list,
                       size_t item)
{
    // Inserted rather than set: setting a cell's text also resets its number
    // format, which gives every cell a format of its own.
    Reference<css::text::XText> text(cell, UNO_QUERY_THROW);
    const OUString value = m_values.textOf(name, &list, item).value_or(OUString());
    text->insertString(text->getStart(), value, false);
    ++m_filled;
    if (namesStatus(name))
        m_key.colour(cell, value);
}

void Filler::linkTo(const Reference<css::beans::XPropertySet>& range, const OUString& name, const ListData* list,
                    size_t item)
{
    // Set as the data gives it: a file's name relative to the document stays so,
    // and the document can move with the files beside it. No value, no link.
    const auto target = m_values.textOf(name, list, item);
    if (!target)
        leave(name);
    range->setPropertyValue("HyperLinkURL", css::uno::Any(target.value_or(OUString())));
}

void Filler::noteLeftIn(const OUString& text)
{
    for (const Found& found : placeholdersIn(text))
        if (!m_values.textOf(found.name))
            leave(found.name);
}

void Filler::leave(const OUString& name)
{
    if (m_leftKeys.insert(nameKey(name)).second)
        m_left.push_back(name);
}

} // namespace statusmill::inside
