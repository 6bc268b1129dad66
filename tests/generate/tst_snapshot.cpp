#include "core/PictureFile.h"
#include "core/PictureRest.h"
#include "core/WorkFolder.h"
#include "generate/ClipboardPicture.h"
#include "generate/Snapshot.h"
#include "generate/office/PageRenderer.h"
#include "support/FaultyEngine.h"
#include "support/OfficeProcesses.h"
#include "support/SampleDocuments.h"
#include "support/Seams.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"

#include "support/Pictures.h"
#include "support/Reports.h"
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <QtTest>

using namespace statusmill;
using namespace statusmill::automation::testing;

namespace {

QString bitmapPath()
{
    return WorkFolder::file(QStringLiteral("temp.bmp"));
}

} // namespace

class TestSnapshot : public QObject
{
    Q_OBJECT

    const ErrorReportsShown m_reports;
    std::optional<testing::RecordedDialogs> m_dialogs;

private:
    QTemporaryDir m_folder;

    // A PDF of `pages` pages of that size, each with a line of its own.
    QString pagesPdf(QSizeF points, int pages)
    {
        const QString pdf = m_folder.filePath(QStringLiteral("pages.pdf"));
        QPdfWriter writer(pdf);
        writer.setPageSize(QPageSize(points, QPageSize::Point));
        QPainter painter(&writer);
        for (int page = 1; page <= pages; ++page) {
            if (page > 1)
                writer.newPage();
            painter.drawText(QPointF(100, 40 + 20 * page), QStringLiteral("Page %1").arg(page));
            painter.fillRect(QRectF(0, 150, 600, 4), Qt::black); // across both halves' seam
        }
        return pdf;
    }

    QString threePages()
    {
        const QString path = m_folder.filePath(QStringLiteral("three pages.fodt"));
        statusmill::testing::writeFile(path, statusmill::testing::pagedDocument(3));
        return path;
    }

private slots:
    void init()
    {
        m_dialogs.emplace();
        removePictureFile(bitmapPath());
    }
    void cleanup()
    {
        m_dialogs.reset();
        QCOMPARE(statusmill::testing::ourOfficeProcesses(), QList<pid_t>());
    }
    void cleanupTestCase() { WorkFolder::remove(); }

