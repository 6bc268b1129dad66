#pragma once

// The moment a report was made, as its document properties and its creation-date
// fields (the report's date) carry it. Internal to the engine.

#include "UnoSupport.h"

#include <com/sun/star/lang/XComponent.hpp>

namespace statusmill::office {

// A template opened is a new document made from it: made now. Its fields of the
// creation date show this day, in the document and in every file saved from it.
void stampCreation(const uno::Reference<uno::css::lang::XComponent>& document);

// How a format keeps the creation moment: Word 97 as a local time, which its
// writer turns into UTC itself; the XML formats as given, marked as UTC only when
// it is.
enum class CreationDateForm { Local, Utc };

// Puts the document's creation moment in that form, the same moment, before it is
// stored in such a format. Its creation-date fields keep showing what they show.
void prepareCreationDate(const uno::Reference<uno::css::lang::XComponent>& document,
                         CreationDateForm form);

} // namespace statusmill::office
