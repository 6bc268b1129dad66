// This week's reports set against last week's data (--previous), the program run as
// a user runs it: one report of two project files, a JSON batch and a workbook
// batch, each report read back for its trend, its new risk, its slipped milestone
// and its closed risk; and last week's data that cannot be taken, said.

#include "ProgramRuns.h"

#include <QtTest>

namespace {

using statusmill::testing::readBack;

// A template of what moved since last week: a trend, and a paragraph repeated for
// each risk, milestone and closed risk.
QString weekTemplate()
{
    return statusmill::testing::flatDocument(
        {}, {},
        statusmill::testing::paragraphs({"Project [ProjectName] trend [OverallTrend]",
                                         "Risk [Risks.ID] [Risks.Change].",
                                         "Milestone [Milestones.Milestone] [Milestones.Change].",
                                         "Closed [ClosedRisks.ID]"}));
}

QByteArray projectJson(const char* name, const char* status, const char* risks, const char* forecast)
{
    return QStringLiteral(R"({"ProjectName": "%1", "OverallStatus": "%2", "Risks": [%3],
                              "Milestones": [{"Milestone": "Deck poured", "Forecast": "%4"}]})")
        .arg(QLatin1String(name), QLatin1String(status), QLatin1String(risks), QLatin1String(forecast))
        .toUtf8();
}

// A workbook of one project a week: its status, its risks and a milestone whose
// forecast is a date cell shown as the sheet shows it (MM/DD/YY) or a text.
QString workbook(const char* status, const QStringList& risks, const QString& forecastCell)
{
    QString riskRows;
    for (const QString& risk : risks)
        riskRows += QStringLiteral("<table:table-row><table:table-cell><text:p>Harbour</text:p></table:table-cell>"
                                   "<table:table-cell><text:p>%1</text:p></table:table-cell></table:table-row>")
                        .arg(risk);
    return QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
 <number:date-style style:name="N1"><number:month number:style="long"/><number:text>/</number:text><number:day number:style="long"/><number:text>/</number:text><number:year/></number:date-style>
 <style:style style:name="date" style:family="table-cell" style:data-style-name="N1"/>
</office:automatic-styles>
<office:body><office:spreadsheet>
 <table:table table:name="Projects">
  <table:table-row><table:table-cell><text:p>Project Name</text:p></table:table-cell><table:table-cell><text:p>OverallStatus</text:p></table:table-cell></table:table-row>
  <table:table-row><table:table-cell><text:p>Harbour</text:p></table:table-cell><table:table-cell><text:p>%1</text:p></table:table-cell></table:table-row>
 </table:table>
 <table:table table:name="Risks">
  <table:table-row><table:table-cell><text:p>Project Name</text:p></table:table-cell><table:table-cell><text:p>ID</text:p></table:table-cell></table:table-row>
  %2
 </table:table>
 <table:table table:name="Milestones">
  <table:table-row><table:table-cell><text:p>Project Name</text:p></table:table-cell><table:table-cell><text:p>Milestone</text:p></table:table-cell><table:table-cell><text:p>Forecast</text:p></table:table-cell></table:table-row>
  <table:table-row><table:table-cell><text:p>Harbour</text:p></table:table-cell><table:table-cell><text:p>Deck poured</text:p></table:table-cell>%3</table:table-row>
 </table:table>
</office:spreadsheet></office:body></office:document>
)")
        .arg(QLatin1String(status), riskRows, forecastCell);
}

} // namespace

class TestCliPrevious : public QObject, public statusmill::testing::ProgramRuns
{
    Q_OBJECT

private slots:
    void init() { freshHome(); }
    void cleanup() { nothingLeft(); }

    void weekAgainstWeek_data()
    {
        QTest::addColumn<QString>("kind"); // "one", "json", "workbook"
        QTest::newRow("one report of two project files") << "one";
        QTest::newRow("a JSON batch") << "json";
        QTest::newRow("a workbook batch") << "workbook";
    }

