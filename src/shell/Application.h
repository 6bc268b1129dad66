#pragma once

namespace statusmill {

// Starts the program and runs it until its last window closes.
int runApplication(int argc, char* argv[]);

} // namespace statusmill
