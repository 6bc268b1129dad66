// Reports without the window, the program run as a user runs it from a terminal,
// a script or a timer: with no display at all. One report in every format, a whole
// table with the cells that trip up readers, shards, an office killed and a stop
// in the middle of a batch, templates of the user's, and the template check.

#include "support/OfficeProcesses.h"
#include "support/SampleDocuments.h"
#include "support/TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

namespace {

using statusmill::testing::commandOutput;

// The text of a report as an independent reader of its format has it.
QString readBack(const QString& file)
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("doc"))
        return commandOutput(QStringLiteral("catdoc"), {file});
    if (suffix == QLatin1String("odt"))
        return commandOutput(QStringLiteral("odt2txt"), {file});
    return commandOutput(suffix == QLatin1String("pdf") ? QStringLiteral("pdftotext")
                                                 : QStringLiteral("docx2txt"),
                  {file, QStringLiteral("-")});
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    QString m_paper = QStringLiteral("letter");

    QString path(const QString& name) const { return m_home->filePath(name); }

    // The program in surroundings of its own, without a display.
    void prepare(QProcess& program, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        for (const char* variable : {"TEMP", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"}) {
            QDir().mkpath(path(QLatin1String(variable)));
            environment.insert(QLatin1String(variable), path(QLatin1String(variable)));
        }
        environment.insert(QStringLiteral("PAPERSIZE"), m_paper);
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(m_home->path());
        program.setProgram(QStringLiteral(STATUSMILL_PROGRAM));
        program.setArguments(arguments);
    }

    // Runs it to its end; its exit status, and what it said on standard error.
    int run(const QStringList& arguments, QString* said = nullptr)
    {
        QProcess program;
        prepare(program, arguments);
        program.start();
        if (!program.waitForFinished(120000))
            return -1;
        if (said)
            *said = QString::fromUtf8(program.readAllStandardError());
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

    QStringList reports(const QString& folder) const
    {
        return QDir(path(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // A table of `rows` projects, a report each.
    QString table(int rows)
    {
        QByteArray text = "Project Name,Department\n";
        for (int row = 1; row <= rows; ++row)
            text += "Project " + QByteArray::number(row) + ",Works\n";
        statusmill::testing::writeFile(path(QStringLiteral("rows.csv")), text);
        return path(QStringLiteral("rows.csv"));
    }

    // Nothing of the run is left: no working folder and no office.
    void nothingLeft()
    {
        QTRY_VERIFY_WITH_TIMEOUT(statusmill::testing::officesWorkingIn(path("TEMP")).isEmpty(), 10000);
        QCOMPARE(QDir(path("TEMP")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_paper = QStringLiteral("letter");
    }
    void cleanup() { nothingLeft(); }

    void oneReportInEveryFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Word 97") << "report.doc";
        QTest::newRow("Word 2007") << "report.docx";
        QTest::newRow("OpenDocument") << "report.odt";
        QTest::newRow("PDF, its extension in capitals") << "report.PDF";
    }

    void oneReportInEveryFormat()
    {
        QFETCH(QString, name);
        QString said;
        QCOMPARE(run({"--output", name, "--project", "Harbour Bridge", "--department", "Works",
                      "--product", "Deck & $1", "--set", "Name=Alice Example"},
                     &said),
                 0);
        QCOMPARE(said, QString());
        const QString text = readBack(path(name)).simplified();
        for (const char* value : {"Harbour Bridge", "Works", "Deck & $1", "Alice Example"})
            QVERIFY2(text.contains(QLatin1String(value)), qPrintable(text));
        // Not given: empty, and no placeholder left of the four or of --set's.
        for (const char* placeholder : {"[FocusArea]", "[Name]"})
            QVERIFY2(!text.contains(QLatin1String(placeholder)), qPrintable(text));
    }

    // A file there already is replaced only when asked; a named pipe never.
    void oneReportRefusesToWriteOver()
    {
        QVERIFY(statusmill::testing::writeFile(path("there.pdf"), QByteArray("the user's")));
        QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.pdf")).constData(), 0600), 0);
        QString said;
        QCOMPARE(run({"--output", "there.pdf"}, &said), 1);
        QVERIFY2(said.contains(QLatin1String("--overwrite")), qPrintable(said));
        QCOMPARE(statusmill::testing::readFile(path("there.pdf")), QByteArray("the user's"));
        QCOMPARE(run({"--output", "pipe.pdf", "--overwrite"}, &said), 1);
        QVERIFY2(said.contains(QLatin1String("named pipe")), qPrintable(said));
        QCOMPARE(run({"--output", "there.pdf", "--overwrite", "--project", "Replaced"}), 0);
        QVERIFY(readBack(path("there.pdf")).contains(QLatin1String("Replaced")));
    }

    // Quoted cells, a line break in a cell, a byte-order mark, a column of the
    // template's own ([Name]), a short row and two rows of one name: the good rows
    // are made, the others are each a line naming their line.
    void aTableWithEverythingInIt()
    {
        QVERIFY(statusmill::testing::writeFile(
            path("projects.csv"),
            QByteArray("\xEF\xBB\xBF"
            "Project Name,department,Name\r\n"
            "\"Harbour, Bridge\",\"Works \"\"North\"\"\",Alice\r\n"
            "\"Two\r\nLines\",Civil,Bob\r\n"
            "Short\r\n"
            "Tunnel,Roads,Carol\r\n"
            "Tunnel,Rail,Dave\r\n")));
        QString said;
        QCOMPARE(run({"--batch", "projects.csv", "--output-dir", "out", "--name", "{ProjectName}",
                      "--jobs", "2"},
                     &said),
                 1);
        QCOMPARE(reports("out"), QStringList({"Harbour, Bridge.pdf", "Tunnel.pdf", "Two__Lines.pdf"}));
        const QStringList lines = said.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines.filter(QRegularExpression("^statusmill: line 5: the row has 1 cells")).size() == 1,
                 qPrintable(said));
        QVERIFY2(lines.filter(QRegularExpression("^statusmill: line 7: Tunnel.pdf: the row on line 6")).size() == 1,
                 qPrintable(said));
        const QString first = readBack(path("out/Harbour, Bridge.pdf")).simplified();
        QVERIFY2(first.contains(QLatin1String("Works \"North\"")) && first.contains(QLatin1String("Alice")),
                 qPrintable(first));
        QVERIFY(readBack(path("out/Two__Lines.pdf")).contains(QLatin1String("Lines")));
        QVERIFY(readBack(path("out/Tunnel.pdf")).contains(QLatin1String("Carol")));
    }

    // A spreadsheet's first sheet, numbers as the sheet shows them.
    void aSpreadsheetTable()
    {
        QVERIFY(statusmill::testing::writeFile(
            path("projects.ods"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
            "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.3\" "
            "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:body>"
            "<office:spreadsheet><table:table table:name=\"Projects\"><table:table-row>"
            "<table:table-cell office:value-type=\"string\"><text:p>Project Name</text:p></table:table-cell>"
            "<table:table-cell office:value-type=\"string\"><text:p>Budget</text:p></table:table-cell>"
            "</table:table-row><table:table-row>"
            "<table:table-cell office:value-type=\"string\"><text:p>Harbour</text:p></table:table-cell>"
            "<table:table-cell office:value-type=\"float\" office:value=\"1200\"><text:p>1200</text:p>"
            "</table:table-cell></table:table-row></table:table></office:spreadsheet></office:body>"
            "</office:document>\n"));
        QString said;
        QCOMPARE(run({"--batch", "projects.ods", "--output-dir", "out", "--name", "{ProjectName}-{Budget}"},
                     &said),
                 0);
        QCOMPARE(reports("out"), QStringList{"Harbour-1200.pdf"});
        // The built-in template has no [Budget]: said once.
        QCOMPARE(said.trimmed(), QStringLiteral("statusmill: warning: the template holds no [Budget], "
                                                "so its column fills nothing"));
    }

    void shardsMakeEveryRowOnce()
    {
        const QString rows = table(5);
        QCOMPARE(run({"--batch", rows, "--output-dir", "out", "--shard", "0/2"}), 0);
        const QStringList first = reports("out");
        QCOMPARE(run({"--batch", rows, "--output-dir", "out", "--shard", "1/2"}), 0);
        QCOMPARE(reports("out"), QStringList({"001-Project 1.pdf", "002-Project 2.pdf",
                                              "003-Project 3.pdf", "004-Project 4.pdf",
                                              "005-Project 5.pdf"}));
        QCOMPARE(first, QStringList({"002-Project 2.pdf", "004-Project 4.pdf"}));
    }

    // An office killed in the middle costs its row one more try; the batch goes on.
    // A stop in the middle leaves only whole reports and says how many.
    void anOfficeKilledOrAStopMidBatch_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("an office killed") << false;
        QTest::newRow("SIGTERM") << true;
    }

    void anOfficeKilledOrAStopMidBatch()
    {
        QFETCH(bool, stop);
        const int rows = stop ? 40 : 6;
        QProcess program;
        prepare(program, {"--batch", table(rows), "--output-dir", "out", "--jobs", "1"});
        program.start();
        QTRY_VERIFY_WITH_TIMEOUT(reports("out").size() >= 2, 60000);
        if (stop) {
            ::kill(pid_t(program.processId()), SIGTERM);
        } else {
            const auto offices = statusmill::testing::officesWorkingIn(path("TEMP"));
            QVERIFY(!offices.isEmpty());
            for (pid_t office : offices)
                ::kill(office, SIGKILL);
        }
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), stop ? 1 : 0);
        const QStringList made = reports("out");
        for (const QString& report : made) {
            QVERIFY2(report.endsWith(QLatin1String(".pdf")), qPrintable(report));
            QVERIFY2(commandOutput(QStringLiteral("pdfinfo"), {path("out/" + report)}).contains("Pages:"),
                     qPrintable(report));
        }
        const QString said = QString::fromUtf8(program.readAllStandardError()).trimmed();
        if (stop) {
            QVERIFY(made.size() < rows);
            QCOMPARE(said.section(QLatin1Char('\n'), -1),
                     QStringLiteral("statusmill: stopped: %1 of %2 reports made").arg(made.size()).arg(rows));
        } else {
            QCOMPARE(made.size(), rows);
            QCOMPARE(said, QString());
        }
    }

    // Any document the office opens as text serves as the template, and stays as it was.
    void aTemplateOfTheUsers_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("Word 2007") << "docx";
        QTest::newRow("OpenDocument") << "odt";
    }

    void aTemplateOfTheUsers()
    {
        QFETCH(QString, format);
        QVERIFY(statusmill::testing::writeFile(
            path("mine.fodt"), statusmill::testing::flatDocument(
                                   {}, QStringLiteral("<style:header><text:p>Budget of [ProjectName]"
                                                      "</text:p></style:header>"),
                                   statusmill::testing::paragraphs({"Cost: [Budget]"}))));
        QProcess convert;
        convert.setWorkingDirectory(m_home->path());
        convert.start(QStringLiteral("soffice"),
                      {QStringLiteral("-env:UserInstallation=file://") + path("convert-profile"),
                       "--headless", "--convert-to", format, "mine.fodt"});
        QVERIFY(convert.waitForFinished(120000));
        const QString mine = QStringLiteral("mine.") + format;
        const QByteArray before = statusmill::testing::readFile(path(mine));
        QVERIFY(!before.isEmpty());
        QCOMPARE(run({"--template", mine, "--output", "out.pdf", "--project", "Harbour", "--set",
                      "Budget=12 000"}),
                 0);
        const QString text = readBack(path("out.pdf"));
        QVERIFY2(text.contains(QLatin1String("Budget of Harbour")) &&
                     text.contains(QLatin1String("Cost: 12 000")),
                 qPrintable(text));
        QCOMPARE(statusmill::testing::readFile(path(mine)), before);
    }

    // The built-in report comes on the user's paper and stays two pages; a template
    // of the user's keeps its own.
    void theReportOnTheUsersPaper_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<bool>("usersTemplate");
        QTest::addColumn<QSizeF>("points");
        QTest::newRow("A4") << "a4" << false << QSizeF(595.3, 841.9);
        QTest::newRow("Letter") << "letter" << false << QSizeF(612, 792);
        QTest::newRow("A5, too small for it: Letter") << "a5" << false << QSizeF(612, 792);
        QTest::newRow("A4, a template of the user's on Letter") << "a4" << true << QSizeF(612, 792);
    }
    void theReportOnTheUsersPaper()
    {
        QFETCH(QString, paper);
        QFETCH(bool, usersTemplate);
        QFETCH(QSizeF, points);
        m_paper = paper;
        QStringList arguments{"--output", "out.pdf", "--project", "Harbour"};
        if (usersTemplate) {
            QVERIFY(statusmill::testing::writeFile(
                path("mine.fodt"),
                statusmill::testing::flatDocument({}, {}, statusmill::testing::paragraphs({"[ProjectName]"}))));
            arguments << "--template" << "mine.fodt";
        }
        QCOMPARE(run(arguments), 0);
        const QString info = statusmill::testing::commandOutput("pdfinfo", {path("out.pdf")});
        const auto size = QRegularExpression(QStringLiteral("Page size: +([0-9.]+) x ([0-9.]+) pts"))
                              .match(info);
        QVERIFY2(size.hasMatch(), qPrintable(info));
        QVERIFY2(qAbs(size.captured(1).toDouble() - points.width()) < 0.5 &&
                     qAbs(size.captured(2).toDouble() - points.height()) < 0.5,
                 qPrintable(info));
        if (!usersTemplate)
            QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages: +2\\n"))), qPrintable(info));
    }

    // Where each placeholder is, which the window fills, and what looks wrong.
    void theTemplateCheck()
    {
        QProcess program;
        prepare(program, {"--list-placeholders", QStringLiteral(STATUSMILL_FIXTURES_DIR "/coverage.fodt")});
        program.start();
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        const QString listed = QString::fromUtf8(program.readAllStandardOutput());
        QVERIFY2(listed.contains(QRegularExpression(
                     "\\[ProjectName\\] +5  main text 3, headers and footers 1, shapes and frames 1  "
                     "\\(filled by the window\\)")),
                 qPrintable(listed));
        QVERIFY2(listed.contains(QLatin1String("[ProjectName] (main text) changes formatting inside")),
                 qPrintable(listed));
        QString said;
        QCOMPARE(run({"--list-placeholders", "missing.dot"}, &said), 1);
        QVERIFY2(said.contains(QLatin1String("missing.dot")), qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
