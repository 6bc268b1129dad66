#pragma once

// Where a Writer document keeps its text, found through the office's API.
// Internal to the engine. Every office object made on the way goes to `keep`.

#include "HeldReferences.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/text/XText.hpp>

#include <vector>

namespace statusmill::office {

using TextList = std::vector<uno::Reference<uno::css::text::XText>>;

// The headers and footers of every page style in use, shown on a page or not (a
// longer text can bring a first-page or left-page variant into view); a text
// shared by several styles is listed once.
TextList headerFooterTexts(const uno::Reference<uno::css::lang::XComponent>& document,
                           const KeepAlive& keep);

// Every story of Writer's own text: the main text, headers and footers,
// footnotes, endnotes and text frames (a shape's text box among them).
TextList writerStoryTexts(const uno::Reference<uno::css::lang::XComponent>& document,
                          const KeepAlive& keep);

// The same, each with what kind of story it is.
enum class StoryKind { MainText, HeadersAndFooters, Notes, Frames };
std::vector<std::pair<StoryKind, uno::Reference<uno::css::text::XText>>>
writerStories(const uno::Reference<uno::css::lang::XComponent>& document, const KeepAlive& keep);

// The document's comments, as their fields.
std::vector<uno::Reference<uno::css::beans::XPropertySet>>
commentFields(const uno::Reference<uno::css::lang::XComponent>& document, const KeepAlive& keep);

// The drawing shapes whose text lives in the drawing layer, outside Writer's own
// stories: groups are opened; Writer frames and shapes whose text a frame holds
// are left out, the stories cover them.
TextList drawingShapeTexts(const uno::Reference<uno::css::lang::XComponent>& document,
                           const KeepAlive& keep);

// Where a document's text lives beyond its main text, looked up once: when it was
// opened ahead, before anyone asked.
struct DocumentLookups
{
    TextList headerFooters;
    std::vector<uno::Reference<uno::css::beans::XPropertySet>> comments;
    TextList shapeTexts;
    HeldReferences held; // everything the lookups made
};

// Makes those lookups of an open document.
DocumentLookups lookUp(const uno::Reference<uno::css::lang::XComponent>& component);

} // namespace statusmill::office
