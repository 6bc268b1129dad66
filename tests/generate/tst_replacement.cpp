#include "FieldReplacement.h"
#include "OfficeProcesses.h"
#include "SampleDocuments.h"
#include "common/Failure.h"
#include "common/WorkFolder.h"
#include "generate/DocumentText.h"
#include "generate/OfficeLocation.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace statusmill;
using namespace statusmill::automation;
using namespace statusmill::testing;

namespace {

// Writer without its dialog files (the -nogui packages) cannot lay out comments:
// the office stops as soon as a document with one is shown.
bool officeCanShowComments()
{
    const QString program = office::findOfficeProgram();
    return QFileInfo::exists(QFileInfo(program).absolutePath() +
                             QStringLiteral("/../share/config/soffice.cfg/modules/swriter/ui/"
                                            "annotation.ui"));
}

} // namespace

class TestReplacement : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<Application> m_application;

    QString sample(const QString& name, const QString& text)
    {
        const QString path = m_folder.filePath(name);
        writeFile(path, text);
        return path;
    }

    // Replaces, saves as .doc, and reads back what the saved file holds.
    DocumentText roundTrip(const QString& source, const QStringList& values, const QString& saved)
    {
        auto document = m_application->Documents().Open(source);
        replaceFields(*document, values);
        document->SaveAs(saved);
        document->Close(0);
        auto reopened = m_application->Documents().Open(saved, true);
        const DocumentText text = readDocumentText(*reopened);
        reopened->Close(0);
        return text;
    }

