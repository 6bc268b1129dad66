#pragma once

#include <QString>

#include <functional>

namespace statusmill {

class Form1;

// Starts the program and runs it until its last window closes. `whenShown` and
// `templateFile` as below (the start-up benchmark times the program with it).
int runApplication(int argc, char* argv[], const std::function<void(Form1&)>& whenShown = {},
                   const QString& templateFile = {});

// The program's life inside an existing QApplication: start-up, the main window,
// the event loop, and the clean-up at the end. `whenShown` runs from the event loop
// once the main window is up (the acceptance test walks the program with it).
// Every press fills `templateFile` when one is given, else the built-in template.
int runProgram(const std::function<void(Form1&)>& whenShown = {},
               const QString& templateFile = {});

} // namespace statusmill
