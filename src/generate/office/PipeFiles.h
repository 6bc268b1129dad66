#pragma once

// The socket files of an office's pipes, in the shared temporary folder as
// OSL_PIPE_<uid>_<name>: the one named on its command line and the one that keeps
// a second office off its profile. Only an orderly exit of the office removes
// them, so the program names them from the launch on. Internal to the engine.

#include <QStringList>

#include <sys/types.h>

namespace statusmill::office {

// Where the office puts the socket of the pipe called `pipeName`.
QStringList pipeFilesNamed(const QString& pipeName);

// Where the office puts the pipe that guards the profile at `userInstallationUrl`:
// its name follows from an MD5 of the URL's UTF-16 text, each byte in hex without
// leading zeros, as the office works it out.
QStringList pipeFilesOfProfile(const QString& userInstallationUrl);

// The pipe socket files the running process `pid` has bound, found through /proc.
QStringList pipeFilesBoundBy(pid_t pid);

// Removes those of `paths` that are sockets of our own user. Only for files
// known to belong to an office of ours that has ended.
void removePipeFiles(const QStringList& paths);

} // namespace statusmill::office
