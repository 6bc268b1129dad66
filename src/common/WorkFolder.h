#pragma once

#include <QString>

namespace statusmill {

// Where working files live. The base is TEMP when it is set and not empty, else
// the platform's temporary folder. Inside it the program makes a private folder
// of its own (owner-only), so that nobody else can plant or link our file names;
// it is created on first use and removed by removeWorkFolder() when the program ends.
namespace WorkFolder {

QString baseFolder();

// The private folder, made on first use. Throws Failure when it cannot be made.
QString path();

// A file of that name in the private folder, joined with the platform separator.
QString file(const QString& name);

// Removes the private folder and everything in it; the next path() makes a new one.
void remove();

} // namespace WorkFolder
} // namespace statusmill
