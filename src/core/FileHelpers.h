#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace statusmill {

// True exactly when the file system can tell the path's modification time. Never throws.
bool FileExists(const QString& path);

// Lets pending window events run once, then writes `bytes` to `path` unless
// something of that name exists already. Throws Failure when the file cannot be
// written; a partly written file is removed first, so it never passes for a good one.
// For the window's own numbered steps only: the events it lets run may change
// whatever their caller holds.
void WriteBytesIfAbsent(const QByteArray& bytes, const QString& path);

// Writes `bytes` to a new file at `path`, from any thread and without letting any
// event run. Throws Failure as WriteBytesIfAbsent does, and when something of that
// name exists already (a file, a link): nothing is ever written through it.
void writeNewFile(const QByteArray& bytes, const QString& path);

// Deletes the file if it can; every failure is ignored. Never throws.
void DeleteFileQuietly(const QString& path);

// Why the folder takes no write now ("No space left on device", "Permission
// denied"), found by writing a little into a nameless file there; nothing when it
// does take one, or when the system cannot tell. For failures whose own message
// (the office's) does not say.
std::optional<QString> whyFolderTakesNoWrite(const QString& folder);

// Whether the path names a regular file, after following links: not a folder, a
// pipe or a device, which would block a reader or never end.
bool isRegularFile(const QString& path);

// Why the path names no regular file, after following links: the system's reason
// ("No such file or directory"), or "not a regular file" for a folder, a pipe or a
// device. Nothing when it names one.
std::optional<QString> regularFileProblem(const QString& path);

// The whole content of a regular file of at most `limit` bytes. Throws Failure
// for anything else (a pipe or device, which is never waited for, a file that is
// too big, one that cannot be read).
QByteArray readRegularFile(const QString& path, qint64 limit);

} // namespace statusmill
