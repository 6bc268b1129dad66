#pragma once

#include "Options.h"

namespace statusmill::cli {

// One report per row of the table the options name, by `jobs` offices side by
// side, each on a thread of its own. A row that cannot be made is one line on
// standard error (its line, its name, the cause) and the others go on; a row
// whose office died is tried once more on a fresh office. On a terminal one
// progress line shows how far it is. A stop request ends it at once, every file
// put in place whole. The exit status: 0 when every row made its report, 1 when
// any did not, 2 for a usage error found before any office starts.
int runBatch(const Options& options);

} // namespace statusmill::cli
