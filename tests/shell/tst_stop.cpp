// A stop request (SIGTERM, SIGINT, SIGHUP) ends the program whatever it is doing:
// in order where it can, within five seconds where it cannot, and at once on a
// second request; never leaving an office or the working folder behind.

#include "core/WorkFolder.h"
#include "support/OfficeProcesses.h"
#include "support/Seams.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include <csignal>

using namespace statusmill;

class TestStop : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

    struct Probe
    {
        QProcess process;
        QString folder;
    };

    // Starts the program in the given scenario and waits until its window is up.
    bool start(Probe& probe, const QString& scenario)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           m_home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"),
                           m_home.path() + QStringLiteral("/cache"));
        environment.insert(QStringLiteral("TEMP"), m_home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        probe.process.setProcessEnvironment(environment);
        probe.process.start(
            QCoreApplication::applicationDirPath() + QStringLiteral("/program_probe"), {scenario});
        if (!probe.process.waitForStarted(10000))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 60000 && probe.process.state() == QProcess::Running) {
            probe.process.waitForReadyRead(1000);
            while (probe.process.canReadLine()) {
                const QString line = QString::fromLocal8Bit(probe.process.readLine()).trimmed();
                if (line.startsWith(QLatin1String("folder ")))
                    probe.folder = line.mid(7);
                if (line == QLatin1String("ready"))
                    return !probe.folder.isEmpty();
            }
        }
        return false;
    }

    // Sends the signals, then how long the program took to end after the first.
    qint64 stop(Probe& probe, const QList<int>& signals_)
    {
        QElapsedTimer timer;
        timer.start();
        for (int signal : signals_) {
            // Never pid 0, which would signal the test's own process group.
            if (const pid_t pid = pid_t(probe.process.processId()); pid > 0)
                ::kill(pid, signal);
            QTest::qWait(200);
        }
        probe.process.waitForFinished(30000);
        return timer.elapsed();
    }

private slots:
    void init() { QDir(m_home.path()).removeRecursively(), QDir().mkpath(m_home.path()); }

    // In order: the event loop ends, nothing more is shown, and the folder goes.
    void aStopEndsTheProgramInOrder_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<int>("signal");
        QTest::newRow("waiting for the user") << "idle" << SIGTERM;
        QTest::newRow("a modal box up") << "box" << SIGTERM;
        QTest::newRow("interrupted from the terminal") << "box" << SIGINT;
        QTest::newRow("its terminal went away") << "idle" << SIGHUP;
    }

    void aStopEndsTheProgramInOrder()
    {
        QFETCH(QString, scenario);
        QFETCH(int, signal);
        Probe probe;
        QVERIFY(start(probe, scenario));
        const qint64 took = stop(probe, {signal});
        QCOMPARE(probe.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.process.exitCode(), 0);
        QVERIFY2(took < 4000, qPrintable(QString::number(took)));
        QVERIFY(
            QString::fromLocal8Bit(probe.process.readAll()).contains(QStringLiteral("shown 0")));
        QVERIFY(!QFileInfo::exists(probe.folder));
    }

    // The office of the current call hangs: it is ended at once, no new office is
    // started, and the run unwinds without a single report.
    void aHungOfficeDoesNotHoldTheStop()
    {
        Probe probe;
        QVERIFY(start(probe, QStringLiteral("generate")));
        const pid_t program = pid_t(probe.process.processId());
        // The run's office hangs while it saves the report.
        QElapsedTimer waited;
        waited.start();
        while (!probe.process.canReadLine() && waited.elapsed() < 60000)
            probe.process.waitForReadyRead(1000);
        QCOMPARE(probe.process.readLine().trimmed(), QByteArray("hung"));
        const QList<pid_t> offices = testing::officeProcessesOf(program);
        QVERIFY(!offices.isEmpty());
        QTest::qWait(1000);

        const qint64 took = stop(probe, {SIGTERM});
        QVERIFY2(took < 5000, qPrintable(QString::number(took)));
        QCOMPARE(probe.process.exitCode(), 0);
        QVERIFY(
            QString::fromLocal8Bit(probe.process.readAll()).contains(QStringLiteral("shown 0")));
        QVERIFY(!QFileInfo::exists(probe.folder));
        QTRY_VERIFY(!testing::anyStillRuns(offices));
    }

    // A main thread that makes no way is not waited for past five seconds, nor at
    // all once the user asks a second time.
    void aStuckProgramEndsAnyway_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QList<int>>("signals_");
        QTest::addColumn<int>("atLeast");
        QTest::addColumn<int>("atMost");
        QTest::newRow("asked once") << "stuck" << QList<int>{SIGTERM} << 4500 << 8000;
        QTest::newRow("asked twice") << "stuck" << QList<int>{SIGTERM, SIGTERM} << 0 << 2000;
        // What the main thread holds cannot hold up the end: here stdio's lock.
        QTest::newRow("stuck writing, asked once")
            << "stuck-writing" << QList<int>{SIGTERM} << 4500 << 8000;
        QTest::newRow("stuck writing, asked twice")
            << "stuck-writing" << QList<int>{SIGTERM, SIGTERM} << 0 << 2000;
    }

    void aStuckProgramEndsAnyway()
    {
        QFETCH(QString, scenario);
        QFETCH(QList<int>, signals_);
        QFETCH(int, atLeast);
        QFETCH(int, atMost);
        Probe probe;
        QVERIFY(start(probe, scenario));
        const QList<pid_t> offices = testing::officeProcessesOf(pid_t(probe.process.processId()));
        const qint64 took = stop(probe, signals_);
        QVERIFY2(took >= atLeast && took <= atMost, qPrintable(QString::number(took)));
        QCOMPARE(probe.process.exitCode(), 128 + SIGTERM);
        QVERIFY(!QFileInfo::exists(probe.folder));
        QTRY_VERIFY(!testing::anyStillRuns(offices));
    }

    // Killed outright, the program cannot end its offices: they end with it all
    // the same, within seconds, and its working folder goes at the next start.
    void killingTheProgramTakesItsOfficesWithIt()
    {
        Probe probe;
        QVERIFY(start(probe, QStringLiteral("idle")));
        const pid_t program = pid_t(probe.process.processId());
        QTRY_VERIFY(!testing::officeProcessesOf(program).isEmpty());
        const QList<pid_t> offices = testing::officeProcessesOf(program);
        ::kill(program, SIGKILL);
        QVERIFY(probe.process.waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(!testing::anyStillRuns(offices), 5000);

        QVERIFY(QFileInfo::exists(probe.folder));
        const testing::EnvironmentVariable temp("TEMP", QFile::encodeName(m_home.path()));
        WorkFolder::removeLeftovers();
        QVERIFY(!QFileInfo::exists(probe.folder));
    }
};

QTEST_MAIN(TestStop)
#include "tst_stop.moc"
