#include "core/Failure.h"
#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/Offices.h"
#include "generate/office/OfficeComponent.h"
#include "generate/office/OfficeLocation.h"
#include "generate/office/Watchdog.h"
#include "generate/office/PipeFiles.h"
#include "support/OfficeProbes.h"
#include "support/OfficeProcesses.h"
#include "support/SampleDocuments.h"
#include "support/Seams.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPdfWriter>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

using namespace statusmill;
using namespace statusmill::automation;
using statusmill::testing::ourOfficeProcesses;
using statusmill::testing::readDocumentText;
using statusmill::testing::stillThere;

class TestEngineSession : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;

    QString sample(const QString& name, const QString& text)
    {
        const QString path = m_folder.filePath(name);
        statusmill::testing::writeFile(path, text);
        return path;
    }

    static QStringList profileFolders()
    {
        return QDir(WorkFolder::path()).entryList({QStringLiteral("office-*")}, QDir::Dirs);
    }

    // Socket files of the pipes our sessions listen on: every pipe name of ours
    // starts with "statusmill-<our pid>-".
    static QStringList ourPipeFiles()
    {
        const QString pattern =
            QStringLiteral("OSL_PIPE_%1_statusmill-%2-*").arg(::getuid()).arg(::getpid());
        QStringList found;
        for (const QString& folder : {QStringLiteral("/tmp"), QStringLiteral("/var/tmp")})
            for (const QString& name : QDir(folder).entryList({pattern}, QDir::System))
                found << QDir(folder).filePath(name);
        return found;
    }

    // Whether the pipe files found for a running office are the pipe we connect
    // through and its profile's own, so that an empty list cannot pass for a clean
    // end later.
    static bool bothPipes(const QStringList& files)
    {
        const QString ours = QStringLiteral("statusmill-%1-").arg(::getpid());
        return files.size() == 2 && files.filter(ours).size() == 1 &&
               files.filter(QStringLiteral("_SingleOfficeIPC_")).size() == 1 &&
               stillThere(files) == files;
    }

