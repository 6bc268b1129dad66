// Lists given as tables of their own (a workbook's sheets, --list files): which
// report each item goes to, in which order, and what is said of an item or a
// table that belongs to none.

#include "ListsText.h"
#include "core/Failure.h"
#include "data/Records.h"
#include "support/TestFiles.h"

#include <QtTest>

using namespace statusmill;
using namespace statusmill::data;

namespace {

// "a|b|c" a row; the first names the columns.
Table tableOf(const QStringList& rows)
{
    Table table;
    for (qsizetype index = 0; index < rows.size(); ++index) {
        const QStringList cells = rows.at(index).split(QLatin1Char('|'));
        if (index == 0)
            table.header = cells;
        else
            table.rows.append({int(index + 1), cells});
    }
    return table;
}

} // namespace

Q_DECLARE_METATYPE(QList<QStringList>)

class TestLists : public QObject
{
    Q_OBJECT

private slots:
    void itemsGoToTheirReports_data()
    {
        QTest::addColumn<QStringList>("reports");    // a table, as tableOf
        QTest::addColumn<QList<QStringList>>("lists"); // name, named ("yes"), then rows
        QTest::addColumn<QStringList>("linked");     // listsOf each report
        QTest::addColumn<QStringList>("warnings");   // the start of each warning, in order; "!" a failure
        const QStringList two{"Project Name|Owner", "Harbour|Ann", "Tunnel|Ben"};
        QTest::newRow("items in the table's order, by a window label in any case")
            << two
            << QList<QStringList>{{"Milestones", "yes", "project name|Milestone|Owner", "Tunnel|Dig|Cy",
                                   "harbour |Design|Di", "Harbour|Build|Ed"}}
            << QStringList{"Milestones: Milestone=Design/Owner=Di, Milestone=Build/Owner=Ed",
                           "Milestones: Milestone=Dig/Owner=Cy"}
            << QStringList{};
        QTest::newRow("an item of no report, and a report with no item")
            << two
            << QList<QStringList>{{"Risks", "yes", "ProjectName|ID", "Harbor|R1", "Harbour|R2"}}
            << QStringList{"Risks: ID=R2", "Risks: none"}
            << QStringList{"m.csv, line 2: no report has the ProjectName \"Harbor\"; the item is left out"};
        // A column both share that is not the project's (an item's Owner is not the
        // report's) links nothing, wherever it stands.
        QTest::newRow("the project name links, not a column before it that both have")
            << two
            << QList<QStringList>{{"Steps", "yes", "Owner|Project Name|[Steps.Action]", "Ann|Tunnel|Call"}}
            << QStringList{"Steps: none", "Steps: Owner=Ann/Action=Call"} << QStringList{};
        QTest::newRow("without a project name, the reports' first column links")
            << QStringList{"Code|Department", "H1|Works", "T2|Rail"}
            << QList<QStringList>{{"Budget", "yes", "Department|Code|Amount", "Works|T2|5"}}
            << QStringList{"Budget: none", "Budget: Department=Works/Amount=5"} << QStringList{};
        QTest::newRow("an empty project name links to no report, not to one of no project")
            << QStringList{"Project Name|Owner", "Harbour|Ann", "|Ben"}
            << QList<QStringList>{{"Risks", "yes", "Project Name|ID", " |R1", "Harbour|R2"}}
            << QStringList{"Risks: ID=R2", "Risks: none"}
            << QStringList{"m.csv, line 2: its Project Name is empty, so it is no report's; the item is left out"};
        QTest::newRow("a short row is left out, said with its line")
            << two << QList<QStringList>{{"Risks", "yes", "Project Name|ID", "Harbour", "Harbour|R2"}}
            << QStringList{"Risks: ID=R2", "Risks: none"}
            << QStringList{"m.csv, line 2: the row has 1 cells where the header names 2 columns"};
        QTest::newRow("no link column, one report: every item is its own")
            << QStringList{"Project Name", "Harbour"}
            << QList<QStringList>{{"Decisions", "yes", "Text", "Go", "Stop"}}
            << QStringList{"Decisions: Text=Go, Text=Stop"} << QStringList{};
        QTest::newRow("no link column on a sheet of several reports: no list, said with what would link")
            << QStringList{"Code|Project Name", "H1|Harbour", "T2|Tunnel"}
            << QList<QStringList>{{"Notes", "", "Text", "Remember"}} << QStringList{"", ""}
            << QStringList{"m.csv: no column names the report of its items (Project Name, or Code as the "
                           "reports' first column), so it fills no list"};
        // Named on the command line, such a table is a mistake, not a sheet of notes.
        QTest::newRow("no link column on a named table of several reports: refused")
            << two << QList<QStringList>{{"Risks", "yes", "ID", "R1"}} << QStringList{}
            << QStringList{"!m.csv: no column names the report of its items"};
        // A note typed beside a list, and the commas a row may end with.
        QTest::newRow("columns without a name: left out, said when they hold something")
            << two << QList<QStringList>{{"Risks", "", "Project Name|ID||Note|", "Harbour|R1|x|n|", "Tunnel|R2||m"}}
            << QStringList{"Risks: ID=R1/Note=n", "Risks: ID=R2/Note=m"}
            << QStringList{"m.csv: column 3 has no name in its header, so it is left out"};
        QTest::newRow("two lists, an empty sheet")
            << two
            << QList<QStringList>{{"A", "", "Project Name|X", "Tunnel|1"}, {"Empty", ""},
                                  {"B", "yes", "Project Name|Y", "Harbour|2", "Tunnel|3"}}
            << QStringList{"A: none; B: Y=2", "A: X=1; B: Y=3"} << QStringList{};
    }

