#pragma once

// statusmill --example DIR: a start for users, written into a folder of theirs:
// the built-in template with every spot named (as .ott and .dotx), for their own
// templates, a project file and a tracker workbook that fill every spot, and the
// project's file of last week, to set this week's against, and the built-in
// portfolio template (.ott).

#include "Options.h"

#include <array>

namespace statusmill::cli {

// The example's files, in the order they are written.
inline constexpr std::array<const char*, 7> kExampleFiles{
    "report-template.ott", "report-template.dotx", "project.json", "project-last-week.json",
    "tracker.ods", "tracker.xlsx", "portfolio-template.ott"};

// Writes the example into options.exampleDir, making the folder when it is
// missing. A file there already is replaced only with --overwrite; without it,
// nothing is written while any one is there. The exit status: 0 when every file
// was written, 1 when any was not, 2 when the folder cannot be made or written.
int writeExample(const Options& options);

} // namespace statusmill::cli
