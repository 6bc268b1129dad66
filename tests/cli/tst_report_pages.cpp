// The built-in report as its reader gets it: printed on A4 and on Letter, its date
// in the reader's language, its pages flowing, its columns wide enough for what
// they hold, its empty lists said, its header naming the organisation. Each
// report is read back from its file.

#include "ProgramRuns.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace statusmill::testing;

namespace {

using Environment = QMap<QString, QString>;

// A word of a printed page and where it stands, in points.
struct Word
{
    QString text;
    double xMin = 0;
    double xMax = 0;
};

struct Page
{
    double width = 0;
    QList<Word> words;
    QString text() const
    {
        QStringList all;
        for (const Word& word : words)
            all << word.text;
        return all.join(QLatin1Char(' '));
    }
};

// The words of each page of a PDF, as pdftotext's bounding boxes have them.
QList<Page> pagesOf(const QString& pdf)
{
    const QString boxes = commandOutput(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"});
    static const QRegularExpression page(QStringLiteral(R"re(<page width="([0-9.]+)")re"));
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([0-9.]+)" yMin="[0-9.]+" xMax="([0-9.]+)" yMax="[0-9.]+">([^<]*)</word>)re"));
    QList<Page> pages;
    for (const QString& part : boxes.split(QStringLiteral("</page>"))) {
        const auto size = page.match(part);
        if (!size.hasMatch())
            continue;
        Page one{size.captured(1).toDouble(), {}};
        for (auto found = word.globalMatch(part); found.hasNext();) {
            const auto match = found.next();
            one.words.append({match.captured(3), match.captured(1).toDouble(), match.captured(2).toDouble()});
        }
        pages << one;
    }
    return pages;
}

QJsonObject exampleProject()
{
    QFile file(QStringLiteral(STATUSMILL_EXAMPLE_DIR "/project.json"));
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object();
}

QJsonArray appended(QJsonArray list, const QList<QJsonObject>& items)
{
    for (const QJsonObject& item : items)
        list.append(item);
    return list;
}

// The example's project with two more risks and two more next steps, with IDs and
// dates as people write them.
QJsonObject projectWithMore()
{
    QJsonObject project = exampleProject();
    project["Risks"] = appended(
        project["Risks"].toArray(),
        {QJsonObject{{"ID", "KBI08-R01"}, {"Description", "The harbour authority refuses the night closure"},
                     {"Rating", "H"}, {"Response", "Apply early with the traffic plan"},
                     {"Owner", "Alice Example"}, {"Due", "2026-12-10"}},
         QJsonObject{{"ID", "KBI08-R02"}, {"Description", "No inspector in the week of the pour"},
                     {"Rating", "L"}, {"Response", "Book a second inspector"}, {"Owner", "Bob Example"},
                     {"Due", "31/12/2026"}}});
    project["NextSteps"] = appended(
        project["NextSteps"].toArray(),
        {QJsonObject{{"Action", "Book the second inspector"}, {"Owner", "Bob Example"}, {"Due", "2026-12-10"}},
         QJsonObject{{"Action", "Send the permit application"}, {"Owner", "Alice Example"}, {"Due", "31/12/2026"}}});
    return project;
}

QJsonObject projectWithMilestones(int count)
{
    QJsonObject project = exampleProject();
    QJsonArray milestones;
    for (int number = 1; number <= count; ++number)
        milestones.append(QJsonObject{{"Milestone", QStringLiteral("Milestone %1").arg(number)},
                                      {"Owner", "Bob Example"}, {"Planned", "2026-12-10"},
                                      {"Forecast", "31/12/2026"}, {"Status", "Green"}});
    project["Milestones"] = milestones;
    return project;
}

} // namespace

class TestReportPages : public QObject, public ProgramRuns
{
    Q_OBJECT

    // The report of `project` on the paper of the test, in `format`.
    QString reportOf(const QJsonObject& project, const QString& format, const QStringList& more = {})
    {
        writeFile(path("project.json"), QJsonDocument(project).toJson());
        const QString report = path("report." + format);
        QString said;
        const int status =
            run(QStringList{"--data", path("project.json"), "--output", report, "--overwrite"} + more, &said);
        if (status != 0)
            qWarning("%s", qPrintable(said));
        return status == 0 ? report : QString();
    }

private slots:
    void init() { freshHome(); }
    void cleanup() { nothingLeft(); }

    void theDateInTheReadersLanguage_data()
    {
        QTest::addColumn<Environment>("environment");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("expected");
        const QDate today = QDate::currentDate();
        const Environment none{{"LC_TIME", ""}, {"LC_ALL", ""}};
        auto with = [&](const char* name, const char* value) {
            auto environment = none;
            environment.insert(QLatin1String(name), QLatin1String(value));
            return environment;
        };
        const QString british = QLocale(QLocale::English, QLocale::UnitedKingdom).toString(today, "d MMMM yyyy");
        const QString american = QLocale(QLocale::English, QLocale::UnitedStates).toString(today, "MMMM d, yyyy");
        QTest::newRow("British English") << with("LC_TIME", "en_GB.UTF-8") << QStringList() << british;
        QTest::newRow("US English") << with("LANG", "en_US.UTF-8") << QStringList() << american;
        QTest::newRow("German") << with("LANG", "de_DE.UTF-8") << QStringList()
                                << QLocale(QLocale::German, QLocale::Germany).toString(today, "d. MMMM yyyy");
        QTest::newRow("C") << with("LC_ALL", "C") << QStringList() << american;
        QTest::newRow("--set goes over it") << with("LC_TIME", "en_GB.UTF-8")
                                            << QStringList{"--set", "ReportDate=Friday, week 10"}
                                            << "Friday, week 10";
    }

