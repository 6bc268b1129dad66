#pragma once

#include <QString>

#include <functional>

namespace statusmill {

class Form1;

// Starts the program and runs it until its last window closes. `whenShown`,
// `templateFile`, `dataFile` and `previousFile` as below (the start-up benchmark
// times the program with it).
int runApplication(int argc, char* argv[], const std::function<void(Form1&)>& whenShown = {},
                   const QString& templateFile = {}, const QString& dataFile = {},
                   const QString& previousFile = {});

// The program's life inside an existing QApplication: start-up, the main window,
// the event loop, and the clean-up at the end. `whenShown` runs from the event loop
// once the main window is up (the acceptance test walks the program with it).
// Every press fills `templateFile` when one is given, else the built-in template;
// and the rest of the report from `dataFile`, set against last week's data in
// `previousFile` when one is given, both read anew at every press.
int runProgram(const std::function<void(Form1&)>& whenShown = {},
               const QString& templateFile = {}, const QString& dataFile = {},
               const QString& previousFile = {});

} // namespace statusmill
