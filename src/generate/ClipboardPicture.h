#pragma once

#include <QImage>

#include <optional>

namespace statusmill {

// Up to 1000 back-to-back attempts to read a picture from the system clipboard
// (format 0: any picture format). Never reports; nothing when none was there.
std::optional<QImage> GetClipboardPicture(int format);

} // namespace statusmill