    void theDateInTheReadersLanguage()
    {
        QFETCH(Environment, environment);
        QFETCH(QStringList, options);
        QFETCH(QString, expected);
        m_environment = environment;
        const QString report = reportOf(exampleProject(), "odt", options);
        QVERIFY(!report.isEmpty());
        const QString text = readBack(report);
        QVERIFY2(text.contains(QRegularExpression("Report Date:\\s+" + QRegularExpression::escape(expected))),
                 qPrintable(text.left(600)));
    }

    // A date the data gives is the report's, as typed, whatever the language.
    void theDataDatesItsReport()
    {
        QJsonObject project = exampleProject();
        project["ReportDate"] = "6 March 2026";
        m_environment = {{"LC_TIME", "de_DE.UTF-8"}};
        const QString report = reportOf(project, "odt");
        QVERIFY(!report.isEmpty());
        QVERIFY(readBack(report).contains(QRegularExpression("Report Date:\\s+6 March 2026")));
    }

    void theReportFlowsOntoTwoPages_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::newRow("A4") << "a4";
        QTest::newRow("Letter") << "letter";
    }

    // Two more risks and next steps than the example still fit two pages, with
    // IDs and dates each on one line, everything inside the margins, and the
    // organisation and classification heading the second page.
    void theReportFlowsOntoTwoPages()
    {
        QFETCH(QString, paper);
        m_paper = paper;
        const QString report = reportOf(projectWithMore(), "pdf");
        QVERIFY(!report.isEmpty());
        const QList<Page> pages = pagesOf(report);
        QCOMPARE(pages.size(), 2);
        QStringList words;
        for (const Page& page : pages) {
            constexpr double kMargin = 72; // an inch each side
            for (const Word& word : page.words) {
                words << word.text;
                QVERIFY2(word.xMin >= kMargin - 1 && word.xMax <= page.width - kMargin + 1,
                         qPrintable(QStringLiteral("%1 stands at %2 to %3 of %4")
                                        .arg(word.text)
                                        .arg(word.xMin)
                                        .arg(word.xMax)
                                        .arg(page.width)));
            }
        }
        for (const char* whole : {"KBI08-R01", "KBI08-R02", "2026-12-10", "31/12/2026"})
            QVERIFY2(words.contains(QLatin1String(whole)), whole);
        QVERIFY(!pages[0].text().contains("City of Example"));
        QVERIFY(pages[1].text().contains("City of Example Project Status Report Internal"));
    }

    void aLongTableKeepsItsHeaderOnEveryPage_data()
    {
        QTest::addColumn<QString>("paper");
        QTest::addColumn<int>("milestones");
        QTest::newRow("A4, forty") << "a4" << 40;
        QTest::newRow("Letter, forty") << "letter" << 40;
        // So many that the budget's table would start at the foot of a page.
        QTest::newRow("A4, the budget at a page's foot") << "a4" << 38;
        QTest::newRow("Letter, the budget at a page's foot") << "letter" << 29;
    }

    // Many milestones run over pages: each page of them starts with the table's
    // header; the budget, a short table, stays whole with its heading.
    void aLongTableKeepsItsHeaderOnEveryPage()
    {
        QFETCH(QString, paper);
        QFETCH(int, milestones);
        m_paper = paper;
        const QString report = reportOf(projectWithMilestones(milestones), "pdf");
        QVERIFY(!report.isEmpty());
        const QList<Page> pages = pagesOf(report);
        QVERIFY(pages.size() >= 3);
        int pagesOfMilestones = 0;
        for (const Page& page : pages) {
            const QString text = page.text();
            if (!text.contains(QRegularExpression("Milestone \\d+ Bob")))
                continue;
            ++pagesOfMilestones;
            QVERIFY2(text.contains("# Milestone or deliverable Owner Planned Forecast Status"), qPrintable(text));
            if (text.contains("4. Budget"))
                QVERIFY2(text.contains(QRegularExpression("4\\. Budget .* Cost item .* Total 800,000")),
                         qPrintable(text));
        }
        QVERIFY(pagesOfMilestones >= (milestones >= 40 ? 2 : 1));
        for (const Page& page : pages)
            if (page.text().contains("Cost item"))
                QVERIFY2(page.text().contains(QRegularExpression("4\\. Budget .* Cost item .* Total 800,000")),
                         qPrintable(page.text()));
    }

    // A list the data gives empty says so, in a table under its header and in a
    // bullet list; no bracket is left.
    void anEmptyListSaysSo()
    {
        QJsonObject project = exampleProject();
        for (const char* list : {"Achievements", "Decisions", "Milestones", "Budget", "Risks", "NextSteps"})
            project[QLatin1String(list)] = QJsonArray();
        const QString report = reportOf(project, "pdf");
        QVERIFY(!report.isEmpty());
        const QString text = readBack(report);
        QCOMPARE(text.count("None this period."), 6);
        QVERIFY2(!text.contains('['), qPrintable(text));
        for (const char* header : {"Risk (R) or issue (I)", "Planned for the next period", "Cost item"})
            QVERIFY2(text.contains(QRegularExpression(QRegularExpression::escape(header) +
                                                      "[^.]*\\sNone this period\\.")),
                     header);
    }
};

QTEST_GUILESS_MAIN(TestReportPages)
#include "tst_report_pages.moc"
