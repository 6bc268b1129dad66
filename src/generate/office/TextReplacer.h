#pragma once

// Find and replace inside one office text, through text cursors, so that the text
// around each occurrence keeps its formatting. Internal to the engine.

#include "HeldReferences.h"
#include "UnoSupport.h"

#include <com/sun/star/text/XText.hpp>

#include <QList>

#include <vector>

namespace statusmill::office {

// How the text's cursors count: Writer's text steps over whole characters, the
// drawing layer's (shapes, comments) over UTF-16 units.
enum class CursorUnits { Characters, Utf16 };

struct SearchRequest
{
    QString findText;
    QString replacement;
    bool matchCase = false;
    bool matchWholeWord = false;
    // At most this many replacements (the first ones); 0 replaces nothing, -1 all.
    int limit = -1;
};

// Where the request's text occurs in `text` (letter case and whole words as
// asked), without overlaps.
QList<qsizetype> findOccurrences(const QString& text, const SearchRequest& request);

// Replaces the occurrences of the request in the text, its tables included, and
// returns how many were replaced. All occurrences are found before any is
// replaced, so a replacement is never searched again. Every office object the
// call makes goes to `keep`.
int replaceInText(const uno::Reference<uno::css::text::XText>& text, CursorUnits units,
                  const SearchRequest& request, const KeepAlive& keep);

// The same for the drawing layer's text (shapes), whose paragraph and portion
// objects can report a paragraph as it was before an earlier replacement in it:
// positions are taken from the whole text's own string, which is always
// current, and a cursor walks there from the start. Should a position not hold
// the text it should (a field shows more characters than the cursor steps
// over), the paragraph walk of replaceInText takes over.
int replaceInDrawingText(const uno::Reference<uno::css::text::XText>& text,
                         const SearchRequest& request, const KeepAlive& keep);

// The text's paragraphs, those of its tables' cells included, in order.
std::vector<uno::Reference<uno::css::text::XTextRange>>
paragraphsOf(const uno::Reference<uno::css::text::XText>& text, const KeepAlive& keep);

// The text's paragraphs (table cells included), one per line.
QString readText(const uno::Reference<uno::css::text::XText>& text, const KeepAlive& keep);

} // namespace statusmill::office
