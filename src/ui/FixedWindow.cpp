#include "FixedWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace statusmill {

void makeFixedWindow(QWidget* window, QSize clientSize)
{
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(clientSize);
}

QPoint placeWithin(QSize frame, QRect available)
{
    const QPoint centred =
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, frame, available).topLeft();
    // Pulled back onto the area where it would stick out to the right or below; the
    // top left comes last, so it wins when the window is larger than the area.
    return {std::max(available.left(),
                     std::min(centred.x(), available.right() + 1 - frame.width())),
            std::max(available.top(),
                     std::min(centred.y(), available.bottom() + 1 - frame.height()))};
}

void placeOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->move(placeWithin(window->frameSize(), screen->availableGeometry()));
}

} // namespace statusmill
