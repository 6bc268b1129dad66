#include "core/Failure.h"
#include "preview/PictureBox.h"
#include "support/CursorFile.h"
#include "support/Seams.h"
#include "support/TestFiles.h"
#include "ui/Appearance.h"
#include "ui/FixedWindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtEndian>
#include <QtTest>
#include <sys/stat.h>

#include <algorithm>

using namespace statusmill;

namespace {

// A window with one control of every kind the recolouring rules tell apart.
struct SampleWindow
{
    QWidget window;
    QGroupBox* frame = new QGroupBox(QStringLiteral("Frame"), &window);
    QLabel* label = new QLabel(QStringLiteral("Label"), frame);
    QCheckBox* check = new QCheckBox(&window);
    PictureBox* picture = new PictureBox(&window);
    QLineEdit* field = new QLineEdit(frame);
    QPushButton* button = new QPushButton(&window);

    SampleWindow()
    {
        for (QWidget* w :
             std::initializer_list<QWidget*>{&window, frame, label, check, picture, field})
            setBackground(w, designBackground());
    }
};

QColor background(const QWidget* w)
{
    return w->palette().color(QPalette::Window);
}

} // namespace

class TestAppearance : public QObject
{
    Q_OBJECT

    // No test reads or writes the machine's own administrator's folder.
    QTemporaryDir m_admin;
    const testing::AdminFolder m_adminFolder{m_admin.path()};

private slots:
    void init()
    {
        QFile::remove(skinFilePath());
        QDir(programFolder() + QStringLiteral("/x")).removeRecursively();
        QFile::remove(handCursorPath());
    }
    void cleanupTestCase() { init(); }

    void buttonFaceIsNotWhite() { QVERIFY(buttonFaceColour() != designBackground()); }

    void formColoursSparePictureBoxesAndFields()
    {
        SampleWindow s;
        ApplyFormColors(&s.window);
        for (QWidget* w : std::initializer_list<QWidget*>{&s.window, s.frame, s.label, s.check})
            QCOMPARE(background(w), buttonFaceColour());
        QCOMPARE(background(s.picture), designBackground());
        QCOMPARE(background(s.field), designBackground());
    }

    void withoutASkinFileNothingChanges()
    {
        SampleWindow s;
        SkinFramework skin;
        ApplySkinIfPresent(&s.window, skin);
        QCOMPARE(background(&s.window), designBackground());
        QCOMPARE(background(s.frame), designBackground());
        QVERIFY(s.window.styleSheet().isEmpty());
    }

    void aFolderNamedLikeTheSkinIsNoSkin()
    {
        QVERIFY(QDir().mkpath(skinFilePath()));
        SampleWindow s;
        SkinFramework skin;
        ApplySkinIfPresent(&s.window, skin);
        QCOMPARE(background(s.label), designBackground());
    }

    void aSkinFileRecoloursAndStyles()
    {
        const QByteArray sheet = "QPushButton { border: 2px solid #336; }";
        QVERIFY(testing::writeFile(skinFilePath(), sheet));
        SampleWindow s;
        SkinFramework skin;
        ApplySkinIfPresent(&s.window, skin);
        for (QWidget* w :
             std::initializer_list<QWidget*>{&s.window, s.frame, s.label, s.check, s.picture})
            QCOMPARE(background(w), buttonFaceColour());
        QCOMPARE(background(s.field), designBackground());
        QCOMPARE(s.window.styleSheet(), QString::fromUtf8(sheet));
        QVERIFY(skin.options() & SkinFramework::FlatFrames);
        QVERIFY(s.frame->isFlat());
    }

    void aSkinThatCannotBeLoadedIsAFailure()
    {
        SkinFramework skin;
        QVERIFY_THROWS_EXCEPTION(Failure, skin.LoadSkin(skinFilePath(), QString()));
        QVERIFY(skin.styleSheet().isEmpty());
    }

    // An installed program also finds the skin and the cursor in the administrator's
    // folder; where both folders have one, the program folder's wins.
    void optionalFilesFromTheAdministratorsFolder_data()
    {
        QTest::addColumn<bool>("beside");
        QTest::addColumn<bool>("administered");
        QTest::newRow("in neither") << false << false;
        QTest::newRow("only the administrator's") << false << true;
        QTest::newRow("both: the program folder's") << true << true;
    }

    void optionalFilesFromTheAdministratorsFolder()
    {
        QFETCH(bool, beside);
        QFETCH(bool, administered);
        const QByteArray besideSheet = "QLabel { color: #111111; }";
        const QByteArray adminSheet = "QLabel { color: #222222; }";
        if (administered) {
            QVERIFY(testing::writeFile(m_admin.filePath(QStringLiteral("x/o.cjs")), adminSheet));
            QVERIFY(testing::writeFile(m_admin.filePath(QStringLiteral("HAND-M.CUR")),
                                       makeCursorFile(7, 2)));
        }
        if (beside) {
            QVERIFY(testing::writeFile(programFolder() + QStringLiteral("/x/o.cjs"), besideSheet));
            QVERIFY(testing::writeFile(programFolder() + QStringLiteral("/HAND-M.CUR"),
                                       makeCursorFile(1, 1)));
        }
        SampleWindow s;
        SkinFramework skin;
        ApplySkinIfPresent(&s.window, skin);
        QCOMPARE(s.window.styleSheet(), QString::fromUtf8(beside         ? besideSheet
                                                          : administered ? adminSheet
                                                                         : QByteArray()));
        QCOMPARE(handCursorPresent(), beside || administered);
        if (beside || administered)
            QCOMPARE(loadCursorFile(handCursorPath()).hotSpot(),
                     beside ? QPoint(1, 1) : QPoint(7, 2));
        QDir(m_admin.path()).removeRecursively();
        QDir().mkpath(m_admin.path());
    }

