// However the program ends (closed, stopped, killed and started again, the X
// server gone, no display at all, a stop while it starts), nothing of ours stays:
// no office, no socket in the shared temporary folders, no working folder, no note.

#include "support/OfficeProcesses.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {

QStringList contentsOf(const QString& folder, const QStringList& names = {})
{
    return QDir(folder).entryList(names, QDir::AllEntries | QDir::Hidden | QDir::System |
                                             QDir::NoDotAndDotDot);
}

} // namespace

class TestEndings : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    // The sockets the program's offices were given, gathered while it runs.
    QStringList m_sockets;

    void gather(const QProcess& probe, const QString& temp)
    {
        for (const QString& socket :
             statusmill::testing::officeSocketsOf(pid_t(probe.processId()), temp))
            if (!m_sockets.contains(socket))
                m_sockets << socket;
    }

    // Lets the program run on for `milliseconds`, or until it ends.
    void runFor(QProcess& probe, const QString& temp, int milliseconds)
    {
        for (QElapsedTimer waited; !waited.isValid() || waited.elapsed() < milliseconds;) {
            if (!waited.isValid())
                waited.start();
            gather(probe, temp);
            if (probe.waitForFinished(20))
                return;
        }
    }

    QString folder(const QString& name) const
    {
        const QString path = m_home->filePath(name);
        QDir().mkpath(path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner);
        return path;
    }

    // Starts the program with TEMP at `temp`; with `ready`, waits until its window is up.
    bool start(QProcess& probe, const QStringList& arguments, const QString& temp, bool ready,
               const QMap<QString, QString>& more = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), folder(QStringLiteral("cache")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder(QStringLiteral("runtime")));
        environment.insert(QStringLiteral("TEMP"), temp);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (auto it = more.begin(); it != more.end(); ++it)
            environment.insert(it.key(), it.value());
        probe.setProcessEnvironment(environment);
        probe.start(QCoreApplication::applicationDirPath() + QStringLiteral("/program_probe"),
                    arguments);
        if (!probe.waitForStarted(10000))
            return false;
        for (QElapsedTimer waited; ready;) {
            if (!waited.isValid())
                waited.start();
            if (waited.elapsed() > 60000 || probe.state() != QProcess::Running)
                return false;
            gather(probe, temp);
            probe.waitForReadyRead(50);
            while (probe.canReadLine())
                if (probe.readLine().trimmed() == "ready")
                    return true;
        }
        return true;
    }

    // An X server of the test's own, which it can take away.
    bool startXServer(QProcess& server, QString& display)
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            return false;
        server.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-nolisten", "tcp"});
        if (!server.waitForReadyRead(10000))
            return false;
        display = QLatin1Char(':') + QString::fromLatin1(server.readLine().trimmed());
        return true;
    }

    // Never 0, which would signal the whole process group, the test among it.
    static bool sendSignal(const QProcess& probe, int signal)
    {
        const pid_t pid = pid_t(probe.processId());
        return pid > 0 && ::kill(pid, signal) == 0;
    }

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_sockets.clear();
    }

    void nothingOfOursOutlivesTheProgram_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("exitCode"); // -1: any
        QTest::newRow("closed") << "closed" << 0;
        QTest::newRow("SIGTERM") << "SIGTERM" << 0;
        QTest::newRow("SIGHUP") << "SIGHUP" << 0;
        QTest::newRow("SIGKILL, then a start with another TEMP") << "SIGKILL" << -1;
        QTest::newRow("SIGTERM at once") << "early SIGTERM" << -1;
        QTest::newRow("SIGTERM during the engine check") << "check SIGTERM" << 0;
        QTest::newRow("no display") << "no display" << 1;
        QTest::newRow("the X server goes away") << "X server gone" << 1;
    }

    void nothingOfOursOutlivesTheProgram()
    {
        QFETCH(QString, ending);
        QFETCH(int, exitCode);
        const QString temp = folder(QStringLiteral("temp"));
        QProcess probe;
        QProcess xServer;
        if (ending == QLatin1String("closed")) {
            QVERIFY(start(probe, {"close"}, temp, false));
        } else if (ending.startsWith(QLatin1String("SIG"))) {
            QVERIFY(start(probe, {"idle"}, temp, true));
            runFor(probe, temp, 1500); // the backup office is up too
            const int signal = ending == QLatin1String("SIGTERM")  ? SIGTERM
                               : ending == QLatin1String("SIGHUP") ? SIGHUP
                                                                   : SIGKILL;
            QVERIFY(sendSignal(probe, signal));
        } else if (ending == QLatin1String("early SIGTERM")) {
            // Once the program runs, before its office is up or its window shows.
            QVERIFY(start(probe, {"idle"}, temp, false));
            runFor(probe, temp, 40);
            QVERIFY(sendSignal(probe, SIGTERM));
        } else if (ending == QLatin1String("check SIGTERM")) {
            const QString standIn = folder(QStringLiteral("office"));
            QFile office(standIn + QStringLiteral("/soffice.bin"));
            QVERIFY(office.open(QIODevice::WriteOnly));
            office.write("#!/bin/sh\nexec /bin/sleep 600\n");
            office.close();
            office.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            QVERIFY(start(probe, {"hung-check", standIn}, temp, false));
            runFor(probe, temp, 1500);
            QVERIFY(sendSignal(probe, SIGTERM));
        } else if (ending == QLatin1String("no display")) {
            QVERIFY(start(probe, {"idle"}, temp, false,
                          {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1999"}}));
        } else {
            QString display;
            if (!startXServer(xServer, display))
                QSKIP("Xvfb is needed to take an X server away");
            QVERIFY(start(probe, {"idle"}, temp, true,
                          {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", display}}));
            runFor(probe, temp, 1500);
            xServer.kill();
        }
        runFor(probe, temp, 30000);
        QVERIFY(probe.state() == QProcess::NotRunning);
        if (exitCode >= 0) {
            QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
            QCOMPARE(probe.exitCode(), exitCode);
        }
        const QString said = QString::fromLocal8Bit(probe.readAllStandardError());
        // A stop is no failure, and a missing display is one line, not Qt's several.
        QVERIFY2(!said.contains(QStringLiteral("could not be started")), qPrintable(said));
        if (ending == QLatin1String("no display"))
            QCOMPARE(said.trimmed().count(QLatin1Char('\n')), 0);

        // Offices die with the program, even when it cannot end them itself.
        QTRY_VERIFY_WITH_TIMEOUT(statusmill::testing::officesWorkingIn(temp).isEmpty(), 10000);
        if (ending == QLatin1String("SIGKILL")) {
            QVERIFY(!contentsOf(temp).isEmpty());
            QProcess next;
            QVERIFY(start(next, {"close"}, folder(QStringLiteral("other-temp")), false));
            runFor(next, folder(QStringLiteral("other-temp")), 60000);
            QVERIFY(next.state() == QProcess::NotRunning);
            QCOMPARE(next.exitCode(), 0);
            QCOMPARE(contentsOf(m_home->filePath(QStringLiteral("other-temp"))), QStringList());
        }
        QCOMPARE(contentsOf(temp), QStringList());
        QCOMPARE(contentsOf(m_home->filePath(QStringLiteral("runtime")), {"statusmill-*"}),
                 QStringList());
        // Its sockets were named before the offices bound them: an office that was
        // up binds two.
        QVERIFY2(ending.contains(QLatin1String("early")) || ending.contains(QLatin1String("check")) ||
                     ending.contains(QLatin1String("display")) || m_sockets.size() >= 2,
                 qPrintable(m_sockets.join(QLatin1Char(' '))));
        QCOMPARE(statusmill::testing::stillThere(m_sockets), QStringList());
    }
};

QTEST_MAIN(TestEndings)
#include "tst_endings.moc"
