#pragma once

#include <QString>

namespace statusmill::SaveFolder {

// The folder the user last saved a report in, this run or an earlier one, while it
// is still a folder; else the home folder. The Save dialog and Print to File start
// there.
QString current();

// Remembers the folder of `savedFile`, a report just saved. Kept beside nothing
// else of the program's, in $XDG_STATE_HOME/statusmill (by default
// ~/.local/state/statusmill): the settings file holds the four values only. Never
// throws: a folder not remembered only means the dialog starts at home next time.
void remember(const QString& savedFile);

// The file it is kept in.
QString stateFile();

} // namespace statusmill::SaveFolder
