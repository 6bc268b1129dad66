#include "core/Procedure.h"
#include "core/Random.h"
#include "core/Settings.h"
#include "core/WorkFolder.h"
#include "generate/office/OfficeLocation.h"
#include "shell/Form1.h"
#include "shell/IsInstalled.h"
#include "shell/StartUp.h"
#include "support/OfficeProcesses.h"
#include "support/Seams.h"
#include "ui/Appearance.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"

#include "support/CursorFile.h"
#include "support/TestFiles.h"

#include "support/Reports.h"
#include <QLineEdit>

#include <QtTest>

#include <sys/stat.h>

using namespace statusmill;

namespace {

const QStringList kStored{"  Apollo «Ωmega»  ", "Finance & Ops", "", "Ledger \"v2\""};

void store(int index, const QString& value)
{
    Settings::SaveSetting(QStringLiteral("Brightfern"), QStringLiteral("Statusmill"),
                          QStringLiteral("Text1_%1").arg(index), value);
}

} // namespace

class TestForm1Load : public QObject
{
    Q_OBJECT

    // What every test function runs under: its own settings folder, recorded boxes
    // and reports, no browser and no end of the program.
    struct Guards
    {
        explicit Guards(TestForm1Load* test)
            : config("XDG_CONFIG_HOME", QFile::encodeName(test->m_config->path())),
              opener([test](const QUrl& url) {
                  test->m_opened << url;
                  return test->m_desktopOpens;
              }),
              terminator([test] { ++test->m_terminations; })
        {}
        testing::EnvironmentVariable config;
        testing::RecordedDialogs dialogs;
        testing::SiteOpener opener;
        testing::Terminator terminator;
    };

