#include "Spots.h"
#include "UnoNames.h"

#include "Placeholders.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/util/XSearchable.hpp>

#include <algorithm>

namespace statusmill::inside {

namespace {

// Portions that take no character of the text: a placeholder may run across them.
bool takesNoCharacter(const OUString& type)
{
    return type == "Bookmark" || type == "ReferenceMark" || type == "Redline" || type == "SoftPageBreak" ||
           type == "Ruby" || type == "AnnotationEnd";
}

// A cursor moves by characters, and a character outside the basic plane is two
// units of the text.
sal_Int32 charactersIn(const OUString& text, sal_Int32 from, sal_Int32 to)
{
    sal_Int32 characters = 0;
    while (from < to) {
        text.iterateCodePoints(&from);
        ++characters;
    }
    return characters;
}

void moveRight(const Reference<css::text::XTextCursor>& cursor, sal_Int32 characters, bool expand)
{
    while (characters > 0) {
        const auto step = sal_Int16(std::min<sal_Int32>(characters, SAL_MAX_INT16));
        cursor->goRight(step, expand);
        characters -= step;
    }
}

// The runs of characters of one paragraph that meet with nothing between them but
// marks: a placeholder stands within one such stretch.
class Stretch
{
public:
    // `owner`: the text the paragraph is read from. A portion's own text may be an
    // object of a table row the office took away and a step back brought back,
    // which answers nothing once anything holds on to it, as the template check does.
    explicit Stretch(Reference<css::text::XText> owner) : m_owner(std::move(owner)) {}

    void add(const Reference<css::text::XTextRange>& portion, const OUString& text)
    {
        m_starts.push_back(m_text.getLength());
        m_portions.push_back(portion);
        m_text += text;
    }

    // Gives each placeholder of the stretch a range, and begins a new stretch.
    void close(std::vector<Spot>& spots)
    {
        for (const Found& found : placeholdersIn(m_text))
            spots.push_back({rangeOf(found), found.name});
        m_text.clear();
        m_starts.clear();
        m_portions.clear();
    }

private:
    Reference<css::text::XTextRange> rangeOf(const Found& found) const
    {
        const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), found.start);
        const size_t portion = size_t(after - m_starts.begin()) - 1;
        const auto& first = m_portions[portion];
        const auto cursor = m_owner->createTextCursorByRange(first->getStart());
        moveRight(cursor, charactersIn(m_text, m_starts[portion], found.start), false);
        moveRight(cursor, charactersIn(m_text, found.start, found.start + found.length), true);
        const OUString expected = m_text.copy(found.start, found.length);
        if (cursor->getString() != expected)
            throw css::uno::RuntimeException("The place of " + expected + " in a copy of a list row was lost.");
        return Reference<css::text::XTextRange>(cursor, UNO_QUERY_THROW);
    }

    Reference<css::text::XText> m_owner;
    OUString m_text;
    std::vector<sal_Int32> m_starts;
    std::vector<Reference<css::text::XTextRange>> m_portions;
};

void readParagraph(const Reference<css::container::XEnumerationAccess>& paragraph,
                   const Reference<css::text::XText>& owner, RowContent& content)
{
    Stretch stretch(owner);
    const auto portions = paragraph->createEnumeration();
    while (portions->hasMoreElements()) {
        const Reference<css::text::XTextRange> portion(portions->nextElement(), UNO_QUERY_THROW);
        const Reference<css::beans::XPropertySet> properties(portion, UNO_QUERY_THROW);
        OUString type;
        properties->getPropertyValue("TextPortionType") >>= type;
        if (type == "Text") {
            stretch.add(portion, portion->getString());
            continue;
        }
        if (takesNoCharacter(type) && portion->getString().isEmpty())
            continue;
        stretch.close(content.spots);
        if (type == "Footnote") {
            const Reference<css::container::XEnumerationAccess> note(properties->getPropertyValue("Footnote"),
                                                                     UNO_QUERY);
            if (note.is())
                readRowContent(note, content);
        } else if (type == "Annotation") {
            const Reference<css::beans::XPropertySet> comment(properties->getPropertyValue("TextField"), UNO_QUERY);
            if (comment.is())
                content.comments.push_back(comment);
        }
    }
    stretch.close(content.spots);
}

} // namespace

std::vector<Spot> templateSpots(const Reference<css::frame::XModel>& document)
{
    Reference<css::util::XSearchable> searchable(document, UNO_QUERY_THROW);
    const auto search = searchable->createSearchDescriptor();
    search->setSearchString(OUString::createFromAscii(kPlaceholderPattern));
    Reference<css::beans::XPropertySet> options(search, UNO_QUERY_THROW);
    options->setPropertyValue("SearchRegularExpression", css::uno::Any(true));
    // The pattern names no letter; a search in any case would first close every
    // class of letters over case, which costs more than the search.
    options->setPropertyValue("SearchCaseSensitive", css::uno::Any(true));
    const auto found = searchable->findAll(search);
    std::vector<Spot> spots;
    spots.reserve(size_t(found->getCount()));
    for (sal_Int32 i = 0; i < found->getCount(); ++i) {
        Reference<css::text::XTextRange> range(found->getByIndex(i), UNO_QUERY_THROW);
        if (const auto name = wholePlaceholder(range->getString()))
            spots.push_back({range, *name});
    }
    return spots;
}

void readRowContent(const Reference<css::container::XEnumerationAccess>& text, RowContent& content)
{
    Reference<css::text::XText> owner(text, UNO_QUERY);
    if (!owner.is())
        owner = Reference<css::text::XTextRange>(text, UNO_QUERY_THROW)->getText();
    const auto items = text->createEnumeration();
    while (items->hasMoreElements()) {
        const css::uno::Any item = items->nextElement();
        // A table inside a cell: each of its cells in turn.
        if (const Reference<css::text::XTextTable> table(item, UNO_QUERY); table.is()) {
            for (const OUString& name : table->getCellNames())
                readRowContent(Reference<css::container::XEnumerationAccess>(table->getCellByName(name),
                                                                             UNO_QUERY_THROW),
                               content);
            continue;
        }
        if (const Reference<css::container::XEnumerationAccess> paragraph(item, UNO_QUERY); paragraph.is())
            readParagraph(paragraph, owner, content);
    }
}

} // namespace statusmill::inside
