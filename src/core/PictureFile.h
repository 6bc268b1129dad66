#pragma once

#include <QImage>
#include <QString>

namespace statusmill {

// A picture's device pixel ratio (device pixels per preview unit; a preview unit
// is 1/96 inch) travels through a picture file as the file's own resolution:
// ratio 2 is 192 dots per inch.

// Gives the picture that ratio, both as its device pixel ratio and as its
// resolution, which a bitmap file keeps.
void setPictureRatio(QImage& picture, double ratio);

// Loads a picture file with the ratio its resolution gives (1 where it gives
// none). Qt refuses pictures over 256 MB unless told otherwise; the program's own
// snapshot can be bigger on a high-density screen, so the limit is raised to what
// this picture needs. Throws Failure when the file is missing or no picture.
// The picture savePictureFile() wrote last is not decoded again while its file is
// as it left it (the same file, size and time): the snapshot is read back at once.
QImage loadPictureFile(const QString& path);

// Writes the picture as a bitmap (BMP) file: under a new name beside `target`,
// then renamed over it, so a link planted at the target's name is replaced, never
// followed. Throws Failure with the system's reason (a full disk) when it cannot.
void savePictureFile(const QImage& picture, const QString& target);

// Writes the picture as savePictureFile() does, but in the background: at once
// it is what loadPictureFile(target) gives, and the file follows while the program
// goes on. The room the file needs is taken now, so a full disk is reported here,
// with the system's reason. The main thread's.
void savePictureFileInBackground(const QImage& picture, const QString& target);

// Removes the picture file, abandoning a background write of it that is still
// under way, so no file of that name is left. Never throws.
void removePictureFile(const QString& path);

// Abandons whatever picture is still being written in the background, leaving no
// file of it: for a folder about to be removed.
void abandonPictureWrites();

} // namespace statusmill
