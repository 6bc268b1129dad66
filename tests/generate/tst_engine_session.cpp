#include "OfficeProcesses.h"
#include "SampleDocuments.h"
#include "common/Failure.h"
#include "common/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/EngineLimits.h"
#include "generate/OfficeLocation.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace statusmill;
using namespace statusmill::automation;
using statusmill::testing::ourOfficeProcesses;

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

private slots:
    void cleanupTestCase() { WorkFolder::remove(); }

    void cleanup()
    {
        setCallTimeLimit(std::chrono::seconds(60));
        // Whatever a test did, no office of ours may outlive it.
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
        QCOMPARE(profileFolders(), QStringList());
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

    void killedOfficeFailsWithinSeconds()
    {
        auto application = engine().createApplication();
        auto document = application->Documents().Open(
            sample(QStringLiteral("killed.fodt"), statusmill::testing::pagedDocument(1)));
        const auto pids = ourOfficeProcesses();
        QCOMPARE(pids.size(), 1);
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
    }

    void hungOfficeIsStoppedAtTheTimeLimit()
    {
        auto application = engine().createApplication();
        auto document = application->Documents().Open(
            sample(QStringLiteral("hung.fodt"), statusmill::testing::pagedDocument(1)));
        setCallTimeLimit(std::chrono::seconds(2));
        const auto pids = ourOfficeProcesses();
        QCOMPARE(pids.size(), 1);
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
        QVERIFY_THROWS_EXCEPTION(Failure, document->Range());
    }

    void missingOfficeIsReportedAsSuch()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "");
        office::setInstallFolders(QStringList{m_folder.filePath(QStringLiteral("no-office"))});
        try {
            engine().createApplication();
            QFAIL("a session started without an office");
        } catch (const Failure& failure) {
            QVERIFY(failure.description().contains(QStringLiteral("soffice.bin")));
            QVERIFY(failure.description().contains(m_folder.filePath(QStringLiteral("no-office"))));
        }
        office::setInstallFolders(std::nullopt);
        qputenv("PATH", path);
    }
};

QTEST_GUILESS_MAIN(TestEngineSession)
#include "tst_engine_session.moc"