private slots:
    void cleanupTestCase() { WorkFolder::remove(); }

    void cleanup()
    {
        // Whatever a test did, no office of ours may outlive it.
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
        QCOMPARE(profileFolders(), QStringList());
        QCOMPARE(ourPipeFiles(), QStringList());
    }

    void sessionRunsItsOwnOfficeUntilQuit()
    {
        auto application = engine().createApplication();
        QCOMPARE(ourOfficeProcesses().size(), 1);
        QCOMPARE(profileFolders().size(), 1);
        application->quit();
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
        // Quitting twice is harmless; later calls fail with a description.
        application->quit();
        QVERIFY_THROWS_EXCEPTION(Failure, application->ActiveDocument());
    }

    void droppedSessionEndsItsOffice()
    {
        {
            auto application = engine().createApplication();
            auto document = application->Documents().Open(
                sample(QStringLiteral("drop.fodt"), statusmill::testing::pagedDocument(1)));
            QCOMPARE(application->ActiveDocument(), document);
            // Leaving the scope without quit, a document still open.
        }
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
    }

    void openFailuresCarryADescription_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::newRow("missing file") << QStringLiteral("missing.doc") << QByteArray();
        QTest::newRow("garbage .doc")
            << QStringLiteral("garbage.doc")
            << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 not really", 20);
        QTest::newRow("folder") << QStringLiteral("a folder") << QByteArray("dir");
    }

    void openFailuresCarryADescription()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        const QString path = m_folder.filePath(name);
        if (content == "dir")
            QDir().mkpath(path);
        else if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        auto application = engine().createApplication();
        try {
            application->Documents().Open(path);
            QFAIL("the document opened");
        } catch (const Failure& failure) {
            QVERIFY2(!failure.description().trimmed().isEmpty(), "no description");
        }
        // The session is still usable after a failed open.
        auto document = application->Documents().Open(
            sample(QStringLiteral("after.fodt"), statusmill::testing::pagedDocument(1)));
        document->Close(0);
        application->quit();
    }

    // Word's -1 ("save the changes") writes the document back; 0 and no argument
    // leave the file as it was.
    void closeSavesOnlyWhenAsked_data()
    {
        QTest::addColumn<int>("saveChanges"); // 1: no argument
        QTest::addColumn<bool>("saved");
        QTest::newRow("save changes") << -1 << true;
        QTest::newRow("do not save") << 0 << false;
        QTest::newRow("no argument") << 1 << false;
    }

    void closeSavesOnlyWhenAsked()
    {
        QFETCH(int, saveChanges);
        QFETCH(bool, saved);
        const QString path = sample(QStringLiteral("close %1.fodt").arg(saveChanges),
                                    statusmill::testing::pagedDocument(1));
        auto application = engine().createApplication();
        auto document = application->Documents().Open(path);
        document->Range()->Find().Execute(QStringLiteral("report"), QStringLiteral("changed"),
                                          Find::kReplaceAll);
        if (saveChanges == 1)
            document->Close();
        else
            document->Close(saveChanges);
        auto reopened = application->Documents().Open(path, true);
        const QString text = readDocumentText(*reopened).all();
        reopened->Close(0);
        application->quit();
        QCOMPARE(text.contains(QStringLiteral("Page 1 of the changed")), saved);
        QCOMPARE(text.contains(QStringLiteral("Page 1 of the report")), !saved);
    }

    void killedOfficeFailsWithinSeconds()
    {
        // The office's own temporary files go into its session's folder, never
        // into the shared one, where a killed office would leave them for good.
        QTemporaryDir shared;
        auto application = [&] {
            const testing::EnvironmentVariable tmpdir("TMPDIR", QFile::encodeName(shared.path()));
            return engine().createApplication();
        }();
        auto document = application->Documents().Open(
            sample(QStringLiteral("killed.fodt"), statusmill::testing::pagedDocument(1)));
        const auto pids = ourOfficeProcesses();
        QCOMPARE(pids.size(), 1);
        const QStringList pipes = office::pipeFilesBoundBy(pids.first());
        QVERIFY2(bothPipes(pipes), qPrintable(pipes.join(QLatin1Char(' '))));
        ::kill(pids.first(), SIGKILL);

        QElapsedTimer clock;
        clock.start();
        for (int attempt = 0; attempt < 3; ++attempt) {
            try {
                document->SaveAs(m_folder.filePath(QStringLiteral("killed.doc")));
                QFAIL("saving through a killed office succeeded");
            } catch (const Failure& failure) {
                QVERIFY(!failure.description().isEmpty());
            }
        }
        QVERIFY_THROWS_EXCEPTION(Failure, document->Range());
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        application->quit();
        // The office could not remove its pipes itself.
        QCOMPARE(stillThere(pipes), QStringList());
        QCOMPARE(
            QDir(shared.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList());
    }

    void hungOfficeIsStoppedAtTheTimeLimit()
    {
        auto application = engine().createApplication();
        auto document = application->Documents().Open(
            sample(QStringLiteral("hung.fodt"), statusmill::testing::pagedDocument(1)));
        const testing::CallTimeLimit shortLimit(std::chrono::seconds(2));
        const auto pids = ourOfficeProcesses();
        QCOMPARE(pids.size(), 1);
        const QStringList pipes = office::pipeFilesBoundBy(pids.first());
        QVERIFY2(bothPipes(pipes), qPrintable(pipes.join(QLatin1Char(' '))));
        ::kill(pids.first(), SIGSTOP);

        QElapsedTimer clock;
        clock.start();
        try {
            document->SaveAs(m_folder.filePath(QStringLiteral("hung.doc")));
            QFAIL("a stopped office answered");
        } catch (const Failure& failure) {
            QCOMPARE(failure.description(),
                     QStringLiteral("The document engine did not answer within 2 seconds and was "
                                    "stopped."));
        }
        QVERIFY(clock.elapsed() >= 1900);
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
        QCOMPARE(stillThere(pipes), QStringList());
        QVERIFY_THROWS_EXCEPTION(Failure, document->Range());
    }

    // A call past its limit is stopped unless its office spends at least half the
    // time on the processor, and then only up to ten limits in all.
    void aBusyOfficeIsNoHungOne_data()
    {
        QTest::addColumn<int>("cpu");
        QTest::addColumn<int>("wall");
        QTest::addColumn<int>("sinceArmed");
        QTest::addColumn<bool>("atWork");
        QTest::newRow("laying out pages") << 1900 << 2000 << 2000 << true;
        QTest::newRow("half busy") << 1000 << 2000 << 8000 << true;
        QTest::newRow("waiting") << 30 << 2000 << 2000 << false;
        QTest::newRow("busy for ten limits") << 2000 << 2000 << 20000 << false;
        QTest::newRow("no time passed") << 0 << 0 << 2000 << false;
    }

    void aBusyOfficeIsNoHungOne()
    {
        QFETCH(int, cpu);
        QFETCH(int, wall);
        QFETCH(int, sinceArmed);
        QFETCH(bool, atWork);
        using std::chrono::milliseconds;
        QCOMPARE(office::stillAtWork(milliseconds(cpu), milliseconds(wall), milliseconds(sinceArmed),
                                     milliseconds(2000)),
                 atWork);
    }

    // An office that never answers costs the start-up one time limit, not one for
    // the spare and another for the fresh start after it.
    void aHungStartCostsOneLimit()
    {
        const QString folder = m_folder.filePath(QStringLiteral("hung-office"));
        QVERIFY(QDir().mkpath(folder));
        QFile office(folder + QStringLiteral("/soffice.bin"));
        QVERIFY(office.open(QIODevice::WriteOnly));
        office.write("#!/bin/sh\nexec /bin/sleep 600\n");
        office.close();
        office.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const testing::OfficeSearch hungOffice({folder});
        const testing::StartTimeLimit shortLimit(std::chrono::seconds(2));
        startSpareOffices();
        const auto endSpares = qScopeGuard([] { endSpareOffices(); });

        QElapsedTimer clock;
        clock.start();
        QVERIFY_THROWS_EXCEPTION(Failure, engine().createApplication());
        const qint64 took = clock.elapsed();
        QVERIFY2(took >= 1900 && took < 3000, qPrintable(QString::number(took)));
    }

    // Printing on a device draws every page asked for, and only those, from the
    // document itself, a page of the device a page of the document.
    // Each page of the document carries a different amount of text (page p, 8p
    // lines), so the pages that came out can be told apart by their ink.
    void printsThePagesAskedFor()
    {
        QString body;
        for (int page = 1; page <= 3; ++page)
            for (int line = 0; line < 8 * page; ++line)
                body += QStringLiteral("<text:p%1>Line %2 of page %3, of the report</text:p>")
                            .arg(page > 1 && line == 0 ? QStringLiteral(" text:style-name=\"NewPage\"")
                                                       : QString())
                            .arg(line)
                            .arg(page);
        auto application = engine().createApplication();
        auto document = application->Documents().Open(
            sample(QStringLiteral("printed.fodt"), statusmill::testing::flatDocument({}, {}, body)));
        const QString printed = m_folder.filePath(QStringLiteral("printed.pdf"));
        {
            QPdfWriter printer(printed);
            printer.setResolution(100);
            document->PrintOut(printer, 2, 3);
        }
        document->Close(0);
        application->quit();
        // Every page came out as one image, and in the order asked for.
        QProcess pages;
        pages.start(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-gray"), QStringLiteral("-r"), QStringLiteral("30"), printed,
                     m_folder.filePath(QStringLiteral("printed"))});
        QVERIFY(pages.waitForFinished(30000));
        QList<qint64> ink;
        for (const QString& name : QDir(m_folder.path()).entryList({QStringLiteral("printed-*.pgm")})) {
            const QImage image(m_folder.filePath(name));
            qint64 dark = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    dark += 255 - qGray(image.pixel(x, y));
            ink << dark;
        }
        QCOMPARE(ink.size(), 2);
        // Pages 2 and 3 hold 16 and 24 lines: 1.5 times the ink (1 and 2 would be 2 times).
        const double ratio = double(ink[1]) / double(ink[0]);
        QVERIFY2(ratio > 1.35 && ratio < 1.65, qPrintable(QString::number(ratio)));
    }

    // The office reads the profile's URL its own way: it escapes ";", "[" and "]",
    // expands "$name" and takes the file name in its own character set. Whatever
    // the folder is called, the profile lands in our working folder and its pipes
    // are bound where we name them, so that we can remove them.
    void profileAndPipesLandWherePredicted_data()
    {
        QTest::addColumn<QString>("temp");
        QTest::addColumn<QByteArray>("locale");
        QTest::newRow("a dollar") << "x$HOME" << QByteArray("C.UTF-8");
        QTest::newRow("a semicolon") << "x;y" << QByteArray("C.UTF-8");
        QTest::newRow("brackets") << "x[y]" << QByteArray("C.UTF-8");
        QTest::newRow("a space and a percent sign") << "x y%41" << QByteArray("C.UTF-8");
        QTest::newRow("a backslash") << "x\\y" << QByteArray("C.UTF-8");
        QTest::newRow("non-ASCII under LANG=C") << "x\u00e9\u4e2d" << QByteArray("C");
        QTest::newRow("non-ASCII under UTF-8") << "x\u00e9\u4e2d" << QByteArray("C.UTF-8");
    }

    void profileAndPipesLandWherePredicted()
    {
        QFETCH(QString, temp);
        QFETCH(QByteArray, locale);
        const QTemporaryDir parent;
        const QString folder = parent.filePath(temp);
        QVERIFY(QDir().mkpath(folder));
        const testing::EnvironmentVariable tempGuard("TEMP", QFile::encodeName(folder));
        const testing::EnvironmentVariable language("LANG", locale);
        const testing::EnvironmentVariable all("LC_ALL", locale);
        WorkFolder::remove();
        const auto removeFolder = qScopeGuard([] { WorkFolder::remove(); });

        auto application = engine().createApplication();
        const auto view = testing::inspectOffice(*application);
        QVERIFY2(view.profileFolder.startsWith(WorkFolder::path() + QLatin1Char('/')),
                 qPrintable(view.profileFolder));
        QVERIFY(QFileInfo(view.profileFolder + QStringLiteral("/user/registrymodifications.xcu"))
                    .isFile());
        QCOMPARE(view.pipeFilesBound.size(), 2);
        for (const QString& bound : view.pipeFilesBound)
            QVERIFY2(view.pipeFilesPredicted.contains(bound), qPrintable(bound));
        // Nothing made beside our folder, under a name the office read otherwise.
        QCOMPARE(QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{temp});
        application->quit();
        QCOMPARE(stillThere(view.pipeFilesBound), QStringList());
    }

    // Our component is loaded beside the services of the office's own installation,
    // as its bootstrap file lists them, whatever they are.
    void theOfficeKeepsItsOwnServices_data()
    {
        QTest::addColumn<QByteArray>("bootstrap");
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("the installation's list")
            << QByteArray("[Bootstrap]\nURE_BIN_DIR=x\nURE_MORE_SERVICES=<$ORIGIN/services>* ${$ORIGIN/a:B}\n")
            << QByteArray("<$ORIGIN/services>* ${$ORIGIN/a:B} ");
        QTest::newRow("none listed") << QByteArray("[Bootstrap]\nURE_BIN_DIR=x\n") << QByteArray();
        // The program found is a script that starts the office: the list is the
        // installation's.
        QByteArray installed;
        QFile rc(QStringLiteral("/usr/lib/libreoffice/program/fundamentalrc"));
        if (rc.open(QIODevice::ReadOnly))
            for (const QByteArray& line : rc.readAll().split('\n'))
                if (line.startsWith("URE_MORE_SERVICES="))
                    installed = line.mid(18).trimmed() + ' ';
        QTest::newRow("a script that starts the office") << QByteArray() << installed;
    }

    void theOfficeKeepsItsOwnServices()
    {
        QFETCH(QByteArray, bootstrap);
        QFETCH(QByteArray, before);
        const QString program = m_folder.filePath(QStringLiteral("office/program/soffice.bin"));
        const QString profile = m_folder.filePath(QStringLiteral("office/profile"));
        QVERIFY(QDir().mkpath(profile) && QDir().mkpath(QFileInfo(program).path()));
        QFile rc(QFileInfo(program).dir().filePath(QStringLiteral("fundamentalrc")));
        rc.remove();
        if (!bootstrap.isEmpty()) {
            QVERIFY(rc.open(QIODevice::WriteOnly) && rc.write(bootstrap) == bootstrap.size());
            rc.close();
        }
        office::registerOfficeComponent(profile, QStringLiteral("/opt/x/libstatusmill_office.so"));
        const QByteArray argument = office::officeComponentArgument(profile, program);
        QCOMPARE(argument, "-env:URE_MORE_SERVICES=" + before +
                               QUrl::fromLocalFile(profile + QStringLiteral("/statusmill.component")).toEncoded());
    }

    void missingOfficeIsReportedAsSuch()
    {
        const testing::OfficeSearch noOffice({m_folder.filePath(QStringLiteral("no-office"))});
        try {
            engine().createApplication();
            QFAIL("a session started without an office");
        } catch (const Failure& failure) {
            QVERIFY(failure.description().contains(QStringLiteral("soffice.bin")));
            QVERIFY(failure.description().contains(m_folder.filePath(QStringLiteral("no-office"))));
        }
    }
};

QTEST_GUILESS_MAIN(TestEngineSession)
#include "tst_engine_session.moc"
