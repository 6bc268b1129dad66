// The built-in report's budget chart, made by the program as a user makes it and
// read back from the saved report: values as the data writes them, in the
// user's language or as numbers, a total line left out, a value that is no number
// a gap named once, --strict refusing such a report.

#include "ProgramRuns.h"
#include "support/ChartFiles.h"

#include <QtTest>

namespace {

using statusmill::testing::ChartInFile;
using statusmill::testing::comparable;
using statusmill::testing::kGap;
using statusmill::testing::odtCharts;

// The report's one chart.
std::optional<ChartInFile> chartOf(const QString& odt)
{
    const QList<ChartInFile> charts = odtCharts(odt);
    if (charts.size() != 1)
        return std::nullopt;
    return charts.constFirst();
}

QByteArray projectWithBudget(const QByteArray& project, const QByteArray& items)
{
    return "{\"ProjectName\": \"" + project + "\", \"Budget\": [" + items + "]}";
}

} // namespace

class TestCliCharts : public QObject, public statusmill::testing::ProgramRuns
{
    Q_OBJECT

private slots:
    void init() { freshHome(); }
    void cleanup() { nothingLeft(); }

    // Each cost item a category in the data's order, its Approved, Actual and
    // Forecast the bars, the total line not drawn.
    void valuesAsTheDataWritesThem_data()
    {
        QTest::addColumn<QString>("numeric"); // LC_NUMERIC
        QTest::addColumn<QByteArray>("items");
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<QList<QList<double>>>("values");
        QTest::newRow("British money and a loss")
            << "en_GB.UTF-8"
            << QByteArray(R"json({"Item": "Staff", "Approved": "£420,000.00", "Actual": "(5,000)", "Forecast": "-12,000"},
                                {"Item": "Total", "Approved": "£420,000.00", "Actual": "1", "Forecast": "1"})json")
            << QStringList{"Staff"} << QList<QList<double>>{{420000, -5000, -12000}};
        QTest::newRow("German")
            << "de_DE.UTF-8"
            << QByteArray(R"({"Item": "Staff", "Approved": "1.234,5", "Actual": "420,5", "Forecast": "12.5"},
                            {"Item": "Kit", "Approved": "2.000", "Actual": "0", "Forecast": "-1"})")
            << QStringList{"Staff", "Kit"} << QList<QList<double>>{{1234.5, 420.5, 12.5}, {2000, 0, -1}};
        // As text "1.234", German would read a thousand and more.
        QTest::newRow("JSON numbers, whatever the language")
            << "de_DE.UTF-8" << QByteArray(R"({"Item": "Staff", "Approved": 1.234, "Actual": 2, "Forecast": 3})")
            << QStringList{"Staff"} << QList<QList<double>>{{1.234, 2, 3}};
        QTest::newRow("an empty list") << "en_GB.UTF-8" << QByteArray() << QStringList() << QList<QList<double>>();
    }
    void valuesAsTheDataWritesThem()
    {
        QFETCH(QString, numeric);
        QFETCH(QByteArray, items);
        QFETCH(QStringList, categories);
        QFETCH(QList<QList<double>>, values);
        m_environment.insert(QStringLiteral("LC_NUMERIC"), numeric);
        QVERIFY(statusmill::testing::writeFile(path("p.json"), projectWithBudget("Harbour", items)));
        QString said;
        QCOMPARE(run({"--data", "p.json", "--output", "r.odt"}, &said), 0);
        QVERIFY2(!said.contains(QStringLiteral("no number")), qPrintable(said));
        const auto chart = chartOf(path("r.odt"));
        QVERIFY(chart);
        QCOMPARE(chart->categories, categories);
        QCOMPARE(chart->series, QStringList({"Approved", "Actual", "Forecast"}));
        QCOMPARE(comparable(chart->values), comparable(values));
    }

