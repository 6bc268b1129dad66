#pragma once

// What the command line says: on standard error, a line each, the program's name
// first; and whether it could be said.

#include <QString>

#include <exception>

namespace statusmill::cli {

// "statusmill: <text>" on standard error.
void tell(const QString& text);

// Writes `text` to standard output whole; false, with a line on standard error
// saying why, when it could not be written (a full disk, a reader gone).
bool answer(const QString& text);

// What went wrong, in words for the user: "out of memory" rather than
// "std::bad_alloc"; the system's reason for anything else of the library's.
QString causeOf(const std::exception& error);

// What stopped the program, for its last line: "SIGTERM"; empty when no signal did.
QString stopSignalName();

} // namespace statusmill::cli
