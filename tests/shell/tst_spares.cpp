// Spare offices with the real office: presses that start no office, spares gone
// bad while waiting, the bound on our offices, and sessions kept apart.

#include "core/Failure.h"
#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/Offices.h"
#include "preview/Form2.h"
#include "shell/Form1.h"
#include "support/FaultyEngine.h"
#include "support/OfficeProbes.h"
#include "support/OfficeProcesses.h"
#include "support/RunSurroundings.h"
#include "support/SampleDocuments.h"
#include "support/SavedDocument.h"
#include "support/Seams.h"
#include "support/TestFiles.h"
#include "ui/Dialogs.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace statusmill;

namespace {

const QStringList kValues{"Harbour Bridge", "Civil Works", "Maintenance", "Cable Survey"};

} // namespace

class TestSpares : public QObject
{
    Q_OBJECT

    // The kept profile's stamp made to fit what it now holds: its build, then the
    // number of entries and of bytes.
    static void restamp(const QString& kept, const QByteArray& stamp)
    {
        qint64 entries = 0, bytes = 0;
        QDirIterator it(kept, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            if (it.fileName() == QLatin1String("statusmill-build"))
                continue;
            ++entries;
            bytes += it.fileInfo().isFile() ? it.fileInfo().size() : 0;
        }
        QVERIFY(testing::writeFile(kept + QStringLiteral("/statusmill-build"),
                                   stamp.split('\n').first() + '\n' + QByteArray::number(entries) +
                                       ' ' + QByteArray::number(bytes) + '\n'));
    }

    testing::RunSurroundings m_run;

    // The start-up check, as the program makes it: one session, at once let go;
    // then the event loop runs, as it does once the main window is up.
    static void startUp()
    {
        automation::engine().createApplication()->quit();
        QTest::qWait(500);
    }

    // A press that must reach the preview with the values in the saved report.
    static void pressAndCheck(Form1& form)
    {
        Dialogs::clearShown();
        form.PushButton6_Click();
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        QVERIFY(form.existingForm2()->isVisible());
        const QString text = testing::savedDocumentText(form.existingForm2()->wordFile());
        for (const QString& value : kValues)
            QVERIFY2(text.contains(value), qPrintable(value));
    }

    static void fill(Form1& form)
    {
        for (int i = 0; i < 4; ++i)
            form.Text1(i)->setText(kValues[i]);
    }

private slots:
    void init() { m_run.enter(); }
    void cleanup() { QVERIFY(m_run.leave()); }

    // Once the program has started, presses in a row and after "< Back" take
    // offices that are ready: not one office process is started by a press.
    void pressesStartNoOffice()
    {
        startUp();
        Form1 form;
        fill(form);
        for (int press = 0; press < 3; ++press) {
            const int before = testing::officeProcessesStarted();
            pressAndCheck(form);
            // The check above reads the saved report through a session of its own.
            QCOMPARE(testing::officeProcessesStarted() - before, 0);
            if (press == 1)
                form.existingForm2()->PushButton8()->click(); // < Back
        }
    }

