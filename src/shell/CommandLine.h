#pragma once

#include <optional>

namespace statusmill {

// --version and --help, answered on standard output before anything else of the
// program happens: no display, settings, working folder or office is touched. The
// exit status when one of them was asked for; nothing otherwise, and every
// argument is then left to Qt.
std::optional<int> answerInfoRequest(int argc, char* argv[]);

} // namespace statusmill
