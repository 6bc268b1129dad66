// --strict: a report that would keep a placeholder of its template, or whose data
// reads a cell as an error, is not written, a line says which and why, and the
// others are made; without it, such reports are made as before.

#include "ProgramRuns.h"

#include <QtTest>

using namespace statusmill::testing;

namespace {

// Every field of the list template (ProgramRuns::writeListTemplate), and its list.
const char* const kWhole = R"("Department": "Works", "Budget": 12500, "Due": "May",
    "One-sentence summary of the project’s health": "Fine",
    "Progress against the plan: any slippage, its cause and recovery; has the end date moved?": "On plan",
    "Milestones": [{"Milestone": "Design", "Owner": "Ann"}])";

} // namespace

class TestCliStrict : public QObject, public ProgramRuns
{
    Q_OBJECT

    void writeProjects()
    {
        writeListTemplate();
        const QString whole = QString::fromUtf8(kWhole);
        QString lacking = whole;
        lacking.replace(QStringLiteral("\"Budget\": 12500, "), QString());
        QString listless = whole;
        listless.truncate(listless.indexOf(QStringLiteral(",\n    \"Milestones\"")));
        const QString empty = listless + QStringLiteral(", \"Milestones\": []");
        QVERIFY(writeFile(path("projects.json"), QStringLiteral("[{\"ProjectName\": \"Whole\", %1},\n"
                                                                "{\"ProjectName\": \"Lacking\", %2},\n"
                                                                "{\"ProjectName\": \"Listless\", %3},\n"
                                                                "{\"ProjectName\": \"Empty\", %4}]")
                                                     .arg(whole, lacking, listless, empty)
                                                     .toUtf8()));
    }

private slots:
    void init() { freshHome(); }
    void cleanup() { nothingLeft(); }

    void onlyWholeReports_data()
    {
        QTest::addColumn<bool>("strict");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("made");
        QTest::newRow("strict") << true << 1 << QStringList{"Empty.pdf", "Whole.pdf"};
        QTest::newRow("not strict") << false << 0
                                    << QStringList{"Empty.pdf", "Lacking.pdf", "Listless.pdf", "Whole.pdf"};
    }

    void onlyWholeReports()
    {
        QFETCH(bool, strict);
        QFETCH(int, status);
        QFETCH(QStringList, made);
        writeProjects();
        QStringList arguments{"--batch", "projects.json", "--output-dir", "out", "--template", "lists.fodt",
                              "--name", "{ProjectName}", "--jobs", "2"};
        if (strict)
            arguments << QStringLiteral("--strict");
        QString said;
        QVERIFY2(run(arguments, &said) == status, qPrintable(said));
        QCOMPARE(reports("out"), made);
        const QStringList refusals = said.split(u'\n').filter(QStringLiteral("--strict"));
        if (!strict) {
            QVERIFY2(refusals.isEmpty(), qPrintable(said));
            return;
        }
        QCOMPARE(refusals.size(), 2);
        QVERIFY2(said.contains(QStringLiteral("projects.json [1]: Lacking.pdf: it would keep [Budget] as the "
                                              "template has it; not written (--strict)")),
                 qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("projects.json [2]: Listless.pdf: it would keep [Milestones.#], "
                                              "[Milestones.Milestone], [Milestones.Owner], [Milestones.None] as "
                                              "the template has them")),
                 qPrintable(said));
        // A list given empty keeps none of its placeholders: its none row shows
        // without its marker, and a full list's none row goes.
        const QString whole = readBack(path("out/Whole.pdf")).simplified();
        QVERIFY2(whole.contains(QStringLiteral("Budget: 12500 by May")) && !whole.contains(u'[') &&
                     !whole.contains(QStringLiteral("No milestones")),
                 qPrintable(whole));
        const QString empty = readBack(path("out/Empty.pdf")).simplified();
        QVERIFY2(empty.contains(QStringLiteral("No milestones this period.")) && !empty.contains(u'['),
                 qPrintable(empty));
    }

    void oneReport_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("whole") << 0 << 0 << QString();
        QTest::newRow("a field not given")
            << 1 << 1 << "r.pdf: it would keep [Budget] as the template has it; not written (--strict)";
    }

    void oneReport()
    {
        QFETCH(int, index);
        QFETCH(int, status);
        QFETCH(QString, said);
        writeProjects();
        QString told;
        QCOMPARE(run({"--output", "r.pdf", "--data", "projects.json", "--project",
                      index == 0 ? "Whole" : "Lacking", "--template", "lists.fodt", "--strict"},
                     &told),
                 status);
        QVERIFY2(said.isEmpty() ? !told.contains(QStringLiteral("--strict")) : told.contains(said), qPrintable(told));
        QCOMPARE(QFileInfo::exists(path("r.pdf")), status == 0);
    }

    // A cell of a workbook that holds an error is no value a report may carry.
    void aCellReadAsAnError()
    {
        writeListTemplate();
        QVERIFY(writeFile(path("projects.fods"), QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet><table:table table:name="Projects">
<table:table-row><table:table-cell office:value-type="string"><text:p>Project Name</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>Budget</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell office:value-type="string"><text:p>Sound</text:p></table:table-cell><table:table-cell office:value-type="float" office:value="5"><text:p>5</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell office:value-type="string"><text:p>Broken</text:p></table:table-cell><table:table-cell table:formula="of:=1/0"/></table:table-row>
</table:table></office:spreadsheet></office:body></office:document>
)")));
        const QString workbook = convert(path("projects.fods"), QStringLiteral("ods"));
        QString said;
        QCOMPARE(run({"--batch", workbook, "--output-dir", "out", "--template", "lists.fodt", "--name",
                      "{ProjectName}", "--strict"},
                     &said),
                 1);
        QVERIFY2(said.contains(QStringLiteral("cell B3: #DIV/0!")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("line 3: Broken.pdf: its data reads")) &&
                     said.contains(QStringLiteral("(#DIV/0!) as an error")),
                 qPrintable(said));
        QVERIFY(!reports("out").contains(QStringLiteral("Broken.pdf")));
    }
};

QTEST_GUILESS_MAIN(TestCliStrict)
#include "tst_cli_strict.moc"