    // A spare that was killed or stopped while it waited is passed over without a
    // word, and is gone afterwards.
    void aSpareGoneBadIsPassedOver_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("killed") << SIGKILL;
        QTest::newRow("stopped") << SIGSTOP;
    }

    void aSpareGoneBadIsPassedOver()
    {
        QFETCH(int, signal);
        startUp();
        const QList<pid_t> waiting = testing::ourOfficeProcesses();
        QVERIFY(!waiting.isEmpty());
        for (pid_t office : waiting)
            ::kill(office, signal);

        Form1 form;
        fill(form);
        pressAndCheck(form);
        QTRY_VERIFY(!testing::anyStillRuns(waiting));
    }

    // A temp cleaner takes the working folder, and the waiting offices' profiles
    // with it, while the user reads the main window: the next press works all the
    // same, without a report.
    void aPressAfterATempCleanerWorks()
    {
        startUp();
        Form1 form;
        fill(form);
        pressAndCheck(form);
        form.existingForm2()->PushButton8()->click(); // < Back
        QTest::qWait(1000);                           // the spares are topped up
        QVERIFY(QDir(WorkFolder::path()).removeRecursively());
        pressAndCheck(form);
    }

    // The warm-up never waits for an office to start: with the connected spare
    // gone bad it does nothing, rather than start another and freeze the window.
    void theWarmUpNeverWaitsForAStart()
    {
        startUp();
        QTest::qWait(1000); // the backup office is launched
        for (pid_t office : testing::ourOfficeProcesses())
            ::kill(office, SIGKILL);
        const int before = testing::officeProcessesStarted();
        QElapsedTimer clock;
        clock.start();
        automation::warmUpSpareOffice();
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(testing::officeProcessesStarted(), before);
    }

    // The spares are asked for again on the way to the main window. With an office
    // up and waiting by then, the backup office is launched from the event loop, as
    // after any session, not there and then: nothing on that way waits for its fork
    // and profile copy, and a run's count of starts does not hang on how fast the
    // first office came up.
    void aSecondStartLeavesTheBackupToTheEventLoop()
    {
        automation::engine().createApplication()->quit(); // the first office, up and given back
        const int before = testing::officeProcessesStarted();
        automation::startSpareOffices();
        QCOMPARE(testing::officeProcessesStarted(), before);
        QTRY_COMPARE(testing::officeProcessesStarted(), before + 1);
    }

    // However many presses, no more than two offices of ours run, and none once
    // the spares are ended.
    void twentyPressesStayWithinTheBound()
    {
        // Counted as each session of a run starts and as it ends.
        int mostDuringRuns = 0;
        const auto count = [&] {
            mostDuringRuns = std::max(mostDuringRuns, int(testing::ourOfficeProcesses().size()));
        };
        automation::testing::FaultyEngine counting;
        counting.onEnter(QStringLiteral("createApplication"), count);
        counting.onEnter(QStringLiteral("quit"), count);
        automation::testing::EngineOverride use(counting);
        startUp();
        Form1 form;
        fill(form);
        int mostIdle = 0;
        for (int cycle = 0; cycle < 20; ++cycle) {
            form.PushButton6_Click();
            QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
            form.existingForm2()->PushButton8()->click();
            mostIdle = std::max(mostIdle, int(testing::ourOfficeProcesses().size()));
        }
        QVERIFY(counting.calls().count(QStringLiteral("quit")) >= 40);
        QVERIFY2(mostDuringRuns <= 2, qPrintable(QString::number(mostDuringRuns)));
        QVERIFY2(mostIdle <= 2, qPrintable(QString::number(mostIdle)));
        automation::endSpareOffices();
        QVERIFY(testing::ourOfficeProcesses().isEmpty());
    }

    // A session never sees a document of the one before: an office that served a
    // session serves the next only with nothing open and nothing in its list of
    // recent documents; one left with a document open is not reused at all.
    void sessionsAreKeptApart_data()
    {
        QTest::addColumn<bool>("closed");
        QTest::newRow("the document closed") << true;
        QTest::newRow("the document left open") << false;
    }

    void sessionsAreKeptApart()
    {
        QFETCH(bool, closed);
        const QString sample = m_run.filePath(QStringLiteral("first.fodt"));
        QVERIFY(testing::writeFile(sample, testing::pagedDocument(1).toUtf8()));

        auto first = automation::engine().createApplication();
        auto document = first->Documents().Open(sample);
        const testing::OfficeView during = testing::inspectOffice(*first);
        QCOMPARE(during.openDocuments, 1);
        if (closed)
            document->Close(0);
        first->quit();

        auto second = automation::engine().createApplication();
        const testing::OfficeView after = testing::inspectOffice(*second);
        QCOMPARE(after.processId == during.processId, closed);
        QCOMPARE(after.openDocuments, 0);
        QCOMPARE(after.recentDocuments, 0);
        second->quit();
    }

    // The call limit holds for a session that came from a spare as for any: a hung
    // office is stopped at the limit, with the same words.
    void aHungSpareIsStoppedAtTheLimit()
    {
        startUp();
        const QString sample = m_run.filePath(QStringLiteral("hung.fodt"));
        QVERIFY(testing::writeFile(sample, testing::pagedDocument(1).toUtf8()));
        const int before = testing::officeProcessesStarted();
        auto application = automation::engine().createApplication();
        QCOMPARE(testing::officeProcessesStarted(), before); // a spare, not a new office
        const pid_t office = pid_t(testing::inspectOffice(*application).processId);
        const testing::CallTimeLimit shortLimit(std::chrono::seconds(2));
        ::kill(office, SIGSTOP);
        QElapsedTimer clock;
        clock.start();
        try {
            application->Documents().Open(sample);
            QFAIL("a hung office opened a document");
        } catch (const Failure& failure) {
            QCOMPARE(failure.description(),
                     QStringLiteral("The document engine did not answer within 2 seconds and was "
                                    "stopped."));
        }
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY(!testing::anyStillRuns({office}));
        application->quit();
    }

    // The office profile kept between runs: made by the first run, whose office
    // restarts itself once; taken by the next, whose office does not; replaced when
    // another build made it, when no office starts from it or one must set it up
    // anew, and when anything in it is not plain, small and the user's alone (the
    // user is told, in one line); a cache that cannot be written costs speed, never
    // a failure. In every case the run after makes no profile.
    void theKeptProfile_data()
    {
        QTest::addColumn<QString>("between");
        QTest::addColumn<int>("secondRunStarts");
        QTest::addColumn<bool>("told");
        QTest::newRow("kept, then taken") << "" << 1 << false;
        QTest::newRow("made by another build") << "stamp" << 2 << false;
        QTest::newRow("no office starts from it") << "broken" << 3 << false;
        QTest::newRow("no office starts from it, one report") << "broken, one report" << 3 << false;
        QTest::newRow("a stale one that is set up anew") << "stub" << 2 << false;
        QTest::newRow("a cache that cannot be written") << "no cache" << 2 << false;
        QTest::newRow("a named pipe inside") << "fifo" << 2 << true;
        QTest::newRow("a link out of it") << "link out" << 2 << true;
        QTest::newRow("a file of another user") << "foreign" << 2 << true;
        QTest::newRow("its folder writable by the group") << "group" << 2 << true;
        QTest::newRow("a link in its place") << "link" << 2 << true;
        QTest::newRow("a sparse file of 2 GB") << "sparse" << 2 << true;
    }

    void theKeptProfile()
    {
        QFETCH(QString, between);
        QFETCH(int, secondRunStarts);
        QFETCH(bool, told);
        if (between == QLatin1String("foreign") && ::getuid() != 0)
            QSKIP("Only root can give a file to another user");
        std::optional<testing::EnvironmentVariable> noCache;
        if (between == QLatin1String("no cache")) {
            QVERIFY(testing::writeFile(m_run.filePath(QStringLiteral("a-file")),
                                       QByteArray("not a folder")));
            noCache.emplace("XDG_CACHE_HOME",
                            QFile::encodeName(m_run.filePath(QStringLiteral("a-file"))));
        }
        // A run of the program, as far as its offices go: the engine check's session.
        // What it said on standard error goes to `said`.
        const bool oneReport = between.endsWith(QLatin1String("one report"));
        const auto run = [oneReport](QByteArray* said = nullptr) {
            automation::endSpareOffices();
            WorkFolder::remove();
            const testing::StandardErrorCapture capture;
            const int before = testing::officeProcessesStarted();
            automation::startSpareOffices(oneReport);
            automation::engine().createApplication()->quit();
            if (said)
                *said = capture.text();
            return testing::officeProcessesStarted() - before;
        };
        QCOMPARE(run(), 2);
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                              QStringLiteral("/statusmill");
        const QString kept = cache + QStringLiteral("/office-profile");
        const QString user = kept + QStringLiteral("/user");
        QCOMPARE(QFileInfo(user).isDir(), !noCache);
        const QByteArray stamp = testing::readFile(kept + QStringLiteral("/statusmill-build"));
        const QString outside = m_run.filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(outside));
        QVERIFY(testing::writeFile(outside + QStringLiteral("/secret"), QByteArray("the user's own")));
        if (between == QLatin1String("stamp"))
            QVERIFY(testing::writeFile(kept + QStringLiteral("/statusmill-build"), QByteArray("other\n")));
        if (between.startsWith(QLatin1String("broken"))) {
            QVERIFY(QDir(user).removeRecursively());
            QVERIFY(testing::writeFile(user, QByteArray("not a folder")));
            restamp(kept, stamp);
        }
        if (between == QLatin1String("stub")) {
            // All an office needs to set itself up anew, under a stamp that fits.
            const QByteArray settings =
                testing::readFile(user + QStringLiteral("/registrymodifications.xcu"));
            QVERIFY(QDir(user).removeRecursively() && QDir().mkpath(user));
            QVERIFY(testing::writeFile(user + QStringLiteral("/registrymodifications.xcu"),
                                       settings));
            restamp(kept, stamp);
        }
        if (between == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(user + QStringLiteral("/pipe")).constData(), 0600), 0);
        if (between == QLatin1String("link out"))
            QVERIFY(QFile::link(outside + QStringLiteral("/secret"), user + QStringLiteral("/secret")));
        if (between == QLatin1String("foreign"))
            QCOMPARE(::chown(QFile::encodeName(user + QStringLiteral("/registrymodifications.xcu"))
                                 .constData(),
                             65534, 65534),
                     0);
        if (between == QLatin1String("group"))
            QVERIFY(QFile::setPermissions(cache, QFile::permissions(cache) | QFileDevice::WriteGroup));
        if (between == QLatin1String("link")) {
            QVERIFY(QDir(kept).removeRecursively());
            QVERIFY(QFile::link(outside, kept));
        }
        if (between == QLatin1String("sparse")) {
            QFile big(user + QStringLiteral("/big"));
            QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(qint64(2) << 30));
        }

        QElapsedTimer clock;
        clock.start();
        QByteArray said;
        QCOMPARE(run(&said), secondRunStarts);
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(said.count('\n'), told ? 1 : 0);
        if (told)
            QVERIFY2(said.contains("kept office profile"), said.constData());
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        // Nothing of what was followed or found in it went anywhere.
        QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("secret")});
        QCOMPARE(testing::readFile(outside + QStringLiteral("/secret")), QByteArray("the user's own"));
        if (!noCache) {
            QVERIFY(QFileInfo(user).isDir() && !QFileInfo(kept).isSymLink());
            QCOMPARE(testing::readFile(kept + QStringLiteral("/statusmill-build")).split('\n').first(),
                     stamp.split('\n').first());
            QCOMPARE(QFile::permissions(cache) & QFileDevice::WriteGroup, QFileDevice::Permissions());
        }
        // What replaced it is whole: the next run starts at once.
        QCOMPARE(run(), noCache ? 2 : 1);
    }

    // A waiting office holds the template opened ahead, and a press takes it when
    // the file it opens holds those very bytes; a template planted in the working
    // folder, one of the user's changed on disk, or an office that died meanwhile
    // is opened from its file, without a word.
    void aPressTakesTheTemplateOpenedAhead_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("taken");
        QTest::newRow("the built-in template") << "" << 1;
        QTest::newRow("a template planted in the working folder") << "planted" << 0;
        QTest::newRow("the user's template changed on disk") << "changed" << 0;
        QTest::newRow("its office died") << "killed" << 0;
        QTest::newRow("the built-in template's form for data") << "data" << 1;
    }

    void aPressTakesTheTemplateOpenedAhead()
    {
        QFETCH(QString, change);
        QFETCH(int, taken);
        const QString mine = m_run.filePath(QStringLiteral("mine.fodt"));
        const auto document = [](const char* text) {
            return testing::flatDocument({}, {}, testing::paragraphs({QString::fromLatin1(text)}));
        };
        QVERIFY(testing::writeFile(mine, document("Mine: [ProjectName]")));
        Form1 form;
        fill(form);
        if (change == QLatin1String("changed"))
            form.setTemplateFile(mine);
        if (change == QLatin1String("data")) {
            const QString json = m_run.filePath(QStringLiteral("project.json"));
            QVERIFY(testing::writeFile(json, QByteArray("{\"ReportPeriod\": \"Week 49\"}")));
            form.setDataFile(json);
        }
        automation::prepareTemplatesAhead(change == QLatin1String("changed") ? mine : QString(),
                                          change == QLatin1String("data"));
        startUp(); // the engine check's office is given back, and opens the template
        if (change == QLatin1String("planted"))
            QVERIFY(testing::writeFile(WorkFolder::file(QStringLiteral("template.dot")),
                                       document("Planted: [ProjectName]")));
        if (change == QLatin1String("changed"))
            QVERIFY(testing::writeFile(mine, document("Changed: [ProjectName]")));
        if (change == QLatin1String("killed"))
            for (pid_t office : testing::ourOfficeProcesses())
                ::kill(office, SIGKILL);
        const int before = testing::preparedTemplatesTaken();
        form.PushButton6_Click();
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        QCOMPARE(testing::preparedTemplatesTaken() - before, taken);
        const QString text = testing::savedDocumentText(form.existingForm2()->wordFile());
        QVERIFY2(text.contains(kValues[0]), qPrintable(text));
        if (change == QLatin1String("planted") || change == QLatin1String("changed"))
            QVERIFY2(text.startsWith(change == QLatin1String("planted") ? "Planted" : "Changed"),
                     qPrintable(text));
    }

    // A timer that fires while templates are being opened ahead in the waiting
    // offices, and asks for them again from an event loop of its own (as a modal
    // dialog runs one): nothing that prepares may let it run in its midst, or two
    // preparations start on one office. All ends in order, and the next press
    // takes the template opened ahead.
    void aPreparationAskedForWhileOneRuns()
    {
        startUp();
        Form1 form;
        fill(form);
        automation::prepareTemplatesAhead(QString());
        QTimer::singleShot(1, [] {
            automation::prepareTemplatesAhead(QString());
            QEventLoop modal;
            QTimer::singleShot(300, &modal, &QEventLoop::quit);
            modal.exec();
        });
        QThread::msleep(5); // due when the preparation runs
        QTest::qWait(1000);
        const int before = testing::preparedTemplatesTaken();
        pressAndCheck(form);
        QCOMPARE(testing::preparedTemplatesTaken() - before, 1);
    }

    // A template opening ahead in offices that hang (stopped): neither closing the
    // window nor a press waits for it past the readiness limit; the office is
    // ended instead, and the press made on a fresh one.
    void aHungPreparationIsNotWaitedFor_data()
    {
        QTest::addColumn<bool>("press");
        QTest::newRow("the window closes") << false;
        QTest::newRow("a press") << true;
    }

    void aHungPreparationIsNotWaitedFor()
    {
        QFETCH(bool, press);
        startUp();
        for (pid_t office : testing::ourOfficeProcesses())
            ::kill(office, SIGSTOP);
        automation::prepareTemplatesAhead(QString());
        QTest::qWait(200); // the preparation has started, and hangs
        QElapsedTimer clock;
        clock.start();
        if (press) {
            Form1 form;
            fill(form);
            pressAndCheck(form);
            // The readiness limit, a fresh office's start and the press itself.
            QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
        } else {
            automation::endSpareOffices();
            QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(testing::ourOfficeProcesses().isEmpty());
        }
    }

    // The private copy a template is opened ahead from goes when the press that
    // took it is done with it: however many presses, no more copies than offices.
    void copiesOpenedAheadGoWithTheirDocuments()
    {
        automation::prepareTemplatesAhead(QString());
        startUp();
        Form1 form;
        fill(form);
        for (int press = 0; press < 4; ++press) {
            pressAndCheck(form);
            form.existingForm2()->PushButton8()->click(); // < Back
            QTest::qWait(300);                            // the next one is opened ahead
        }
        QStringList copies;
        QDirIterator it(WorkFolder::path(), {QStringLiteral("prepared-*")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            copies << it.next();
        QVERIFY2(copies.size() <= testing::ourOfficeProcesses().size(),
                 qPrintable(copies.join(QLatin1Char('\n'))));
    }

    // A template of the user's is opened ahead from where it is, not from a copy:
    // a field that shows the document's file name shows the user's.
    void aTemplateOfTheUsersIsOpenedAheadWhereItIs()
    {
        const QString mine = m_run.filePath(QStringLiteral("mine.fodt"));
        QVERIFY(testing::writeFile(
            mine, testing::flatDocument(
                      {}, {},
                      QStringLiteral("<text:p>[ProjectName] from <text:file-name "
                                     "text:display=\"name-and-extension\">x</text:file-name>"
                                     "</text:p>"))));
        Form1 form;
        fill(form);
        form.setTemplateFile(mine);
        automation::prepareTemplatesAhead(mine);
        startUp();
        const int before = testing::preparedTemplatesTaken();
        form.PushButton6_Click();
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        QCOMPARE(testing::preparedTemplatesTaken() - before, 1);
        const QString text = testing::textAsWordSeesIt(form.existingForm2()->wordFile());
        // Word keeps the field's code beside what it shows.
        QVERIFY2(text.contains(QStringLiteral("mine.fodt")) && !text.contains(QStringLiteral("prepared-")),
                 qPrintable(text));
    }

    // Only the first office of a program run makes a new profile (and so starts
    // twice); every later one starts once, from a copy of it.
    void aNewProfileIsMadeOncePerRun()
    {
        automation::endSpareOffices();
        WorkFolder::remove();
        int before = testing::officeProcessesStarted();
        startUp();
        QCOMPARE(testing::officeProcessesStarted() - before, 2);
        before = testing::officeProcessesStarted();
        startUp();
        QCOMPARE(testing::officeProcessesStarted() - before, 1);
    }
};

QTEST_MAIN(TestSpares)
#include "tst_spares.moc"
