// Reports of data files without the window, the program run as a user runs it:
// JSON batches, workbooks and lists in tables of their own, each item in its own
// project's report and in no other, read back from the reports; what the data and
// the template do not share, said once and truly; and data that cannot be taken,
// said for what it is.

#include "ProgramRuns.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

using statusmill::testing::readBack;

// A template of a project, its owner and date, and a paragraph repeated for each
// risk.
QString risksTemplate()
{
    return statusmill::testing::flatDocument(
        {}, {},
        statusmill::testing::paragraphs({"Project: [ProjectName] led by [Owner]", "Date: [ReportDate]",
                                         "Risk [Risks.ID] owned by [Risks.Owner]"}));
}

} // namespace

Q_DECLARE_METATYPE(QList<QStringList>)

class TestCliData : public QObject, public statusmill::testing::ProgramRuns
{
    Q_OBJECT

private slots:
    void init() { freshHome(); }
    void cleanup() { nothingLeft(); }

    // Each report holds its own project's items and no other's, and what is said
    // of the data is said once and is true of the reports made.
    void dataReachesItsOwnReports_data()
    {
        QTest::addColumn<QList<QStringList>>("files"); // name, text
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("made");  // in the folder out, or out.pdf
        QTest::addColumn<QStringList>("shown"); // "REPORT: text" it shows, "REPORT: -text" it does not
        QTest::addColumn<QStringList>("said");  // said exactly once; "-text" never
        const QStringList batch{"--output-dir", "out", "--template", "risks.fodt", "--jobs", "2"};
        // A risk's owner is no project: linked by it, Ann's risk of the Tunnel went
        // to the Harbour, whose owner she is.
        QTest::newRow("a column both share before the project name")
            << QList<QStringList>{{"projects.csv", "Project Name,Owner\nHarbour,Ann\nTunnel,Ben\n"},
                                  {"risks.csv", "Owner,Project Name,ID\nAnn,Tunnel,R-TUN\nBen,Harbour,R-HAR\n"}}
            << QStringList{"--batch", "projects.csv", "--list", "Risks=risks.csv", "--name", "{ProjectName}"} + batch
            << 0 << QStringList{"Harbour.pdf", "Tunnel.pdf"}
            << QStringList{"Harbour.pdf: Risk R-HAR owned by Ben", "Harbour.pdf: -R-TUN",
                           "Tunnel.pdf: Risk R-TUN owned by Ann", "Tunnel.pdf: -R-HAR"}
            << QStringList{"-no report has"};
        QTest::newRow("two rows of one project; rows of none")
            << QList<QStringList>{{"projects.csv", "Project Name,Owner\nHarbour,Ann\n harbour ,Ben\nTunnel,Cy\n,Dee\n,Eve\n"},
                                  {"risks.csv", "Project Name,ID,Owner\nHarbour,R1,Ann\n"}}
            << QStringList{"--batch", "projects.csv", "--list", "Risks=risks.csv"} + batch << 1
            << QStringList{"001-Harbour.pdf", "003-Tunnel.pdf", "004-.pdf", "005-.pdf"}
            << QStringList{"001-Harbour.pdf: Risk R1 owned by Ann", "005-.pdf: led by Eve"}
            << QStringList{"statusmill: line 3: the row on line 2 has the project name \"harbour\" already; skipped"};
        QTest::newRow("a key given twice")
            << QList<QStringList>{{"projects.json", R"([{"ProjectName": "Harbour", "Owner": "Ann", "Owner": "Ben"},
                                                       {"ProjectName": "Tunnel", "Owner": "Cy", "Risks": []}])"}}
            << QStringList{"--batch", "projects.json", "--name", "{ProjectName}"} + batch << 1
            << QStringList{"Tunnel.pdf"} << QStringList{"Tunnel.pdf: led by Cy"}
            << QStringList{"statusmill: projects.json [0]: Owner is given twice; skipped"};
        QTest::newRow("a project without a list that others have")
            << QList<QStringList>{{"projects.json", R"([{"ProjectName": "Harbour", "Owner": "Ann",
                                                        "Risks": [{"ID": "R1", "Owner": "Ann"}]},
                                                       {"ProjectName": "Tunnel", "Owner": "Cy"}])"}}
            << QStringList{"--batch", "projects.json", "--name", "{ProjectName}"} + batch << 0
            << QStringList{"Harbour.pdf", "Tunnel.pdf"}
            << QStringList{"Harbour.pdf: Risk R1 owned by Ann", "Tunnel.pdf: Risk [Risks.ID] owned by [Risks.Owner]"}
            << QStringList{"projects.json [1] has no list Risks, which other reports have", "-[ReportDate]"};
        QTest::newRow("items that give no field of the template")
            << QList<QStringList>{{"harbour.json", R"({"ProjectName": "Harbour", "Owner": "Ann", "Risks": [{"ID": "R1"}]})"}}
            << QStringList{"--output", "out.pdf", "--data", "harbour.json", "--template", "risks.fodt"} << 0
            << QStringList{"out.pdf"} << QStringList{"out.pdf: Risk R1 owned by", "out.pdf: -[Risks.Owner]"}
            << QStringList{"the items of the list Risks give no [Risks.Owner], which the reports leave empty"};
    }

    void dataReachesItsOwnReports()
    {
        QFETCH(QList<QStringList>, files);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, made);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, said);
        QVERIFY(statusmill::testing::writeFile(path("risks.fodt"), risksTemplate()));
        for (const QStringList& file : files)
            QVERIFY(statusmill::testing::writeFile(path(file.at(0)), file.at(1).toUtf8()));
        QString told;
        QCOMPARE(run(arguments, &told), status);
        const bool one = arguments.contains("--output");
        QCOMPARE(one ? QDir(path(".")).entryList({"out.pdf"}) : reports("out"), made);
        for (const QString& expected : shown) {
            const QString report = expected.section(": ", 0, 0);
            const QString text = expected.section(": ", 1);
            const QString read = readBack(path(one ? report : "out/" + report)).simplified();
            QVERIFY2(text.startsWith('-') ? !read.contains(text.mid(1)) : read.contains(text),
                     qPrintable(expected + "\n" + read));
        }
        for (const QString& line : said)
            QVERIFY2(line.startsWith('-') ? !told.contains(line.mid(1)) : told.count(line) == 1,
                     qPrintable(line + "\n" + told));
    }

    // What cannot be taken is said for what it is, before any office starts.
    void causesNamed_data()
    {
        QTest::addColumn<QString>("file"); // made as `kind` says
        QTest::addColumn<QString>("kind"); // "pipe", "folder", or the file's text
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        const QStringList batch{"--output-dir", "out"};
        QTest::newRow("a named pipe for a workbook")
            << "pipe.ods" << "pipe" << QStringList{"--batch", "pipe.ods"} + batch << "pipe.ods: not a regular file";
        QTest::newRow("a folder for a workbook")
            << "dir.xlsx" << "folder" << QStringList{"--batch", "dir.xlsx"} + batch << "dir.xlsx: not a regular file";
        QTest::newRow("a project file in UTF-16")
            << "u.json" << QChar(0xFEFF) + QStringLiteral("{\"ProjectName\": \"Harbour\"}")
            << QStringList{"--output", "out.pdf", "--data", "u.json"}
            << "u.json, line 1: UTF-16 text (little-endian, by its byte-order mark)";
        QTest::newRow("--set of a list's field")
            << "" << "" << QStringList{"--output", "out.pdf", "--set", "Risks.Owner=Ann"}
            << "--set fills fields, and [Risks.Owner] is of the list Risks, whose items come from data files "
               "(--data, --batch, --list)";
        QTest::newRow("a --list of several reports with no project name")
            << "risks.csv" << "Owner,ID\nAnn,R1\n"
            << QStringList{"--batch", "projects.csv", "--list", "Risks=risks.csv"} + batch
            << "risks.csv: no column names the report of its items (Project Name)";
    }

    void causesNamed()
    {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        QVERIFY(statusmill::testing::writeFile(path("projects.csv"), "Project Name,Owner\nHarbour,Ann\nTunnel,Ann\n"));
        if (kind == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path(file)).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(path(file)));
        else if (file.endsWith(".json"))
            QVERIFY(statusmill::testing::writeFile(
                path(file), QByteArray(reinterpret_cast<const char*>(kind.utf16()), kind.size() * 2)));
        else if (!file.isEmpty())
            QVERIFY(statusmill::testing::writeFile(path(file), kind.toUtf8()));
        QString told;
        QCOMPARE(run(arguments, &told), 2);
        QVERIFY2(told.contains(said), qPrintable(told));
        QVERIFY(!QFileInfo::exists(path("out.pdf")) && reports("out").isEmpty());
    }

    // Reports of a JSON batch: each object's values, numbers as written; an object
    // that holds a value of another shape is one line naming where, and the others
    // are made. Columns that fill prompts of the template are not said to fill
    // nothing.
    void aJsonBatch()
    {
        writeListTemplate();
        QVERIFY(statusmill::testing::writeFile(path("projects.json"), QString::fromUtf8(R"([
  {"Project Name": "Harbour", "Department": "Works", "Budget": 12500, "Due": 0.25,
   "One-sentence summary of the project’s health": "Green all over",
   "Progress against the plan: any slippage, its cause and recovery; has the end date moved?": "On plan",
   "Milestones": [{"Milestone": "Design", "Owner": "Ann"}]},
  {"ProjectName": "Tunnel", "Milestones": [{"Milestone": "Dig", "Owner": ["Ben", "Cy"]}]},
  {"ProjectName": "Bridge", "Budget": null, "Due": true, "Milestones": []}
])")));
        QString said;
        QCOMPARE(run({"--batch", "projects.json", "--output-dir", "out", "--template", "lists.fodt", "--name",
                      "{ProjectName}"},
                     &said),
                 1);
        QCOMPARE(reports("out"), (QStringList{"Bridge.pdf", "Harbour.pdf"}));
        QCOMPARE(said.trimmed(), QStringLiteral("statusmill: projects.json [1]: Milestones[0].Owner is an array; "
                                                "a field holds text, a number, true, false or null; skipped"));
        const QString harbour = readBack(path("out/Harbour.pdf")).simplified();
        for (const char* text : {"Project: Harbour of Works", "Budget: 12500 by 0.25", "Health: Green all over",
                                 "Progress: On plan"})
            QVERIFY2(harbour.contains(QLatin1String(text)), qPrintable(harbour));
        QVERIFY2(readBack(path("out/Bridge.pdf")).simplified().contains("Budget: by true"),
                 qPrintable(readBack(path("out/Bridge.pdf"))));
    }

    // A workbook: a report per row of its first sheet, each cell as the sheet shows
    // it; another sheet is the list of its name, its items linked by Project Name,
    // and an item of no report is said with its sheet and line.
    void aWorkbookWithAListSheet_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("OpenDocument") << "ods";
        QTest::newRow("Excel") << "xlsx";
    }

    void aWorkbookWithAListSheet()
    {
        QFETCH(QString, format);
        writeListTemplate();
        QVERIFY(statusmill::testing::writeFile(path("projects.fods"), R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:number-style style:name="N1"><number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1" number:grouping="true"/></number:number-style>
 <number:date-style style:name="N2"><number:day number:style="long"/><number:text>.</number:text><number:month number:style="long"/><number:text>.</number:text><number:year number:style="long"/></number:date-style>
 <style:style style:name="money" style:family="table-cell" style:data-style-name="N1"/>
 <style:style style:name="date" style:family="table-cell" style:data-style-name="N2"/>
</office:automatic-styles>
<office:body><office:spreadsheet>
 <table:table table:name="Projects">
  <table:table-row><table:table-cell><text:p>Project Name</text:p></table:table-cell><table:table-cell><text:p>Budget</text:p></table:table-cell><table:table-cell><text:p>Due</text:p></table:table-cell></table:table-row>
  <table:table-row><table:table-cell><text:p>Harbour</text:p></table:table-cell><table:table-cell table:style-name="money" office:value-type="float" office:value="12500"/><table:table-cell table:style-name="date" office:value-type="date" office:date-value="2026-03-31"/></table:table-row>
  <table:table-row><table:table-cell><text:p>Tunnel</text:p></table:table-cell><table:table-cell table:style-name="money" office:value-type="float" office:value="0.5"/><table:table-cell/></table:table-row>
 </table:table>
 <table:table table:name="Milestones">
  <table:table-row><table:table-cell><text:p>Project Name</text:p></table:table-cell><table:table-cell><text:p>Milestone</text:p></table:table-cell><table:table-cell><text:p>Planned</text:p></table:table-cell></table:table-row>
  <table:table-row><table:table-cell><text:p>Tunnel</text:p></table:table-cell><table:table-cell><text:p>Dig</text:p></table:table-cell><table:table-cell/></table:table-row>
  <table:table-row><table:table-cell><text:p>Harbor</text:p></table:table-cell><table:table-cell><text:p>Design</text:p></table:table-cell><table:table-cell/></table:table-row>
 </table:table>
</office:spreadsheet></office:body></office:document>
)"));
        const QString workbook = convert("projects.fods", format);
        QString said;
        QCOMPARE(run({"--batch", workbook, "--output-dir", "out", "--template", "lists.fodt", "--name",
                      "{ProjectName} {Due}"},
                     &said),
                 0);
        QCOMPARE(reports("out"), (QStringList{"Harbour 31.03.2026.pdf", "Tunnel.pdf"}));
        QVERIFY2(readBack(path("out/Harbour 31.03.2026.pdf")).contains("Budget: 12,500.00 by 31.03.2026"),
                 qPrintable(readBack(path("out/Harbour 31.03.2026.pdf"))));
        const QStringList lines = said.trimmed().split('\n');
        for (const QString& line :
             {QStringLiteral("statusmill: warning: %1, sheet Milestones, line 3: no report has the Project Name "
                             "\"Harbor\"; the item is left out")
                  .arg(workbook),
              // The list reached the reports: its Planned has no place in the template.
              QStringLiteral("statusmill: warning: the template holds no [Milestones.Planned], so the items' "
                             "Planned fills nothing")})
            QVERIFY2(lines.contains(line), qPrintable(said));
    }

    // One report of a data file: the options go over its values; a workbook's row
    // is picked by --project; a file that cannot be taken says where and makes none.
    void oneReportOfADataFile_data()
    {
        QTest::addColumn<QByteArray>("json"); // written to data.json
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("present"); // in the report, or in what was said
        QTest::addColumn<QStringList>("absent");
        const QByteArray harbour = R"({"ProjectName": "Harbour", "Department": "Works", "Budget": 9})";
        QTest::newRow("the options over the data")
            << harbour << QStringList{"--department", "Roads", "--set", "Budget=10"} << 0
            << QStringList{"Project: Harbour of Roads", "Budget: 10"} << QStringList{"Works"};
        QTest::newRow("--project picks a report of several")
            << QByteArray(R"([{"ProjectName": "Tunnel", "Department": "Rail"}, {"projectname": "Harbour", "Department": "Works"}])")
            << QStringList{"--project", "harbour"} << 0 << QStringList{"Project: harbour of Works"}
            << QStringList{"Rail"};
        QTest::newRow("several reports and no --project")
            << QByteArray(R"([{"ProjectName": "Tunnel"}, {"ProjectName": "Harbour"}])") << QStringList{} << 2
            << QStringList{"data.json holds 2 reports: choose one with --project"} << QStringList{};
        QTest::newRow("a value of another shape, with its path")
            << QByteArray(R"({"ProjectName": "Harbour", "Milestones": [{}, {"Owner": {"Name": "Ann"}}]})")
            << QStringList{} << 2 << QStringList{"data.json: Milestones[1].Owner is an object"} << QStringList{};
    }

    void oneReportOfADataFile()
    {
        QFETCH(QByteArray, json);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        writeListTemplate();
        QVERIFY(statusmill::testing::writeFile(path("data.json"), json));
        QString said;
        QCOMPARE(run(QStringList{"--output", "out.pdf", "--data", "data.json", "--template", "lists.fodt"} +
                         arguments,
                     &said),
                 status);
        QCOMPARE(QFileInfo::exists(path("out.pdf")), status == 0);
        const QString text = status == 0 ? readBack(path("out.pdf")).simplified() : said;
        for (const QString& part : present)
            QVERIFY2(text.contains(part), qPrintable(text));
        for (const QString& part : absent)
            QVERIFY2(!text.contains(part), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(TestCliData)
#include "tst_cli_data.moc"