private slots:
    void initTestCase() { m_application = engine().createApplication(); }

    void cleanupTestCase()
    {
        m_application->quit();
        m_application.reset();
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
        WorkFolder::remove();
    }

    void everyStoryAndShapeIsReplaced_data()
    {
        QTest::addColumn<bool>("withComment");
        QTest::newRow("without comment") << false;
        QTest::newRow("with comment") << true;
    }

    void everyStoryAndShapeIsReplaced()
    {
        QFETCH(bool, withComment);
        if (withComment && !officeCanShowComments())
            QSKIP("This office lacks Writer's dialog files (a -nogui package) and stops on "
                  "documents with comments.");
        const QStringList values{QStringLiteral("Alpha Project"), QStringLiteral("Beta Dept"),
                                 QStringLiteral("Gamma Focus"), QStringLiteral("Delta Product")};
        const QString saved =
            m_folder.filePath(QStringLiteral("coverage %1 ü.doc").arg(withComment));
        const DocumentText text = roundTrip(
            sample(QStringLiteral("coverage.fodt"), CoverageSample::document(withComment)), values,
            saved);

        const QString all = text.all();
        for (const QString& tag : placeholders())
            QVERIFY2(!all.contains(tag, Qt::CaseInsensitive), qPrintable(tag + " left in\n" + all));
        for (int field = 0; field < values.size(); ++field)
            QCOMPARE(all.count(values[field]), CoverageSample::expected(field, withComment));
        // The header that no page shows yet was replaced as well.
        QVERIFY(text.stories.contains(QStringLiteral("Header Alpha Project")));
        QVERIFY(all.contains(QStringLiteral("Body Alpha Project in xDelta Producty")));

        // A Word 97-2003 document is an OLE compound file.
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(8), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
        // An independent reader, where one is installed, finds the values in the body.
        const QString catdoc = QStandardPaths::findExecutable(QStringLiteral("catdoc"));
        if (!catdoc.isEmpty()) {
            QProcess reader;
            reader.start(catdoc, {QStringLiteral("-d"), QStringLiteral("utf-8"), saved});
            QVERIFY(reader.waitForFinished(30000));
            const QString readable = QString::fromUtf8(reader.readAllStandardOutput());
            QVERIFY2(readable.contains(QStringLiteral("Body Alpha Project")), qPrintable(readable));
        }
    }

    void valuesHoldingPlaceholdersFollowFieldOrder()
    {
        // The project name brings the department's placeholder, which the
        // department's own pass then replaces; later fields never come back.
        const QStringList values{QStringLiteral("[Department]"), QStringLiteral("Dept"),
                                 QStringLiteral("[ProjectName]"), QStringLiteral("[product] x")};
        const DocumentText text =
            roundTrip(sample(QStringLiteral("order.fodt"), CoverageSample::document(false)), values,
                      m_folder.filePath(QStringLiteral("order.doc")));
        const QString all = text.all();
        QCOMPARE(all.count(QStringLiteral("Dept")),
                 CoverageSample::expected(0, false) + CoverageSample::expected(1, false));
        QCOMPARE(all.count(QStringLiteral("[ProjectName]")), CoverageSample::expected(2, false));
        // A value is never searched again by its own pass.
        QEXPECT_FAIL("",
                     "Known defect: the split placeholder in a shape is missed once an earlier "
                     "field put a placeholder-like value into the same paragraph",
                     Continue);
        QVERIFY2(all.count(QStringLiteral("[product] x")) == CoverageSample::expected(3, false),
                 qPrintable(all));
    }

    void hostileValuesStayLiteral_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("group reference") << QStringLiteral("$1 and $0");
        QTest::newRow("ampersand") << QStringLiteral("R&D & more");
        QTest::newRow("escaped newline") << QStringLiteral("a\\nb\\t");
        QTest::newRow("backslash") << QStringLiteral("C:\\temp\\");
        QTest::newRow("word codes") << QStringLiteral("^p^t^&^^");
        QTest::newRow("pattern") << QStringLiteral(".*[a-z]+(x)?|^$");
        QTest::newRow("quotes") << QStringLiteral("\"double\" 'single' \u201ccurly\u201d");
        QTest::newRow("tab") << QStringLiteral("left\tright");
        QTest::newRow("line break") << QStringLiteral("first\nsecond");
        QTest::newRow("non-Latin") << QStringLiteral("Ελληνικά 中文 العربية עברית");
        QTest::newRow("emoji") << QStringLiteral("go 😀👍🏽 now");
        QTest::newRow("long") << QString(QStringLiteral("0123456789")).repeated(1000);
        QTest::newRow("placeholder itself") << QStringLiteral("[ProjectName][ProjectName]");
        QTest::newRow("empty") << QString();
    }

    void hostileValuesStayLiteral()
    {
        QFETCH(QString, value);
        const QString source = sample(
            QStringLiteral("hostile.fodt"),
            flatDocument(QString(), QString(),
                         QStringLiteral(
                             "<text:p>A[ProjectName]B 😀 then [projectname].</text:p><text:p>"
                             "<draw:custom-shape draw:style-name=\"Shape\" text:anchor-type="
                             "\"paragraph\" svg:width=\"2in\" svg:height=\"1in\" svg:x=\"0in\" "
                             "svg:y=\"0in\"><text:p>😀 S[ProjectName]T</text:p>"
                             "<draw:enhanced-geometry draw:type=\"rectangle\"/></draw:custom-shape>"
                             "</text:p>")));
        const DocumentText text = roundTrip(
            source, {value, QStringLiteral("d"), QStringLiteral("f"), QStringLiteral("p")},
            m_folder.filePath(QStringLiteral("hostile.doc")));
        QCOMPARE(text.stories.value(0).section(QLatin1Char('\n'), 0, -2),
                 QStringLiteral("A%1B 😀 then %1.").arg(value));
        QCOMPARE(text.shapes, QStringList{QStringLiteral("😀 S%1T").arg(value)});
    }

    void searchOptionsAreHonoured_data()
    {
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<QString>("expected");
        QTest::newRow("defaults") << false << false << QStringLiteral("X X xX X");
        QTest::newRow("match case") << true << false << QStringLiteral("X [tag] xX X");
        QTest::newRow("whole word") << false << true << QStringLiteral("X X x[TAG] X");
    }

    void searchOptionsAreHonoured()
    {
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWord);
        QFETCH(QString, expected);
        auto document = m_application->Documents().Open(
            sample(QStringLiteral("options.fodt"),
                   flatDocument(QString(), QString(),
                                paragraphs({QStringLiteral("[TAG] [tag] x[TAG] [TAG]")}))));
        auto range = document->Range();
        Find& find = range->Find();
        find.setText(QStringLiteral("[TAG]"));
        find.Replacement().setText(QStringLiteral("X"));
        find.setMatchCase(matchCase);
        find.setMatchWholeWord(wholeWord);
        find.Execute(Find::kReplaceAll);
        QCOMPARE(readDocumentText(*document).stories.value(0), expected);
        find.setMatchWildcards(true);
        QVERIFY_THROWS_EXCEPTION(Failure, find.Execute(Find::kReplaceAll));
        document->Close(0);
    }
};

QTEST_GUILESS_MAIN(TestReplacement)
#include "tst_replacement.moc"
