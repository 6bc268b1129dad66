// A report from data is right every time: each value lands as it was typed, in
// every copy of a list row whatever stands in it (a field, a comment's anchor, a
// footnote); every copy takes all of its own item's values, wherever its
// placeholders stand in it; a cell takes the status key's colour only where its
// placeholder names a status; a fill that takes longer than the office is given
// for a call is not taken for a hung office while it makes progress. Every report
// is read back from its file.

#include "core/WorkFolder.h"
#include "generate/ReportMaker.h"
#include "support/OdtContent.h"
#include "support/OfficeProcesses.h"
#include "support/SampleDocuments.h"
#include "support/Seams.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace statusmill;
using namespace statusmill::automation;
using namespace statusmill::testing;

namespace {

const QString kAuthor = QStringLiteral("<text:author-name text:fixed=\"true\">Ann Example</text:author-name> ");
const QString kComment =
    QStringLiteral("<office:annotation><dc:creator>T</dc:creator><text:p>%1</text:p></office:annotation>");
const QString kNote = QStringLiteral("<text:note text:id=\"n%1\" text:note-class=\"%2\"><text:note-citation>1"
                                     "</text:note-citation><text:note-body><text:p>%3</text:p></text:note-body>"
                                     "</text:note>");

QString cell(const QString& text, const QString& style = QString())
{
    return QStringLiteral("<table:table-cell%1><text:p>%2</text:p></table:table-cell>")
        .arg(style.isEmpty() ? QString() : QStringLiteral(" table:style-name=\"%1\"").arg(style), text);
}

QString table(const QList<QStringList>& rows)
{
    QString text = QStringLiteral("<table:table><table:table-column table:number-columns-repeated=\"%1\"/>")
                       .arg(rows.value(0).size());
    for (const QStringList& cells : rows)
        text += QStringLiteral("<table:table-row>") + cells.join(QString()) + QStringLiteral("</table:table-row>");
    return text + QStringLiteral("</table:table>");
}

// A row's one cell across a table of two columns.
QString spanned(const QString& text)
{
    return QStringLiteral("<table:table-cell table:number-columns-spanned=\"2\"><text:p>%1</text:p>"
                          "</table:table-cell><table:covered-table-cell/>")
        .arg(text);
}

data::List listOf(const QString& name, const QList<QStringList>& items, const QStringList& fields)
{
    data::List list{name, {}};
    for (const QStringList& values : items) {
        QList<data::Field> item;
        for (qsizetype i = 0; i < fields.size(); ++i)
            item.append({fields.at(i), values.at(i)});
        list.items.append(item);
    }
    return list;
}

// Whether `wanted` stand among `paragraphs` in this order, each a whole paragraph.
bool inOrder(const QStringList& paragraphs, const QStringList& wanted)
{
    qsizetype at = 0;
    for (const QString& paragraph : paragraphs)
        if (at < wanted.size() && paragraph == wanted.at(at))
            ++at;
    return at == wanted.size();
}

const QString kShading = QStringLiteral(
    "<style:style style:name=\"G\" style:family=\"table-cell\"><style:table-cell-properties "
    "fo:background-color=\"#c6efce\"/></style:style>"
    "<style:style style:name=\"A\" style:family=\"table-cell\"><style:table-cell-properties "
    "fo:background-color=\"#ffeb9c\"/></style:style>"
    "<style:style style:name=\"R\" style:family=\"table-cell\"><style:table-cell-properties "
    "fo:background-color=\"#ffc7ce\"/></style:style>");

} // namespace

class TestListFill : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    int m_made = 0;

    QString make(const QString& body, const data::ReportData& data, const QString& styles = QString())
    {
        const QString path = m_folder.filePath(QStringLiteral("t%1.fodt").arg(++m_made));
        writeFile(path, flatDocument(styles, QString(), body));
        ReportMaker maker([] { return engine().createApplication(); }, path);
        const QString file = m_folder.filePath(QStringLiteral("r%1.odt").arg(m_made));
        maker.make(data, file, SaveFormats::Format::Odt);
        maker.finish();
        return file;
    }

