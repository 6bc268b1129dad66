#pragma once

// The office side of the fill (office/inside/) is a UNO component that every office
// of ours loads at its start: the program's own library, registered for that office
// alone through a file in its profile. Internal to the engine.

#include <QByteArray>
#include <QString>

namespace statusmill::office {

// The library: in the folder "office" beside the program (where it is installed)
// or beside the program itself, else where the build made it; nothing when none
// is there.
QString officeComponentLibrary();

// Writes the registration of `library` into the profile folder, for the office
// started on that profile to load. Throws Failure.
void registerOfficeComponent(const QString& profileFolder, const QString& library);

// The start argument of the office `program` that loads what is registered in the
// profile folder, beside every service that office loads anyway (as its
// installation's bootstrap file, fundamentalrc, names them); empty when nothing is
// registered.
QByteArray officeComponentArgument(const QString& profileFolder, const QString& program);

} // namespace statusmill::office
