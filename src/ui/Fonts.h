#pragma once

#include <QFont>

namespace statusmill {

// Window text, frames, labels and fields: Arial 9 pt bold.
inline QFont windowFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    font.setBold(true);
    return font;
}

// Push-button captions: Arial 11.25 pt bold.
inline QFont buttonFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    return font;
}

} // namespace statusmill
