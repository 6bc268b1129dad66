// A chart whose data names a list's fields is drawn from that list in every
// report, in every format: its categories and values in the list's order, a total
// line left out, a value that is no number a gap that is told; a template kept
// open sets every chart anew, so no report shows another's; a chart's bars take
// the status key's colours when its categories are statuses; a chart in a table
// or a header is drawn there at its frame's size. Every report is read back from
// its file.

#include "core/WorkFolder.h"
#include "generate/ReportMaker.h"
#include "generate/office/TemplateSurvey.h"
#include "support/ChartFiles.h"
#include "support/ChartMaking.h"
#include "support/OfficeProbes.h"
#include "support/OfficeProcesses.h"
#include "support/SampleDocuments.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace statusmill;
using namespace statusmill::automation;
using namespace statusmill::testing;

namespace {

using Table = QList<QStringList>;

// The budget's chart of the template, with its sample data.
const ChartData kBudgetChart{{"", "[Budget.Approved]", "[BUDGET.actual]"},
                         {"[budget.Item]", "100", "90"},
                         {"Sample", "50", "70"}};

// A list whose fields' texts are read as numbers where they are, as the data side does.
data::List listOf(const QString& name, const QStringList& fields, const Table& items)
{
    data::List list{name, {}};
    for (const QStringList& values : items) {
        QList<data::Field> item;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            bool number = false;
            const double value = values.at(i).toDouble(&number);
            item.append({fields.at(i), values.at(i), number ? std::optional(value) : std::nullopt});
        }
        list.items.append(item);
    }
    return list;
}

data::ReportData budget(const Table& items)
{
    data::ReportData data;
    data.setList(listOf(QStringLiteral("Budget"), {"Item", "Approved", "Actual"}, items));
    return data;
}

QList<double> row(std::initializer_list<double> values)
{
    return QList<double>(values);
}

} // namespace

class TestCharts : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    int m_made = 0;

    // A template of `body` (and `master`, the page's header) whose chart objects are
    // `charts`, in .odt, or through the office in .docx.
    QString templateOf(const QString& body, const QStringList& charts, const QString& master = QString(),
                       const QString& styles = QString(), bool docx = false)
    {
        const QString path = m_folder.filePath(QStringLiteral("t%1.odt").arg(++m_made));
        if (!writeOdtWithCharts(path, body, charts, master, styles))
            qFatal("The template could not be written.");
        if (!docx)
            return path;
        auto app = engine().createApplication();
        storeCopy(*app, path, path + QStringLiteral(".docx"), "MS Word 2007 XML");
        app->quit();
        return path + QStringLiteral(".docx");
    }

    static QString inParagraph(const QString& text) { return QStringLiteral("<text:p>%1</text:p>").arg(text); }

    QString reportPath(const QString& suffix) { return m_folder.filePath(QStringLiteral("r%1.%2").arg(++m_made).arg(suffix)); }

    // The charts of a saved Word 97 report, reopened in the office.
    static QList<ChartInFile> reopened(const QString& path)
    {
        auto app = engine().createApplication();
        auto document = app->Documents().Open(path, /*readOnly=*/true);
        const QList<ChartInFile> charts = chartsInOffice(*document);
        document->Close(0);
        app->quit();
        return charts;
    }

