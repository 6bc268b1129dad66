// Lists from data, filled inside the office: a row that names a list's fields is
// made once per item, in a table, as a bullet paragraph and in a header; a cell
// that says a status takes the status key's colour; a row that names two lists is
// refused. Reports made one after another from one template kept open hold their
// own rows only. Every report is read back from its file.

#include "core/Failure.h"
#include "core/WorkFolder.h"
#include "generate/ReportMaker.h"
#include "support/OdtContent.h"
#include "support/OfficeProcesses.h"
#include "support/SampleDocuments.h"
#include "support/SavedDocument.h"
#include "support/TestFiles.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace statusmill;
using namespace statusmill::automation;
using namespace statusmill::testing;

namespace {

const char* const kCell = "<table:table-cell%1><text:p>%2</text:p></table:table-cell>";

QString cell(const QString& text, const QString& style = QString())
{
    return QString::fromLatin1(kCell)
        .arg(style.isEmpty() ? QString() : QStringLiteral(" table:style-name=\"%1\"").arg(style), text);
}

QString row(const QStringList& cells)
{
    QString text;
    for (const QString& c : cells)
        text += c;
    return QStringLiteral("<table:table-row>%1</table:table-row>").arg(text);
}

// A report with a list in a table, one as bullets, one in the header, a status key
// and a field; `extraRow` goes into the table.
QString listStyles()
{
    return QStringLiteral(
        "<style:style style:name=\"G\" style:family=\"table-cell\"><style:table-cell-properties "
        "fo:background-color=\"#c6efce\"/></style:style>"
        "<style:style style:name=\"A\" style:family=\"table-cell\"><style:table-cell-properties "
        "fo:background-color=\"#ffeb9c\"/></style:style>"
        "<style:style style:name=\"R\" style:family=\"table-cell\"><style:table-cell-properties "
        "fo:background-color=\"#ffc7ce\"/></style:style>"
        "<style:style style:name=\"Shaded\" style:family=\"table-cell\"><style:table-cell-properties "
        "fo:background-color=\"#dddddd\"/></style:style>"
        "<text:list-style style:name=\"Bullets\"><text:list-level-style-bullet text:level=\"1\" "
        "text:bullet-char=\"•\"/></text:list-style>");
}

QString listTemplate(const QString& extraRow = QString())
{
    const QString styles = listStyles();
    const QString header =
        QStringLiteral("<style:header><text:p>Risk [Risks.ID]: [Risks.Rating]</text:p></style:header>");
    const QString body =
        QStringLiteral("<text:p>Report of [ProjectName]</text:p>"
                       "<table:table table:name=\"Key\"><table:table-column table:number-columns-repeated=\"3\"/>") +
        row({cell("Green", "G"), cell("Amber", "A"), cell("Red", "R")}) +
        QStringLiteral("</table:table><table:table table:name=\"Milestones\">"
                       "<table:table-column table:number-columns-repeated=\"3\"/>") +
        row({cell("#"), cell("Milestone"), cell("Status")}) +
        row({cell("[Milestones.#]", "Shaded"), cell("[Milestones.Milestone]", "Shaded"),
             cell("[Milestones.Status]", "Shaded")}) +
        extraRow + row({cell("End of milestones"), cell(""), cell("")}) +
        QStringLiteral("</table:table><text:list text:style-name=\"Bullets\"><text:list-item>"
                       "<text:p>Done: [Achievements.Text]</text:p></text:list-item></text:list>"
                       "<text:p>Last paragraph.</text:p>");
    return flatDocument(styles, header, body);
}

data::List listOf(const QString& name, int items, const QStringList& fields, const QString& tag)
{
    data::List list{name, {}};
    for (int item = 1; item <= items; ++item) {
        QList<data::Field> values;
        for (const QString& field : fields)
            values.append({field, QStringLiteral("%1%2-%3").arg(tag, field).arg(item)});
        list.items.append(values);
    }
    return list;
}

// The texts of a saved .odt in bold, in order: each paragraph or span whose style
// is bold (the office keeps a paragraph's bold in the paragraph).
QStringList boldTexts(const QString& odt)
{
    const QByteArray content = commandOutput(QStringLiteral("unzip"), {"-p", odt, "content.xml"}).toUtf8();
    QSet<QString> bold;
    QStringList texts;
    QXmlStreamReader xml(content);
    QString style;
    int boldDepth = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        const bool paragraphOrSpan = xml.name() == QLatin1String("p") || xml.name() == QLatin1String("span");
        if (xml.isStartElement() && xml.name() == QLatin1String("style")) {
            style = xml.attributes().value(QStringLiteral("style:name")).toString();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("text-properties") &&
                   xml.attributes().value(QStringLiteral("fo:font-weight")) == QLatin1String("bold")) {
            bold.insert(style);
        } else if (xml.isStartElement() && paragraphOrSpan) {
            if (boldDepth > 0)
                ++boldDepth;
            else if (bold.contains(xml.attributes().value(QStringLiteral("text:style-name")).toString())) {
                boldDepth = 1;
                texts.append(QString());
            }
        } else if (xml.isEndElement() && paragraphOrSpan && boldDepth > 0) {
            --boldDepth;
        } else if (boldDepth > 0 && xml.isCharacters()) {
            texts.last() += xml.text();
        }
    }
    return texts;
}

} // namespace

