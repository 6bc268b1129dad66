// A batch's portfolio, the program run as a user runs it: one overview of every
// project, read back from the saved file: its rows in the data's order, each
// project once, its statuses shaded in the key's colours, its counts, and each
// project's name linked to its report beside it.

#include "ProgramRuns.h"
#include "support/ChartFiles.h"
#include "support/OdtContent.h"

#include <QtTest>

namespace {

using statusmill::testing::odtContent;
using statusmill::testing::odtParagraphs;
using statusmill::testing::odtShadedCells;
using statusmill::testing::readBack;

// The key's colours, as the built-in template shades its status cells.
const QHash<QString, QString> kShading{{"Green", "#c6efce"}, {"Amber", "#ffeb9c"}, {"Red", "#ffc7ce"}};

// Three projects, each a different overall status; the first has a milestone done
// and one to come, and a closed risk beside two open ones.
QByteArray projectsJson()
{
    return R"([
 {"ProjectName": "Alpha", "Department": "Works", "OverallStatus": "Green", "ScheduleStatus": "Red",
  "BudgetStatus": "Amber", "ScopeStatus": "G", "QualityStatus": "Green", "RisksStatus": "Amber",
  "OverallComment": "Going well",
  "Milestones": [{"Milestone": "Design", "Forecast": "2026-01-15", "Status": "complete"},
                 {"Milestone": "Build", "Forecast": "2026-05-01", "Status": "Amber"}],
  "Risks": [{"Rating": "High", "Status": "Closed"}, {"Rating": "M"}, {"Rating": "L"}]},
 {"ProjectName": "Beta", "Department": "Roads", "OverallStatus": "Red"},
 {"ProjectName": "Gamma", "Department": "Parks", "OverallStatus": "amber"}
])";
}

// The link targets of an .odt, in order.
QStringList odtLinks(const QString& odt)
{
    QStringList links;
    QXmlStreamReader xml(odtContent(odt));
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("a"))
            links << xml.attributes().value(QStringLiteral("xlink:href")).toString();
    return links;
}

// The file a link of `document` leads to. An .odt's relative link leads from
// inside its package, as from a folder of the file's name ("../out/x.pdf" is
// beside it); a Word file's from its folder.
QString linkedFile(const QString& document, const QString& link)
{
    QString from = QFileInfo(document).absoluteFilePath();
    if (document.endsWith(QLatin1String(".odt")))
        from += QLatin1Char('/');
    return QUrl::fromLocalFile(from).resolved(QUrl(link)).toLocalFile();
}

// The targets of the links a file holds: an .odt's content, a .docx's relations,
// a .doc's HYPERLINK fields, a PDF's link annotations (Poppler's list of them,
// "1  Annotation  ../out/001-Alpha.odt" a line, in no set order: sorted, as the
// reports' numbered names are).
QStringList linksOf(const QString& document)
{
    if (document.endsWith(QLatin1String(".odt")))
        return odtLinks(document);
    QStringList links;
    if (document.endsWith(QLatin1String(".pdf"))) {
        const QString listed = statusmill::testing::commandOutput(QStringLiteral("pdfinfo"), {"-url", document});
        for (const QString& line : listed.split(QLatin1Char('\n')).mid(1))
            if (const QStringList columns = line.split(QLatin1Char(' '), Qt::SkipEmptyParts); columns.size() == 3)
                links << columns.at(2);
        links.sort();
        return links;
    }
    if (document.endsWith(QLatin1String(".docx"))) {
        static const QRegularExpression target(QStringLiteral("Target=\"([^\"]*)\" TargetMode=\"External\""));
        const QString relations = statusmill::testing::commandOutput(
            QStringLiteral("unzip"), {"-p", document, "word/_rels/document.xml.rels"});
        for (const auto& found : target.globalMatch(relations))
            links << found.captured(1);
        return links;
    }
    // A field's code is in one byte a character or two, as its piece of text is:
    // without the zero bytes, both read as one.
    static const QRegularExpression field(QStringLiteral("HYPERLINK \"([^\"]*)\""));
    const QString text = QString::fromLatin1(statusmill::testing::readFile(document).replace('\0', QByteArray()));
    for (const auto& found : field.globalMatch(text))
        links << found.captured(1);
    return links;
}

} // namespace