private slots:
    void cleanupTestCase()
    {
        QCOMPARE(ourOfficeProcesses(), QList<pid_t>());
        WorkFolder::remove();
    }

    // Each item a category, in order, the series named as their placeholders write
    // them; total lines left out; a value that is no number a gap, told once.
    void drawnInEveryFormat_data()
    {
        QTest::addColumn<SaveFormats::Format>("format");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("odt") << SaveFormats::Format::Odt << "odt";
        QTest::newRow("docx") << SaveFormats::Format::Docx << "docx";
        QTest::newRow("doc") << SaveFormats::Format::Doc << "doc";
        QTest::newRow("pdf") << SaveFormats::Format::Pdf << "pdf";
    }
    void drawnInEveryFormat()
    {
        QFETCH(SaveFormats::Format, format);
        QFETCH(QString, suffix);
        const QString path = templateOf(inParagraph("Budget") + inParagraph(chartFrame(1)), {chartContent(kBudgetChart)});
        const data::ReportData data = budget({{"Staff", "420000", "n/a"},
                                              {"Subtotal", "1", "2"},
                                              {"Totally new kit", "12.5", "-3"},
                                              {"Licences", "8", "n/a"},
                                              {"Grand total", "9", "9"},
                                              {" TOTALS ", "9", "9"},
                                              {"Total cost", "9", "9"},
                                              {"Travel", "", "4"}});
        const QString file = reportPath(suffix);
        ReportMaker maker([] { return engine().createApplication(); }, path);
        const FillOutcome outcome = maker.make(data, file, format);
        maker.finish();
        QCOMPARE(outcome.gaps, QStringList{"BUDGET.actual: \"n/a\" is no number"});
        const QStringList categories{"Staff", "Subtotal", "Totally new kit", "Licences", "Travel"};
        if (format == SaveFormats::Format::Pdf) {
            const QString text = commandOutput(QStringLiteral("pdftotext"), {file, QStringLiteral("-")});
            for (const QString& category : categories)
                QVERIFY2(text.contains(category), qPrintable(text));
            QVERIFY2(!text.contains(QLatin1String("Grand")) && !text.contains(QLatin1String("Sample")), qPrintable(text));
            return;
        }
        const QList<ChartInFile> charts = format == SaveFormats::Format::Odt    ? odtCharts(file)
                                          : format == SaveFormats::Format::Docx ? docxCharts(file)
                                                                                : reopened(file);
        QCOMPARE(charts.size(), 1);
        QCOMPARE(charts.first().categories, categories);
        QCOMPARE(charts.first().series, (QStringList{"Approved", "actual"}));
        QCOMPARE(comparable(charts.first().values),
                 comparable({row({420000, kGap}), row({1, 2}), row({12.5, -3}), row({8, kGap}), row({kGap, 4})}));
    }

    // One template open for a batch: each report shows its own list, an empty one
    // no bars, and one whose data lacks the list the template's own sample, after
    // one that was filled; the template's fixed axis minimum kept for the sample.
    void batchFromOneOpenTemplate()
    {
        const QString path = templateOf(inParagraph(chartFrame(1)), {chartContent(kBudgetChart, {}, "40")});
        ReportMaker maker([] { return engine().createApplication(); }, path);
        struct Made
        {
            QString file;
            QStringList categories;
            QList<QList<double>> values;
            std::optional<double> minimum;
        };
        const QList<std::pair<data::ReportData, Made>> reports{
            {budget({{"Staff", "5", "6"}, {"Kit", "7", "8"}, {"Travel", "1", "2"}}),
             {{}, {"Staff", "Kit", "Travel"}, {row({5, 6}), row({7, 8}), row({1, 2})}, {}}},
            {budget({}), {{}, {}, {}, {}}},
            {data::ReportData(),
             {{}, {"[budget.Item]", "Sample"}, {row({100, 90}), row({50, 70})}, 40}},
            {budget({{"Rent", "3", "n/a"}}), {{}, {"Rent"}, {row({3, kGap})}, {}}},
            {data::ReportData(),
             {{}, {"[budget.Item]", "Sample"}, {row({100, 90}), row({50, 70})}, 40}},
        };
        QStringList files;
        for (const auto& [data, wanted] : reports) {
            files << reportPath(QStringLiteral("odt"));
            maker.make(data, files.last(), SaveFormats::Format::Odt);
        }
        maker.finish();
        for (qsizetype i = 0; i < reports.size(); ++i) {
            const Made& wanted = reports.at(i).second;
            const QList<ChartInFile> charts = odtCharts(files.at(i));
            QCOMPARE(charts.size(), 1);
            QCOMPARE(charts.first().categories, wanted.categories);
            QCOMPARE(comparable(charts.first().values), comparable(wanted.values));
            QCOMPARE(charts.first().minimum, wanted.minimum);
        }
    }

    // Bars whose categories are statuses take the key's colours, each its own.
    void statusBarsInTheKeyColours()
    {
        const QString key = QStringLiteral(
            "<table:table><table:table-column table:number-columns-repeated=\"3\"/><table:table-row>"
            "<table:table-cell table:style-name=\"G\"><text:p>Green</text:p></table:table-cell>"
            "<table:table-cell table:style-name=\"A\"><text:p>Amber</text:p></table:table-cell>"
            "<table:table-cell table:style-name=\"R\"><text:p>Red</text:p></table:table-cell>"
            "</table:table-row></table:table>");
        const QString styles = QStringLiteral(
            "<style:style style:name=\"G\" style:family=\"table-cell\"><style:table-cell-properties "
            "fo:background-color=\"#c6efce\"/></style:style>"
            "<style:style style:name=\"A\" style:family=\"table-cell\"><style:table-cell-properties "
            "fo:background-color=\"#ffeb9c\"/></style:style>"
            "<style:style style:name=\"R\" style:family=\"table-cell\"><style:table-cell-properties "
            "fo:background-color=\"#ffc7ce\"/></style:style>");
        const ChartData counts{{"", "[OverallCounts.Projects]"}, {"[OverallCounts.Status]", "1"}};
        const QString path = templateOf(key + inParagraph(chartFrame(1)), {chartContent(counts)}, {}, styles);
        data::ReportData data;
        data.setList(listOf(QStringLiteral("OverallCounts"), {"Status", "Projects"},
                            {{"Green", "4"}, {"Amber", "2"}, {"Red", "1"}}));
        const QString file = reportPath(QStringLiteral("odt"));
        ReportMaker maker([] { return engine().createApplication(); }, path);
        maker.make(data, file, SaveFormats::Format::Odt);
        maker.finish();
        const QList<ChartInFile> charts = odtCharts(file);
        QCOMPARE(charts.size(), 1);
        QCOMPARE(charts.first().categories, (QStringList{"Green", "Amber", "Red"}));
        QCOMPARE(charts.first().colours, (QStringList{"#c6efce", "#ffeb9c", "#ffc7ce"}));
    }

    // Wherever a chart is anchored it is drawn from the list, at its frame's size:
    // in a table's cell, in a header, in a header of a template read from .docx.
    void drawnWhereverAnchored_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("master");
        QTest::addColumn<bool>("throughDocx");
        const QString inCell = QStringLiteral("<table:table><table:table-column/><table:table-row><table:table-cell>"
                                              "%1</table:table-cell></table:table-row></table:table>")
                                   .arg(inParagraph(chartFrame(1)));
        const QString header = QStringLiteral("<style:header>%1</style:header>").arg(inParagraph(chartFrame(1)));
        QTest::newRow("a table's cell") << inCell << QString() << false;
        QTest::newRow("a header") << inParagraph("Body") << header << false;
        QTest::newRow("a header read from .docx") << inParagraph("Body") << header << true;
    }
    void drawnWhereverAnchored()
    {
        QFETCH(QString, body);
        QFETCH(QString, master);
        QFETCH(bool, throughDocx);
        const QString path = templateOf(body, {chartContent(kBudgetChart)}, master, {}, throughDocx);
        const QString file = reportPath(QStringLiteral("odt"));
        ReportMaker maker([] { return engine().createApplication(); }, path);
        maker.make(budget({{"Staff", "5", "6"}, {"Kit", "7", "8"}}), file, SaveFormats::Format::Odt);
        maker.finish();
        const QList<ChartInFile> charts = reopened(file);
        QCOMPARE(charts.size(), 1);
        QCOMPARE(charts.first().categories, (QStringList{"Staff", "Kit"}));
        QCOMPARE(comparable(charts.first().values), comparable({row({5, 6}), row({7, 8})}));
        // As the template has it, 12 by 6 cm, within the rounding of the office's
        // units (twips in Word's formats).
        const auto near = [](QSize size) {
            return qAbs(size.width() - 12000) <= 20 && qAbs(size.height() - 6000) <= 20;
        };
        QVERIFY2(near(charts.first().drawn) && near(charts.first().frame),
                 qPrintable(QStringLiteral("drawn %1x%2 in a frame of %3x%4")
                                .arg(charts.first().drawn.width())
                                .arg(charts.first().drawn.height())
                                .arg(charts.first().frame.width())
                                .arg(charts.first().frame.height())));
    }

    // The template check names the list each chart is drawn from, and a chart that
    // takes none.
    void surveyNamesTheLists()
    {
        const ChartData plain{{"", "Cost"}, {"Q1", "3"}, {"Q2", "4"}};
        const ChartData otherList{{"", "[Budget.Approved]", "[Risks.Score]", "Note"}, {"[Risks.Title]", "1", "2", "3"}};
        const QString path = templateOf(inParagraph(chartFrame(1)) + inParagraph(chartFrame(2)) + inParagraph(chartFrame(3)),
                                        {chartContent(kBudgetChart, QStringLiteral("Budget at a glance")),
                                         chartContent(plain, QStringLiteral("Costs")), chartContent(otherList)});
        auto app = engine().createApplication();
        auto document = app->Documents().Open(path, /*readOnly=*/true);
        QList<ChartSeen> seen = surveyCharts(*document);
        document->Close(0);
        app->quit();
        std::sort(seen.begin(), seen.end(), [](const ChartSeen& a, const ChartSeen& b) { return a.title < b.title; });
        QCOMPARE(seen.size(), 3);
        QCOMPARE(seen.at(0).list, QStringLiteral("Risks"));
        QCOMPARE(seen.at(0).categories, QStringLiteral("Title"));
        QCOMPARE(seen.at(0).series, QStringList{"Score"});
        QCOMPARE(seen.at(1).title, QStringLiteral("Budget at a glance"));
        QCOMPARE(seen.at(1).list, QStringLiteral("budget"));
        QCOMPARE(seen.at(1).categories, QStringLiteral("Item"));
        QCOMPARE(seen.at(1).series, (QStringList{"Approved", "actual"}));
        QCOMPARE(seen.at(2).title, QStringLiteral("Costs"));
        QCOMPARE(seen.at(2).list, QString());
        QCOMPARE(seen.at(2).series, QStringList());
    }
};

QTEST_MAIN(TestCharts)
#include "tst_charts.moc"