    void weekAgainstWeek()
    {
        QFETCH(QString, kind);
        QVERIFY(statusmill::testing::writeFile(path("week.fodt"), weekTemplate()));
        const QByteArray lastHarbour = projectJson(" harbour", "Green", R"({"ID": "R1"}, {"ID": "r2"})", "2026-03-09");
        const QByteArray thisHarbour = projectJson("Harbour", "Amber", R"({"ID": "R2"}, {"ID": "R3"})", "2026-03-16");
        QStringList arguments{"--template", "week.fodt"};
        QString report = "out/Harbour.odt";
        if (kind == "one") {
            QVERIFY(statusmill::testing::writeFile(path("last.json"), lastHarbour));
            QVERIFY(statusmill::testing::writeFile(path("this.json"), thisHarbour));
            arguments << QStringList{"--output", "out.odt", "--data", "this.json", "--previous", "last.json"};
            report = "out.odt";
        } else if (kind == "json") {
            // A project new this week: no trend, every risk new.
            QVERIFY(statusmill::testing::writeFile(path("last.json"), "[" + lastHarbour + "]"));
            QVERIFY(statusmill::testing::writeFile(
                path("this.json"), "[" + thisHarbour + "," + projectJson("Tunnel", "Red", R"({"ID": "T1"})", "") + "]"));
            arguments << QStringList{"--batch", "this.json", "--previous", "last.json"};
        } else {
            QVERIFY(statusmill::testing::writeFile(
                path("last.fods"),
                workbook("Green", {"R1", "r2"},
                         "<table:table-cell table:style-name=\"date\" office:value-type=\"date\" "
                         "office:date-value=\"2026-03-09\"/>")));
            QVERIFY(statusmill::testing::writeFile(
                path("this.fods"),
                workbook("Amber", {"R2", "R3"}, "<table:table-cell><text:p>2026-03-16</text:p></table:table-cell>")));
            arguments << QStringList{"--batch", convert("this.fods", "ods"), "--previous", convert("last.fods", "ods")};
        }
        if (kind != "one")
            arguments << QStringList{"--output-dir", "out", "--format", "odt", "--name", "{ProjectName}"};
        QString said;
        QCOMPARE(run(arguments, &said), 0);
        const QString read = readBack(path(report)).simplified();
        for (const char* expected : {"Project Harbour trend Down", "Risk R2 .", "Risk R3 New.",
                                     "Milestone Deck poured Slipped 7 days.", "Closed R1"})
            QVERIFY2(read.contains(QLatin1String(expected)), qPrintable(expected + ("\n" + read + "\n" + said)));
        QVERIFY2(!read.contains("Closed R2") && !read.contains('['), qPrintable(read));
        if (kind == "json") {
            const QString tunnel = readBack(path("out/Tunnel.odt")).simplified();
            QVERIFY2(tunnel.contains("Risk T1 New. Milestone Deck poured .") && !tunnel.contains("Closed"),
                     qPrintable(tunnel));
        }
    }

    // Without last week's data the names worked out of it are still given, empty:
    // the closed risks' rows go, as an empty list's do.
    void noPreviousLeavesNoBrackets()
    {
        QVERIFY(statusmill::testing::writeFile(path("week.fodt"), weekTemplate()));
        QVERIFY(statusmill::testing::writeFile(path("this.json"), projectJson("Harbour", "Amber", R"({"ID": "R2"})", "")));
        QCOMPARE(run({"--template", "week.fodt", "--output", "out.odt", "--data", "this.json"}), 0);
        const QString read = readBack(path("out.odt")).simplified();
        QVERIFY2(read.contains("Risk R2 . Milestone Deck poured .") && !read.contains("Closed") &&
                     read.contains("trend [OverallTrend]"),
                 qPrintable(read));
    }

    void lastWeekNotTaken_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("a file that is not there")
            << QStringList{"--output", "out.pdf", "--data", "this.json", "--previous", "gone.json"} << 2
            << "statusmill: Cannot read gone.json: No such file or directory";
        QTest::newRow("a batch's file that is no JSON")
            << QStringList{"--batch", "this.json", "--output-dir", "out", "--previous", "broken.json"} << 2
            << "broken.json";
        QTest::newRow("without data")
            << QStringList{"--output", "out.pdf", "--previous", "this.json"} << 2
            << "statusmill: --previous goes with --data or --batch only: it is last week's data (see statusmill --help)";
        QTest::newRow("an empty name")
            << QStringList{"--output", "out.pdf", "--data", "this.json", "--previous", ""} << 2
            << "statusmill: --previous wants a file of last week's data, not an empty text (see statusmill --help)";
    }

    void lastWeekNotTaken()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        QVERIFY(statusmill::testing::writeFile(path("this.json"), projectJson("Harbour", "Amber", "", "")));
        QVERIFY(statusmill::testing::writeFile(path("broken.json"), "{\"ProjectName\": "));
        QString told;
        QCOMPARE(run(arguments, &told), status);
        QVERIFY2(told.contains(said), qPrintable(told));
        QVERIFY(!QFileInfo::exists(path("out.pdf")) && reports("out").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliPrevious)
#include "tst_cli_previous.moc"
