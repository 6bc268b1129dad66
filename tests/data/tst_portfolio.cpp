// The portfolio's data worked out from the batch's reports: the next milestone,
// the open risks and their highest rating, the counts by overall status, and the
// projects' items in the data's order.

#include "data/Portfolio.h"

#include <QtTest>

using namespace statusmill::data;

namespace {

// "Status=Complete;Milestone=Design" an item; fields split by ';'.
List listOf(const QString& name, const QStringList& items)
{
    List list{name, {}};
    for (const QString& item : items) {
        QList<Field> fields;
        for (const QString& field : item.split(QLatin1Char(';'), Qt::SkipEmptyParts))
            fields.append({field.section(QLatin1Char('='), 0, 0), field.section(QLatin1Char('='), 1)});
        list.items << fields;
    }
    return list;
}

} // namespace

class TestPortfolio : public QObject
{
    Q_OBJECT

private slots:
    void nextMilestoneIsTheFirstNotComplete_data()
    {
        QTest::addColumn<QStringList>("milestones");
        QTest::addColumn<QString>("next"); // empty: none
        QTest::newRow("complete in any case, spaced") << QStringList{"Milestone=A;Status=COMPLETE ", "Milestone=B;Status=Green"} << "B";
        QTest::newRow("no status is not complete") << QStringList{"Milestone=A"} << "A";
        QTest::newRow("every one complete") << QStringList{"Milestone=A;Status=Complete"} << "";
        QTest::newRow("completed is not complete") << QStringList{"Milestone=A;Status=Completed"} << "A";
        QTest::newRow("an empty list") << QStringList{} << "";
    }
    void nextMilestoneIsTheFirstNotComplete()
    {
        QFETCH(QStringList, milestones);
        QFETCH(QString, next);
        ReportData report;
        report.setList(listOf("Milestones", milestones));
        const QList<Field>* found = nextMilestone(report);
        QCOMPARE(found ? fieldOf(*found, "milestone").value_or("?") : QString(), next);
    }

    void openRisksAndTheirHighestRating_data()
    {
        QTest::addColumn<QStringList>("risks");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("highest");
        QTest::newRow("high over medium, as written") << QStringList{"Rating=M", "Rating=high", "Rating=L"} << 3 << "high";
        QTest::newRow("the first of two equal") << QStringList{"Rating=Medium", "Rating=M"} << 2 << "Medium";
        QTest::newRow("a closed risk is not open") << QStringList{"Rating=H;Status=closed", "Rating=L"} << 1 << "L";
        QTest::newRow("an unknown rating counts, ranks none") << QStringList{"Rating=Severe"} << 1 << "";
        QTest::newRow("none") << QStringList{} << 0 << "";
    }
    void openRisksAndTheirHighestRating()
    {
        QFETCH(QStringList, risks);
        QFETCH(int, count);
        QFETCH(QString, highest);
        ReportData report;
        report.setList(listOf("Risks", risks));
        const OpenRisks open = openRisks(report);
        QCOMPARE(open.count, count);
        QCOMPARE(open.highest, highest);
    }

