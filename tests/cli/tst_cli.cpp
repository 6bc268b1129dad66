// Reports without the window, the program run as a user runs it from a terminal,
// a script or a timer: with no display at all. One report in every format, a whole
// table with the cells that trip up readers, shards, an office killed and a stop
// in the middle of a batch, templates of the user's, and the template check.

#include "ProgramRuns.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QtTest>

#include <cmath>
#include <csignal>
#include <functional>
#include <sys/stat.h>

namespace {

using statusmill::testing::commandOutput;
using statusmill::testing::readBack;

// For each list of the built-in template, a field whose every value stands on one
// line of the report, so that every reader gives it whole.
const std::pair<const char*, const char*> kListShown[] = {
    {"Achievements", "Text"}, {"Decisions", "Text"}, {"Milestones", "Milestone"},
    {"Budget", "Item"},       {"Risks", "ID"},       {"NextSteps", "Action"}};

// A name of the built-in template left in brackets: "[ReportPeriod]", "[Risks.ID]".
const QRegularExpression kNameLeft(QStringLiteral(R"(\[[A-Za-z]+(\.[A-Za-z#]+)?\])"));

// The bracketed names of a template of the example, each as often as its parts'
// XML holds it (headers and footers too), in order.
QStringList namesOfTemplate(const QString& file)
{
    const QStringList parts = file.endsWith(".ott") ? QStringList{"content.xml", "styles.xml"}
                                                    : QStringList{"word/*.xml"};
    QString text = commandOutput(QStringLiteral("unzip"), QStringList{"-p", file} + parts);
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    QStringList names;
    for (const QRegularExpressionMatch& name : kNameLeft.globalMatch(text))
        names << name.captured();
    names.sort();
    return names;
}

// Every page size a template's pages take, in millimetres: the page layouts of an
// OpenDocument file, the sections of a Word one (in twips).
QList<QSizeF> pagesOf(const QString& file)
{
    const bool odf = file.endsWith(".ott");
    static const QRegularExpression odfPage(
        R"re(fo:page-width="([\d.]+)in" fo:page-height="([\d.]+)in")re");
    static const QRegularExpression wordPage(R"re(<w:pgSz w:w="(\d+)" w:h="(\d+)")re");
    const double per = odf ? 25.4 : 25.4 / 1440;
    QList<QSizeF> pages;
    const QString xml =
        commandOutput("unzip", {"-p", file, odf ? "styles.xml" : "word/document.xml"});
    for (const QRegularExpressionMatch& size : (odf ? odfPage : wordPage).globalMatch(xml))
        pages << QSizeF(size.captured(1).toDouble() * per, size.captured(2).toDouble() * per);
    return pages;
}

} // namespace

