// Reports made one after another from one template kept open: each must hold its
// own row's values and none of another row's, however many replacements, stories
// and shapes its fill touches, also far past the office's limit of steps to take
// back. Every report is read back from its file.

#include "core/WorkFolder.h"
#include "generate/ReportMaker.h"
#include "support/FaultyEngine.h"
#include "support/OfficeProcesses.h"
#include "support/SampleDocuments.h"
#include "support/SavedDocument.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace statusmill;
using namespace statusmill::automation;
using namespace statusmill::testing;
using statusmill::automation::testing::EngineOverride;
using statusmill::automation::testing::FaultyEngine;

namespace {

constexpr int kRows = 5;

// "[F1]" ... "[Fn]": one in each story a report has, the rest in the main text.
QString manyPlaceholders(int count, bool withShape)
{
    auto tag = [](int i) { return QStringLiteral("[F%1]").arg(i); };
    const QString master =
        QStringLiteral("<style:header><text:p>Header %1</text:p></style:header>"
                       "<style:footer><text:p>Footer %2</text:p></style:footer>")
            .arg(tag(1), tag(2));
    QString body = QStringLiteral(
                       "<text:p>Noted<office:annotation><dc:creator>Tester</dc:creator>"
                       "<text:p>Comment %1</text:p></office:annotation></text:p>"
                       "<table:table table:name=\"T\"><table:table-column/><table:table-row>"
                       "<table:table-cell><text:p>Cell %2</text:p></table:table-cell>"
                       "</table:table-row></table:table>"
                       "<text:p>Noted<text:note text:id=\"n1\" text:note-class=\"footnote\">"
                       "<text:note-citation>1</text:note-citation><text:note-body>"
                       "<text:p>Footnote %3</text:p></text:note-body></text:note></text:p>"
                       "<text:p><draw:frame draw:name=\"Frame1\" text:anchor-type=\"paragraph\" "
                       "svg:width=\"3in\" svg:height=\"0.5in\"><draw:text-box><text:p>Frame %4"
                       "</text:p></draw:text-box></draw:frame></text:p>")
                       .arg(tag(3), tag(4), tag(5), tag(6));
    if (withShape)
        body += QStringLiteral("<text:p><draw:custom-shape draw:style-name=\"Shape\" "
                               "text:anchor-type=\"paragraph\" svg:width=\"2in\" "
                               "svg:height=\"0.5in\"><text:p>Shape %1</text:p>"
                               "<draw:enhanced-geometry draw:type=\"rectangle\"/>"
                               "</draw:custom-shape></text:p>")
                    .arg(tag(7));
    for (int i = withShape ? 8 : 7; i <= count; ++i)
        body += QStringLiteral("<text:p>Line %1</text:p>").arg(tag(i));
    return flatDocument(QString(), master, body);
}

// Row r's value of field i: "<r3f12>", which no other row's value holds.
QString value(int row, int field)
{
    return QStringLiteral("<r%1f%2>").arg(row).arg(field);
}

} // namespace