    void itemsGoToTheirReports()
    {
        QFETCH(QStringList, reports);
        QFETCH(QList<QStringList>, lists);
        QFETCH(QStringList, linked);
        QFETCH(QStringList, warnings);
        Reports read = reportsOfTable(tableOf(reports), "t.csv");
        QList<ListTable> tables;
        for (const QStringList& list : lists)
            tables.append({list.at(0), "m.csv", tableOf(list.mid(2)), list.at(1) == "yes", {}, {}});
        QStringList said;
        try {
            said = linkLists(read.records, read.fields, tables);
        } catch (const Failure& failure) {
            QVERIFY2(warnings.size() == 1 && failure.description().startsWith(warnings.constFirst().mid(1)),
                     qPrintable(failure.description()));
            return;
        }
        QVERIFY(!warnings.value(0).startsWith('!'));
        QStringList got;
        for (const Record& record : read.records)
            got << testing::listsOf(record.data);
        QCOMPARE(got, linked);
        QCOMPARE(said.size(), warnings.size());
        for (qsizetype index = 0; index < said.size(); ++index)
            QVERIFY2(said.at(index).startsWith(warnings.at(index)), qPrintable(said.at(index)));
    }

    // A table of reports keeps its rows when a column has no name: a note beside
    // the table is left out and said, the commas a row ends with silently; a cell
    // past the header that holds something still refuses its row.
    void aReportsTablesColumnsOfNoName_data()
    {
        QTest::addColumn<QStringList>("rows"); // a table, as tableOf
        QTest::addColumn<QStringList>("records"); // "Field=text/..." or "!problem"
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("a column of no name that holds something")
            << QStringList{"Project Name||Budget", "Harbour|call Ann|5"} << QStringList{"ProjectName=Harbour/Budget=5"}
            << QStringList{"t.csv: column 2 has no name in its header, so it is left out"};
        QTest::newRow("the commas rows end with")
            << QStringList{"Project Name|Budget||", "Harbour|5||", "Tunnel|6", "Bridge|7|"}
            << QStringList{"ProjectName=Harbour/Budget=5", "ProjectName=Tunnel/Budget=6", "ProjectName=Bridge/Budget=7"}
            << QStringList{};
        QTest::newRow("a cell past the header that holds something")
            << QStringList{"Project Name|Budget", "Harbour|12|500"}
            << QStringList{"!the row has 3 cells where the header names 2 columns"} << QStringList{};
    }

    void aReportsTablesColumnsOfNoName()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, records);
        QFETCH(QStringList, warnings);
        const Reports read = reportsOfTable(tableOf(rows), "t.csv");
        QStringList got;
        for (const Record& record : read.records) {
            QStringList fields;
            for (const Field& field : record.data.fields())
                fields << field.name + '=' + field.text;
            got << (record.problem.isEmpty() ? fields.join('/') : '!' + record.problem);
        }
        QCOMPARE(got, records);
        QCOMPARE(read.warnings, warnings);
    }

    // What the office writes of a sheet is read back a record a row, empty rows
    // (of one column: an empty line, no cell) too, so that each lands on its row.
    void theOfficesCsvRowByRow()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("sheet.csv");
        QVERIFY(testing::writeFile(path, QByteArray("$1.00\n\n\" two\nlines, \"\"q\"\"\"\n 3 \n")));
        QCOMPARE(readCsvRecords(path), (QList<QStringList>{{"$1.00"}, {}, {" two\nlines, \"q\""}, {" 3 "}}));
    }
};

QTEST_GUILESS_MAIN(TestLists)
#include "tst_data_lists.moc"
