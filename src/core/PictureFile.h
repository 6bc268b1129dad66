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

} // namespace statusmill
