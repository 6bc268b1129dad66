// A workbook's sheets as people keep them, as the office's reader hands them over:
// what was hidden is said once, a cell that holds a formula error is named once and
// kept by the reports its value reaches, one that should say whose a row is refuses
// that row, and a column with no name in its header is left out, not the list.

#include "ListsText.h"
#include "core/Failure.h"
#include "data/Records.h"

#include <QtTest>

using namespace statusmill;
using namespace statusmill::data;

namespace {

// A sheet: its name, then its rows, a row's number its place from 1 ("" a row the
// reader leaves out, as it does one that holds nothing), "|" between cells. A cell
// "!#N/A" holds that formula error and shows it.
Sheet sheetOf(const QStringList& written)
{
    Sheet sheet{written.constFirst(), {}, {}};
    for (int row = 1; row < written.size(); ++row) {
        if (written.at(row).isEmpty())
            continue;
        QStringList cells = written.at(row).split(QLatin1Char('|'));
        for (int column = 0; column < cells.size(); ++column)
            if (cells.at(column).startsWith(QLatin1Char('!'))) {
                cells[column].remove(0, 1);
                sheet.errors.append({row, column, cells.at(column)});
            }
        sheet.rows.append({row, cells});
    }
    return sheet;
}

// "line 2: ProjectName=Harbour/Budget=5; Risks: ID=R1; errors: sheet Risks, cell
// B3 (#N/A)", or "line 3: !problem".
QString described(const Record& record)
{
    if (!record.problem.isEmpty())
        return record.where + ": !" + record.problem;
    QStringList fields;
    for (const Field& field : record.data.fields())
        fields << field.name + '=' + field.text;
    QStringList parts{fields.join('/')};
    if (!record.data.lists().isEmpty())
        parts << testing::listsOf(record.data);
    if (!record.errorCells.isEmpty())
        parts << "errors: " + record.errorCells.join(", ");
    return record.where + ": " + parts.join("; ");
}

} // namespace

Q_DECLARE_METATYPE(QList<QStringList>)

class TestSheets : public QObject
{
    Q_OBJECT

private slots:
    void aWorkbooksSheets_data()
    {
        QTest::addColumn<QList<QStringList>>("sheets"); // as sheetOf; the first the reports'
        QTest::addColumn<int>("hiddenRows");
        QTest::addColumn<int>("hiddenSheets");
        QTest::addColumn<QStringList>("records"); // as described
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("what was hidden, said once")
            << QList<QStringList>{{"Projects", "Project Name", "Harbour"}, {"Risks", "Project Name|ID", "Harbour|R1"}}
            << 2 << 1 << QStringList{"line 2: ProjectName=Harbour; Risks: ID=R1"}
            << QStringList{"t.ods: 2 hidden rows and 1 hidden sheet are left out"};
        QTest::newRow("errors in a report's row: each named, all kept")
            << QList<QStringList>{{"Projects", "Project Name|Budget|Due", "Harbour|!#DIV/0!|!#N/A"}} << 0 << 0
            << QStringList{"line 2: ProjectName=Harbour/Budget=#DIV/0!/Due=#N/A; errors: sheet Projects, cell B2 "
                           "(#DIV/0!), sheet Projects, cell C2 (#N/A)"}
            << QStringList{"t.ods, sheet Projects, cell B2: #DIV/0!", "t.ods, sheet Projects, cell C2: #N/A"};
        QTest::newRow("an error in an item: kept by its report alone")
            << QList<QStringList>{{"Projects", "Project Name", "Harbour", "Tunnel"},
                                  {"Risks", "Project Name|Rating", "", "Tunnel|!#VALUE!", "Harbour|High"}}
            << 0 << 0
            << QStringList{"line 2: ProjectName=Harbour; Risks: Rating=High",
                           "line 3: ProjectName=Tunnel; Risks: Rating=#VALUE!; errors: sheet Risks, cell B3 (#VALUE!)"}
            << QStringList{"t.ods, sheet Risks, cell B3: #VALUE!"};
        // Not a project called "#N/A", whose items would be those of another error.
        QTest::newRow("an error where the project should be: the report and the item refused")
            << QList<QStringList>{{"Projects", "Project Name|Budget", "!#N/A|!#DIV/0!", "Tunnel|6"},
                                  {"Risks", "Project Name|ID", "!#N/A|R1", "Tunnel|R2"}}
            << 0 << 0
            << QStringList{"line 2: !its Project Name is the sheet's error #N/A (cell A2)",
                           "line 3: ProjectName=Tunnel/Budget=6; Risks: ID=R2"}
            << QStringList{"t.ods, sheet Risks, line 2: its Project Name is the sheet's error #N/A (cell A2); the "
                           "item is left out"};
        QTest::newRow("a note typed right of a list's rows")
            << QList<QStringList>{{"Projects", "Project Name", "Harbour", "Tunnel"},
                                  {"Risks", "Project Name|ID", "Harbour|R1||ask Ann", "Tunnel|R2"}}
            << 0 << 0 << QStringList{"line 2: ProjectName=Harbour; Risks: ID=R1", "line 3: ProjectName=Tunnel; Risks: ID=R2"}
            << QStringList{"t.ods, sheet Risks: column D has no name in its header, so it is left out"};
    }

    void aWorkbooksSheets()
    {
        QFETCH(QList<QStringList>, sheets);
        QFETCH(int, hiddenRows);
        QFETCH(int, hiddenSheets);
        QFETCH(QStringList, records);
        QFETCH(QStringList, warnings);
        Workbook workbook{{}, hiddenSheets, hiddenRows};
        for (const QStringList& sheet : sheets)
            workbook.sheets << sheetOf(sheet);
        QStringList said;
        Reports reports;
        try {
            reports = reportsOfWorkbook(workbook, "t.ods");
            said = reports.warnings + linkLists(reports.records, reports.fields, reports.lists);
        } catch (const Failure& failure) {
            QFAIL(qPrintable(failure.description()));
        }
        QStringList got;
        for (const Record& record : reports.records)
            got << described(record);
        QCOMPARE(got, records);
        QCOMPARE(said, warnings);
    }
};

QTEST_GUILESS_MAIN(TestSheets)
#include "tst_sheets.moc"
