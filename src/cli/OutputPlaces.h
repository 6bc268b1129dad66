#pragma once

// Where reports go: what is found out about a file or folder before any office
// starts, so that a report is never made only to find it has nowhere to go.

#include <QString>

#include <optional>

namespace statusmill::cli {

// Why a report may not be written to `target` as things stand (something is there
// and may not be replaced, or a link leads to nothing), or nothing.
std::optional<QString> targetTaken(const QString& target, bool overwrite);

// Why no new file can be made in `folder` by this user now (no right to write, a
// read-only or immutable folder, a full disk), or nothing.
std::optional<QString> folderTakesNoNewFile(const QString& folder);

// Makes the folder and those above it that are missing; why it could not, or nothing.
std::optional<QString> makeFolder(const QString& folder);

} // namespace statusmill::cli
