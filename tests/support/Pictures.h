#pragma once

#include <QImage>

namespace statusmill::testing {

// Whether the picture holds any dark pixel (text, rules), looked for on a sparse grid.
inline bool hasInk(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); y += 3)
        for (int x = 0; x < rgb.width(); x += 3)
            if (qGray(rgb.pixel(x, y)) < 128)
                return true;
    return false;
}

} // namespace statusmill::testing
