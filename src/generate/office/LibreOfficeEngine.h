#pragma once

// The document engine that runs its sessions in LibreOffice offices: what
// automation::engine() gives unless a test has put another in its place.

#include "generate/Automation.h"

namespace statusmill::office {

automation::Engine& libreOfficeEngine();

} // namespace statusmill::office
