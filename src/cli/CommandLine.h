#pragma once

// The program's command line: what main() does with its arguments. Help, the
// version and a usage error are answered at once; the window is left to start;
// reports, a batch and the template check run here, without a window or display.

#include "Options.h"

#include <optional>

namespace statusmill::cli {

struct Decision
{
    // Answered already: the program ends with this status.
    std::optional<int> exitStatus;
    // Otherwise the window (Mode::Window) or work for run().
    Options options;
};

Decision decide(int argc, char* argv[]);

// Does what the options ask for; the exit status: 0 when all was made, 1 when
// anything failed, 2 for a usage error found before any office starts.
int run(int argc, char* argv[], const Options& options);

} // namespace statusmill::cli