    void portfolioCountsAndListsEveryProject()
    {
        QList<ReportData> reports(4);
        const char* const overall[] = {"green", "Red", " Amber ", "Blue"};
        for (int at = 0; at < 4; ++at) {
            reports[at].setField("ProjectName", QStringLiteral("P%1").arg(at));
            reports[at].setField("OverallStatus", QLatin1String(overall[at]));
            reports[at].setField("Report", "the project's own");
            reports[at].setField("ReportDate", "9 March 2026");
        }
        reports[1].setList(listOf("Milestones", {"Milestone=Build;Forecast=2026-05-01;Status=Amber"}));
        reports[1].setList(listOf("Risks", {"Rating=H", "Rating=L"}));
        QList<PortfolioProject> projects;
        for (int at = 0; at < 4; ++at)
            projects.append({&reports[at], at == 2 ? QString() : QStringLiteral("%1-P%1.pdf").arg(at)});

        const ReportData portfolio = portfolioOf(projects);
        QCOMPARE(portfolio.field("ProjectCount"), "4");
        QCOMPARE(portfolio.field("GreenCount"), "1");
        QCOMPARE(portfolio.field("AmberCount"), "1");
        QCOMPARE(portfolio.field("RedCount"), "1");
        QCOMPARE(portfolio.field("ReportDate"), "9 March 2026");
        const List* list = portfolio.list("projects");
        QVERIFY(list);
        QCOMPARE(list->items.size(), 4);
        QStringList names, files;
        for (const auto& item : list->items) {
            names << fieldOf(item, "ProjectName").value_or("?");
            files << fieldOf(item, "Report").value_or("?");
        }
        QCOMPARE(names, QStringList({"P0", "P1", "P2", "P3"}));
        // The report's file goes over the project's field of that name.
        QCOMPARE(files, QStringList({"0-P0.pdf", "1-P1.pdf", "", "3-P3.pdf"}));
        const auto& second = list->items.at(1);
        QCOMPARE(fieldOf(second, "OverallStatus"), "Red");
        QCOMPARE(fieldOf(second, "NextMilestone"), "Build");
        QCOMPARE(fieldOf(second, "NextMilestoneForecast"), "2026-05-01");
        QCOMPARE(fieldOf(second, "OpenRisks"), "2");
        QCOMPARE(fieldOf(second, "HighestRating"), "H");
        QCOMPARE(fieldOf(list->items.at(0), "NextMilestone"), "");
        QCOMPARE(fieldOf(list->items.at(0), "OpenRisks"), "0");
    }

    // "Name=Overall" a project of last week's data; "Name" alone one without an
    // overall status.
    void overallChangeSinceLastWeek_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("overall");
        QTest::addColumn<QStringList>("lastWeek");
        QTest::addColumn<QString>("change");
        QTest::newRow("moved, as each week writes it") << "Alpha" << " Amber " << QStringList{"Alpha=green"}
                                                     << "green \u2192 Amber";
        QTest::newRow("one status written two ways") << "Alpha" << "G" << QStringList{"Alpha=Green"} << "";
        QTest::newRow("no status moved as text") << "Alpha" << "On hold" << QStringList{"Alpha=Red"}
                                                 << "Red \u2192 On hold";
        QTest::newRow("found as lists link names") << "alpha " << "Red" << QStringList{"ALPHA=Green"}
                                                   << "Green \u2192 Red";
        QTest::newRow("none last week") << "Alpha" << "Red" << QStringList{"Alpha"} << "";
        QTest::newRow("none this week") << "Alpha" << "" << QStringList{"Alpha=Red"} << "";
        QTest::newRow("not there last week") << "Gamma" << "Red" << QStringList{"Alpha=Red"} << "New project";
        QTest::newRow("the first of two last week") << "Alpha" << "Red"
                                                    << QStringList{"Alpha=Amber", "Alpha=Red"} << "Amber \u2192 Red";
        QTest::newRow("no name, not found") << "" << "Red" << QStringList{"=Green"} << "";
    }
    void overallChangeSinceLastWeek()
    {
        QFETCH(QString, name);
        QFETCH(QString, overall);
        QFETCH(QStringList, lastWeek);
        QFETCH(QString, change);
        ReportData report;
        report.setField("ProjectName", name);
        report.setField("OverallStatus", overall);
        QList<Record> records;
        for (const QString& project : lastWeek) {
            Record record;
            record.data.setField("ProjectName", project.section(QLatin1Char('='), 0, 0));
            if (project.contains(QLatin1Char('=')))
                record.data.setField("OverallStatus", project.section(QLatin1Char('='), 1));
            records << record;
        }
        QCOMPARE(overallChange(report, records), change);

        const QList<PortfolioProject> projects{{&report, QString()}};
        const List* against = portfolioOf(projects, records).list("Projects");
        QCOMPARE(fieldOf(against->items.at(0), "OverallChange"), change);
        // Without last week's data there is nothing to set it against.
        report.setField("OverallChange", "typed");
        const List* alone = portfolioOf(projects).list("Projects");
        QCOMPARE(fieldOf(alone->items.at(0), "OverallChange"), "");
    }
};

QTEST_GUILESS_MAIN(TestPortfolio)
#include "tst_portfolio.moc"
