// This week's report set against last week's: trends from the two statuses, new and
// closed risks by ID, milestones' forecasts moved, in the date forms a sheet, a
// project file and the user's locale give; projects, risks and milestones matched
// in any letter case, with spaces around.

#include "data/LastWeek.h"

#include <QtTest>

using namespace statusmill::data;

namespace {

QList<Field> item(const QStringList& namesAndTexts)
{
    QList<Field> fields;
    for (qsizetype i = 0; i + 1 < namesAndTexts.size(); i += 2)
        fields.append({namesAndTexts.at(i), namesAndTexts.at(i + 1)});
    return fields;
}

List listOf(const QString& name, const QList<QStringList>& items)
{
    List list{name, {}};
    for (const QStringList& fields : items)
        list.items.append(item(fields));
    return list;
}

// The field `name` of each item of the list, "-" for an item without it.
QStringList column(const ReportData& report, const QString& list, const QString& name)
{
    QStringList texts;
    if (const List* found = report.list(list))
        for (const QList<Field>& fields : found->items)
            texts << fieldOf(fields, name).value_or(QStringLiteral("-"));
    return texts;
}

const QLocale kUs(QLocale::English, QLocale::UnitedStates);

} // namespace

class TestLastWeek : public QObject
{
    Q_OBJECT

private slots:
    void trend_data()
    {
        QTest::addColumn<QString>("lastWeek");
        QTest::addColumn<QString>("thisWeek");
        QTest::addColumn<QString>("trend"); // "" for none
        const char* const statuses[] = {"Green", "Amber", "Red"};
        for (int before = 0; before < 3; ++before)
            for (int now = 0; now < 3; ++now)
                QTest::addRow("%s to %s", statuses[before], statuses[now])
                    << statuses[before] << statuses[now]
                    << (now < before ? "Up" : now > before ? "Down" : "Same");
        QTest::newRow("letters, any case, spaces") << " g " << "r" << "Down";
        QTest::newRow("words in any case") << "RED" << " amber\t" << "Up";
        QTest::newRow("none last week") << "" << "Green" << "";
        QTest::newRow("none this week") << "Amber" << " " << "";
        QTest::newRow("a word that is no status") << "Greenish" << "Green" << "";
        QTest::newRow("a letter that is no status") << "Green" << "X" << "";
    }

    void trend()
    {
        QFETCH(QString, lastWeek);
        QFETCH(QString, thisWeek);
        QFETCH(QString, trend);
        QCOMPARE(trendOf(lastWeek, thisWeek).value_or(QString()), trend);
    }

    void trendsOfAReport()
    {
        ReportData last;
        last.setField("OverallStatus", "Green");
        last.setField("ScheduleStatus", "Green");
        last.setField("BudgetStatus", "Red");
        last.setField("ScopeStatus", "Amber");
        ReportData now;
        now.setField("OverallStatus", "Amber"); // worse, no trend given
        now.setField("ScheduleStatus", "Red");
        now.setField("ScheduleTrend", "Up"); // typed: kept
        now.setField("BudgetStatus", "Green");
        now.setField("BudgetTrend", "  "); // blank: worked out
        now.setField("ScopeStatus", "purple");
        const ReportData made = againstLastWeek(now, last, kUs);
        QCOMPARE(made.field("OverallTrend"), QString("Down"));
        QCOMPARE(made.field("ScheduleTrend"), QString("Up"));
        QCOMPARE(made.field("BudgetTrend"), QString("Up"));
        QCOMPARE(made.field("ScopeTrend"), std::nullopt);
        QCOMPARE(made.field("QualityTrend"), std::nullopt);
        // A project not there last week has no trend.
        QCOMPARE(againstLastWeek(now, std::nullopt, kUs).field("OverallTrend"), std::nullopt);
    }

