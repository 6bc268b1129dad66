// --version and --help answer on the terminal and end, touching nothing: no
// display (there is none here), no settings, no working folder, no office.

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void answersWithoutTouchingAnything_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expected");
        QTest::newRow("--version")
            << "--version" << QStringLiteral("statusmill " STATUSMILL_VERSION "\n");
        QTest::newRow("--help") << "--help" << QStringLiteral("Usage: statusmill");
    }

    void answersWithoutTouchingAnything()
    {
        QFETCH(QString, option);
        QFETCH(QString, expected);
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        for (const char* variable :
             {"TEMP", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
            environment.insert(QLatin1String(variable), home.path());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(STATUSMILL_PROGRAM), {option});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        const QString said = QString::fromLocal8Bit(program.readAllStandardOutput());
        QVERIFY2(said.startsWith(expected), qPrintable(said));
        QCOMPARE(program.readAllStandardError(), QByteArray());
        QCOMPARE(
            QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
