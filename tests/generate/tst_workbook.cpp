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

// `active`: the sheet the workbook opens at, as Excel keeps it (Excel opens no
// workbook at a hidden sheet).
QString flatWorkbook(const QString& tables, const QString& active)
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
               "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
               "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
               "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
               "xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\" "
               "xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\" "
               "xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\" "
               "office:version=\"1.3\" "
               "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
               "<office:settings><config:config-item-set config:name=\"ooo:view-settings\">"
               "<config:config-item-map-indexed "
               "config:name=\"Views\"><config:config-item-map-entry>"
               "<config:config-item config:name=\"ActiveTable\" "
               "config:type=\"string\">%2</config:config-item>"
               "</config:config-item-map-entry></config:config-item-map-indexed></"
               "config:config-item-set>"
               "</office:settings>"
               "<office:automatic-styles>"
               "<number:currency-style style:name=\"N1\"><number:currency-symbol "
               "number:language=\"en\" "
               "number:country=\"GB\">£</number:currency-symbol><number:number "
               "number:decimal-places=\"2\" "
               "number:min-decimal-places=\"2\" number:min-integer-digits=\"1\" "
               "number:grouping=\"true\"/>"
               "</number:currency-style>"
               "<number:date-style style:name=\"N2\"><number:day "
               "number:style=\"long\"/><number:text>.</number:text>"
               "<number:month number:style=\"long\"/><number:text>.</number:text><number:year "
               "number:style=\"long\"/>"
               "</number:date-style>"
               "<number:percentage-style style:name=\"N3\"><number:number "
               "number:decimal-places=\"1\" "
               "number:min-decimal-places=\"1\" "
               "number:min-integer-digits=\"1\"/><number:text>%</number:text>"
               "</number:percentage-style>"
               "<style:style style:name=\"money\" style:family=\"table-cell\" "
               "style:data-style-name=\"N1\"/>"
               "<style:style style:name=\"date\" style:family=\"table-cell\" "
               "style:data-style-name=\"N2\"/>"
               "<style:style style:name=\"share\" style:family=\"table-cell\" "
               "style:data-style-name=\"N3\"/>"
               "<style:style style:name=\"hidden\" style:family=\"table\"><style:table-properties "
               "table:display=\"false\"/></style:style>"
               "</office:automatic-styles><office:body><office:spreadsheet>%1</office:spreadsheet>"
               "</office:body></office:document>\n")
        .arg(tables, active);
}

QString sheet(const QString& name, const QString& rows, bool hidden = false)
{
    return QStringLiteral("<table:table table:name=\"%1\"%2>%3</table:table>")
        .arg(name, hidden ? QStringLiteral(" table:style-name=\"hidden\"") : QString(), rows);
}

QString row(const QString& cells, const char* visibility = nullptr)
{
    return QStringLiteral("<table:table-row%1>%2</table:table-row>")
        .arg(visibility ? QStringLiteral(" table:visibility=\"%1\"").arg(QLatin1String(visibility))
                        : QString(),
             cells);
}

QString text(const QString& text, const QString& span = QString())
{
    return QStringLiteral("<table:table-cell "
                          "office:value-type=\"string\"%1><text:p>%2</text:p></table:table-cell>")
        .arg(span, text);
}

QString texts(const QStringList& cells)
{
    QString all;
    for (const QString& cell : cells)
        all += text(cell);
    return all;
}

const QString kCovered = QStringLiteral("<table:covered-table-cell/>");
const QString kEmpty = QStringLiteral("<table:table-cell/>");

QString rowsSpanned(int rows)
{
    return QStringLiteral(" table:number-rows-spanned=\"%1\"").arg(rows);
}

QString number(const char* style, const char* type, const char* value)
{
    const char* attribute = qstrcmp(type, "date") == 0 ? "office:date-value" : "office:value";
    return QStringLiteral(
               "<table:table-cell table:style-name=\"%1\" office:value-type=\"%2\" %3=\"%4\"/>")
        .arg(QLatin1String(style), QLatin1String(type), QLatin1String(attribute),
             QLatin1String(value));
}

QString formula(const char* expression, const char* style = nullptr)
{
    return QStringLiteral("<table:table-cell%1 table:formula=\"of:%2\"/>")
        .arg(style ? QStringLiteral(" table:style-name=\"%1\"").arg(QLatin1String(style))
                   : QString(),
             QLatin1String(expression));
}

