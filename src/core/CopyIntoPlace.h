#pragma once

#include <QString>

#include <optional>

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
// Refuses whatever reasonNotToSaveOver() refuses.
// Throws Failure, with the system's reason, when anything goes wrong.
void copyFileIntoPlace(const QString& source, const QString& target, bool replaceExisting);

// Why a copy must not go to `target` ("it is a device, not a file"), or nothing
// when it may. A name that is (or whose links lead to) a device, a named pipe, a
// socket or a folder is refused: a file put in its place would destroy it. So is a
// link on the way that another user made in a shared sticky folder such as /tmp,
// unless that user owns the folder: the system refuses to follow those for us
// (protected symlinks), and following it ourselves could overwrite a file that is
// not the user's.
std::optional<QString> reasonNotToSaveOver(const QString& target);

// The name a chain of symbolic links ends at (absolute), which need not exist;
// `path` itself, made absolute, when it is no link; nothing for a loop.
std::optional<QString> finalLinkTarget(const QString& path);

} // namespace statusmill