    void risks_data()
    {
        QTest::addColumn<QList<QStringList>>("lastWeek"); // ID, Description; empty: no list
        QTest::addColumn<QList<QStringList>>("thisWeek");
        QTest::addColumn<bool>("projectKnown");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QStringList>("closed"); // IDs, then descriptions as last week had them
        QTest::newRow("one new, one closed, one kept in other case and spaces")
            << QList<QStringList>{{"ID", "R1", "Description", "rain"}, {"ID", "r2", "Description", "steel"}}
            << QList<QStringList>{{"ID", " R2 ", "Description", "steel"}, {"ID", "R3", "Description", "crane"}}
            << true << QStringList{"", "New"} << QStringList{"R1", "rain"};
        QTest::newRow("a risk without ID is neither new nor closed")
            << QList<QStringList>{{"Description", "old"}} << QList<QStringList>{{"ID", " ", "Description", "x"}}
            << true << QStringList{""} << QStringList{};
        QTest::newRow("a change typed is kept")
            << QList<QStringList>{} << QList<QStringList>{{"ID", "R1", "Change", "Reopened"}, {"ID", "R2", "Change", ""}}
            << true << QStringList{"Reopened", "New"} << QStringList{};
        QTest::newRow("a project new this week: every risk new")
            << QList<QStringList>{} << QList<QStringList>{{"ID", "R1"}} << false << QStringList{"New"} << QStringList{};
    }

    void risks()
    {
        QFETCH(QList<QStringList>, lastWeek);
        QFETCH(QList<QStringList>, thisWeek);
        QFETCH(bool, projectKnown);
        QFETCH(QStringList, changes);
        QFETCH(QStringList, closed);
        ReportData last;
        last.setList(listOf("Risks", lastWeek));
        ReportData now;
        now.setList(listOf("risks", thisWeek));
        const ReportData made =
            againstLastWeek(now, projectKnown ? std::optional<ReportData>(last) : std::nullopt, kUs);
        QCOMPARE(column(made, "Risks", "Change"), changes);
        QCOMPARE(column(made, "ClosedRisks", "ID") + column(made, "ClosedRisks", "Description"), closed);
    }

    // Last week's data without risks at all (a table whose lists were not read)
    // says nothing of which are new or closed.
    void risksUnknownLastWeek()
    {
        ReportData now;
        now.setList(listOf("Risks", {{"ID", "R1"}}));
        const ReportData made = againstLastWeek(now, ReportData(), kUs);
        QCOMPARE(column(made, "Risks", "Change"), QStringList{""});
        QVERIFY(made.list("ClosedRisks") && made.list("ClosedRisks")->items.isEmpty());
    }

