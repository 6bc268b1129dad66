#pragma once

// The socket files an office leaves in the temp folder when it is killed: its
// named pipes live there as OSL_PIPE_<uid>_<name> and only an orderly exit
// removes them. Internal to the engine.

#include <QStringList>

#include <sys/types.h>

namespace statusmill::office {

// Where the office puts the socket of the pipe called `pipeName`.
QStringList pipeFilesNamed(const QString& pipeName);

// The pipe socket files the running process `pid` has bound, found through
// /proc: its own profile's pipe among them, whose name we cannot work out.
QStringList pipeFilesBoundBy(pid_t pid);

// Removes those of `paths` that are sockets of our own user. Only for files
// known to belong to an office of ours that has ended.
void removePipeFiles(const QStringList& paths);

} // namespace statusmill::office
