#pragma once

// A drawing shape of a document, as the automation interface shows it: its text
// frame, searched and replaced in as a story of its own. What it last read is
// kept, so that the fields a shape does not hold cost no call into the office.

#include "OfficeDocument.h"

namespace statusmill::office {

// The shape whose text is `text`; `changed` is the document's flag of a change
// its undo cannot take back, set when the shape's text is replaced in.
std::shared_ptr<automation::Shape> makeOfficeShape(std::shared_ptr<OfficeSession> session,
                                                   uno::Reference<uno::css::text::XText> text, KeepAlive keep,
                                                   std::shared_ptr<bool> changed);

} // namespace statusmill::office