    // A workbook's number cells are their numbers, whatever they show: "420,000"
    // as the sheet shows it would read as 420 in German.
    void aWorkbooksCellsAreTheirNumbers()
    {
        m_environment.insert(QStringLiteral("LC_NUMERIC"), QStringLiteral("de_DE.UTF-8"));
        QVERIFY(QFile::copy(QStringLiteral(STATUSMILL_EXAMPLE_DIR "/tracker.ods"), path("tracker.ods")));
        QCOMPARE(run({"--batch", "tracker.ods", "--output-dir", "out", "--format", "odt", "--name", "{ProjectName}"}), 0);
        const auto chart = chartOf(path("out/Harbour Bridge Renewal.odt"));
        QVERIFY(chart);
        QCOMPARE(chart->categories.value(0), QStringLiteral("Staff and labour"));
        QVERIFY(!chart->categories.contains(QStringLiteral("Total")));
        QCOMPARE(chart->values.value(0), QList<double>({420000, 162500, 415000}));
    }

    // The example's whole report, three times from one open template: every
    // report's own chart, and taking each report back stays as quick as it was.
    void oneTemplateForWholeReports()
    {
        QFile example(QStringLiteral(STATUSMILL_EXAMPLE_DIR "/project.json"));
        QVERIFY(example.open(QIODevice::ReadOnly));
        QJsonObject project = QJsonDocument::fromJson(example.readAll()).object();
        QJsonArray batch;
        for (int number = 1; number <= 3; ++number) {
            project.insert(QStringLiteral("ProjectName"), QStringLiteral("P%1").arg(number));
            QJsonArray budget = project.value(QStringLiteral("Budget")).toArray();
            QJsonObject first = budget.at(0).toObject();
            first.insert(QStringLiteral("Approved"), number * 1000);
            budget.replace(0, first);
            project.insert(QStringLiteral("Budget"), budget);
            batch.append(project);
        }
        QVERIFY(statusmill::testing::writeFile(path("p.json"), QJsonDocument(batch).toJson()));
        QCOMPARE(run({"--batch", "p.json", "--output-dir", "out", "--format", "odt", "--jobs", "1", "--name",
                      "{ProjectName}"}),
                 0);
        for (int number = 1; number <= 3; ++number) {
            const auto chart = chartOf(path(QStringLiteral("out/P%1.odt").arg(number)));
            QVERIFY(chart);
            QCOMPARE(chart->categories, QStringList({"Staff and labour", "Equipment and services", "Contingency"}));
            QCOMPARE(chart->values.value(0).value(0), number * 1000.0);
        }
    }

    // A value that is no number is a gap in its bar, named once for the batch
    // however many reports hold it; under --strict those reports are not made.
    void aValueThatIsNoNumber_data()
    {
        QTest::addColumn<bool>("strict");
        QTest::newRow("a warning") << false;
        QTest::newRow("--strict") << true;
    }
    void aValueThatIsNoNumber()
    {
        QFETCH(bool, strict);
        const QByteArray item = R"({"Item": "Staff", "Approved": "n/a", "Actual": "5", "Forecast": "6"})";
        QVERIFY(statusmill::testing::writeFile(
            path("p.json"), "[" + projectWithBudget("Harbour", item) + "," + projectWithBudget("Tunnel", item) + "]"));
        QStringList arguments{"--batch", "p.json", "--output-dir", "out", "--format", "odt"};
        if (strict)
            arguments << QStringLiteral("--strict");
        QString said;
        QCOMPARE(run(arguments, &said), strict ? 1 : 0);
        const QString gap = QStringLiteral("Budget.Approved: \"n/a\" is no number");
        if (strict) {
            QCOMPARE(said.count(QStringLiteral("its charts would leave gaps (") + gap + QLatin1Char(')')), 2);
            QCOMPARE(reports(QStringLiteral("out")), QStringList());
            return;
        }
        QCOMPARE(said.count(gap), 1);
        QVERIFY2(said.contains(QStringLiteral("warning: ") + gap + QStringLiteral(", so the chart leaves a gap there")),
                 qPrintable(said));
        const QStringList made = reports(QStringLiteral("out"));
        QCOMPARE(made.size(), 2);
        for (const QString& report : made) {
            const auto chart = chartOf(path("out/" + report));
            QVERIFY(chart);
            QCOMPARE(comparable(chart->values), comparable({{kGap, 5, 6}}));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliCharts)
#include "tst_cli_charts.moc"
