#pragma once

#include <functional>

namespace statusmill {

class Form1;

// Starts the program and runs it until its last window closes. `whenShown` as below
// (the start-up benchmark times the program with it).
int runApplication(int argc, char* argv[], const std::function<void(Form1&)>& whenShown = {});

// The program's life inside an existing QApplication: start-up, the main window,
// the event loop, and the clean-up at the end. `whenShown` runs from the event loop
// once the main window is up (the acceptance test walks the program with it).
int runProgram(const std::function<void(Form1&)>& whenShown = {});

} // namespace statusmill
