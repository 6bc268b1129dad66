#include "core/Failure.h"
#include "core/WorkFolder.h"
#include "support/FieldReplacement.h"
#include "support/OfficeProbes.h"
#include "support/OfficeProcesses.h"
#include "support/SampleDocuments.h"
#include "support/SavedDocument.h"
#include "support/fixtures/CoverageFixture.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace statusmill;
using namespace statusmill::automation;
using namespace statusmill::testing;

namespace {

QString fixtureText()
{
    QFile file(fixtures::coverageFixturePath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
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

    // Replaces, saves as .doc, and reads back what the saved file holds; `live`
    // receives what the document held before it was saved.
    DocumentText roundTrip(const QString& source, const QStringList& values, const QString& saved,
                           DocumentText* live = nullptr)
    {
        auto document = m_application->Documents().Open(source, true);
        replaceFields(document, values);
        if (live)
            *live = readDocumentText(*document);
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

    void everyStoryAndShapeIsReplaced()
    {
        const QStringList values{QStringLiteral("Alpha Project"), QStringLiteral("Beta Dept"),
                                 QStringLiteral("Gamma Focus"), QStringLiteral("Delta Product")};
        const QString original = fixtureText();
        QVERIFY2(!original.isEmpty(), qPrintable(fixtures::coverageFixturePath()));
        for (const QString& value : values)
            QVERIFY2(!original.contains(value, Qt::CaseInsensitive), qPrintable(value));

        const QString saved = m_folder.filePath(QStringLiteral("coverage ü.doc"));
        const DocumentText text = roundTrip(fixtures::coverageFixturePath(), values, saved);
        const QString all = text.all();
        for (const QString& tag : placeholders())
            QVERIFY2(!all.contains(tag, Qt::CaseInsensitive), qPrintable(tag + " left in\n" + all));
        for (int field = 0; field < values.size(); ++field)
            QVERIFY2(all.count(values[field]) == fixtures::kCoverageCounts[field],
                     qPrintable(QStringLiteral("%1 found %2 times in\n%3")
                                    .arg(values[field])
                                    .arg(all.count(values[field]))
                                    .arg(all)));
        QVERIFY(all.contains(QStringLiteral("Inside a word: preDelta Productpost.")));
        QVERIFY(all.contains(QStringLiteral("Comment: Delta Product")));

        // Every value occurs in the main text, where an independent reader looks.
        const QString readable = textAsWordSeesIt(saved);
        for (const QString& value : values)
            QVERIFY2(readable.contains(value), qPrintable(readable));
        for (const QString& tag : placeholders())
            QVERIFY2(!readable.contains(tag, Qt::CaseInsensitive), qPrintable(readable));
        // And it refuses what is not a Word document.
        QVERIFY_THROWS_EXCEPTION(Failure, textAsWordSeesIt(fixtures::coverageFixturePath()));
    }

    void valuesHoldingPlaceholdersLandAsTyped()
    {
        // The project name brings the department's placeholder, which must stay as
        // typed: no value is searched for placeholders once it is in.
        const QStringList values{QStringLiteral("[Department]"), QStringLiteral("Dept"),
                                 QStringLiteral("[ProjectName]"), QStringLiteral("[product] x")};
        DocumentText live;
        const DocumentText saved =
            roundTrip(sample(QStringLiteral("order.fodt"), CoverageSample::document()), values,
                      m_folder.filePath(QStringLiteral("order.doc")), &live);
        for (const DocumentText& text : {live, saved}) {
            const QString all = text.all();
            QVERIFY2(all.count(QStringLiteral("[Department]")) == CoverageSample::expected(0),
                     qPrintable(all));
            QCOMPARE(all.count(QStringLiteral("Dept")), CoverageSample::expected(1));
            QCOMPARE(all.count(QStringLiteral("[ProjectName]")), CoverageSample::expected(2));
            QVERIFY2(all.count(QStringLiteral("[product] x")) == CoverageSample::expected(3),
                     qPrintable(all));
            QVERIFY(text.shapes.contains(QStringLiteral("Shape [ProjectName] and [product] x")));
            QVERIFY2(!all.contains(QChar(0xE000)), qPrintable(all));
        }
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
