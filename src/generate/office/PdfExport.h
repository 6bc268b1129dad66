#pragma once

// What the office is told when it writes a document as a PDF. Internal to the
// engine.

#include "UnoSupport.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/lang/XComponent.hpp>

namespace statusmill::office {

// The PDF filter's settings: every font embedded, the standard PDF fonts too, so
// the file reads the same on any machine; pages `from` to `to` (from 1), or all
// when `from` is 0; with `linksRelative`, a link to a file is written relative to
// the document's own file (see linkFrom).
uno::css::uno::Sequence<uno::css::beans::PropertyValue> pdfSettings(int from, int to, bool linksRelative);

// Gives the document `path` as its own file, which the PDF filter works relative
// links out from: a document made from a template has none, and the office then
// writes every link whole.
void linkFrom(const uno::Reference<uno::css::lang::XComponent>& document, const QString& path);

} // namespace statusmill::office