class TestReportMaker : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    void cleanupTestCase()
    {
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
        WorkFolder::remove();
    }

    // A template kept open is brought back after each report; where it cannot be
    // (text in a drawing shape) it is opened anew. Neither may leave a value behind.
    void everyReportHoldsOnlyItsOwnRow_data()
    {
        QTest::addColumn<int>("placeholders");
        QTest::addColumn<bool>("withShape");
        QTest::addColumn<int>("opens");
        QTest::newRow("four times the office's limit, in every story") << 400 << false << 1;
        QTest::newRow("a few") << 8 << false << 1;
        QTest::newRow("past the limit, one in a drawing shape") << 150 << true << kRows;
    }

    void everyReportHoldsOnlyItsOwnRow()
    {
        QFETCH(int, placeholders);
        QFETCH(bool, withShape);
        QFETCH(int, opens);
        const QString templatePath = m_folder.filePath(QStringLiteral("many-%1.fodt").arg(placeholders));
        QVERIFY(writeFile(templatePath, manyPlaceholders(placeholders, withShape)));

        QStringList files;
        {
            // Counts the template's opens, passing every call on to the office.
            FaultyEngine counting;
            const EngineOverride override(counting);
            ReportMaker maker([] { return engine().createApplication(); }, templatePath);
            for (int row = 1; row <= kRows; ++row) {
                QList<Replacement> replacements;
                for (int field = 1; field <= placeholders; ++field)
                    replacements.append({QStringLiteral("[F%1]").arg(field), value(row, field)});
                files << m_folder.filePath(QStringLiteral("row-%1-%2.odt").arg(placeholders).arg(row));
                maker.make(replacements, files.last(), SaveFormats::Format::Odt);
            }
            maker.finish();
            QCOMPARE(counting.calls().count(QStringLiteral("Open")), opens);
        }

        for (int row = 1; row <= kRows; ++row) {
            const QString text = savedDocumentText(files.at(row - 1));
            const QRegularExpression otherRow(QStringLiteral("<r(?!%1f)\\d+f\\d+>").arg(row));
            QVERIFY2(!text.contains(otherRow),
                     qPrintable(QStringLiteral("row %1 holds %2").arg(row).arg(otherRow.match(text).captured())));
            QVERIFY2(!text.contains(QStringLiteral("[F")), qPrintable(text.left(2000)));
            for (int field = 1; field <= placeholders; ++field)
                QVERIFY2(text.contains(value(row, field)),
                         qPrintable(QStringLiteral("row %1 lacks %2").arg(row).arg(value(row, field))));
        }
    }

    // A batch's last job hands its office to the maker of one more document, of
    // another template: that document holds only its own template's text, the
    // office is not started again, and the first maker goes on on a fresh one. An
    // office whose template would not close is handed to nobody.
    void aSessionHandedOverServesAnotherTemplate_data()
    {
        QTest::addColumn<bool>("closeFails");
        QTest::addColumn<int>("startsBeforeGoingOn");
        QTest::newRow("handed over") << false << 1;
        QTest::newRow("a template that would not close") << true << 2;
    }
    void aSessionHandedOverServesAnotherTemplate()
    {
        QFETCH(bool, closeFails);
        QFETCH(int, startsBeforeGoingOn);
        const QString first = m_folder.filePath(QStringLiteral("first.fodt"));
        const QString second = m_folder.filePath(QStringLiteral("second.fodt"));
        QVERIFY(writeFile(first, manyPlaceholders(8, false)));
        QVERIFY(writeFile(second, flatDocument(QString(), QString(), QStringLiteral("<text:p>Second [G1]</text:p>"))));
        auto row = [](int number, const QString& tag, int count) {
            QList<Replacement> replacements;
            for (int field = 1; field <= count; ++field)
                replacements.append({QStringLiteral("[%1%2]").arg(tag).arg(field), value(number, field)});
            return replacements;
        };
        const QString firstReport = m_folder.filePath(QStringLiteral("handed-first.odt"));
        const QString secondReport = m_folder.filePath(QStringLiteral("handed-second.odt"));
        const QString againReport = m_folder.filePath(QStringLiteral("handed-again.odt"));
        FaultyEngine counting;
        if (closeFails)
            counting.failAt(QStringLiteral("Close"), 1, QStringLiteral("would not close"));
        {
            const EngineOverride override(counting);
            ReportMaker reports([] { return engine().createApplication(); }, first);
            ReportMaker other([] { return engine().createApplication(); }, second);
            reports.make(row(1, QStringLiteral("F"), 8), firstReport, SaveFormats::Format::Odt);
            other.adoptSession(reports.handOverSession());
            other.make(row(2, QStringLiteral("G"), 1), secondReport, SaveFormats::Format::Odt);
            QCOMPARE(counting.calls().count(QStringLiteral("createApplication")), startsBeforeGoingOn);
            reports.make(row(3, QStringLiteral("F"), 8), againReport, SaveFormats::Format::Odt);
            QCOMPARE(counting.calls().count(QStringLiteral("createApplication")), startsBeforeGoingOn + 1);
        }
        const QString handed = savedDocumentText(secondReport);
        QVERIFY2(handed.contains(QStringLiteral("Second ") + value(2, 1)), qPrintable(handed));
        QVERIFY2(!handed.contains(QStringLiteral("Line")) && !handed.contains(QStringLiteral("<r1")), qPrintable(handed));
        QVERIFY(savedDocumentText(firstReport).contains(value(1, 8)));
        const QString again = savedDocumentText(againReport);
        QVERIFY2(again.contains(value(3, 8)) && !again.contains(QStringLiteral("Second")), qPrintable(again));
    }
};

QTEST_GUILESS_MAIN(TestReportMaker)
#include "tst_reportmaker.moc"
