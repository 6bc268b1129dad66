#pragma once

// What the command line says: on standard error, a line each, the program's name
// first; and whether it could be said.

#include <QString>

namespace statusmill::cli {

// "statusmill: <text>" on standard error.
void tell(const QString& text);

// Writes `text` to standard output whole; false, with a line on standard error
// saying why, when it could not be written (a full disk, a reader gone).
bool answer(const QString& text);

} // namespace statusmill::cli
