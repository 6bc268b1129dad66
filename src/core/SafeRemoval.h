#pragma once

// Removal that never follows a link. A path-based removal walks whatever is at
// the path when it gets there: where others may write to a folder on the way, a
// folder of ours swapped for a link between a check and the removal would turn
// it on someone else's files. Here each folder is opened without following
// links and emptied through its descriptor, entry by entry; a link is removed
// itself, never what it leads to. Plain system calls only, no lock and no
// allocation, so that a thread ending the program may call it with the main
// thread stuck anywhere.

#include <QString>

namespace statusmill::SafeRemoval {

// Removes `path` with everything inside when it is a folder of our own user; a
// link in its place is removed itself. Anything else (another user's folder, a
// file) stays. Whether nothing is left at the path.
bool removeFolder(const char* path) noexcept;
bool removeFolder(const QString& path);

// Whether `path` names a socket as an office of ours names its pipes: directly in
// /tmp or /var/tmp, called OSL_PIPE_<our uid>_...
bool isOfficeSocketName(const char* path) noexcept;

// Removes `path` when it is named as above and is a socket of our own user. A
// name read from a file of ours that someone changed can then never lead
// elsewhere.
void removeOfficeSocket(const char* path) noexcept;
void removeOfficeSocket(const QString& path);

} // namespace statusmill::SafeRemoval
