#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace statusmill::office {

// Where the office's real program (soffice.bin, not the soffice wrapper) is looked
// for: the folders that `soffice` or `libreoffice` on PATH resolve to, then the
// usual install folders.
QStringList installFolders();
// Tests point the install-folder search elsewhere; nothing (std::nullopt) is the
// default search. Returns the folders it replaces.
std::optional<QStringList> setInstallFolders(std::optional<QStringList> folders);

// The full path of soffice.bin, or the empty text when there is none.
QString findOfficeProgram();

// One line saying what was looked for and where, for messages.
QString searchDescription();

} // namespace statusmill::office