// The read in lines to compare: each sheet's name, its rows ("3: a|b"), its error
// cells ("error 3,1: #N/A", the column from 0), and last what was hidden.
QStringList described(const data::Workbook& workbook)
{
    QStringList lines;
    for (const data::Sheet& sheet : workbook.sheets) {
        lines << QStringLiteral("sheet ") + sheet.name;
        for (const data::TableRow& row : sheet.rows)
            lines << QStringLiteral("%1: %2").arg(row.line).arg(row.cells.join(QLatin1Char('|')));
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
    QString workbook(const QString& name, const QString& tables, const QString& format,
                     const QString& password = QString())
    {
        const QString flat = m_folder.filePath(name + QStringLiteral(".fods"));
        if (!writeFile(flat, flatWorkbook(tables, QStringLiteral("Projects")).toUtf8()))
            return QString();
        if (format == QLatin1String("fods") && password.isEmpty())
            return flat;
        const QString made = m_folder.filePath(name + QLatin1Char('.') + format);
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
        QTest::addColumn<QString>("tables");
        QTest::addColumn<QStringList>("expected");
        const QString harbour = row(texts({"Project Name"})) + row(texts({"Harbour"}));
        for (const char* format : {"fods", "xlsx"}) {
            const QString f = QLatin1String(format);
            const auto name = [&](const char* what) {
                return QStringLiteral("%1 (%2)").arg(QLatin1String(what), f);
            };
            QTest::newRow(qPrintable(name("a hidden first sheet")))
                << f
                << sheet("Old", row(texts({"Project Name"})) + row(texts({"Retired"})), true) +
                       sheet("Projects", harbour) + sheet("Archive", harbour, true)
                << QStringList{"sheet Projects", "1: Project Name", "2: Harbour",
                               "hidden: 2 sheets, 0 rows"};
            QTest::newRow(qPrintable(name("hidden and filtered rows")))
                << f
                << sheet("Projects", harbour + row(texts({"Secret"}), "collapse") +
                                         row(texts({"Filtered"}), "filter") +
                                         row(kEmpty, "collapse") + row(texts({"Tunnel"})))
                << QStringList{"sheet Projects", "1: Project Name", "2: Harbour", "6: Tunnel",
                               "hidden: 0 sheets, 2 rows"};
            QTest::newRow(qPrintable(name("merged areas")))
                << f
                << sheet("Milestones",
                         row(texts({"Project Name", "Milestone", "Owner"})) +
                             row(text("Harbour", rowsSpanned(2)) + texts({"Design", "Ann"})) +
                             row(kCovered + texts({"Build", "Bob"})) +
                             row(text("Tunnel") +
                                 text("Dig, by all",
                                      QStringLiteral(" table:number-columns-spanned=\"2\"")) +
                                 kCovered) +
                             row(text("Bridge", rowsSpanned(2)) + texts({"Survey"})) +
                             row(kCovered))
                << QStringList{"sheet Milestones",
                               "1: Project Name|Milestone|Owner",
                               "2: Harbour|Design|Ann",
                               "3: Harbour|Build|Bob",
                               "4: Tunnel|Dig, by all|Dig, by all",
                               "5: Bridge|Survey",
                               "hidden: 0 sheets, 0 rows"};
            QTest::newRow(qPrintable(name("formula errors")))
                << f
                << sheet("Projects",
                         row(texts({"Project Name", "Ratio", "Check"})) +
                             row(text("Tunnel") + formula("=1/0") + formula("=NA()")) +
                             row(text("Harbour") + formula("=1/4", "share") + text("ok")))
                << QStringList{"sheet Projects",          "1: Project Name|Ratio|Check",
                               "2: Tunnel|#DIV/0!|#N/A",  "3: Harbour|25.0%|ok",
                               "error 2,1: #DIV/0!",      "error 2,2: #N/A",
                               "hidden: 0 sheets, 0 rows"};
            QTest::newRow(qPrintable(name("cells as their formats show them")))
                << f
                << sheet("Projects",
                         row(texts({"Project Name", "Budget", "Due", "Share", "Code"})) +
                             row(text("Harbour") + number("money", "currency", "12500") +
                                 number("date", "date", "2026-03-31") +
                                 number("share", "percentage", "0.125") + text("007")) +
                             row(kEmpty + kEmpty + number("money", "currency", "0.5")))
                << QStringList{"sheet Projects", "1: Project Name|Budget|Due|Share|Code",
                               "2: Harbour|£12,500.00|31.03.2026|12.5%|007", "3: ||£0.50",
                               "hidden: 0 sheets, 0 rows"};
        }
    }

    void readsWhatTheSheetShows()
    {
        QFETCH(QString, format);
        QFETCH(QString, tables);
        QFETCH(QStringList, expected);
        const QString path = workbook(QStringLiteral("shown"), tables, format);
        // Joined, so that a failure shows the whole read.
        QCOMPARE(described(readWorkbook(*m_application, path)).join(QLatin1Char('\n')),
                 expected.join(QLatin1Char('\n')));
        verifyNothingLeftOpen();
    }

    // One cell at the sheet's far corner (column AMJ, row 1048576) is one row more,
    // not a million rows of a thousand cells each, and the office stays small.
    void aStrayCellFarOffCostsItsOwnRowOnly_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("OpenDocument") << "fods";
        QTest::newRow("Excel") << "xlsx";
    }

    void aStrayCellFarOffCostsItsOwnRowOnly()
    {
        QFETCH(QString, format);
        const QString farOff =
            QStringLiteral(
                "<table:table-row table:number-rows-repeated=\"1048572\"><table:table-cell "
                "table:number-columns-repeated=\"1024\"/></table:table-row>") +
            row(QStringLiteral("<table:table-cell table:number-columns-repeated=\"1023\"/>") +
                text("stray"));
        const QString path =
            workbook(QStringLiteral("stray"),
                     sheet("Projects", row(texts({"Project Name"})) + row(texts({"Harbour"})) +
                                           row(texts({"Tunnel"})) + farOff),
                     format);
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

    // A workbook locked with a password is said to be one; the office that was
    // asked goes on reading the next.
    void aPasswordIsSaidAsSuch_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("OpenDocument") << "ods";
        QTest::newRow("Excel") << "xlsx";
        QTest::newRow("Excel 97") << "xls";
    }

    void aPasswordIsSaidAsSuch()
    {
        QFETCH(QString, format);
        const QString tables =
            sheet("Projects", row(texts({"Project Name"})) + row(texts({"Harbour"})));
        const QString locked =
            workbook(QStringLiteral("locked"), tables, format, QStringLiteral("secret"));
        try {
            readWorkbook(*m_application, locked);
            QFAIL("a workbook locked with a password was read");
        } catch (const Failure& failure) {
            QCOMPARE(failure.description(),
                     QStringLiteral(
                         "%1 is protected by a password; save a copy without the password and "
                         "read that.")
                         .arg(locked));
        }
        verifyNothingLeftOpen();
        const QString open = workbook(QStringLiteral("open"), tables, format);
        QCOMPARE(readWorkbook(*m_application, open).sheets.constFirst().rows.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
