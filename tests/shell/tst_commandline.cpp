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

    // An answer that could not be written is no answer: a script must not take an
    // empty version for one.
    void anAnswerThatCannotBeWrittenFails()
    {
        QProcess program;
        program.setStandardOutputFile(QStringLiteral("/dev/full"));
        program.start(QStringLiteral(STATUSMILL_PROGRAM), {QStringLiteral("--version")});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 1);
        const QByteArray said = program.readAllStandardError();
        QCOMPARE(said.count('\n'), 1);
        QVERIFY2(said.contains("No space left on device"), said.constData());
    }

    // A warning written after the reader of standard error went away ends nothing:
    // the program runs on until it is stopped, and then leaves nothing behind.
    void aClosedStandardErrorEndsNothing()
    {
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const char* variable : {"TEMP", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
            environment.insert(QLatin1String(variable), home.path());
        QProcess shell;
        shell.setProcessEnvironment(environment);
        // "-style=x" makes Qt warn at once; `true` has read nothing and gone by then.
        shell.start(QStringLiteral("bash"),
                    {QStringLiteral("-c"),
                     QStringLiteral("timeout -s TERM 4 \"$0\" -style=x 2>&1 | true; "
                                    "echo ${PIPESTATUS[0]}"),
                     QStringLiteral(STATUSMILL_PROGRAM)});
        QVERIFY(shell.waitForFinished(30000));
        // 124: still running when the time was up, and stopped then.
        QCOMPARE(shell.readAllStandardOutput().trimmed(), QByteArray("124"));
        QCOMPARE(QDir(home.path()).entryList({QStringLiteral("statusmill-*")},
                                             QDir::AllEntries | QDir::Hidden),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