class TestLists : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

    QString writeTemplate(const QString& name, const QString& text)
    {
        const QString path = m_folder.filePath(name);
        writeFile(path, text);
        return path;
    }

private slots:
    void cleanupTestCase()
    {
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
        WorkFolder::remove();
    }

    // Reports of one template kept open, with lists of these lengths in turn (-1:
    // the data has no such list): each holds its own items, in order, and nothing
    // of another's.
    void everyListRowOncePerItem_data()
    {
        QTest::addColumn<QList<int>>("lengths");
        QTest::newRow("none, one and twelve items") << QList<int>{0, 1, 12};
        QTest::newRow("three, twelve, none, and no list at all") << QList<int>{3, 12, 0, -1};
        // Each forty-item report makes some three hundred changes, more than the office
        // keeps steps to take back; the fill is still one step, and the next report short.
        QTest::newRow("forty, two, forty") << QList<int>{40, 2, 40};
    }

    void everyListRowOncePerItem()
    {
        QFETCH(QList<int>, lengths);
        const QString path = writeTemplate(QStringLiteral("lists.fodt"), listTemplate());
        ReportMaker maker([] { return engine().createApplication(); }, path);
        QStringList files;
        for (int report = 0; report < lengths.size(); ++report) {
            data::ReportData data;
            data.setField(QStringLiteral("ProjectName"), QStringLiteral("Project %1").arg(report));
            const QString tag = QStringLiteral("r%1").arg(report);
            if (lengths[report] >= 0) {
                data.setList(listOf("Milestones", lengths[report], {"Milestone", "Status"}, tag));
                data.setList(listOf("Achievements", lengths[report], {"Text"}, tag));
                data.setList(listOf("Risks", lengths[report], {"ID", "Rating"}, tag));
            }
            files << m_folder.filePath(QStringLiteral("report-%1.odt").arg(report));
            maker.make(data, files.last(), SaveFormats::Format::Odt);
        }
        maker.finish();

        for (int report = 0; report < lengths.size(); ++report) {
            const DocumentText text = savedDocument(files[report]);
            const QString all = text.all();
            const int items = lengths[report];
            const QString tag = QStringLiteral("r%1").arg(report);
            QVERIFY2(all.contains(QStringLiteral("Report of Project %1").arg(report)), qPrintable(all));
            QVERIFY2(!all.contains(QRegularExpression(QStringLiteral("r(?!%1[A-Z])\\d+[A-Z]").arg(report))),
                     qPrintable(QStringLiteral("report %1 holds another's items:\n%2").arg(report).arg(all)));
            // The template's rows stay only where the data has no list.
            QCOMPARE(all.contains(QStringLiteral("[Milestones.")), items < 0);
            QVERIFY2(all.contains(QStringLiteral("[Achievements.")) == (items < 0), qPrintable(QString::number(items) + "\n" + all));
            QCOMPARE(all.contains(QStringLiteral("[Risks.")), items < 0);
            qsizetype last = -1;
            for (int item = 1; item <= items; ++item) {
                const QString milestone = QStringLiteral("%1Milestone-%2").arg(tag).arg(item);
                const qsizetype at = all.indexOf(milestone);
                QVERIFY2(at > last, qPrintable(QStringLiteral("%1 missing or out of order in\n%2").arg(milestone, all)));
                last = at;
                for (const QString& value : {QStringLiteral("%1Text-%2"), QStringLiteral("%1ID-%2")})
                    QVERIFY2(all.contains(value.arg(tag).arg(item)), qPrintable(value.arg(tag).arg(item) + "\n" + all));
            }
            QCOMPARE(all.count(QStringLiteral("Done: ")), std::max(items, items < 0 ? 1 : 0));
            QVERIFY(all.contains(QStringLiteral("End of milestones")));
            QVERIFY(all.contains(QStringLiteral("Last paragraph.")));
        }
    }

    // A list in a table of one column: its row's cell is copied, with its
    // shading; a field before a placeholder takes more characters in the cell's
    // text than steps of a cursor, and the copy's placeholders are still filled.
    void aOneColumnTableRowOncePerItem_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("reads");
        // (The reader here skips the space the office saves after a field as an element.)
        QTest::newRow("text") << QStringLiteral("Step<text:s/>") << QStringLiteral("Step ");
        QTest::newRow("an author field")
            << QStringLiteral("<text:author-name text:fixed=\"true\">Ann Example</text:author-name><text:s/>")
            << QStringLiteral("Ann Example");
    }

    void aOneColumnTableRowOncePerItem()
    {
        QFETCH(QString, before);
        QFETCH(QString, reads);
        const QString body = QStringLiteral("<table:table table:name=\"One\"><table:table-column/>") +
                             row({cell("Steps")}) +
                             row({cell(before + "[NextSteps.#]: [NextSteps.Action]", "Shaded")}) +
                             QStringLiteral("</table:table>");
        const QString path = writeTemplate(QStringLiteral("one.fodt"), flatDocument(listStyles(), QString(), body));
        ReportMaker maker([] { return engine().createApplication(); }, path);
        data::ReportData data;
        data.setList(listOf("NextSteps", 3, {"Action"}, "x"));
        const QString file = m_folder.filePath(QStringLiteral("one.odt"));
        maker.make(data, file, SaveFormats::Format::Odt);
        maker.finish();
        const auto cells = odtShadedCells(file);
        QCOMPARE(cells, (QList<std::pair<QString, QString>>{{"Steps", ""},
                                                              {reads + "1: xAction-1", "#dddddd"},
                                                              {reads + "2: xAction-2", "#dddddd"},
                                                              {reads + "3: xAction-3", "#dddddd"}}));
    }

    // A copied row keeps its characters' formatting: a bold placeholder's copies
    // are bold, within a cell's text or as the whole cell.
    void aCopyKeepsItsCharacters()
    {
        const QString body = QStringLiteral("<table:table table:name=\"Risks\"><table:table-column "
                                            "table:number-columns-repeated=\"2\"/>") +
                             row({cell("<text:span text:style-name=\"Bold\">[Risks.ID]</text:span>: [Risks.Rating]"),
                                  cell("<text:span text:style-name=\"Bold\">[Risks.Owner]</text:span>")}) +
                             QStringLiteral("</table:table>");
        const QString path = writeTemplate(QStringLiteral("bold.fodt"), flatDocument(listStyles(), QString(), body));
        ReportMaker maker([] { return engine().createApplication(); }, path);
        data::ReportData data;
        data.setList(listOf("Risks", 3, {"ID", "Rating", "Owner"}, "x"));
        const QString file = m_folder.filePath(QStringLiteral("bold.odt"));
        maker.make(data, file, SaveFormats::Format::Odt);
        maker.finish();
        QCOMPARE(boldTexts(file), (QStringList{"xID-1", "xOwner-1", "xID-2", "xOwner-2", "xID-3", "xOwner-3"}));
        const DocumentText text = savedDocument(file);
        for (int item = 1; item <= 3; ++item)
            QVERIFY2(text.all().contains(QStringLiteral("xID-%1: xRating-%1").arg(item)), qPrintable(text.all()));
    }

    void statusCellsTakeTheKeysColour()
    {
        const QString path = writeTemplate(QStringLiteral("status.fodt"), listTemplate());
        ReportMaker maker([] { return engine().createApplication(); }, path);
        data::ReportData data;
        data::List milestones{QStringLiteral("Milestones"), {}};
        for (const QString status : {"Green", "a", "RED", "Blue", "Red soon"})
            milestones.items.append({{QStringLiteral("Milestone"), QStringLiteral("M ") + status},
                                     {QStringLiteral("Status"), status}});
        data.setList(milestones);
        const QString file = m_folder.filePath(QStringLiteral("status.odt"));
        maker.make(data, file, SaveFormats::Format::Odt);
        maker.finish();

        const auto cells = odtShadedCells(file);
        const QList<std::pair<QString, QString>> expected{
            {"Green", "#c6efce"}, {"Amber", "#ffeb9c"}, {"Red", "#ffc7ce"},
            {"#", ""}, {"Milestone", ""}, {"Status", ""},
            {"1", "#dddddd"}, {"M Green", "#dddddd"}, {"Green", "#c6efce"},
            {"2", "#dddddd"}, {"M a", "#dddddd"}, {"a", "#ffeb9c"},
            {"3", "#dddddd"}, {"M RED", "#dddddd"}, {"RED", "#ffc7ce"},
            {"4", "#dddddd"}, {"M Blue", "#dddddd"}, {"Blue", "#dddddd"},
            {"5", "#dddddd"}, {"M Red soon", "#dddddd"}, {"Red soon", "#dddddd"},
            {"End of milestones", ""}, {"", ""}, {"", ""}};
        QCOMPARE(cells, expected);
    }

    // A prompt of the template, in its grey character style, reads as the report's
    // text once filled; one the data does not give keeps the style; a placeholder
    // of any punctuation is filled as any other.
    void aFilledPromptReadsAsText()
    {
        const QString styles = QStringLiteral(
            "</office:automatic-styles><office:styles><style:style style:name=\"Prompt\" "
            "style:family=\"text\"><style:text-properties fo:color=\"#7f7f7f\"/></style:style>"
            "</office:styles><office:automatic-styles>");
        const QString path = writeTemplate(
            QStringLiteral("prompt.fodt"),
            flatDocument(styles, QString(),
                         QStringLiteral("<text:p>Period: <text:span text:style-name=\"Prompt\">"
                                        "[ReportPeriod]</text:span></text:p><text:p>Left: "
                                        "<text:span text:style-name=\"Prompt\">[NotGiven]"
                                        "</text:span></text:p><text:p>Health: [One-sentence "
                                        "summary of the project’s health]</text:p>")));
        ReportMaker maker([] { return engine().createApplication(); }, path);
        data::ReportData data;
        data.setField(QStringLiteral("ReportPeriod"), QStringLiteral("Week 49"));
        data.setField(QStringLiteral("One-sentence summary of the project’s health"), QStringLiteral("Fine"));
        const QString file = m_folder.filePath(QStringLiteral("prompt.odt"));
        maker.make(data, file, SaveFormats::Format::Odt);
        maker.finish();
        const QString content = commandOutput(QStringLiteral("unzip"), {"-p", file, "content.xml"});
        QVERIFY2(content.contains(QStringLiteral("Period: Week 49</text:p>")), qPrintable(content));
        QVERIFY2(content.contains(QStringLiteral("text:style-name=\"Prompt\">[NotGiven]")), qPrintable(content));
        QVERIFY2(content.contains(QStringLiteral("Health: Fine")), qPrintable(content));
    }

    void aRowThatNamesTwoListsIsRefused()
    {
        const QString path = writeTemplate(
            QStringLiteral("two.fodt"),
            listTemplate(row({cell("[Milestones.Owner]"), cell("[Risks.ID]"), cell("")})));
        ReportMaker maker([] { return engine().createApplication(); }, path);
        data::ReportData data;
        data.setList(listOf("Milestones", 2, {"Owner"}, "x"));
        try {
            maker.make(data, m_folder.filePath(QStringLiteral("two.odt")), SaveFormats::Format::Odt);
            QFAIL("a row naming two lists was filled");
        } catch (const Failure& failure) {
            QVERIFY2(failure.description().contains(QStringLiteral("[Milestones.Owner]")) &&
                         failure.description().contains(QStringLiteral("[Risks.ID]")),
                     qPrintable(failure.description()));
        }
        QVERIFY(!QFileInfo::exists(m_folder.filePath(QStringLiteral("two.odt"))));
    }
};

QTEST_GUILESS_MAIN(TestLists)
#include "tst_lists.moc"