class TestPortfolio : public QObject, public statusmill::testing::ProgramRuns
{
    Q_OBJECT

private slots:
    void init() { freshHome(); }
    void cleanup() { nothingLeft(); }

    // Every project once, in the data's order, its overall status shaded as the
    // key shades it, the counts by overall status, and its name linked to the
    // report made of it.
    void portfolioOfEveryProject_data()
    {
        QTest::addColumn<QString>("data");
        QTest::addColumn<QStringList>("projects");
        QTest::addColumn<QStringList>("overall");
        QTest::addColumn<QStringList>("lists");
        QTest::newRow("a JSON batch") << "projects.json" << QStringList{"Alpha", "Beta", "Gamma"}
                                      << QStringList{"Green", "Red", "amber"} << QStringList();
        QTest::newRow("a workbook")
            << "tracker.ods" << QStringList{"Harbour Bridge Renewal", "Tunnel East Drainage", "Riverside Cycle Path"}
            << QStringList{"Amber", "Green", "Red"} << QStringList();
        QTest::newRow("a table with lists") << "projects.csv" << QStringList{"Alpha", "Beta", "Gamma"}
                                            << QStringList{"Green", "Red", "amber"}
                                            << QStringList{"--list", "Milestones=milestones.csv"};
    }
    void portfolioOfEveryProject()
    {
        QFETCH(QString, data);
        QFETCH(QStringList, projects);
        QFETCH(QStringList, overall);
        QFETCH(QStringList, lists);
        QVERIFY(statusmill::testing::writeFile(path("projects.json"), projectsJson()));
        QVERIFY(statusmill::testing::writeFile(path("projects.csv"), "Project Name,Department,OverallStatus\n"
                                                                     "Alpha,Works,Green\nBeta,Roads,Red\n"
                                                                     "Gamma,Parks,amber\n"));
        QVERIFY(statusmill::testing::writeFile(path("milestones.csv"), "Project Name,Milestone,Forecast,Status\n"
                                                                       "Beta,Survey,2026-04-01,Amber\n"));
        QVERIFY(QFile::copy(QStringLiteral(STATUSMILL_EXAMPLE_DIR "/tracker.ods"), path("tracker.ods")));
        QString said;
        QCOMPARE(run(QStringList{"--batch", data, "--output-dir", "out", "--format", "odt", "--portfolio",
                                 "board/portfolio.odt"} +
                         lists,
                     &said),
                 0);
        QCOMPARE(reports("out").size(), projects.size());
        const QString portfolio = path("board/portfolio.odt");

        const auto cells = odtShadedCells(portfolio);
        QStringList texts;
        for (const auto& cell : cells)
            texts << cell.first;
        for (int at = 0; at < projects.size(); ++at) {
            QCOMPARE(texts.count(projects.at(at)), 1);
            const qsizetype row = texts.indexOf(projects.at(at));
            QVERIFY2(at == 0 || row > texts.indexOf(projects.at(at - 1)), qPrintable(projects.at(at)));
            // Name, department, then the overall status.
            QCOMPARE(cells.at(row + 2).first, overall.at(at));
            const QString status = overall.at(at).at(0).toUpper() + overall.at(at).mid(1).toLower();
            QCOMPARE(cells.at(row + 2).second, kShading.value(status));
        }
        QVERIFY(odtParagraphs(portfolio).contains(QStringLiteral("1 Green, 1 Amber, 1 Red")));
        // Beside the counts, a bar for each, in the key's colour (the first bar's is
        // its series', which the file does not repeat).
        const QList<statusmill::testing::ChartInFile> charts = statusmill::testing::odtCharts(portfolio);
        QCOMPARE(charts.size(), 1);
        QCOMPARE(charts[0].categories, QStringList({"Green", "Amber", "Red"}));
        QCOMPARE(charts[0].values, QList<QList<double>>({{1}, {1}, {1}}));
        QCOMPARE(charts[0].colours.mid(1), QStringList({kShading["Amber"], kShading["Red"]}));
        // A list's items reach the overview too: Beta's next milestone, from its table.
        if (!lists.isEmpty())
            QVERIFY2(odtParagraphs(portfolio).join('\n').contains(QStringLiteral("Survey")),
                     qPrintable(odtParagraphs(portfolio).join('\n')));
        QVERIFY(odtParagraphs(portfolio).contains(QStringLiteral("3")));

        // Each name leads to its own report, which is there.
        const QStringList links = odtLinks(portfolio);
        QCOMPARE(links.size(), projects.size());
        for (int at = 0; at < projects.size(); ++at) {
            const QString file = linkedFile(portfolio, links.at(at));
            QVERIFY2(QFileInfo(file).isFile(), qPrintable(links.at(at)));
            QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(path("out")).absoluteFilePath());
            QVERIFY(readBack(file).contains(projects.at(at)));
        }
    }

    // What the board reads of a project beside its statuses: each of the six
    // shaded, the next milestone not complete with its forecast, the open risks
    // and the highest rating among them.
    void projectRowReadsTheProject()
    {
        QVERIFY(statusmill::testing::writeFile(path("projects.json"), projectsJson()));
        QCOMPARE(run({"--batch", "projects.json", "--output-dir", "out", "--portfolio", "portfolio.odt"}), 0);
        const auto cells = odtShadedCells(path("portfolio.odt"));
        qsizetype row = -1;
        for (qsizetype at = 0; at < cells.size() && row < 0; ++at)
            if (cells.at(at).first == QLatin1String("Alpha"))
                row = at;
        QVERIFY(row >= 0);
        const QStringList statuses{"Green", "Red", "Amber", "Green", "Green", "Amber"};
        for (int at = 0; at < 6; ++at)
            QCOMPARE(cells.at(row + 2 + at).second, kShading.value(statuses.at(at)));
        QCOMPARE(cells.at(row + 8).first, QStringLiteral("Going well"));
        QCOMPARE(cells.at(row + 9).first, QStringLiteral("Build2026-05-01"));
        QCOMPARE(cells.at(row + 10).first, QStringLiteral("2 M"));
    }

    // Set against last week, each project's overall status says under it how it
    // moved, and stays shaded by what it is now: a move, a new project, and none
    // for a status that stayed.
    void overallChangeSinceLastWeek()
    {
        QVERIFY(statusmill::testing::writeFile(path("projects.json"), projectsJson()));
        QVERIFY(statusmill::testing::writeFile(path("last-week.json"), R"([
 {"ProjectName": "Gamma", "OverallStatus": "Green"},
 {"ProjectName": "Beta", "OverallStatus": "Red"}
])"));
        QCOMPARE(run({"--batch", "projects.json", "--previous", "last-week.json", "--output-dir", "out",
                      "--portfolio", "portfolio.odt"}),
                 0);
        const auto cells = odtShadedCells(path("portfolio.odt"));
        // The project, its overall cell's text (the status, then under it the
        // change), the shading of the status.
        const QList<QStringList> rows{{"Alpha", "GreenNew project", "Green"},
                                      {"Beta", "Red", "Red"},
                                      {"Gamma", "amberGreen \u2192 amber", "Amber"}};
        for (const QStringList& expected : rows) {
            qsizetype row = 0;
            while (row < cells.size() && cells.at(row).first != expected.at(0))
                ++row;
            QVERIFY2(row + 2 < cells.size(), qPrintable(expected.at(0)));
            QCOMPARE(cells.at(row + 2).first, expected.at(1));
            QCOMPARE(cells.at(row + 2).second, kShading.value(expected.at(2)));
        }
    }

    // Each format's link is relative to the portfolio, so the folder moves whole:
    // in a copy elsewhere each name still opens its own report.
    void linksMoveWithTheFolder_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("odt") << "odt";
        QTest::newRow("docx") << "docx";
        QTest::newRow("doc") << "doc";
        QTest::newRow("pdf") << "pdf";
    }
    void linksMoveWithTheFolder()
    {
        QFETCH(QString, format);
        QVERIFY(statusmill::testing::writeFile(path("projects.json"), projectsJson()));
        QCOMPARE(run({"--batch", "projects.json", "--output-dir", "board/out", "--format", "odt", "--portfolio",
                      "board/overview/portfolio." + format}),
                 0);
        QVERIFY(QDir(path(".")).rename("board", "moved"));
        const QString portfolio = path("moved/overview/portfolio." + format);
        const QStringList links = linksOf(portfolio);
        QCOMPARE(links.size(), 3);
        const QStringList projects{"Alpha", "Beta", "Gamma"};
        for (int at = 0; at < 3; ++at) {
            QVERIFY2(QUrl(links.at(at)).isRelative(), qPrintable(links.at(at)));
            const QString file = linkedFile(portfolio, links.at(at));
            QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(path("moved/out")).absoluteFilePath());
            QVERIFY2(readBack(file).contains(projects.at(at)), qPrintable(file));
        }
    }

    // The portfolio is made once every report's fate is known, however many jobs
    // share the rows: a report that could not be made is not linked, every other is.
    void linksOnlyTheReportsMade_data()
    {
        QTest::addColumn<QString>("jobs");
        QTest::newRow("one job") << "1";
        QTest::newRow("three jobs") << "3";
    }
    void linksOnlyTheReportsMade()
    {
        QFETCH(QString, jobs);
        QByteArray projects = "[";
        for (int number = 1; number <= 9; ++number)
            projects += QByteArray(number > 1 ? "," : "") + "{\"ProjectName\": \"P" + QByteArray::number(number) + "\"}";
        QVERIFY(statusmill::testing::writeFile(path("projects.json"), projects + "]"));
        // A folder where the fifth report would go.
        QVERIFY(QDir().mkpath(path("out/005-P5.odt")));
        QString said;
        QCOMPARE(run({"--batch", "projects.json", "--output-dir", "out", "--format", "odt", "--jobs", jobs,
                      "--portfolio", "portfolio.odt"},
                     &said),
                 1);
        QVERIFY2(said.contains(QStringLiteral("005-P5.odt")), qPrintable(said));
        const QString portfolio = path("portfolio.odt");
        QStringList linked;
        for (const QString& link : odtLinks(portfolio)) {
            const QString file = linkedFile(portfolio, link);
            QVERIFY2(QFileInfo(file).isFile(), qPrintable(link));
            linked << QFileInfo(file).fileName();
        }
        QCOMPARE(linked, QStringList({"001-P1.odt", "002-P2.odt", "003-P3.odt", "004-P4.odt", "006-P6.odt",
                                      "007-P7.odt", "008-P8.odt", "009-P9.odt"}));
        QVERIFY(odtParagraphs(portfolio).contains(QStringLiteral("P5")));
    }

    // Without a folder for the reports only the portfolio is made, with no links.
    void portfolioAlone()
    {
        QVERIFY(statusmill::testing::writeFile(path("projects.json"), projectsJson()));
        QCOMPARE(run({"--batch", "projects.json", "--portfolio", "portfolio.odt"}), 0);
        QCOMPARE(reports(QStringLiteral(".")), QStringList({"portfolio.odt", "projects.json"}));
        QVERIFY(odtLinks(path("portfolio.odt")).isEmpty());
        QVERIFY(odtParagraphs(path("portfolio.odt")).contains(QStringLiteral("Beta")));
    }

    // What cannot be followed is said before anything is made.
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("said");
        QTest::newRow("a shard") << QStringList{"--output-dir", "out", "--portfolio", "p.pdf", "--shard", "0/2"}
                                 << "--portfolio needs every row";
        QTest::newRow("no format") << QStringList{"--portfolio", "p.txt"} << "must end in .doc, .docx, .odt or .pdf";
        QTest::newRow("a template alone") << QStringList{"--output-dir", "out", "--portfolio-template", "t.ott"}
                                          << "--portfolio-template goes with --portfolio only";
        QTest::newRow("a missing template") << QStringList{"--portfolio", "p.pdf", "--portfolio-template", "t.ott"}
                                            << "Cannot use the template t.ott";
        QTest::newRow("there already") << QStringList{"--portfolio", "p.pdf", "--output-dir", "out"}
                                       << "p.pdf exists; --overwrite replaces it";
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, said);
        QVERIFY(statusmill::testing::writeFile(path("projects.json"), projectsJson()));
        QVERIFY(statusmill::testing::writeFile(path("p.pdf"), "mine"));
        QString told;
        QCOMPARE(run(QStringList{"--batch", "projects.json"} + arguments, &told), 2);
        QVERIFY2(told.contains(said), qPrintable(told));
        QVERIFY(!QFileInfo::exists(path("out")));
        QCOMPARE(statusmill::testing::readFile(path("p.pdf")), QByteArray("mine"));
    }
};

QTEST_GUILESS_MAIN(TestPortfolio)
#include "tst_portfolio.moc"