    void theCursorKeepsItsHotspot()
    {
        QVERIFY(testing::writeFile(handCursorPath(), makeCursorFile(5, 3)));
        const QCursor cursor = loadCursorFile(handCursorPath());
        QCOMPARE(cursor.hotSpot(), QPoint(5, 3));
        QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
    }

    void aBrokenCursorFileIsAFailure()
    {
        QVERIFY(testing::writeFile(handCursorPath(), "not a cursor at all"));
        QVERIFY_THROWS_EXCEPTION(Failure, loadCursorFile(handCursorPath()));
    }

    // Four images, as in the program file's icon: Qt would scale a single image to
    // any size asked, so the sizes are read from the icon and the depths from the file.
    // Only a regular file of a sane size is read: a pipe or a device in the cursor's
    // place would otherwise hold start-up forever or fill the memory.
    void onlyARegularFileIsLoaded_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a pipe") << "fifo";
        QTest::newRow("a link to an endless device") << "zero";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("two megabytes") << "big";
    }

    void onlyARegularFileIsLoaded()
    {
        QFETCH(QString, kind);
        const QByteArray path = QFile::encodeName(handCursorPath());
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else if (kind == QLatin1String("zero"))
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), handCursorPath()));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(handCursorPath()));
        else
            QVERIFY(testing::writeFile(handCursorPath(),
                                       makeCursorFile(1, 1) + QByteArray(2 << 20, '\0')));
        const bool present = handCursorPresent();
        QCOMPARE(present, kind == QLatin1String("big"));
        QVERIFY_THROWS_EXCEPTION(Failure, loadCursorFile(handCursorPath()));
        QFile::remove(handCursorPath());
        QDir().rmdir(handCursorPath());
    }

    void programIconHasFourImages()
    {
        QList<QSize> sizes = programIcon().availableSizes();
        std::sort(sizes.begin(), sizes.end(),
                  [](QSize a, QSize b) { return a.width() < b.width(); });
        QCOMPARE(sizes, QList<QSize>({{32, 32}, {48, 48}, {128, 128}, {256, 256}}));

        QFile file(programIconFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray ico = file.readAll();
        const auto* data = reinterpret_cast<const uchar*>(ico.constData());
        QVERIFY(ico.size() > 6);
        QMap<int, int> bitsBySize;
        for (int i = 0; i < qFromLittleEndian<quint16>(data + 4); ++i) {
            const uchar* entry = data + 6 + 16 * i;
            bitsBySize[entry[0] == 0 ? 256 : entry[0]] = qFromLittleEndian<quint16>(entry + 6);
        }
        QCOMPARE(bitsBySize, (QMap<int, int>{{32, 24}, {48, 32}, {128, 32}, {256, 32}}));
    }

    void pointerRules_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("overButton");
        QTest::addColumn<int>("expected");
        QTest::newRow("button from default") << 0 << true << 99;
        QTest::newRow("background from custom") << 99 << false << 0;
        QTest::newRow("button under hourglass") << 11 << true << 11;
        QTest::newRow("background under hourglass") << 11 << false << 11;
    }

    void pointerRules()
    {
        QFETCH(int, start);
        QFETCH(bool, overButton);
        QFETCH(int, expected);
        QWidget window;
        WindowPointer pointer(&window);
        pointer.set(WindowPointer::State(start));
        overButton ? pointer.hoverButton() : pointer.hoverBackground();
        QCOMPARE(int(pointer.state()), expected);
        QCOMPARE(window.cursor().shape(), expected == 11 ? Qt::WaitCursor : Qt::ArrowCursor);
    }

    void customPointerShowsTheHand()
    {
        QWidget window;
        WindowPointer pointer(&window);
        QVERIFY(testing::writeFile(handCursorPath(), makeCursorFile(7, 1)));
        pointer.setCustomCursor(loadCursorFile(handCursorPath()));
        pointer.hoverButton();
        QCOMPARE(window.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(window.cursor().hotSpot(), QPoint(7, 1));
    }

    // A window is centred on the free area of its screen, and pulled back onto it
    // rather than ever having its top or left edge off it.
    void aWindowIsPlacedOnTheFreeArea_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QPoint>("placed");
        QTest::newRow("fits: centred") << QSize(600, 400) << QRect(0, 0, 1280, 1024) << QPoint(340, 312);
        QTest::newRow("below a panel") << QSize(600, 1000) << QRect(0, 30, 1280, 994) << QPoint(340, 30);
        QTest::newRow("taller than the area: at its top")
            << QSize(1312, 1274) << QRect(0, 0, 1280, 1024) << QPoint(0, 0);
        QTest::newRow("on a second screen, wider than it")
            << QSize(900, 300) << QRect(1280, 0, 800, 600) << QPoint(1280, 150);
    }
    void aWindowIsPlacedOnTheFreeArea()
    {
        QFETCH(QSize, frame);
        QFETCH(QRect, available);
        QFETCH(QPoint, placed);
        QCOMPARE(placeWithin(frame, available), placed);
    }
};

QTEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
