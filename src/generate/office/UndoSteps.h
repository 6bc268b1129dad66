#pragma once

// How many steps an office keeps to take back. Internal to the engine.

#include "UnoSupport.h"

namespace statusmill::office {

// The office's own setting (100 unless set otherwise), or 0 when it cannot be read:
// a limit that nothing is under, so that whoever relies on it takes the safe way.
// Never throws.
int undoStepsKept(const uno::Reference<uno::css::uno::XComponentContext>& context);

} // namespace statusmill::office
