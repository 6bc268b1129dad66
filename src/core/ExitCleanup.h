#pragma once

#include <QString>

// What of ours must go whatever ends the program: the working folder, the note
// that finds it again, and the offices' sockets outside it. An orderly end removes
// them one by one and forgets them here. What is still listed when the process
// ends otherwise goes through removeNow(): from a stop that cannot wait for the main
// thread, when Qt calls exit() because the display went away, or when start-up
// finds no display. removeNow() takes no lock and allocates nothing, so a main
// thread stuck anywhere (inside malloc, or holding stdio's lock while it writes to
// a full pipe) cannot hold it up.
namespace statusmill::ExitCleanup {

enum class Kind {
    Folder, // removed with everything in it, when it is a real folder of ours
    Socket, // removed when it is a socket of ours
    Link,   // a symbolic link of ours
};

// Lists a path. Paths longer than the list can hold are left to the next start's
// sweep. The first call also makes removeNow() run when the process calls exit().
void add(const QString& path, Kind kind);
void forget(const QString& path);

// Removes what is listed. Safe from any thread, without locks or allocation.
void removeNow() noexcept;

} // namespace statusmill::ExitCleanup
