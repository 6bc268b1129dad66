#pragma once

#include <QString>

namespace statusmill {

// Copies `source` to `target` byte for byte. The bytes go into a temporary file in
// the target's folder and take the target's name only once all of them are on
// disk, so a failed copy leaves no partial file and an existing target as it was.
// An existing target is replaced only when `replaceExisting` is set; otherwise a
// file that appeared there in the meantime makes the copy fail rather than vanish.
// A replaced file's owner, group and rights carry over to the copy; a new file gets
// the usual rights for a new file.
// A link is written through: the file it points to takes the copy (as QSaveFile
// does), and the link stays. Where the target's folder takes no new file but an
// existing target may be written, the old file is written over in place, and
// put back as it was should that fail.
// Throws Failure, with the system's reason, when anything goes wrong.
void copyFileIntoPlace(const QString& source, const QString& target, bool replaceExisting);

// The name a chain of symbolic links ends at (absolute), which need not exist;
// `path` itself, made absolute, when it is no link. Throws Failure on a loop.
QString finalLinkTarget(const QString& path);

} // namespace statusmill