    void snapshotShowsEveryPage()
    {
        // A link planted at the picture's name is replaced, not written through.
        const QString elsewhere = m_folder.filePath(QStringLiteral("elsewhere.txt"));
        statusmill::testing::writeFile(elsewhere, QStringLiteral("keep me"));
        QVERIFY(QFile::link(elsewhere, bitmapPath()));
        // The user's own clipboard is none of the snapshot's business.
        QGuiApplication::clipboard()->setText(QStringLiteral("the user's text"));

        SaveDocAsJPG(threePages());
        QCOMPARE(testing::reportedLines(), QList<int>());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("the user's text"));
        QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasImage());

        // Two device pixels to the preview unit, carried by the file's resolution.
        const QImage picture = loadPictureFile(bitmapPath());
        waitForPictureRest(); // the pages below the first view
        QCOMPARE(picture.devicePixelRatio(), 2.0);
        // The file follows in the background, put in the link's place once whole.
        QTRY_VERIFY(!QFileInfo(bitmapPath()).isSymLink());
        QImage inTheFile(bitmapPath()); // the file holds that picture
        inTheFile.setDevicePixelRatio(2.0);
        QCOMPARE(inTheFile, picture);
        QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(816, 3 * 1056));
        // Each page carries its text near the top, so none of them is blank.
        for (int page = 0; page < 3; ++page) {
            const QImage band = picture.copy(0, page * 2112, picture.width(), 400);
            int dark = 0;
            for (int y = 0; y < band.height(); ++y)
                for (int x = 0; x < band.width(); ++x)
                    dark += qGray(band.pixel(x, y)) < 128;
            QVERIFY2(dark > 200, qPrintable(QStringLiteral("page %1 blank").arg(page + 1)));
        }
        QFile kept(elsewhere);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("keep me"));
    }

    // However long the document, the picture holds the pages the preview can draw.
    void aLongDocumentIsPicturedUpToTenPages()
    {
        const QString path = m_folder.filePath(QStringLiteral("fifty pages.fodt"));
        statusmill::testing::writeFile(path, statusmill::testing::pagedDocument(50));
        SaveDocAsJPG(path);
        QCOMPARE(testing::reportedLines(), QList<int>());
        const QImage picture = loadPictureFile(bitmapPath());
        waitForPictureRest();
        QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(816, 10 * 1056));
        // The tenth page is there, and it is the tenth.
        QVERIFY(statusmill::testing::hasInk(picture.copy(0, 9 * 2112, picture.width(), 400)));
    }

    // The sheet made ahead (the last picture's size) lends its top left to a picture
    // that fills most of it: that picture is the very one drawn on a sheet of its own.
    void aSheetMadeAheadChangesNoPixel_data()
    {
        QTest::addColumn<QSizeF>("points");
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("narrowerThanTheSheet");
        QTest::newRow("two Letter pages") << QSizeF(612, 792) << 2 << false;
        QTest::newRow("two narrower pages, on the Letter sheet") << QSizeF(595, 792) << 2 << true;
        QTest::newRow("one page: a sheet of its own") << QSizeF(612, 792) << 1 << false;
        QTest::newRow("three pages, more than the sheet") << QSizeF(612, 792) << 3 << false;
    }
    void aSheetMadeAheadChangesNoPixel()
    {
        QFETCH(QSizeF, points);
        QFETCH(int, pages);
        QFETCH(bool, narrowerThanTheSheet);
        // As the press makes it: before the picture is drawn.
        office::SheetAhead ahead(2.0);
        const QString pdf = pagesPdf(points, pages);
        const QImage onIt = office::renderPages(pdf, 2.0, office::kMostPagesPictured, &ahead);
        const QImage own = office::renderPages(pdf, 2.0);
        QCOMPARE(onIt.size(), own.size());
        QCOMPARE(onIt.devicePixelRatio(), 2.0);
        QVERIFY(onIt == own);
        // Its rows as long as the sheet's: the case a careless view of the sheet gets wrong.
        QCOMPARE(onIt.bytesPerLine() > onIt.width() * 4, narrowerThanTheSheet);
        // Drawn at all: the last page has its line.
        QVERIFY(statusmill::testing::hasInk(onIt.copy(0, onIt.height() / pages * (pages - 1),
                                                      onIt.width(), 600)));
    }

    // The first press's sheet is made before any picture was: two A4 or Letter
    // pages fit it, and fill enough of it to be lent it, at every ratio.
    void theFirstSheetAheadHoldsTwoCommonPages_data()
    {
        QTest::addColumn<QSizeF>("points");
        QTest::newRow("A4") << QSizeF(595.28, 841.89);
        QTest::newRow("Letter") << QSizeF(612, 792);
    }
    void theFirstSheetAheadHoldsTwoCommonPages()
    {
        QFETCH(QSizeF, points);
        for (const double ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.25, 2.5, 2.75, 3.0}) {
            const QSize page = office::pagePixels(points, ratio);
            const QSize pages(page.width(), 2 * page.height());
            const QSize sheet = office::firstSheetAhead(ratio);
            QVERIFY2(pages.width() <= sheet.width() && pages.height() <= sheet.height() &&
                         qint64(pages.width()) * pages.height() * 4 >=
                             qint64(sheet.width()) * sheet.height() * 3,
                     qPrintable(QStringLiteral("ratio %1").arg(ratio)));
        }
    }

    // The press's picture is handed over once the pages of the first view are
    // drawn, the rest following on a thread: once they are, it is the very picture
    // drawn whole.
    void aPictureHandedOverEarlyBecomesTheWholePicture_data()
    {
        QTest::addColumn<QSizeF>("points");
        QTest::addColumn<int>("pages");
        QTest::newRow("one page, nothing left to follow") << QSizeF(612, 792) << 1;
        QTest::newRow("three Letter pages") << QSizeF(612, 792) << 3;
        QTest::newRow("labels: the first view over four pages") << QSizeF(612, 180) << 9;
    }
    void aPictureHandedOverEarlyBecomesTheWholePicture()
    {
        QFETCH(QSizeF, points);
        QFETCH(int, pages);
        const QString pdf = pagesPdf(points, pages);
        const QImage whole = office::renderPages(pdf, 2.0);
        QImage early = office::renderPages(pdf, 2.0, office::kMostPagesPictured, nullptr,
                                           office::Hand::FirstViewFirst);
        waitForPictureRest();
        QCOMPARE(finishedRows(early), early.height());
        QVERIFY(early == whole);
        // Both drawn at all: the last page has its line.
        const int pageRows = int(std::ceil(points.height() * 2 * 96 / 72));
        QVERIFY(statusmill::testing::hasInk(
            early.copy(0, early.height() - pageRows, early.width(), pageRows)));
    }

    void failedCopyNeverSavesAnOldPicture()
    {
        QImage old(10, 10, QImage::Format_RGB32);
        old.fill(Qt::red);
        putClipboardPicture(old);

        FaultyEngine faulty;
        faulty.failAt(QStringLiteral("CopyAsPicture"), 1, QStringLiteral("Copy failed"));
        EngineOverride override(faulty);
        SaveDocAsJPG(threePages());

        QCOMPARE(testing::reportedLines(), QList<int>({120, 122}));
        QVERIFY(Dialogs::shown()[0].text.startsWith(QStringLiteral("Copy failed\r\n")));
        QVERIFY(Dialogs::shown()[1].text.startsWith(
            QStringLiteral("No picture of the document could be fetched.\r\n")));
        QVERIFY(!QFile::exists(bitmapPath()));
    }

    void everyStepReportsWhenNoSessionStarts()
    {
        FaultyEngine faulty;
        faulty.failAt(QStringLiteral("createApplication"), 1, QStringLiteral("No engine"));
        EngineOverride override(faulty);
        SaveDocAsJPG(threePages());
        QCOMPARE(testing::reportedLines(), QList<int>({116, 118, 120, 122, 124, 126}));
        QVERIFY(!QFile::exists(bitmapPath()));
    }
};

QTEST_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
