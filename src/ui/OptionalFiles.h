#pragma once

// Where the program looks for its two optional files, the skin x/o.cjs and the
// hand cursor HAND-M.CUR.

#include <QString>

namespace statusmill {

// The folder that holds the program file, without a trailing separator.
QString programFolder();
// Where an administrator puts the optional files for an installed program, which
// keeps its own folder to the package manager: /etc/statusmill. Tests point it
// elsewhere; the setter returns the folder it replaces.
QString adminFolder();
QString setAdminFolderForTests(const QString& folder);
// The optional skin x/o.cjs and hand cursor HAND-M.CUR: beside the program when
// there is one of that name there, else in the administrator's folder when there
// is one there, else the name beside the program (which is not there).
QString skinFilePath();
QString handCursorPath();

} // namespace statusmill
