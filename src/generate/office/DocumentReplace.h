#pragma once

// Replacement across a whole Writer document with few calls into the office.
// Internal to the engine.

#include "DocumentStories.h"
#include "TextReplacer.h"

namespace statusmill::office {

// Replaces every occurrence in Writer's own stories: one replaceAll on the
// document (main text, tables, notes, frames and the headers and footers it
// reaches), then the cursor replacement in those of `otherStories` that held
// the text before and are unchanged after, i.e. that replaceAll did not reach.
// A story is never replaced twice: one the replaceAll reached has changed text,
// unless the replacement equals what it replaced, and then a second pass
// changes nothing either.
void replaceInDocument(const uno::Reference<uno::css::lang::XComponent>& document,
                       const TextList& otherStories, const SearchRequest& request,
                       const KeepAlive& keep);

// A comment's text, paragraphs separated by line feeds.
QString commentText(const uno::Reference<uno::css::beans::XPropertySet>& comment);

// Replaces in a comment's text. The comment is rewritten as plain text: the
// office gives comment text no usable cursor (writing through one empties the
// comment), so character formatting inside a comment does not survive a
// replacement. Comments without an occurrence are left alone.
int replaceInComment(const uno::Reference<uno::css::beans::XPropertySet>& comment,
                     const SearchRequest& request);

} // namespace statusmill::office
