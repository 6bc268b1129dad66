// A picture box paints its pictures at the resolution of whatever it is painted
// on, tile by tile: every part of a picture lands where it belongs.
#include "preview/PictureBox.h"
#include "preview/PictureLevels.h"
#include "core/PictureRest.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <cmath>

using namespace statusmill;

namespace {

constexpr int kBlock = 48; // units

QRgb blockColour(int column, int row)
{
    return qRgb((column * 53 + 20) % 256, (row * 97 + 40) % 256, ((column + row) * 31) % 256);
}

// Square blocks of different colours, `ratio` pixels a unit.
QImage blocks(QSize units, qreal ratio)
{
    QImage picture((QSizeF(units) * ratio).toSize(), QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    QPainter painter(&picture);
    for (int row = 0; row * kBlock < units.height(); ++row)
        for (int column = 0; column * kBlock < units.width(); ++column)
            painter.fillRect(column * kBlock, row * kBlock, kBlock, kBlock,
                             QColor(blockColour(column, row)));
    return picture;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 2 && qAbs(qGreen(a) - qGreen(b)) <= 2 &&
           qAbs(qBlue(a) - qBlue(b)) <= 2;
}

} // namespace

class TestPictureBox : public QObject
{
    Q_OBJECT

private slots:
    void everyBlockLandsWhereItBelongs_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<qreal>("screenRatio");
        QTest::addColumn<double>("zoom"); // 0: the assigned picture itself
        QTest::newRow("assigned, sharp picture") << 2.0 << 1.0 << 0.0;
        QTest::newRow("assigned, screen of 1.5") << 2.0 << 1.5 << 0.0;
        QTest::newRow("100 %, plain screen") << 2.0 << 1.0 << 1.0;
        QTest::newRow("100 %, sharp screen") << 2.0 << 2.0 << 1.0;
        QTest::newRow("25 %: from halved copies") << 2.0 << 1.0 << 0.25;
        QTest::newRow("75 %, screen of 1.25") << 1.0 << 1.25 << 0.75;
        QTest::newRow("125 %, screen of 1.5") << 2.0 << 1.5 << 1.25;
        QTest::newRow("275 %, sharp screen") << 2.0 << 2.0 << 2.75;
        QTest::newRow("400 %, screen of 3") << 2.0 << 3.0 << 4.0;
    }

    void everyBlockLandsWhereItBelongs()
    {
        QFETCH(qreal, ratio);
        QFETCH(qreal, screenRatio);
        QFETCH(double, zoom);
        const QSize base(800, 1000);
        const QImage picture = blocks(base, ratio);
        PictureBox box;
        if (zoom == 0) {
            box.setAutoSize(true);
            box.setPicture(picture);
            QCOMPARE(box.size(), base);
            zoom = 1;
        } else {
            const QSize zoomed(int(base.width() * zoom), int(base.height() * zoom));
            box.resize(zoomed);
            box.paintPicture(picture, QRect(QPoint(0, 0), zoomed), QRect(QPoint(0, 0), base));
        }

        // Away from the corner, across several tiles.
        const QRect area =
            QRect(box.width() / 2 - 150, box.height() / 2 - 120, 300, 240) & box.rect();
        QImage shown((QSizeF(area.size()) * screenRatio).toSize(), QImage::Format_RGB32);
        shown.setDevicePixelRatio(screenRatio);
        shown.fill(Qt::black);
        box.render(&shown, QPoint(), QRegion(area));

        // Near a block's edge the filters blend it with its neighbour.
        const double margin = 3 / (screenRatio * zoom) + 2;
        int checked = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const double sourceX = (area.x() + (x + 0.5) / screenRatio) / zoom;
                const double sourceY = (area.y() + (y + 0.5) / screenRatio) / zoom;
                const double inX = std::fmod(sourceX, kBlock);
                const double inY = std::fmod(sourceY, kBlock);
                if (qMin(inX, kBlock - inX) < margin || qMin(inY, kBlock - inY) < margin)
                    continue;
                const QRgb expected = blockColour(int(sourceX / kBlock), int(sourceY / kBlock));
                if (!near(shown.pixel(x, y), expected))
                    QFAIL(qPrintable(QStringLiteral("%1 at %2,%3, not %4")
                                         .arg(QColor(shown.pixel(x, y)).name())
                                         .arg(x)
                                         .arg(y)
                                         .arg(QColor(expected).name())));
                ++checked;
            }
        }
        QVERIFY(checked > shown.width() * shown.height() / 4);
    }

    // Halved copies are made a band at a time, as painting asks for rows; however
    // they are asked for, they come out as the whole picture halved.
    void aCopyMadeInBandsIsTheWholeHalved_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("firstRow"); // of the quarter copy, asked for first
        QTest::newRow("two pages, odd width, a middle band first") << QSize(1633, 4224) << 600;
        QTest::newRow("a part band at the end, asked for first") << QSize(800, 2600) << 640;
        QTest::newRow("rows on a band's edge") << QSize(300, 2048) << 255;
    }

    void aCopyMadeInBandsIsTheWholeHalved()
    {
        QFETCH(QSize, size);
        QFETCH(int, firstRow);
        QImage picture(size, QImage::Format_RGB32);
        QRandomGenerator noise(7);
        for (int y = 0; y < size.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                row[x] = 0xff000000 | noise.bounded(0x1000000);
        }
        const auto halved = [](const QImage& image) {
            return image.scaled((image.width() + 1) / 2, (image.height() + 1) / 2,
                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        };
        const QImage half = halved(picture);
        const QImage quarter = halved(half);

        const PictureLevels levels(picture);
        const PictureLevels::Level quarterLevel = levels.levelFor(0.3);
        QCOMPARE(quarterLevel.image->size(), quarter.size());
        levels.makeRows(quarterLevel, firstRow, firstRow + 1);
        levels.makeRows(quarterLevel, 0, quarter.height());
        QCOMPARE(*quarterLevel.image, quarter);
        const PictureLevels::Level halfLevel = levels.levelFor(0.6);
        levels.makeRows(halfLevel, 0, half.height());
        QCOMPARE(*halfLevel.image, half);
    }

    // A picture handed over with its lower rows still being drawn: a copy made from
    // those rows waits for them, and is not made from the white sheet under them.
    void rowsStillBeingDrawnAreWaitedFor()
    {
        QImage picture(400, 1000, QImage::Format_RGB32);
        picture.fill(Qt::white);
        uchar* const pixels = picture.bits();
        const qsizetype bytesPerLine = picture.bytesPerLine();
        drawPictureRest(picture, 500, [pixels, bytesPerLine, held = picture] {
            QThread::msleep(200);
            for (int y = 500; y < 1000; ++y)
                std::fill_n(reinterpret_cast<QRgb*>(pixels + y * bytesPerLine), 400, qRgb(0, 0, 0));
        });
        const PictureLevels levels(picture);
        const PictureLevels::Level half = levels.levelFor(0.5);
        levels.makeRows(half, 0, 100); // within the first rows: no wait
        levels.makeRows(half, 300, 499);
        QCOMPARE(half.image->pixel(10, 100), qRgb(255, 255, 255));
        QCOMPARE(half.image->pixel(10, 400), qRgb(0, 0, 0));
    }
};

QTEST_MAIN(TestPictureBox)
#include "tst_picturebox.moc"
