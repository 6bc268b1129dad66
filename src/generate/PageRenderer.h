#pragma once

#include <QImage>
#include <QString>

namespace statusmill::office {

// Every page of a PDF file, top to bottom on white, at `dotsPerInch` (96: one
// pixel per preview unit, a Letter page about 816 x 1056). Throws Failure when the
// file cannot be read or has no pages.
QImage renderPages(const QString& pdfPath, double dotsPerInch = 96.0);

} // namespace statusmill::office