class TestCli : public QObject, public statusmill::testing::ProgramRuns
{
    Q_OBJECT

private slots:
    void init() { freshHome(); }
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
            "-Tunnel,Rail,Dave\r\n")));
        QString said;
        QCOMPARE(run({"--batch", "projects.csv", "--output-dir", "out", "--name", "{ProjectName}",
                      "--jobs", "2"},
                     &said),
                 1);
        QCOMPARE(reports("out"), QStringList({"Harbour, Bridge.pdf", "Tunnel.pdf", "Two__Lines.pdf"}));
        // Besides the warnings of what the table does not give.
        const QStringList lines = said.split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                                      .filter(QRegularExpression("^statusmill: (?!warning: )"));
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
        // The built-in template has no [Budget]: said once, among warnings only.
        const QStringList lines = said.trimmed().split(QLatin1Char('\n'));
        QCOMPARE(lines.filter("[Budget]"), QStringList{"statusmill: warning: the template holds no [Budget], "
                                                       "so its column fills nothing"});
        QCOMPARE(lines.filter(QRegularExpression("^statusmill: warning: ")), lines);
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
        QCOMPARE(program.exitCode(), stop ? 128 + SIGTERM : 0);
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
            // Nothing but the warnings of what the table does not give.
            QCOMPARE(said.split('\n', Qt::SkipEmptyParts).filter(QRegularExpression("^statusmill: (?!warning: )")),
                     QStringList());
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
        const QString mine = convert("mine.fodt", format);
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

    // A report holds what was given, no more and no less; what cannot be read as
    // given (a template of no document, a table that is not UTF-8) makes none.
    void reportHoldsExactlyTheValuesGiven_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("table"); // written to table.csv
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::addColumn<int>("count"); // reports made: out.pdf, or those in the folder out
        QTest::addColumn<int>("status");
        const QStringList oneReport{"--output", "out.pdf"};
        const QStringList batch{"--batch", "table.csv", "--output-dir", "out"};
        QTest::newRow("--set of two of the four")
            << oneReport + QStringList{"--set", "projectname=Harbour Bridge", "--set", "DEPARTMENT=Works"}
            << QByteArray() << QStringList{"Harbour Bridge", "Works"}
            << QStringList{"[ProjectName]", "[Department]"} << 1 << 0;
        QTest::newRow("--set of one of the four and its option too")
            << oneReport + QStringList{"--project", "A", "--set", "ProjectName=B"} << QByteArray()
            << QStringList{} << QStringList{} << 0 << 2;
        QTest::newRow("a template of random bytes")
            << oneReport + QStringList{"--template", "random.docx", "--project", "Harbour"} << QByteArray()
            << QStringList{} << QStringList{} << 0 << 1;
        QTest::newRow("an empty template") << oneReport + QStringList{"--template", "empty.docx"} << QByteArray()
                                           << QStringList{} << QStringList{} << 0 << 1;
        QTest::newRow("an empty template for a table")
            << batch + QStringList{"--template", "empty.docx"} << QByteArray("Project Name\nHarbour\n")
            << QStringList{} << QStringList{} << 0 << 2;
        QTest::newRow("a table in Latin-1")
            << batch << QByteArray("Project Name,Department\nHarbour,Works\nD\xe9p\xf4t,Works\n")
            << QStringList{} << QStringList{} << 0 << 2;
        QTest::newRow("a NUL byte in a table") << batch << QByteArray("Project Name\nHar\0bour\n", 23)
                                               << QStringList{} << QStringList{} << 0 << 2;
        QTest::newRow("a line of empty cells")
            << batch << QByteArray("Project Name,Department\nHarbour,Works\n,\n") << QStringList{"Harbour", "Works"}
            << QStringList{"[ProjectName]"} << 1 << 0;
        QTest::newRow("a value holding another field's placeholder")
            << oneReport + QStringList{"--project", "[Department]", "--department", "Roads"} << QByteArray()
            << QStringList{"[Department]", "Roads"} << QStringList{"Project Name: Roads"} << 1 << 0;
        QTest::newRow("a bracketed word in a value, the fields not given filled after it")
            << batch << QByteArray("Project Name,Name\nHarbour,Ask [product] team\n")
            << QStringList{"Harbour", "Ask [product] team"} << QStringList{"Ask team"} << 1 << 0;
        QTest::newRow("a header only") << batch << QByteArray("Project Name,Department\n") << QStringList{}
                                       << QStringList{} << 0 << 1;
    }

    void reportHoldsExactlyTheValuesGiven()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, table);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        QFETCH(int, count);
        QFETCH(int, status);
        QByteArray random(20000, Qt::Uninitialized);
        QRandomGenerator(32).fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
        QVERIFY(statusmill::testing::writeFile(path("random.docx"), random));
        QVERIFY(statusmill::testing::writeFile(path("empty.docx"), QByteArray()));
        if (!table.isNull())
            QVERIFY(statusmill::testing::writeFile(path("table.csv"), table));
        QString said;
        QCOMPARE(run(arguments, &said), status);
        const QStringList made = arguments.contains("--output") ? QDir(m_home->path()).entryList({"out.pdf"})
                                                                : reports("out");
        QVERIFY2(made.size() == count, qPrintable(made.join(", ") + '\n' + said));
        QString text;
        for (const QString& report : made)
            text += readBack(path((arguments.contains("--output") ? "" : "out/") + report)).simplified();
        for (const QString& value : present)
            QVERIFY2(text.contains(value), qPrintable(text));
        for (const QString& value : absent)
            QVERIFY2(!text.contains(value), qPrintable(text));
    }

    // A folder that takes no report is found out before any office starts, the
    // system's reason said; a template that is missing makes no folder.
    void aFolderThatTakesNoReportIsRefusedFirst_data()
    {
        QTest::addColumn<QString>("folder"); // how "out" is kept from taking files
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        const QStringList batch{"--batch", "rows.csv", "--output-dir", "out"};
        QTest::newRow("not the user's to write") << "others'" << batch << 2 << "Permission denied";
        QTest::newRow("immutable") << "immutable" << batch << 2 << "Operation not permitted";
        QTest::newRow("a read-only mount") << "read-only" << batch << 2 << "Read-only file system";
        QTest::newRow("a template that is missing")
            << "" << QStringList{"--batch", "rows.csv", "--output-dir", "out/new", "--template", "missing.dot"} << 2
            << "missing.dot";
    }

    void aFolderThatTakesNoReportIsRefusedFirst()
    {
        QFETCH(QString, folder);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        table(3);
        QVERIFY(QDir().mkpath(path("out")));
        std::function<void()> undo = [] {};
        if (folder == QLatin1String("others'")) {
            runAsNobody();
        } else if (folder == QLatin1String("immutable")) {
            if (QProcess::execute("chattr", {"+i", path("out")}) != 0)
                QSKIP("this file system makes no folder immutable");
            undo = [this] { QProcess::execute("chattr", {"-i", path("out")}); };
        } else if (folder == QLatin1String("read-only")) {
            if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "ro,size=1m", "statusmill-test", path("out")}) != 0)
                QSKIP("no file system can be mounted here");
            undo = [this] { QProcess::execute("umount", {path("out")}); };
        }
        const auto undoAtEnd = qScopeGuard([&] { undo(); });
        QString told;
        QCOMPARE(run(arguments, &told), status);
        QVERIFY2(told.contains(said), qPrintable(told));
        QCOMPARE(reports("out"), QStringList());
        QVERIFY(!QFileInfo::exists(path("out/new")));
    }

    // A stop says that it was one, and ends with 128 and its signal's number, as a
    // shell expects of a program a signal ended; a batch's last line says how many
    // reports were made, also when a second Ctrl+C ends it at once.
    void aStopSaysSoAndEndsWithItsSignal_data()
    {
        QTest::addColumn<bool>("batch");
        QTest::addColumn<QList<int>>("signals_");
        QTest::addColumn<int>("after"); // milliseconds; for a batch, after its second report
        QTest::newRow("one report, SIGTERM as it starts") << false << QList<int>{SIGTERM} << 150;
        QTest::newRow("one report, SIGINT as its office starts") << false << QList<int>{SIGINT} << 400;
        QTest::newRow("a batch, Ctrl+C twice") << true << QList<int>{SIGINT, SIGINT} << 0;
    }

    void aStopSaysSoAndEndsWithItsSignal()
    {
        QFETCH(bool, batch);
        QFETCH(QList<int>, signals_);
        QFETCH(int, after);
        QProcess program;
        prepare(program, batch ? QStringList{"--batch", table(40), "--output-dir", "out", "--jobs", "1"}
                               : QStringList{"--output", "out.pdf"});
        program.start();
        QVERIFY(program.waitForStarted(10000));
        if (batch)
            QTRY_VERIFY_WITH_TIMEOUT(reports("out").size() >= 2, 60000);
        QTest::qWait(after);
        for (int signal : signals_) {
            // Never pid 0, which would signal the test's own process group.
            if (const pid_t pid = pid_t(program.processId()); pid > 0)
                ::kill(pid, signal);
            QTest::qWait(20);
        }
        // It may have ended while the test waited.
        QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 128 + signals_.constFirst());
        const QString said = QString::fromUtf8(program.readAllStandardError()).trimmed();
        if (batch) {
            QCOMPARE(said.section(QLatin1Char('\n'), -1),
                     QStringLiteral("statusmill: stopped: %1 of 40 reports made").arg(reports("out").size()));
        } else {
            QVERIFY2(said.startsWith(QLatin1String("statusmill: stopped by SIG")) && !said.contains("unexpectedly"),
                     qPrintable(said));
            QVERIFY(!QFileInfo::exists(path("out.pdf")));
        }
    }

    // Where no thread can be started, the batch ends in order and says why: never
    // an abort.
    void aThreadLimitEndsTheBatchInOrder_data()
    {
        QTest::addColumn<int>("processes");
        QTest::newRow("no thread at all") << 1;
        QTest::newRow("one thread") << 2;
    }

    void aThreadLimitEndsTheBatchInOrder()
    {
        QFETCH(int, processes);
        // The limit holds for users other than root only.
        runAsNobody({QStringLiteral("--nproc=%1").arg(processes)});
        QString said;
        QCOMPARE(run({"--batch", table(3), "--output-dir", "out", "--jobs", "2"}, &said), 1);
        QVERIFY2(said.startsWith(QLatin1String("statusmill: ")) && !said.contains("terminate"), qPrintable(said));
    }

    // A row whose office was lost is tried again (see above); a row that fails of
    // itself, here for a template that is no text document, is not: that would
    // cost an office and fail again.
    void aRowThatFailsOfItselfIsNotTriedAgain()
    {
        // Every office start is counted on its way to the real one.
        const QString office =
            QFileInfo(QFileInfo(QStandardPaths::findExecutable("soffice")).canonicalFilePath()).absolutePath() +
            "/soffice.bin";
        QVERIFY(QFileInfo(office).isExecutable());
        const QByteArray counting = "#!/bin/sh\necho started >> " + QFile::encodeName(path("starts")) +
                                    "\nexec " + QFile::encodeName(office) + " \"$@\"\n";
        for (const char* name : {"bin/soffice", "bin/soffice.bin"}) {
            QVERIFY(statusmill::testing::writeFile(path(name), counting));
            QFile::setPermissions(path(name), QFileDevice::Permissions(0x7755));
        }
        m_pathFirst = path("bin");
        QVERIFY(statusmill::testing::writeFile(
            path("sheet.ods"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" office:version=\"1.3\" "
            "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\"><office:body>"
            "<office:spreadsheet><table:table table:name=\"S\"/></office:spreadsheet></office:body>"
            "</office:document>\n"));
        const int rows = 5;
        QString said;
        QCOMPARE(run({"--batch", table(rows), "--output-dir", "out", "--template", "sheet.ods", "--jobs", "1"},
                     &said),
                 1);
        QVERIFY2(said.count("is not a text document") == rows, qPrintable(said));
        // An office a row, and a few to make the profile they start from and to
        // look at the template: two a row would be a second try each.
        const int starts = int(statusmill::testing::readFile(path("starts")).count('\n'));
        QVERIFY2(starts >= rows && starts < 2 * rows, qPrintable(QString::number(starts)));
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

    // The template check shows each list with its fields, the row repeated for its
    // items and the row it shows when empty, and lists prompts of any punctuation
    // and length.
    void theTemplateCheckOfLists()
    {
        writeListTemplate();
        QProcess program;
        prepare(program, {"--list-placeholders", "lists.fodt"});
        program.start();
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        const QString listed = QString::fromUtf8(program.readAllStandardOutput());
        for (const QString& line : {QString::fromUtf8("  [One-sentence summary of the project’s health]"),
                                    QStringLiteral("  [Progress against the plan: any slippage, its cause and "
                                                   "recovery; has the end date moved?]"),
                                    QStringLiteral("Lists (each row repeated once per item):\n"
                                                   "  Milestones: #, Milestone, Owner\n"
                                                   "    table row in main text\n"
                                                   "    when empty: table row in main text\n")})
            QVERIFY2(listed.contains(line), qPrintable(listed));
        QVERIFY2(!listed.contains(QLatin1String("  [Milestones.")), qPrintable(listed));

        // A table's column of such a prompt fills it, and is not said to fill nothing;
        // a list's table reaches the reports: its Planned has no place in the
        // template, and it gives no Owner, whose cells are left empty; its none row
        // goes, and its marker is no field the data is asked for. What the table
        // does not give stays as the template has it.
        QVERIFY(statusmill::testing::writeFile(
            path("prompts.csv"), "Project Name,\"Progress against the plan: any slippage, its cause and recovery; "
                                 "has the end date moved?\"\nHarbour,On plan\n"));
        QVERIFY(statusmill::testing::writeFile(path("m.tsv"), "Milestone\tProject Name\tPlanned\nDig\tHarbour\tMay\n"));
        QString said;
        QCOMPARE(run({"--batch", "prompts.csv", "--list", "Milestones=m.tsv", "--output-dir", "out", "--template",
                      "lists.fodt"},
                     &said),
                 0);
        QCOMPARE(said, QString::fromUtf8("statusmill: warning: the template holds no [Milestones.Planned], so the "
                                         "items' Planned fills nothing\n"
                                         "statusmill: warning: the items of the list Milestones give no "
                                         "[Milestones.Owner], which the reports leave empty\n"
                                         "statusmill: warning: the data gives no text for [Budget], [Due] and "
                                         "[One-sentence summary of the project’s health], which the reports keep "
                                         "as the template has them\n"));
        const QString report = readBack(path("out/001-Harbour.pdf"));
        QVERIFY2(report.contains("Progress: On plan") && report.contains("Budget: [Budget] by [Due]") &&
                     report.contains("1. Dig") && !report.contains("[Milestones.Owner]") &&
                     !report.contains("No milestones"),
                 qPrintable(report));
    }

    // The built-in template takes the form the data wants: the one whose spots are
    // named for a data file, a JSON or workbook batch or a list, and the example's
    // files fill every name of it, read back by independent readers; the form of
    // prompts for a plain table, whose columns fill its prompts.
    void theBuiltInFormFollowsTheData_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("whole"); // every name filled, nothing said
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const QStringList batch{"--output-dir", "out"};
        QTest::newRow("--data project.json") << QStringList{"--output", "out.odt", "--data", "ex/project.json"} << 1
                                             << true << QStringList{} << QStringList{};
        QTest::newRow("a JSON batch") << QStringList{"--batch", "ex/project.json"} + batch << 1 << true
                                      << QStringList{} << QStringList{};
        QTest::newRow("a workbook batch, .ods")
            << QStringList{"--batch", "ex/tracker.ods", "--format", "docx"} + batch << 3 << true << QStringList{}
            << QStringList{};
        QTest::newRow("a workbook batch, .xlsx")
            << QStringList{"--batch", "ex/tracker.xlsx", "--format", "doc"} + batch << 3 << true << QStringList{}
            << QStringList{};
        QTest::newRow("the example's .ott")
            << QStringList{"--template", "ex/report-template.ott", "--output", "out.pdf", "--data", "ex/project.json"}
            << 1 << true << QStringList{} << QStringList{};
        QTest::newRow("the example's .dotx")
            << QStringList{"--template", "ex/report-template.dotx", "--output", "out.docx", "--data",
                           "ex/project.json"}
            << 1 << true << QStringList{} << QStringList{};
        QTest::newRow("a table and a --list") << QStringList{"--batch", "plain.csv", "--list", "Milestones=m.csv"} + batch
                                              << 1 << false << QStringList{"Dig the trench", "[ReportPeriod]"}
                                              << QStringList{"[Milestones.", "[Enter the report period]"};
        QTest::newRow("a table of prompts' columns")
            << QStringList{"--batch", "names.csv"} + batch << 1 << false
            << QStringList{"Prepared By: Alice Example", "[Enter the report period]"}
            << QStringList{"[Name]", "[ReportPeriod]", "[PreparedBy]"};
    }

    void theBuiltInFormFollowsTheData()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, count);
        QFETCH(bool, whole);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        QCOMPARE(run({"--example", "ex"}), 0);
        QVERIFY(statusmill::testing::writeFile(path("plain.csv"), "Project Name\nHarbour Bridge Renewal\n"));
        QVERIFY(statusmill::testing::writeFile(path("m.csv"), "Project Name,Milestone\nHarbour Bridge Renewal,Dig the trench\n"));
        QVERIFY(statusmill::testing::writeFile(path("names.csv"), "Project Name,Name\nHarbour Bridge Renewal,Alice Example\n"));
        // Of the Harbour project, the report shows every item of every list.
        const QJsonObject harbour =
            QJsonDocument::fromJson(statusmill::testing::readFile(path("ex/project.json"))).object();
        if (whole)
            for (const auto& [list, field] : kListShown)
                for (const QJsonValue item : harbour.value(QLatin1String(list)).toArray())
                    present << item.toObject().value(QLatin1String(field)).toString();

        QString said;
        QCOMPARE(run(arguments, &said), 0);
        if (whole)
            QCOMPARE(said, QString());
        const bool one = arguments.contains("--output");
        const QStringList made = one ? QStringList{arguments.at(arguments.indexOf("--output") + 1)}
                                     : reports("out").replaceInStrings(QRegularExpression("^"), "out/");
        QCOMPARE(made.size(), count);
        for (const QString& report : made) {
            const QString text = readBack(path(report)).simplified();
            if (whole)
                QVERIFY2(!text.contains(kNameLeft), qPrintable(report + ": " + text));
            if (!text.contains(QLatin1String("Harbour Bridge Renewal")))
                continue;
            for (const QString& value : std::as_const(present))
                QVERIFY2(text.contains(value), qPrintable(QStringLiteral("%1 lacks %2: %3").arg(report, value, text)));
            for (const QString& value : std::as_const(absent))
                QVERIFY2(!text.contains(value), qPrintable(QStringLiteral("%1 has %2: %3").arg(report, value, text)));
            present.clear(); // found once is enough
        }
        QVERIFY2(present.isEmpty(), "no report of the Harbour project");
    }

    // The example goes into place whole or not at all: a file of it that is there
    // already (the user's edited project, say) keeps it all from being written,
    // until --overwrite.
    void theExampleIsNeverWrittenOver()
    {
        const QStringList all{"portfolio-template.ott", "project-last-week.json", "project.json",
                              "report-template.dotx",
                              "report-template.ott", "tracker.ods", "tracker.xlsx"};
        QString said;
        QCOMPARE(run({"--example", "new/ex"}, &said), 0);
        QCOMPARE(said, QString());
        QCOMPARE(reports("new/ex"), all);
        const QByteArray example = statusmill::testing::readFile(path("new/ex/project.json"));
        QVERIFY(example.contains("Harbour Bridge Renewal"));

        QVERIFY(statusmill::testing::writeFile(path("ex/project.json"), "{\"ProjectName\": \"Mine\"}"));
        QCOMPARE(run({"--example", "ex"}, &said), 1);
        QVERIFY2(said.contains("ex/project.json exists; --overwrite replaces it"), qPrintable(said));
        QCOMPARE(reports("ex"), QStringList{"project.json"});
        QCOMPARE(statusmill::testing::readFile(path("ex/project.json")), QByteArray("{\"ProjectName\": \"Mine\"}"));

        QCOMPARE(run({"--example", "ex", "--overwrite"}, &said), 0);
        QCOMPARE(reports("ex"), all);
        QCOMPARE(statusmill::testing::readFile(path("ex/project.json")), example);
    }

    // The example's templates come on the paper the built-in report comes on, their
    // placeholders all kept; on the templates' own (Letter), and on paper the report
    // does not fit, they are the files the program carries. The run says each file
    // it wrote and a command that makes a report of them, quoted for a shell.
    void theExampleComesOnTheUsersPaper_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<QSizeF>("millimetres");
        QTest::newRow("A4") << "a4" << QSizeF(210, 297);
        QTest::newRow("Letter") << "letter" << QSizeF(215.9, 279.4);
        QTest::newRow("A5, too small for the report") << "a5" << QSizeF(215.9, 279.4);
    }

    void theExampleComesOnTheUsersPaper()
    {
        QFETCH(QString, paper);
        QFETCH(QSizeF, millimetres);
        m_paper = paper;
        const QDir folder(path("my ex's"));
        QString said;
        QString printed;
        QCOMPARE(run({"--example", "my ex's"}, &said, &printed), 0);
        QCOMPARE(said, QString());
        QStringList lines = printed.split('\n');
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(lines.size(), 8);
        for (const char* name : {"report-template.ott", "report-template.dotx", "project.json",
                                 "project-last-week.json", "tracker.ods", "tracker.xlsx",
                                 "portfolio-template.ott"})
            QCOMPARE(lines.takeFirst(), "wrote " + folder.filePath(QLatin1String(name)));
        const QDir shipped(QStringLiteral(STATUSMILL_EXAMPLE_DIR));
        for (const char* name : {"report-template.ott", "report-template.dotx"}) {
            const QString file = folder.filePath(QLatin1String(name));
            const QList<QSizeF> pages = pagesOf(file);
            QCOMPARE(pages.size(), 1);
            QVERIFY2(std::abs(pages[0].width() - millimetres.width()) < 0.1 &&
                         std::abs(pages[0].height() - millimetres.height()) < 0.1,
                     qPrintable(QStringLiteral("%1: %2 x %3 mm")
                                    .arg(name)
                                    .arg(pages[0].width())
                                    .arg(pages[0].height())));
            QCOMPARE(namesOfTemplate(file), namesOfTemplate(shipped.filePath(QLatin1String(name))));
            if (paper != "a4")
                QVERIFY(statusmill::testing::readFile(file) ==
                        statusmill::testing::readFile(shipped.filePath(QLatin1String(name))));
        }
        // The portfolio's template keeps its landscape on the user's paper.
        const QList<QSizeF> portfolio = pagesOf(folder.filePath(QStringLiteral("portfolio-template.ott")));
        QCOMPARE(portfolio.size(), 1);
        QVERIFY(std::abs(portfolio[0].width() - millimetres.height()) < 0.1 &&
                std::abs(portfolio[0].height() - millimetres.width()) < 0.1);
        // The last line, run by a shell as it stands, makes the project's report.
        const QString command = lines.takeFirst();
        QVERIFY2(command.startsWith("make the first report: statusmill "), qPrintable(command));
        QVERIFY(QDir().mkpath(path("bin")) &&
                QFile::link(STATUSMILL_PROGRAM, path("bin/statusmill")));
        m_pathFirst = path("bin");
        QProcess shell;
        prepare(shell, {});
        shell.setProgram("sh");
        shell.setArguments({"-c", command.section(": ", 1)});
        shell.start();
        QVERIFY(shell.waitForFinished(120000));
        QCOMPARE(shell.exitCode(), 0);
        const QString report = readBack(path("report.pdf"));
        QVERIFY2(report.contains("Harbour Bridge Renewal") && !report.contains(kNameLeft),
                 qPrintable(report));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
