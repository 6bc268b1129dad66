#pragma once

#include "preview/Form2.h"
#include "ui/Dialogs.h"

#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace statusmill::testing {

// What the handed-over test pictures are filled with: not the canvas's white, so
// a drawn part can be told from a bare one.
inline const QColor kPictureFill(225, 225, 225);
inline const QColor kPictureMark(200, 20, 20);

// The holder takes 2 units off each way, so a picture 2 units bigger than `base`
// gives exactly that base size. `ratio` is the picture's pixels per unit, as a
// sharp snapshot has them.
inline QImage pictureWithBase(QSize base, qreal ratio = 1)
{
    const QSize units = base + QSize(2, 2);
    QImage picture(qRound(units.width() * ratio), qRound(units.height() * ratio),
                   QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    picture.fill(kPictureFill);
    QPainter painter(&picture);
    // A distinct mark in the top-left corner, so a shown picture can be recognised.
    painter.fillRect(0, 0, qMin(40, base.width()), qMin(30, base.height()), kPictureMark);
    return picture;
}

// Adds the row once for a picture of one pixel a unit and once for a sharp one;
// the data's first column must be the qreal "ratio".
template <class... Values> void addRowAtEachRatio(const char* name, const Values&... values)
{
    for (const qreal ratio : {1.0, 2.0})
        (QTest::addRow("%s @%gx", name, ratio) << ratio << ... << values);
}

// The hand-over as the generation run makes it, then the window's first activation.
inline bool handOver(Form2& form, const QImage& picture, const QString& document = QString())
{
    form.setPicture(picture);
    form.setWordFile(document);
    form.show();
    return QTest::qWaitForWindowActive(&form);
}

// `area` of `widget` (in units) as it shows on a screen of `deviceRatio` pixels a unit.
inline QImage shownAt(QWidget* widget, const QRect& area, qreal deviceRatio = 1)
{
    QImage shown((QSizeF(area.size()) * deviceRatio).toSize(), QImage::Format_RGB32);
    shown.setDevicePixelRatio(deviceRatio);
    shown.fill(Qt::black);
    widget->render(&shown, QPoint(), QRegion(area));
    return shown;
}

inline QColor shownColour(QWidget* widget, QPoint unit)
{
    return shownAt(widget, QRect(unit, QSize(1, 1))).pixelColor(0, 0);
}

// "Zoom In" or "Zoom Out" clicks: positive, that many in; negative, out.
inline void zoomBy(Form2& form, int steps)
{
    for (int i = 0; i < qAbs(steps); ++i)
        (steps > 0 ? form.PushButton1() : form.PushButton2())->click();
}

inline QPoint barPositions(const Form2& form)
{
    return {form.HScroll1()->value(), form.VScroll1()->value()};
}

inline QStringList reportedAt()
{
    QStringList places;
    for (const auto& shown : Dialogs::shown()) {
        if (shown.title == QStringLiteral("Application Error")) {
            const auto at = shown.text.indexOf(QStringLiteral("Form2."));
            places << shown.text.mid(at, shown.text.indexOf(QLatin1Char('\r'), at) - at);
        }
    }
    return places;
}

} // namespace statusmill::testing
