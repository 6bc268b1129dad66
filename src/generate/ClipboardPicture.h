#pragma once

#include <QImage>

#include <optional>

namespace statusmill {

// The program's own clipboard for the page picture: one picture slot inside this
// process. The system clipboard is never touched, so what the user copied stays
// theirs, and two running copies of the program cannot take each other's picture.

// Puts a picture in the slot, replacing what was there.
void putClipboardPicture(const QImage& picture);

// Takes the picture from the slot (format 0: any picture format). Never reports;
// nothing when none was there. A fetched
// picture leaves the slot: nobody else can paste it, and it can weigh a hundred
// megabytes. A document's picture comes with its first view drawn: its lower rows
// are read after waitForPictureRest() (core/PictureRest.h).
std::optional<QImage> GetClipboardPicture(int format);

} // namespace statusmill
