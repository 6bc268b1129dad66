#pragma once

// Find and replace inside one office text, through text cursors, so that the text
// around each occurrence keeps its formatting. Internal to the engine.

#include "UnoSupport.h"

#include <com/sun/star/text/XText.hpp>

#include <functional>

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

// Replaces the occurrences of the request in the text, its tables included, and
// returns how many were replaced. All occurrences are found before any is
// replaced, so a replacement is never searched again.
// Receives every office object the call made, for callers that must not release them.
using KeepAlive = std::function<void(const uno::css::uno::Any&)>;

int replaceInText(const uno::Reference<uno::css::text::XText>& text, CursorUnits units,
                  const SearchRequest& request, const KeepAlive& keepAlive = {});

// The text's paragraphs (table cells included), one per line.
QString readText(const uno::Reference<uno::css::text::XText>& text,
                 const KeepAlive& keepAlive = {});

} // namespace statusmill::office