    const ErrorReportsShown m_reports;
    std::unique_ptr<QTemporaryDir> m_config;
    std::optional<Guards> m_guards;
    QList<QUrl> m_opened;
    bool m_desktopOpens = true;
    int m_terminations = 0;

private slots:
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        m_guards.emplace(this);
        m_opened.clear();
        m_desktopOpens = true;
        m_terminations = 0;
    }

    void cleanup()
    {
        m_guards.reset();
        QFile::remove(handCursorPath());
        QDir(programFolder() + QStringLiteral("/x")).removeRecursively();
        QVERIFY(testing::ourOfficeProcesses().isEmpty());
        WorkFolder::remove();
    }

    // A failure in any step is reported with its label, and every later step still runs.
    void everyStepIsGuarded_data()
    {
        QTest::addColumn<int>("label");
        QTest::addColumn<QList<int>>("reported");
        QTest::newRow("skin") << 100 << QList<int>{100};
        QTest::newRow("caption, icon, title") << 104 << QList<int>{104, 104, 104};
        QTest::newRow("cursor test") << 122 << QList<int>{122};
        QTest::newRow("cursor load") << 124 << QList<int>{124};
        QTest::newRow("site visit") << 126 << QList<int>{126};
        QTest::newRow("each restore") << 130 << QList<int>{130, 130, 130, 130};
        QTest::newRow("engine check") << 134 << QList<int>{134};
        QTest::newRow("nothing fails") << 0 << QList<int>{};
    }

    void everyStepIsGuarded()
    {
        QFETCH(int, label);
        QFETCH(QList<int>, reported);
        for (int i = 0; i < 4; ++i)
            store(i, kStored[i]);
        QVERIFY(testing::writeFile(skinFilePath(), "QPushButton { font-weight: bold; }"));
        QVERIFY(testing::writeFile(handCursorPath(), makeCursorFile(4, 2)));
        const testing::RandomSource random([] { return 0.065; }); // d = 7: the visit is due
        const testing::InjectedFailure injected(QStringLiteral("Form1.Form_Load"), label);

        Form1 form;
        form.Form_Load();

        QCOMPARE(testing::reportedLines(QStringLiteral("Form1.Form_Load")), reported);
        QCOMPARE(Dialogs::shown().size(), reported.size()); // the engine check said nothing
        QCOMPARE(form.styleSheet().isEmpty(), label == 100);
        QCOMPARE(form.windowTitle() == QStringLiteral("Statusmill"), label != 104);
        // A failed test of the cursor's presence still tries to load it.
        QCOMPARE(form.pointer().customCursor().has_value(), label != 124);
        QCOMPARE(m_opened.size(), label == 126 ? 0 : 1);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(form.Text1(i)->text(), label == 130 ? QString() : kStored[i]);
        QCOMPARE(m_terminations, 0);
        QVERIFY(!form.isVisible());
    }

    // A desktop with nothing to open the home page with says so at the visit's
    // label, and start-up goes on.
    void aHomePageThatCannotBeOpenedIsReported()
    {
        store(0, kStored[0]);
        const testing::RandomSource random([] { return 0.065; }); // d = 7
        m_desktopOpens = false;
        Form1 form;
        form.Form_Load();
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(testing::reportedLines(QStringLiteral("Form1.Form_Load")), QList<int>{126});
        QVERIFY(Dialogs::shown().constFirst().text.contains(QStringLiteral("could not be opened")));
        QCOMPARE(form.Text1(0)->text(), kStored[0]);
    }

    // A pipe in the cursor's place counts as no cursor file, as a folder in the
    // skin's place counts as no skin: start-up neither waits for it nor reports it.
    void aPipeInTheCursorsPlaceIsNoCursor()
    {
        const testing::RandomSource random([] { return 0.5; });
        QCOMPARE(::mkfifo(QFile::encodeName(handCursorPath()).constData(), 0600), 0);
        Form1 form;
        form.Form_Load();
        QVERIFY(Dialogs::shown().isEmpty());
        QVERIFY(!form.pointer().customCursor().has_value());
    }

    // A store whose lock cannot be taken is said once and costs seconds, not the start.
    void aStuckSettingsLockIsAFailedWrite()
    {
        for (int i = 0; i < 4; ++i)
            store(i, kStored[i]);
        QVERIFY(QDir().mkpath(Settings::storeFile(QStringLiteral("Brightfern")) +
                              QStringLiteral(".lock")));
        const testing::RandomSource random([] { return 0.5; });
        Form1 form;
        form.Form_Load();
        QCOMPARE(Dialogs::shown().size(), 1);
        QVERIFY(Dialogs::shown().constFirst().text.contains(QStringLiteral("lock")));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(form.Text1(i)->text(), kStored[i]);
    }

    void aFirstStartWritesNoKey()
    {
        const testing::RandomSource random([] { return 0.5; });
        Form1 form;
        form.Form_Load();
        QVERIFY(Dialogs::shown().isEmpty());
        QVERIFY(!QFile::exists(Settings::storeFile(QStringLiteral("Brightfern"))));
        QVERIFY(!form.pointer().customCursor().has_value()); // no cursor file beside us
    }

    // With LibreOffice out of reach the values are still restored, the message
    // is shown once with the application title, and the program ends.
    void withoutTheEngineTheProgramExplainsAndEnds()
    {
        for (int i = 0; i < 4; ++i)
            store(i, kStored[i]);
        const testing::RandomSource random([] { return 0.5; });
        Form1 form;
        {
            const testing::OfficeSearch noOffice({m_config->filePath(QStringLiteral("no-office"))});
            form.Form_Load();
        }

        QCOMPARE(m_terminations, 1);
        QCOMPARE(Dialogs::shown().size(), 1);
        const auto message = Dialogs::shown().constFirst();
        QCOMPARE(message.title, QStringLiteral("Statusmill"));
        QCOMPARE(message.icon, Dialogs::Icon::None);
        QCOMPARE(message.buttons, Dialogs::Buttons::Ok);
        // The exact wording is checked with the engine check itself; here, that it is that one.
        QVERIFY(message.text.startsWith(QStringLiteral("Error 842001. ")));
        QCOMPARE(message.text.split(QStringLiteral("\r\n\r\n")).size(), 5);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(form.Text1(i)->text(), kStored[i]);
        QVERIFY(!form.isVisible());
    }

    // TEMP naming a file: the user hears that, with the system's reason, rather
    // than that LibreOffice is missing.
    void aWorkingFolderThatCannotBeMadeIsReportedAsSuch()
    {
        const QString file = m_config->filePath(QStringLiteral("a-file"));
        QFile(file).open(QIODevice::WriteOnly);
        const testing::EnvironmentVariable temp("TEMP", QFile::encodeName(file));
        const testing::RandomSource random([] { return 0.5; });
        WorkFolder::remove();

        Form1 form;
        form.Form_Load();

        QCOMPARE(m_terminations, 1);
        QCOMPARE(Dialogs::shown().size(), 1);
        const QString text = Dialogs::shown().constFirst().text;
        QVERIFY2(text.contains(file) && text.contains(QStringLiteral("TEMP")) &&
                     text.contains(QStringLiteral("Not a directory")),
                 qPrintable(text));
    }
};

QTEST_MAIN(TestForm1Load)
#include "tst_form1load.moc"
