#pragma once

// Where the placeholders of a document stand, found only in the template's own
// text: once in the whole document before anything is filled, and in each copy of
// a list row as it is made, by reading that copy's text and nothing else. A value
// put into the document is never looked at again, so it lands as it was typed.
// Runs inside the office.

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include <vector>

namespace statusmill::inside {

namespace css = ::com::sun::star;

// A placeholder and where it stands.
struct Spot
{
    css::uno::Reference<css::text::XTextRange> range;
    rtl::OUString name; // without brackets
};

// Every placeholder of the document's stories (main text, headers and footers,
// footnotes and endnotes, frames), as the office's search finds them.
std::vector<Spot> templateSpots(const css::uno::Reference<css::frame::XModel>& document);

// What one copy of a list row holds.
struct RowContent
{
    std::vector<Spot> spots;
    // The comments that stand in it: each one's field.
    std::vector<css::uno::Reference<css::beans::XPropertySet>> comments;
};

// Reads the paragraphs of `text` (a table cell, or a range of one paragraph) and
// adds what they hold to `content`: each placeholder within a run of characters,
// given a range of its own; those of the footnotes and endnotes that stand in
// them; their comments. Throws RuntimeException when a placeholder's range cannot
// be made to hold just it.
void readRowContent(const css::uno::Reference<css::container::XEnumerationAccess>& text,
                    RowContent& content);

} // namespace statusmill::inside
