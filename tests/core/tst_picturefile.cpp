// A picture file written is read back as it was: at once from memory while the
// file is as it was written, from the file itself once it has changed.

#include "core/PictureFile.h"
#include "support/TestFiles.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

using namespace statusmill;

namespace {

QImage sample(QColor colour, double ratio)
{
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(colour);
    QPainter(&picture).fillRect(5, 5, 20, 10, Qt::black);
    setPictureRatio(picture, ratio);
    return picture;
}

} // namespace

class TestPictureFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    void readBackAsWritten_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("unchanged") << "";
        QTest::newRow("written over by another program") << "overwritten";
        QTest::newRow("another file read first") << "other read";
    }

    void readBackAsWritten()
    {
        QFETCH(QString, meanwhile);
        const QString path = m_folder.filePath(QStringLiteral("temp.bmp"));
        const QImage written = sample(Qt::yellow, 2.0);
        savePictureFile(written, path);
        QImage expected = written;
        if (meanwhile == QLatin1String("overwritten")) {
            expected = sample(Qt::blue, 1.5);
            QVERIFY(expected.save(path, "BMP"));
        } else if (meanwhile == QLatin1String("other read")) {
            const QString other = m_folder.filePath(QStringLiteral("other.bmp"));
            QVERIFY(sample(Qt::green, 1.0).save(other, "BMP"));
            QCOMPARE(loadPictureFile(other).pixelColor(40, 40), QColor(Qt::green));
        }
        const QImage read = loadPictureFile(path);
        QCOMPARE(read, expected);
        QCOMPARE(read.devicePixelRatio(), expected.devicePixelRatio());
        QImage inTheFile(path); // what the file itself holds, decoded as any reader would
        inTheFile.setDevicePixelRatio(read.devicePixelRatio());
        QCOMPARE(inTheFile, read);
    }

    // Written in the background: the picture is there at once, the file follows
    // whole, or, removed meanwhile, nothing of it is left.
    void writtenInTheBackground_data()
    {
        QTest::addColumn<bool>("removed");
        QTest::newRow("left to be written") << false;
        QTest::newRow("removed at once") << true;
    }

    void writtenInTheBackground()
    {
        QFETCH(bool, removed);
        const QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("temp.bmp"));
        const QImage written = sample(Qt::yellow, 2.0).scaled(2000, 3000);
        savePictureFileInBackground(written, path);
        QCOMPARE(loadPictureFile(path), written);
        if (removed) {
            removePictureFile(path);
            QTest::qWait(200);
            QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
            return;
        }
        QTRY_VERIFY(QFileInfo::exists(path));
        QImage inTheFile(path);
        inTheFile.setDevicePixelRatio(2.0);
        QCOMPARE(inTheFile.convertToFormat(written.format()), written);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"temp.bmp"});
    }
};

QTEST_GUILESS_MAIN(TestPictureFile)
#include "tst_picturefile.moc"