    void forecastMoved_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("lastWeek");
        QTest::addColumn<QString>("thisWeek");
        QTest::addColumn<QString>("change");
        QTest::newRow("ISO, a week later") << "en_US" << "2026-03-09" << "2026-03-16" << "Slipped 7 days";
        QTest::newRow("ISO, a day later") << "en_US" << "2026-03-09" << " 2026-03-10 " << "Slipped 1 day";
        QTest::newRow("ISO, a day earlier") << "en_US" << "2026-03-01" << "2026-02-28" << "Earlier by 1 day";
        QTest::newRow("across a leap day") << "en_US" << "2028-03-01" << "2028-02-27" << "Earlier by 3 days";
        QTest::newRow("not moved") << "en_US" << "2026-06-30" << "06/30/26" << "";
        QTest::newRow("a sheet's US cell, two-digit year") << "en_US" << "03/09/26" << "3/16/26" << "Slipped 7 days";
        QTest::newRow("US, four-digit year") << "en_US" << "3/16/2026" << "3/9/2026" << "Earlier by 7 days";
        QTest::newRow("across the century's years") << "en_US" << "12/31/99" << "2000-01-01" << "Earlier by 36524 days";
        QTest::newRow("British short date") << "en_GB" << "16/03/2026" << "2026-03-23" << "Slipped 7 days";
        QTest::newRow("German short date") << "de_DE" << "16.03.26" << "18.03.2026" << "Slipped 2 days";
        QTest::newRow("a US date read in Britain") << "en_GB" << "03/16/2026" << "2026-03-20" << "";
        QTest::newRow("text that is no date") << "en_US" << "next week" << "2026-03-16" << "";
        QTest::newRow("no forecast") << "en_US" << "2026-03-16" << "" << "";
        QTest::newRow("a day that is not") << "en_US" << "2026-02-30" << "2026-03-16" << "";
    }

    void forecastMoved()
    {
        QFETCH(QString, locale);
        QFETCH(QString, lastWeek);
        QFETCH(QString, thisWeek);
        QFETCH(QString, change);
        QCOMPARE(forecastChange(lastWeek, thisWeek, QLocale(locale)), change);
    }

    void milestonesMatchedByName()
    {
        ReportData last;
        last.setList(listOf("Milestones", {{"Milestone", "Deck poured", "Forecast", "2026-03-09"},
                                           {"Milestone", "Handover", "Forecast", "2026-06-30"}}));
        ReportData now;
        now.setList(listOf("Milestones", {{"Milestone", " deck POURED ", "Forecast", "2026-03-16"},
                                          {"Milestone", "Handover", "Forecast", "2026-06-25", "Change", "Moved up"},
                                          {"Milestone", "Opening", "Forecast", "2026-07-01"}}));
        QCOMPARE(column(againstLastWeek(now, last, kUs), "Milestones", "Change"),
                 (QStringList{"Slipped 7 days", "Moved up", ""}));
    }

    void projectsMatchedByName_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("found"); // its OverallStatus; "" for none
        QTest::newRow("spaces and case") << "  HARBOUR bridge " << "Amber";
        QTest::newRow("the first of two") << "Tunnel" << "Green";
        QTest::newRow("not there") << "Canal" << "";
        QTest::newRow("no name") << " " << "";
    }

    void projectsMatchedByName()
    {
        QFETCH(QString, project);
        QFETCH(QString, found);
        QList<Record> lastWeek;
        for (const QStringList& fields : {QStringList{"Harbour Bridge", "Amber"}, QStringList{"Tunnel", "Green"},
                                          QStringList{" tunnel", "Red"}, QStringList{"", "Red"}}) {
            Record record;
            record.data.setField("ProjectName", fields.at(0));
            record.data.setField("OverallStatus", fields.at(1));
            lastWeek << record;
        }
        ReportData now;
        now.setField("ProjectName", project);
        const auto last = lastWeekOf(lastWeek, now);
        QCOMPARE(last ? *last->field("OverallStatus") : QString(), found);
    }

    // Without last week's data the names are there, empty where the data gives
    // none, and trends are the data's own.
    void withoutLastWeekGivesTheNames()
    {
        ReportData now;
        now.setList(listOf("Risks", {{"ID", "R1"}, {"ID", "R2", "Change", "New"}}));
        now.setList(listOf("Milestones", {{"Milestone", "Handover"}}));
        now.setField("OverallStatus", "Red");
        const ReportData made = withoutLastWeek(now);
        QCOMPARE(column(made, "Risks", "Change"), (QStringList{"", "New"}));
        QCOMPARE(column(made, "Milestones", "Change"), QStringList{""});
        QVERIFY(made.list("ClosedRisks") && made.list("ClosedRisks")->items.isEmpty());
        QCOMPARE(made.field("OverallTrend"), std::nullopt);
        ReportData closedGiven;
        closedGiven.setList(listOf("ClosedRisks", {{"ID", "R0"}}));
        QCOMPARE(column(withoutLastWeek(closedGiven), "ClosedRisks", "ID"), QStringList{"R0"});
    }
};

QTEST_GUILESS_MAIN(TestLastWeek)
#include "tst_last_week.moc"