private slots:
    void cleanupTestCase()
    {
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
        WorkFolder::remove();
    }

    // Values that look like placeholders, the template's own among them, stay as
    // typed in every copy of a row, whatever stands before the row's placeholders
    // and in whichever table.
    void valuesLandAsTyped_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("wanted");
        const QStringList inCells{"Ask [product] team", "[Department]", "Tell [Steps.Owner] now", "Bo",
                                  "[ProjectName]", "[Steps.#]"};
        QTest::newRow("an author field first, a plain cell beside")
            << table({{cell(kAuthor + "[Steps.Action]"), cell("[Steps.Owner]")}})
            << QStringList{"Ann Example Ask [product] team", "[Department]", "Ann Example Tell [Steps.Owner] now",
                           "Bo", "Ann Example [ProjectName]", "[Steps.#]"};
        QTest::newRow("a comment's anchor first, a plain cell beside")
            << table({{cell(kComment.arg("Check") + "[Steps.Action]"), cell("[Steps.Owner]")}}) << inCells;
        QTest::newRow("a paragraph with a page number and an author field, a plain table after")
            << "<text:p>Page <text:page-number text:select-page=\"current\">1</text:page-number>, " + kAuthor +
                   "[Steps.Action] ([Steps.Owner])</text:p>" + table({{cell("[Others.Action]"), cell("[Others.Owner]")}})
            << QStringList{"Page 1, Ann Example Ask [product] team ([Department])",
                           "Page 1, Ann Example Tell [Steps.Owner] now (Bo)",
                           "Page 1, Ann Example [ProjectName] ([Steps.#])"} +
                   inCells;
        QTest::newRow("a plain table after one with a field first")
            << table({{cell(kAuthor + "[Steps.Action]")}}) + table({{cell("[Others.Action]"), cell("[Others.Owner]")}})
            << QStringList{"Ann Example Ask [product] team", "Ann Example Tell [Steps.Owner] now",
                           "Ann Example [ProjectName]"} +
                   inCells;
    }

    void valuesLandAsTyped()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, wanted);
        data::ReportData data;
        data.setField(QStringLiteral("ProjectName"), QStringLiteral("Bridge"));
        data.setField(QStringLiteral("Department"), QStringLiteral("Works"));
        data.setField(QStringLiteral("Product"), QString());
        const QList<QStringList> items{{"Ask [product] team", "[Department]"},
                                       {"Tell [Steps.Owner] now", "Bo"},
                                       {"[ProjectName]", "[Steps.#]"}};
        data.setList(listOf(QStringLiteral("Steps"), items, {"Action", "Owner"}));
        data.setList(listOf(QStringLiteral("Others"), items, {"Action", "Owner"}));
        const QStringList paragraphs = odtParagraphs(make(body, data));
        QVERIFY2(inOrder(paragraphs, wanted), qPrintable(paragraphs.join(u'|')));
    }

    // Each copy of a row takes all of its own item's values: the placeholders after
    // one at its start, those of its footnote, endnote and comment.
    void everyCopyFilledWhole_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("wanted");
        QTest::newRow("the item's number first")
            << "<text:p>[Risks.#]. [Risks.ID] by [Risks.Owner]</text:p>"
            << QStringList{"1. R1 by O1", "2. R2 by O2", "3. R3 by O3"};
        QTest::newRow("a field first")
            << "<text:p>[ProjectName]: [Risks.ID] by [Risks.Owner]</text:p>"
            << QStringList{"Bridge: R1 by O1", "Bridge: R2 by O2", "Bridge: R3 by O3"};
        QTest::newRow("a footnote")
            << "<text:p>Risk [Risks.ID]" + kNote.arg(1).arg("footnote", "[Risks.Note] ([ProjectName])") + "</text:p>"
            << QStringList{"note: N1 (Bridge)", "Risk R1", "note: N2 (Bridge)", "Risk R2", "note: N3 (Bridge)", "Risk R3"};
        QTest::newRow("an endnote in a table row")
            << table({{cell("[Risks.ID]" + kNote.arg(2).arg("endnote", "[Risks.Note]")), cell("[Risks.Owner]")}})
            << QStringList{"note: N1", "R1", "O1", "note: N2", "R2", "O2", "note: N3", "R3", "O3"};
        QTest::newRow("a comment")
            << "<text:p>" + kComment.arg("Ask [Risks.Owner] of [ProjectName]") + "Risk [Risks.ID]</text:p>"
            << QStringList{"comment: Ask O1 of Bridge", "Risk R1", "comment: Ask O2 of Bridge", "Risk R2",
                           "comment: Ask O3 of Bridge", "Risk R3"};
    }

    void everyCopyFilledWhole()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, wanted);
        data::ReportData data;
        data.setField(QStringLiteral("ProjectName"), QStringLiteral("Bridge"));
        data.setList(listOf(QStringLiteral("Risks"), {{"R1", "N1", "O1"}, {"R2", "N2", "O2"}, {"R3", "N3", "O3"}},
                            {"ID", "Note", "Owner"}));
        const QStringList paragraphs = odtParagraphs(make(body + "<text:p>End</text:p>", data));
        QCOMPARE(paragraphs, wanted + QStringList{"End"});
    }

    // A list given with no items shows its none row, without its marker, in place
    // of its rows; given items, it shows them and not the none row; not given, its
    // rows stay as the template has them. [Risks.None] beside any other
    // placeholder is one of the items' fields.
    void aNoneRowStandsForAnEmptyList_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("empty");
        QTest::addColumn<QStringList>("full");
        QTest::addColumn<QStringList>("notGiven");
        const QString header = QStringLiteral("<table:table-row>") + cell("ID") + cell("Owner") +
                               QStringLiteral("</table:table-row>");
        const QString items = QStringLiteral("<table:table-row>") + cell("[Risks.ID]") + cell("[Risks.Owner]") +
                              QStringLiteral("</table:table-row>");
        const QString none = QStringLiteral("<table:table-row>") + spanned("[Risks.None]None this period.") +
                             QStringLiteral("</table:table-row>");
        const QString columns = QStringLiteral("<table:table><table:table-column table:number-columns-repeated=\"2\"/>");
        const QStringList filled{"R1", "O1", "R2", "O2"};
        QTest::newRow("a table's none row below its items")
            << columns + header + items + none + "</table:table>" << QStringList{"ID", "Owner", "None this period."}
            << QStringList{"ID", "Owner"} + filled
            << QStringList{"ID", "Owner", "[Risks.ID]", "[Risks.Owner]", "[Risks.None]None this period."};
        QTest::newRow("a table's none row above its items")
            << columns + header + none + items + "</table:table>" << QStringList{"ID", "Owner", "None this period."}
            << QStringList{"ID", "Owner"} + filled
            << QStringList{"ID", "Owner", "[Risks.None]None this period.", "[Risks.ID]", "[Risks.Owner]"};
        QTest::newRow("a none paragraph, in another letter case, after a bullet list")
            << "<text:list><text:list-item><text:p>[Risks.ID] by [Risks.Owner]</text:p></text:list-item></text:list>"
               "<text:p>[risks.NONE]None this period.</text:p>"
            << QStringList{"None this period."} << QStringList{"R1 by O1", "R2 by O2"}
            << QStringList{"[Risks.ID] by [Risks.Owner]", "[risks.NONE]None this period."};
        QTest::newRow("a none row in a table of its own, the items in paragraphs")
            << "<text:p>[Risks.ID] by [Risks.Owner]</text:p>" + columns + none + "</table:table>"
            << QStringList{"None this period."} << QStringList{"R1 by O1", "R2 by O2"}
            << QStringList{"[Risks.ID] by [Risks.Owner]", "[Risks.None]None this period."};
        QTest::newRow("[Risks.None] beside a field of the items")
            << "<text:p>[Risks.None][Risks.ID] none</text:p>" << QStringList{} << QStringList{"R1 none", "R2 none"}
            << QStringList{"[Risks.None][Risks.ID] none"};
        QTest::newRow("[Risks.None] beside a plain field")
            << "<text:p>[ProjectName]: [Risks.None]none</text:p>" << QStringList{}
            << QStringList{"Bridge: none", "Bridge: none"} << QStringList{"Bridge: [Risks.None]none"};
    }

    void aNoneRowStandsForAnEmptyList()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, empty);
        QFETCH(QStringList, full);
        QFETCH(QStringList, notGiven);
        const QString end = QStringLiteral("<text:p>End</text:p>");
        data::ReportData data;
        data.setField(QStringLiteral("ProjectName"), QStringLiteral("Bridge"));
        QCOMPARE(odtParagraphs(make(body + end, data)), notGiven + QStringList{"End"});
        data.setList(listOf(QStringLiteral("Risks"), {}, {"ID", "Owner"}));
        QCOMPARE(odtParagraphs(make(body + end, data)), empty + QStringList{"End"});
        data.setList(listOf(QStringLiteral("Risks"), {{"R1", "O1"}, {"R2", "O2"}}, {"ID", "Owner"}));
        QCOMPARE(odtParagraphs(make(body + end, data)), full + QStringList{"End"});
    }

    // Only a cell whose placeholder names a status takes its colour: an owner G, a
    // comment "red" and a milestone called Amber stay as they are. A status with
    // what changed beside it keeps its colour.
    void coloursOnStatusCellsOnly()
    {
        const QString body =
            table({{cell("Green", "G"), cell("Amber", "A"), cell("Red", "R")}}) +
            table({{cell("[OverallStatus]"), cell("[Sponsor]")}}) +
            table({{cell("[Milestones.Milestone]"), cell("[Milestones.Owner]"), cell("[Milestones.Status]"),
                    cell("Note: [Milestones.Comment]"), cell("[Milestones.Status] [Milestones.Change]")},
                   {cell("End"), cell(""), cell(""), cell(""), cell("")}});
        data::ReportData data;
        data.setField(QStringLiteral("OverallStatus"), QStringLiteral("Red"));
        data.setField(QStringLiteral("Sponsor"), QStringLiteral("Green"));
        data.setList(listOf(QStringLiteral("Milestones"),
                            {{"Amber", "G", "Green", "red", "Slipped 7 days"}, {"Done", "R", "a", "Amber", ""}},
                            {"Milestone", "Owner", "Status", "Comment", "Change"}));
        const auto cells = odtShadedCells(make(body, data, kShading));
        const QList<std::pair<QString, QString>> wanted{
            {"Green", "#c6efce"}, {"Amber", "#ffeb9c"}, {"Red", "#ffc7ce"},
            {"Red", "#ffc7ce"},   {"Green", ""},
            {"Amber", ""},        {"G", ""},          {"Green", "#c6efce"}, {"Note: red", ""},
            {"Green Slipped 7 days", "#c6efce"},
            {"Done", ""},         {"R", ""},          {"a", "#ffeb9c"},     {"Note: Amber", ""},
            {"a ", "#ffeb9c"},
            {"End", ""},          {"", ""},           {"", ""},             {"", ""}, {"", ""}};
        QCOMPARE(cells, wanted);
    }

    // A character the office cannot take, in a field or an item, costs the report
    // nothing: a surrogate without its pair reads as the replacement character; a
    // line break in an item keeps its row one paragraph.
    void everyCharacterMakesAReport()
    {
        const QString body = QStringLiteral("<text:p>Project [ProjectName]</text:p><text:p>- [Steps.Action]</text:p>"
                                            "<text:p>End</text:p>");
        const auto lone = [](const char* before, char16_t unit, const char* after) {
            return QLatin1String(before) + QChar(unit) + QLatin1String(after);
        };
        data::ReportData data;
        data.setField(QStringLiteral("ProjectName"), lone("a", 0xD800, "b"));
        data.setList(listOf(QStringLiteral("Steps"), {{lone("c", 0xDC00, "d")}, {QStringLiteral("e\r\nf")}}, {"Action"}));
        const QStringList paragraphs = odtParagraphs(make(body, data));
        QCOMPARE(paragraphs, (QStringList{lone("Project a", 0xFFFD, "b"), lone("- c", 0xFFFD, "d"),
                                          QStringLiteral("- e\nf"), QStringLiteral("End")}));
    }

    // The office takes a placeholder by the same rule as the data side: a number
    // of any script is a name, also in a comment; a list's name in another case
    // of another script is the same list.
    void namesAsTheDataSideHasThem()
    {
        const QString body = QStringLiteral("<text:p>Share [½]") + kComment.arg("Of [½]") +
                             QStringLiteral("</text:p><text:p>Step [Étapes.Qui]</text:p>");
        data::ReportData data;
        data.setField(QStringLiteral("½"), QStringLiteral("half"));
        data.setList(listOf(QStringLiteral("ÉTAPES"), {{"Ann"}, {"Bo"}}, {"QUI"}));
        const QStringList paragraphs = odtParagraphs(make(body, data));
        QCOMPARE(paragraphs, (QStringList{"comment: Of half", "Share half", "Step Ann", "Step Bo"}));
    }

    // A list whose fill takes longer than a call into the office may: the office
    // says it is getting on, and the fill is not cut short as if it hung.
    void aLongFillIsNoHungOffice()
    {
        const QString body = QStringLiteral("<text:p>[Steps.#]: [Steps.Action]</text:p><text:p>End</text:p>");
        QList<QStringList> items;
        for (int item = 1; item <= kLongList; ++item)
            items.append({QStringLiteral("Step %1").arg(item)});
        data::ReportData data;
        data.setList(listOf(QStringLiteral("Steps"), items, {"Action"}));
        const QString path = m_folder.filePath(QStringLiteral("long.fodt"));
        writeFile(path, flatDocument(QString(), QString(), body));
        ReportMaker maker([] { return engine().createApplication(); }, path);
        const QString file = m_folder.filePath(QStringLiteral("long.odt"));
        {
            const CallTimeLimit limit(std::chrono::milliseconds(1500));
            maker.make(data, file + QStringLiteral(".first"), SaveFormats::Format::Odt);
            maker.finish();
        }
        const QStringList paragraphs = odtParagraphs(file + QStringLiteral(".first"));
        QCOMPARE(paragraphs.size(), kLongList + 1);
        for (int item = 1; item <= kLongList; item += 997)
            QCOMPARE(paragraphs.at(item - 1), QStringLiteral("%1: Step %1").arg(item));
        QCOMPARE(paragraphs.last(), QStringLiteral("End"));
    }

    // The pages of a long table take the office longer to lay out than a call may
    // take, which it spends at work, not hung: the report is made.
    void aLongTableIsLaidOutWhateverItTakes()
    {
        const QString body =
            QStringLiteral("<table:table><table:table-column table:number-columns-repeated=\"2\"/>"
                           "<table:table-header-rows><table:table-row>") +
            cell("#") + cell("Action") + QStringLiteral("</table:table-row></table:table-header-rows><table:table-row>") +
            cell("[Steps.#]") + cell("[Steps.Action]") + QStringLiteral("</table:table-row></table:table>");
        QList<QStringList> items;
        for (int item = 1; item <= kLongTable; ++item)
            items.append({QStringLiteral("Step %1").arg(item)});
        data::ReportData data;
        data.setList(listOf(QStringLiteral("Steps"), items, {"Action"}));
        const QString path = m_folder.filePath(QStringLiteral("table.fodt"));
        writeFile(path, flatDocument(QString(), QString(), body));
        ReportMaker maker([] { return engine().createApplication(); }, path);
        const QString file = m_folder.filePath(QStringLiteral("table.pdf"));
        {
            const CallTimeLimit limit(std::chrono::milliseconds(1500));
            maker.make(data, file, SaveFormats::Format::Pdf);
            maker.finish();
        }
        const QString text = commandOutput(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
        QVERIFY(text.contains(QStringLiteral("Step 1\n")));
        QVERIFY(text.contains(QStringLiteral("Step %1\n").arg(kLongTable)));
    }

    // Long reports and short ones in turn from one template kept open and looked at
    // first, as a batch has it, past the length from which the office lays pages
    // out only when asked, and empty ones among them: each holds its own items, all
    // of them, and nothing of another's; an empty one its none row, a full one none.
    void longAndShortReportsFromOneTemplate_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QList<int>>("lengths");
        const QString items = QStringLiteral("<table:table-row>") + cell("[Steps.#]") + cell("[Steps.Action]") +
                              QStringLiteral("</table:table-row>");
        const QString none = QStringLiteral("<table:table-row>") + spanned("[Steps.None]None this period.") +
                             QStringLiteral("</table:table-row>");
        QTest::newRow("long and short") << items << QList<int>{ReportMaker::kLongList + 100, 3, ReportMaker::kLongList, 1};
        QTest::newRow("empty and full") << items << QList<int>{0, 2, 1};
        QTest::newRow("empty and full, a none row below")
            << items + none << QList<int>{0, 2, ReportMaker::kLongList + 100, 0, 1};
        QTest::newRow("full and empty, a none row above") << none + items << QList<int>{3, 0, 0, 2};
    }

    void longAndShortReportsFromOneTemplate()
    {
        QFETCH(QString, rows);
        QFETCH(QList<int>, lengths);
        const QString body = QStringLiteral("<table:table><table:table-column table:number-columns-repeated=\"2\"/>"
                                            "<table:table-row>") +
                             cell("#") + cell("Action") + QStringLiteral("</table:table-row>") + rows +
                             QStringLiteral("</table:table><text:p>End</text:p>");
        const QString path = m_folder.filePath(QStringLiteral("turns%1.fodt").arg(++m_made));
        writeFile(path, flatDocument(QString(), QString(), body));
        ReportMaker maker([] { return engine().createApplication(); }, path);
        // As a batch does: what the template holds is looked at first.
        QVERIFY(!maker.survey().isEmpty());
        QStringList files;
        for (int report = 0; report < lengths.size(); ++report) {
            QList<QStringList> items;
            for (int item = 1; item <= lengths[report]; ++item)
                items.append({QStringLiteral("r%1 step %2").arg(report).arg(item)});
            data::ReportData data;
            data.setList(listOf(QStringLiteral("Steps"), items, {"Action"}));
            files << m_folder.filePath(QStringLiteral("turn-%1-%2.odt").arg(m_made).arg(report));
            maker.make(data, files.last(), SaveFormats::Format::Odt);
        }
        maker.finish();
        const bool hasNone = rows.contains(QLatin1String("[Steps.None]"));
        for (int report = 0; report < lengths.size(); ++report) {
            QStringList wanted{"#", "Action"};
            for (int item = 1; item <= lengths[report]; ++item)
                wanted << QString::number(item) << QStringLiteral("r%1 step %2").arg(report).arg(item);
            if (lengths[report] == 0 && hasNone)
                wanted << QStringLiteral("None this period.");
            QCOMPARE(odtParagraphs(files[report]), wanted + QStringList{"End"});
        }
    }

private:
    static constexpr int kLongList = 4000;
    static constexpr int kLongTable = 3000;
};

QTEST_GUILESS_MAIN(TestListFill)
#include "tst_listfill.moc"
