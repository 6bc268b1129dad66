#pragma once

#include "common/Dialogs.h"
#include "preview/Form2.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QtTest>

namespace statusmill::testing {

// The holder takes 2 units off each way, so a picture 2 units bigger than `base`
// gives exactly that base size.
inline QImage pictureWithBase(QSize base)
{
    QImage picture(base + QSize(2, 2), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    // A distinct mark in the top-left corner, so a shown picture can be recognised.
    painter.fillRect(0, 0, qMin(40, base.width()), qMin(30, base.height()), QColor(200, 20, 20));
    return picture;
}

// The hand-over as the generation run makes it, then the window's first activation.
inline bool handOver(Form2& form, const QImage& picture, const QString& document = QString())
{
    form.setPicture(picture);
    form.setWordFile(document);
    form.show();
    return QTest::qWaitForWindowActive(&form);
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
