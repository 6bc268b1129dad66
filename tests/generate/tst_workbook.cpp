// Workbooks as people keep them, read by the office: hidden sheets and rows left
// out and counted, merged areas in every row they span, formula errors as the sheet
// shows them, a stray cell far off that costs no more than itself, a password said
// as such. Each workbook is read as written (flat OpenDocument) and as Excel makes
// it, and no read leaves a document open or an office behind.

#include "core/Failure.h"
#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/office/WorkbookReader.h"
#include "support/OfficeProbes.h"
#include "support/OfficeProcesses.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace statusmill;
using namespace statusmill::automation;
using namespace statusmill::testing;

namespace {

// A flat OpenDocument workbook of these sheets, which opens at the sheet
// "Projects", as Excel keeps it: Excel opens no workbook at a hidden sheet.
QString flatWorkbook(const QString& sheets)
{
    return QString::fromUtf8(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" xmlns:config="urn:oasis:names:tc:opendocument:xmlns:config:1.0" xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:settings><config:config-item-set config:name="ooo:view-settings"><config:config-item-map-indexed config:name="Views"><config:config-item-map-entry><config:config-item config:name="ActiveTable" config:type="string">Projects</config:config-item></config:config-item-map-entry></config:config-item-map-indexed></config:config-item-set></office:settings>
<office:automatic-styles>
 <number:currency-style style:name="N1"><number:currency-symbol number:language="en" number:country="GB">£</number:currency-symbol><number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1" number:grouping="true"/></number:currency-style>
 <number:percentage-style style:name="N2"><number:number number:decimal-places="1" number:min-decimal-places="1" number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
 <style:style style:name="money" style:family="table-cell" style:data-style-name="N1"/>
 <style:style style:name="share" style:family="table-cell" style:data-style-name="N2"/>
 <style:style style:name="hidden" style:family="table"><style:table-properties table:display="false"/></style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>%1</office:spreadsheet></office:body></office:document>
)")
        .arg(sheets);
}

QString sheet(const char* name, const QString& rows, const char* attributes = "")
{
    return QStringLiteral("<table:table table:name=\"%1\" %2>%3</table:table>")
        .arg(QLatin1String(name), QLatin1String(attributes), rows);
}

QString row(const QString& cells, const char* attributes = "")
{
    return QStringLiteral("<table:table-row %1>%2</table:table-row>")
        .arg(QLatin1String(attributes), cells);
}

// A cell of text (none for nothing), with these attributes.
QString cell(const char* text, const char* attributes = "")
{
    return QStringLiteral("<table:table-cell %1>%2</table:table-cell>")
        .arg(QLatin1String(attributes),
             text ? QStringLiteral("<text:p>%1</text:p>").arg(QString::fromUtf8(text)) : QString());
}

QString cells(std::initializer_list<const char*> texts)
{
    QString all;
    for (const char* text : texts)
        all += cell(text);
    return all;
}

const char* const kHidden = "table:visibility=\"collapse\"";
const QString kCovered = QStringLiteral("<table:covered-table-cell/>");

// The read in lines to compare: each sheet's name, its rows ("3: a|b"), its error
// cells ("error 3,1: #N/A", the column from 0), and last what was hidden.
QStringList described(const data::Workbook& workbook)
{
    QStringList lines;
    for (const data::Sheet& sheet : workbook.sheets) {
        lines << QStringLiteral("sheet ") + sheet.name;
        for (const data::TableRow& row : sheet.rows)
            lines << QStringLiteral("%1: %2").arg(row.line).arg(row.cells.join(QLatin1Char('|')));
        // A number cell's value, whatever it shows, which a chart draws.
        for (const data::TableRow& row : sheet.rows) {
            QList<qsizetype> columns = row.numbers.keys();
            std::sort(columns.begin(), columns.end());
            for (const qsizetype column : columns)
                lines << QStringLiteral("number %1,%2: %3").arg(row.line).arg(column).arg(row.numbers.value(column));
        }
        for (const data::Sheet::Error& error : sheet.errors)
            lines << QStringLiteral("error %1,%2: %3")
                         .arg(error.row)
                         .arg(error.column)
                         .arg(error.shown);
    }
    lines << QStringLiteral("hidden: %1 sheets, %2 rows")
                 .arg(workbook.hiddenSheets)
                 .arg(workbook.hiddenRows);
    return lines;
}

// The most the office's process has held in memory at once.
qint64 peakResidentKilobytes(long long processId)
{
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(processId));
    for (const QByteArray& line : status.split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

class TestWorkbook : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<Application> m_application;
    QStringList m_workFiles; // in the working folder, once the session had started

    static QStringList workFiles()
    {
        return QDir(WorkFolder::path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    // The workbook written as flat OpenDocument, or made of it by the office in
    // another format.
    QString workbook(const char* name, const QString& sheets, const QString& format,
                     const QString& password = QString())
    {
        const QString flat = m_folder.filePath(QLatin1String(name) + QStringLiteral(".fods"));
        if (!writeFile(flat, flatWorkbook(sheets).toUtf8()))
            return QString();
        if (format == QLatin1String("fods") && password.isEmpty())
            return flat;
        const QString made = m_folder.filePath(QLatin1String(name) + QLatin1Char('.') + format);
        const char* filter = format == QLatin1String("xlsx")  ? "Calc MS Excel 2007 XML"
                             : format == QLatin1String("xls") ? "MS Excel 97"
                                                              : "calc8";
        storeCopy(*m_application, flat, made, filter, password);
        return made;
    }

    // A document a read left open would stay in the office until it ends.
    void verifyNothingLeftOpen() { QCOMPARE(inspectOffice(*m_application).openDocuments, 0); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_application = engine().createApplication();
        m_workFiles = workFiles();
    }

    // The reads left no working file, and once the session ends no office of ours
    // is left.
    void cleanupTestCase()
    {
        QCOMPARE(workFiles(), m_workFiles);
        m_application->quit();
        m_application.reset();
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
        WorkFolder::remove();
    }

    void readsWhatTheSheetShows_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("sheets");
        QTest::addColumn<QStringList>("expected");
        const QString harbour = row(cells({"Project Name"})) + row(cells({"Harbour"}));
        for (const char* format : {"fods", "xlsx"}) {
            const auto name = [&](const char* what) {
                return QStringLiteral("%1 (%2)").arg(QLatin1String(what), QLatin1String(format));
            };
            QTest::newRow(qPrintable(name("a hidden first sheet")))
                << format
                << sheet("Old", row(cells({"Project Name"})) + row(cells({"Retired"})),
                         "table:style-name=\"hidden\"") +
                       sheet("Projects", harbour) +
                       sheet("Archive", harbour, "table:style-name=\"hidden\"")
                << QStringList{"sheet Projects", "1: Project Name", "2: Harbour",
                               "hidden: 2 sheets, 0 rows"};
            QTest::newRow(qPrintable(name("hidden and filtered rows")))
                << format
                << sheet("Projects", harbour + row(cells({"Secret"}), kHidden) +
                                         row(cells({"Filtered"}), "table:visibility=\"filter\"") +
                                         row(cell(nullptr), kHidden) + row(cells({"Tunnel"})))
                << QStringList{"sheet Projects", "1: Project Name", "2: Harbour", "6: Tunnel",
                               "hidden: 0 sheets, 2 rows"};
            // A row that the area alone reaches holds nothing of its own.
            QTest::newRow(qPrintable(name("merged areas")))
                << format
                << sheet("Milestones",
                         row(cells({"Project Name", "Milestone", "Owner"})) +
                             row(cell("Harbour", "table:number-rows-spanned=\"2\"") +
                                 cells({"Design", "Ann"})) +
                             row(kCovered + cells({"Build", "Bob"})) +
                             row(cell("Tunnel") +
                                 cell("Dig", "table:number-columns-spanned=\"2\"") + kCovered) +
                             row(cell("Bridge", "table:number-rows-spanned=\"2\"") +
                                 cells({"Survey"})) +
                             row(kCovered))
                << QStringList{"sheet Milestones",        "1: Project Name|Milestone|Owner",
                               "2: Harbour|Design|Ann",   "3: Harbour|Build|Bob",
                               "4: Tunnel|Dig|Dig",       "5: Bridge|Survey",
                               "hidden: 0 sheets, 0 rows"};
            // Numbers in their cells' formats beside them.
            QTest::newRow(qPrintable(name("formula errors")))
                << format
                << sheet("Projects",
                         row(cells({"Project Name", "Ratio", "Check", "Budget"})) +
                             row(cell("Tunnel") + cell(nullptr, "table:formula=\"of:=1/0\"") +
                                 cell(nullptr, "table:formula=\"of:=NA()\"")) +
                             row(cell("Harbour") +
                                 cell(nullptr,
                                      "table:formula=\"of:=1/8\" table:style-name=\"share\"") +
                                 cell("ok") +
                                 cell(nullptr,
                                      "table:style-name=\"money\" office:value-type=\"currency\" "
                                      "office:value=\"12500\"")))
                << QStringList{"sheet Projects",          "1: Project Name|Ratio|Check|Budget",
                               "2: Tunnel|#DIV/0!|#N/A",  "3: Harbour|12.5%|ok|£12,500.00",
                               "number 3,1: 0.125",       "number 3,3: 12500",
                               "error 2,1: #DIV/0!",      "error 2,2: #N/A",
                               "hidden: 0 sheets, 0 rows"};
        }
    }

    void readsWhatTheSheetShows()
    {
        QFETCH(QString, format);
        QFETCH(QString, sheets);
        QFETCH(QStringList, expected);
        const QString path = workbook("shown", sheets, format);
        // Joined, so that a failure shows the whole read.
        QCOMPARE(described(readWorkbook(*m_application, path)).join(QLatin1Char('\n')),
                 expected.join(QLatin1Char('\n')));
        verifyNothingLeftOpen();
    }

    // One cell at the sheet's far corner (column AMJ, row 1048576) is one row more,
    // not a million rows of a thousand cells each, and the office stays small. (The
    // office takes a quarter of a minute to write such a sheet as Excel's, and reads
    // it as it reads its own.)
    void aStrayCellFarOffCostsItsOwnRowOnly()
    {
        const QString farOff =
            row(cell(nullptr), "table:number-rows-repeated=\"1048572\"") +
            row(cell(nullptr, "table:number-columns-repeated=\"1023\"") + cell("stray"));
        const QString path =
            workbook("stray",
                     sheet("Projects", row(cells({"Project Name"})) + row(cells({"Harbour"})) +
                                           row(cells({"Tunnel"})) + farOff),
                     QStringLiteral("fods"));
        const data::Workbook read = readWorkbook(*m_application, path);
        QCOMPARE(read.sheets.size(), 1);
        const QList<data::TableRow>& rows = read.sheets.constFirst().rows;
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows.at(2).cells, QStringList{"Tunnel"});
        QCOMPARE(rows.at(3).line, 1048576);
        QCOMPARE(rows.at(3).cells.size(), 1024);
        QCOMPARE(rows.at(3).cells.constLast(), QStringLiteral("stray"));
        const qint64 peak = peakResidentKilobytes(inspectOffice(*m_application).processId);
        QVERIFY2(peak > 0 && peak < 1024 * 1024, qPrintable(QStringLiteral("%1 kB").arg(peak)));
        verifyNothingLeftOpen();
    }

    // A workbook locked with a password is said to be one, a file of text no
    // spreadsheet; the office that was asked goes on reading the next.
    void aWorkbookThatCannotBeReadSaysWhy_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("password"); // none: a file of text
        QTest::addColumn<QString>("said");     // %1: the file
        const QString locked = QStringLiteral(
            "%1 is protected by a password; save a copy without the password and read that.");
        QTest::newRow("OpenDocument, a password") << "ods"
                                                  << "secret" << locked;
        QTest::newRow("Excel, a password") << "xlsx"
                                           << "secret" << locked;
        QTest::newRow("Excel 97, a password") << "xls"
                                              << "secret" << locked;
        QTest::newRow("text") << "xlsx"
                              << ""
                              << "%1 is not a spreadsheet.";
    }

    void aWorkbookThatCannotBeReadSaysWhy()
    {
        QFETCH(QString, format);
        QFETCH(QString, password);
        QFETCH(QString, said);
        const QString sheets =
            sheet("Projects", row(cells({"Project Name"})) + row(cells({"Harbour"})));
        const QString unreadable = m_folder.filePath(QStringLiteral("text.") + format);
        if (password.isEmpty())
            QVERIFY(writeFile(unreadable, "Project Name\nHarbour\n"));
        const QString path =
            password.isEmpty() ? unreadable : workbook("locked", sheets, format, password);
        QString message = QStringLiteral("<read>");
        try {
            readWorkbook(*m_application, path);
        } catch (const Failure& failure) {
            message = failure.description();
        }
        QCOMPARE(message, said.arg(path));
        verifyNothingLeftOpen();
        const QString open = workbook("open", sheets, format);
        QCOMPARE(readWorkbook(*m_application, open).sheets.constFirst().rows.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
