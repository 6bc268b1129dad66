#pragma once

#include "UnoSupport.h"

#include <QSizeF>

#include <com/sun/star/lang/XComponent.hpp>

namespace statusmill::office {

// Puts every page style the document uses on paper of `points` (portrait; a
// landscape style keeps its orientation), its margins as they are: the text flows
// anew onto the pages. A style already of that size is not touched, so a document
// that has it costs no new layout. Throws a UNO exception.
void setPaperSize(const uno::Reference<uno::css::lang::XComponent>& document, QSizeF points);

} // namespace statusmill::office
