#pragma once

#include <QRect>

namespace statusmill {

// Window designs are measured in twips: 1440 to the inch, 15 to a pixel at 96 dpi.
inline constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

// One control of a window design: position and size in twips, relative to its parent.
struct ControlLayout
{
    const char* name;
    int left;
    int top;
    int width;
    int height;
    int tabPosition;

    QRect pixels() const
    {
        return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                twipsToPixels(height)};
    }
};

} // namespace statusmill
