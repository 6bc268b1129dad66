#pragma once

#include <QString>

namespace statusmill {

// Where working files live. The base is TEMP when it is set and not empty, else
// the platform's temporary folder, made absolute before anything uses it. Inside
// it the program makes a private folder of its own (owner-only), so that nobody
// else can plant or link our file names; it is created on first use and removed by
// remove() when the program ends. The folder holds a marker of the process that
// made it, so that a later start can tell the folder of a killed run from one in use.
namespace WorkFolder {

QString baseFolder();

// The private folder, made on first use. Throws Failure when it cannot be made.
QString path();

// A file of that name in the private folder, joined with the platform separator.
QString file(const QString& name);

// Removes the private folder and everything in it; the next path() makes a new one.
void remove();

// The same from any thread, for a program that must end while its main thread is
// stuck: nothing else of the program runs afterwards.
void removeFromAnyThread();

// Something of ours that lives outside the folder (an office's pipe socket in the
// shared temporary folder) and goes when the program ends; should the program be
// killed, the next start removes it with the folder. Only sockets of our own user
// are ever removed that way.
void noteOutsideFile(const QString& path);

// At start: removes the private folders (and noted sockets) of earlier runs of
// ours, in the base folder, whose process is gone. Folders of running copies,
// folders of other users and anything without our marker stay.
void removeLeftovers();

} // namespace WorkFolder
} // namespace statusmill
