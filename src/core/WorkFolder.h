#pragma once

#include <QString>

namespace statusmill {

// Where working files live. The base is TEMP when it is set and not empty, else
// the platform's temporary folder, made absolute before anything uses it. Inside
// it the program makes a private folder of its own (owner-only), so that nobody
// else can plant or link our file names; it is created on first use and removed by
// remove() when the program ends, or by ExitCleanup when the program ends otherwise.
// The folder holds a marker of the process that made it, so that a later start can
// tell the folder of a killed run from one in use, and a note in the user's runtime
// folder leads there, so that a start with another TEMP finds it too. The main
// thread's: a thread that must end the program uses ExitCleanup instead.
namespace WorkFolder {

QString baseFolder();

// The private folder, made on first use. Throws Failure, naming the folder and the
// system's reason, when it cannot be made.
QString path();

// A file of that name in the private folder, joined with the platform separator.
QString file(const QString& name);

// Removes the private folder and everything in it; the next path() makes a new one.
void remove();

// A socket of ours outside the folder (an office's pipe in the shared temporary
// folder), noted in the folder's marker before it exists: removed whatever ends
// the program, and should the program be killed, by the next start together with
// the folder. Only sockets of our own user are ever removed that way. From any
// thread, once the folder is made.
void noteOutsideFile(const QString& path);
// Its owner removed it: nothing is left to do at the end.
void forgetOutsideFile(const QString& path);

// At start: removes the private folders (and noted sockets) of earlier runs of
// ours whose process is gone: those in the base folder and those the runtime
// notes lead to. Folders of running copies, folders of other users and anything
// without our marker stay.
void removeLeftovers();

} // namespace WorkFolder
} // namespace statusmill
