#include "OfficeProcesses.h"
#include "SampleDocuments.h"
#include "common/Dialogs.h"
#include "common/PictureFile.h"
#include "common/WorkFolder.h"
#include "generate/ClipboardPicture.h"
#include "generate/IsInstalled.h"
#include "generate/office/OfficeLocation.h"
#include "generate/Snapshot.h"
#include "support/FaultyEngine.h"

#include "support/Pictures.h"
#include "support/Reports.h"
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>

#include <QtTest>

using namespace statusmill;
using namespace statusmill::automation::testing;

namespace {

QString bitmapPath()
{
    return WorkFolder::file(QStringLiteral("temp.bmp"));
}

// An engine that fails with neither a Failure nor a standard exception, as a
// foreign library's error would reach us.
class ForeignErrorEngine : public automation::Engine
{
public:
    struct ForeignError
    {
    };
    std::unique_ptr<automation::Application> createApplication() override { throw ForeignError(); }
};

} // namespace

class TestSnapshot : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;

    QString threePages()
    {
        const QString path = m_folder.filePath(QStringLiteral("three pages.fodt"));
        statusmill::testing::writeFile(path, statusmill::testing::pagedDocument(3));
        return path;
    }

private slots:
    void init()
    {
        Dialogs::startRecording();
        QFile::remove(bitmapPath());
    }
    void cleanup()
    {
        Dialogs::stopRecording();
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
        QCOMPARE(picture.devicePixelRatio(), 2.0);
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
        QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(816, 10 * 1056));
        // The tenth page is there, and it is the tenth.
        QVERIFY(statusmill::testing::hasInk(picture.copy(0, 9 * 2112, picture.width(), 400)));
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

    void availabilityCheck_data()
    {
        QTest::addColumn<bool>("officePresent");
        QTest::addColumn<bool>("foreignError");
        QTest::newRow("office present") << true << false;
        QTest::newRow("office missing") << false << false;
        QTest::newRow("engine fails with a foreign error") << true << true;
    }

    void availabilityCheck()
    {
        QFETCH(bool, officePresent);
        QFETCH(bool, foreignError);
        ForeignErrorEngine foreign;
        std::optional<EngineOverride> override;
        if (foreignError)
            override.emplace(foreign);
        const QByteArray path = qgetenv("PATH");
        if (!officePresent) {
            qputenv("PATH", "");
            office::setInstallFolders(QStringList{m_folder.filePath(QStringLiteral("nothing"))});
        }
        int ended = 0;
        IsInstalled::setTerminator([&] { ++ended; });
        IsInstalled::CheckWordInstalled();
        IsInstalled::setTerminator(nullptr);
        office::setInstallFolders(std::nullopt);
        qputenv("PATH", path);

        if (officePresent && !foreignError) {
            QCOMPARE(ended, 0);
            QCOMPARE(Dialogs::shown().size(), 0);
            return;
        }
        QCOMPARE(ended, 1);
        QCOMPARE(Dialogs::shown().size(), 1);
        const auto shown = Dialogs::shown().constFirst();
        QCOMPARE(shown.title, QCoreApplication::applicationName());
        QCOMPARE(shown.icon, Dialogs::Icon::None);
        QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
        QCOMPARE(shown.text,
                 QStringLiteral(
                     "Error 842001. A normal instance of Word could not be created.\r\n\r\n"
                     "1. Please make sure Word is installed on this computer.\r\n\r\n"
                     "2. Please open Word normally and make sure a blank document opens "
                     "immediately without any interrupting window (such as an Word file recovery "
                     "window).\r\n\r\n"
                     "3. Please make sure that when you double-click on a DOC or DOCX file that "
                     "Word opens normally without any interrupting messages.\r\n\r\n"
                     "4. All versions of Word are supported by this software except for the rare "
                     "Word Starter and Student editions."));
    }
};

QTEST_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
