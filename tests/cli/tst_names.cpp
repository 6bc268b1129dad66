// The arithmetic of the command line, as functions: what a column fills, what a
// report is called and made safe as, what a typo of a placeholder is, and which
// command lines are usage errors.

#include "cli/Options.h"
#include "cli/PlaceholderReport.h"
#include "cli/ReportNames.h"
#include "data/WindowFields.h"

#include <QThread>
#include <QtTest>

using namespace statusmill;
using namespace statusmill::cli;

namespace {

data::ReportData report(const QList<data::Field>& fields)
{
    data::ReportData made;
    for (const data::Field& field : fields)
        made.setField(field.name, field.text);
    return made;
}

} // namespace

class TestNames : public QObject
{
    Q_OBJECT

private slots:
    void namesAreMadeSafe_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe"); // empty: none can be made
        QTest::newRow("as it is") << "007-Harbour Bridge" << "007-Harbour Bridge.pdf";
        QTest::newRow("a slash") << "a/../b" << "a_.._b.pdf";
        QTest::newRow("NUL and line breaks") << QStringLiteral("a%1b\nc\td").arg(QChar(0))
                                             << "a_b_c_d.pdf";
        QTest::newRow("leading dots and dashes") << "..-rf" << "rf.pdf";
        QTest::newRow("nothing left") << " .- " << "";
        QTest::newRow("too long, cut between characters")
            << QString(150, QChar(0x00e9)) << QString(98, QChar(0x00e9)) + ".pdf";
        // Cut in one pass: a pass per character cut takes minutes on this.
        QTest::newRow("megabytes long") << QString(4'000'000, QLatin1Char('x'))
                                        << QString(196, QLatin1Char('x')) + ".pdf";
    }

    void namesAreMadeSafe()
    {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        const auto made = safeFileName(name, QStringLiteral(".pdf"));
        QCOMPARE(made.value_or(QString()), safe);
        QVERIFY(!made || made->toUtf8().size() <= 200);
    }

    void patterns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expanded"); // or the problem, from "!"
        QTest::newRow("the default") << "{row}-{ProjectName}" << "007-Harbour";
        QTest::newRow("a column and braces") << "{{x}} {budget}" << "{x} 12";
        QTest::newRow("a window label") << "{Project Name}" << "Harbour";
        QTest::newRow("an unknown name") << "{Cost}" << "!no column or placeholder";
        QTest::newRow("an open brace") << "{row" << "!a \"{\" without";
        QTest::newRow("a lone closing brace") << "row}" << "!a \"}\" without";
    }

    void patterns()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, expanded);
        const QStringList known{"ProjectName", "Budget"};
        const auto problem = patternProblem(pattern, known);
        if (expanded.startsWith(QLatin1Char('!'))) {
            QVERIFY2(problem && problem->startsWith(expanded.mid(1)), qPrintable(problem.value_or("none")));
            return;
        }
        QVERIFY2(!problem, qPrintable(problem.value_or(QString())));
        QCOMPARE(expandPattern(pattern, 7, 3, report({{"ProjectName", "Harbour"}, {"Budget", "12"}})), expanded);
    }

    // A name too long gives up bytes of its values, never the row's number or the
    // pattern's own text, so that rows of long values keep names of their own.
    void longNamesKeepTheRowAndThePattern_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("named"); // without ".pdf"
        const QString x300(300, QLatin1Char('x'));
        QTest::newRow("the row after the value") << "{ProjectName} ({row})" << x300
                                                 << QString(190, QLatin1Char('x')) + " (007)";
        QTest::newRow("two values: the short one whole")
            << "{ProjectName}-{Department}-{row}" << x300 << QString(186, QLatin1Char('x')) + "-Works-007";
        QTest::newRow("cut between characters") << "{ProjectName}-{row}" << QString(150, QChar(0x00e9))
                                                << QString(96, QChar(0x00e9)) + "-007";
        QTest::newRow("a value cut away leaves no leading dot")
            << QString("{ProjectName}.%1").arg(QString(195, QLatin1Char('p'))) << x300
            << QString(195, QLatin1Char('p'));
    }

    void longNamesKeepTheRowAndThePattern()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, project);
        QFETCH(QString, named);
        const auto name = reportFileName(pattern, 7, 3, report({{"ProjectName", project}, {"Department", "Works"}}),
                                         QStringLiteral(".pdf"));
        QCOMPARE(name.value_or(QString()), named + ".pdf");
        QVERIFY(name->toUtf8().size() <= 200);
    }

    // What the data and the template do not share, said once a run.
    void dataAgainstTemplate_data()
    {
        QTest::addColumn<QStringList>("placeholders"); // the template's, "name@holder"
        QTest::addColumn<QStringList>("fields");       // the data's, "List.Field" for an item's
        QTest::addColumn<bool>("whole");
        QTest::addColumn<QStringList>("warnings");
        const QStringList tmpl{"ProjectName@1", "Summary@2", "Milestones.Owner@3", "Milestones.#@3", "Sponsor@4"};
        QTest::newRow("a whole data that fits") << tmpl << QStringList{"summary", "SPONSOR", "Milestones.owner"}
                                                << true << QStringList{};
        QTest::newRow("what the data has and the template not")
            << tmpl << QStringList{"Summary", "Sponsor", "Budget", "Milestones.Owner", "Milestones.Due", "Risks.ID"}
            << true
            << QStringList{"the template holds no [Budget], so the data's Budget fills nothing",
                           "the template holds no [Milestones.Due], so the items' Due fills nothing",
                           "the template has no row of the list Risks, so its items fill nothing"};
        QTest::newRow("what the template has and the data not; the window's four and # never")
            << tmpl << QStringList{"Department", "Milestones.Due"} << true
            << QStringList{"the template holds no [Milestones.Due], so the items' Due fills nothing",
                           "the items of the list Milestones give no [Milestones.Owner], which the reports leave "
                           "empty",
                           "the data gives no text for [Summary] and [Sponsor], which the reports keep as the "
                           "template has them"};
        QTest::newRow("a table's columns: only what the template lacks")
            << tmpl << QStringList{"ProjectName", "Budget"} << false
            << QStringList{"the template holds no [Budget], so its column fills nothing"};
        // Every report has its date, given or not.
        QTest::newRow("the report's date is never missing")
            << tmpl + QStringList{"ReportDate@5"} << QStringList{"Summary", "Sponsor", "Milestones.Owner"} << true
            << QStringList{};
        QTest::newRow("a whole data without a list the template has")
            << tmpl << QStringList{"Summary", "Sponsor"} << true
            << QStringList{"the data has no list Milestones, whose rows the reports keep as the template has them"};
    }

    void dataAgainstTemplate()
    {
        QFETCH(QStringList, placeholders);
        QFETCH(QStringList, fields);
        QFETCH(bool, whole);
        QFETCH(QStringList, warnings);
        QList<automation::PlaceholderSeen> seen;
        for (const QString& placeholder : placeholders)
            seen.append({'[' + placeholder.section('@', 0, 0) + ']', automation::Story::MainText, false,
                         automation::Holder::Paragraph, placeholder.section('@', 1).toInt()});
        data::ReportData given;
        for (const QString& field : fields) {
            if (!field.contains('.')) {
                given.setField(field, "x");
                continue;
            }
            const QString name = field.section('.', 0, 0);
            data::List list = given.list(name) ? *given.list(name) : data::List{name, {{}}};
            list.items.first().append({field.section('.', 1), "x"});
            given.setList(list);
        }
        DataShape shape;
        shape.whole = whole;
        shape.columns = !whole;
        shape.add(given);
        QCOMPARE(dataWarnings(seen, shape), warnings);
    }

    // A report without a list that others have keeps the list's rows as they are:
    // said once for all such reports.
    void aListSomeReportsLack()
    {
        const QList<automation::PlaceholderSeen> seen{
            {"[Milestones.Owner]", automation::Story::MainText, false, automation::Holder::TableRow, 1}};
        data::ReportData with;
        with.setList({"Milestones", {{{"Owner", "Ann"}}}});
        DataShape shape;
        shape.whole = true;
        shape.add(data::ReportData(), "p.json [0]");
        shape.add(with, "p.json [1]");
        shape.add(data::ReportData(), "p.json [2]");
        QCOMPARE(dataWarnings(seen, shape),
                 QStringList{"p.json [0] and p.json [2] have no list Milestones, which other reports have, so its "
                             "rows stay in their reports as the template has them"});
    }

    // The template check lists each list with its fields and the rows it repeats,
    // apart from the plain placeholders, and warns of a row of two lists; a
    // comment's list field is the list's, in the row the comment stands in, and no
    // row of its own.
    void theCheckListsLists()
    {
        using automation::Holder;
        using automation::Story;
        const QList<automation::PlaceholderSeen> seen{
            {"[ProjectName]", Story::HeadersAndFooters, false, Holder::Paragraph, 1},
            {"[Milestones.Owner]", Story::MainText, false, Holder::TableRow, 2},
            {"[Milestones.#]", Story::MainText, false, Holder::TableRow, 2},
            {"[risks.ID]", Story::MainText, false, Holder::TableRow, 2},
            {"[Milestones.owner]", Story::Frames, false, Holder::Paragraph, 3},
            {"[Risks.Rating]", Story::Comments, false, Holder::Paragraph, 4},
        };
        QCOMPARE(describePlaceholders("t.odt", seen),
                 QStringLiteral("Placeholders in t.odt:\n"
                                "  [ProjectName]    1  headers and footers 1  (filled by the window)\n"
                                "Lists (each row repeated once per item):\n"
                                "  Milestones: Owner, #\n"
                                "    table row in main text\n"
                                "    paragraph in shapes and frames\n"
                                "  risks: ID, Rating\n"
                                "    table row in main text\n"
                                "Warnings:\n"
                                "  a table row in main text holds fields of two lists, Milestones and risks: "
                                "it is repeated for the items of one list only\n"));
    }

    // A list a chart draws has a place in the template, rowless as it may be; the
    // check names each chart with its list, a chart of no list as keeping its data.
    void chartsTakeTheirLists()
    {
        const QList<automation::PlaceholderSeen> seen{
            {"[ProjectName]", automation::Story::MainText, false, automation::Holder::Paragraph, 1}};
        const QList<automation::ChartSeen> charts{{"Spend", "Budget", "Item", {"Approved", "Actual"}},
                                                  {"", "", "", {}}};
        data::ReportData given;
        given.setList({"budget", {{{"Item", "Staff"}}}});
        given.setList({"Risks", {{{"ID", "R1"}}}});
        DataShape shape;
        shape.add(given);
        QCOMPARE(dataWarnings(seen, shape, charts),
                 QStringList{"the template has no row of the list Risks, so its items fill nothing"});
        QCOMPARE(describePlaceholders("t.odt", seen, charts),
                 QStringLiteral("Placeholders in t.odt:\n"
                                "  [ProjectName]    1  main text 1  (filled by the window)\n"
                                "Charts (each drawn from its list for every report):\n"
                                "  a chart drawn from no list: it keeps the template's data\n"
                                "  Budget (\"Spend\"): categories Item; series Approved, Actual\n"));
    }

    void typosOfTheFour_data()
    {
        QTest::addColumn<QString>("placeholder");
        QTest::addColumn<QString>("meant");
        QTest::newRow("a letter short") << "[ProjectNam]" << "[ProjectName]";
        QTest::newRow("a space inside") << "[Focus Area]" << "[FocusArea]";
        QTest::newRow("one of the four in another case") << "[department]" << "";
        QTest::newRow("another placeholder") << "[Name]" << "";
    }

    void typosOfTheFour()
    {
        QFETCH(QString, placeholder);
        QFETCH(QString, meant);
        QCOMPARE(likelyMeant(placeholder).value_or(QString()), meant);
    }

    // Which command lines are refused, and with what, before anything starts; and
    // what the others are taken as.
    void commandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected"); // a mode, or "usage: " and part of the message
        // "Name=text": the report's text for [Name]; "jobs=N"; "note: " and part of a note;
        // "list: NAME=FILE" the lists, in order; "data=FILE".
        QTest::addColumn<QStringList>("taken");
        const QString ceiling = QString::number(std::min(16, 2 * QThread::idealThreadCount()));
        QTest::newRow("nothing") << QStringList{} << "window" << QStringList{};
        QTest::newRow("Qt's own options") << QStringList{"-style=fusion", "-platform", "xcb"} << "window" << QStringList{};
        QTest::newRow("-h") << QStringList{"-h"} << "help" << QStringList{};
        QTest::newRow("-v") << QStringList{"-v"} << "version" << QStringList{};
        QTest::newRow("an unknown option") << QStringList{"--bogus"} << "usage: unknown option \"--bogus\"" << QStringList{};
        QTest::newRow("-- ends the options") << QStringList{"--", "--version"} << "window" << QStringList{};
        QTest::newRow("one report") << QStringList{"--output", "r.PDF", "--set", "A=b=c"} << "one"
                                    << QStringList{"A=b=c", "ProjectName="};
        QTest::newRow("another extension") << QStringList{"--output", "r.txt"} << "usage: the output's name" << QStringList{};
        QTest::newRow("--set without a name") << QStringList{"--output", "r.pdf", "--set", "=x"} << "usage: --set wants" << QStringList{};
        QTest::newRow("a batch without a folder") << QStringList{"--batch", "t.csv"} << "usage: --batch wants --output-dir" << QStringList{};
        QTest::newRow("a bad shard") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--shard", "2/2"}
                                     << "usage: --shard wants" << QStringList{};
        QTest::newRow("fields for a batch") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--project", "x"}
                                            << "usage: --project goes with --output only" << QStringList{};
        QTest::newRow("--set of one of the four fills it")
            << QStringList{"--output", "r.pdf", "--set", "projectNAME=Harbour", "--department", "Works"} << "one"
            << QStringList{"ProjectName=Harbour", "Department=Works"};
        QTest::newRow("--set of one of the four and its option")
            << QStringList{"--output", "r.pdf", "--project", "A", "--set", "ProjectName=B"}
            << "usage: --project and --set ProjectName both fill [ProjectName]" << QStringList{};
        QTest::newRow("one placeholder set to two texts")
            << QStringList{"--output", "r.pdf", "--set", "Name=a", "--set", "name=b"}
            << "usage: --set Name and --set name both fill" << QStringList{};
        QTest::newRow("one placeholder set twice alike")
            << QStringList{"--output", "r.pdf", "--set", "Name=a", "--set", "Name=a"} << "one" << QStringList{"Name=a"};
        QTest::newRow("--set alone") << QStringList{"--set", "A=b"} << "usage: --set goes with --output only" << QStringList{};
        QTest::newRow("--output twice") << QStringList{"--output", "a.pdf", "-o", "b.pdf"}
                                        << "usage: --output is given more than once" << QStringList{};
        QTest::newRow("--name empty") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--name", ""}
                                      << "usage: --name wants a pattern" << QStringList{};
        QTest::newRow("--format with a dot") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--format", ".pdf"}
                                             << "usage: --format is doc" << QStringList{};
        QTest::newRow("--jobs with a space") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--jobs", " 2"}
                                             << "usage: --jobs wants" << QStringList{};
        QTest::newRow("--jobs past the ceiling") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--jobs", "1000"}
                                                 << "batch" << QStringList{"jobs=" + ceiling, "note: --jobs 1000"};
        QTest::newRow("--data and a list with one report")
            << QStringList{"--output", "r.pdf", "--data", "p.json", "--list", " Risks =r.csv", "--list", "Steps=a=b.tsv"}
            << "one" << QStringList{"data=p.json", "list: Risks=r.csv", "list: Steps=a=b.tsv"};
        QTest::newRow("--data for a batch") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--data", "p.json"}
                                            << "usage: --data goes with --output, or the window" << QStringList{};
        QTest::newRow("--data for the window") << QStringList{"--data", "p.json"} << "window"
                                               << QStringList{"data=p.json"};
        QTest::newRow("a data file opened with the program")
            << QStringList{"tracker.ods"} << "window" << QStringList{"data=tracker.ods"};
        QTest::newRow("--list alone") << QStringList{"--list", "Risks=r.csv"}
                                      << "usage: --list goes with --output or --batch" << QStringList{};
        QTest::newRow("--list twice for one list")
            << QStringList{"--batch", "t.csv", "--output-dir", "o", "--list", "Risks=a.csv", "--list", "risks=b.csv"}
            << "usage: --list risks is given more than once" << QStringList{};
        QTest::newRow("--list of a list field") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--list", "Risks.ID=a.csv"}
                                                << "usage: --list wants NAME=FILE" << QStringList{};
        QTest::newRow("--list without a file") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--list", "Risks="}
                                               << "usage: --list wants NAME=FILE" << QStringList{};
        QTest::newRow("--data twice") << QStringList{"--output", "r.pdf", "--data", "a.json", "--data", "b.json"}
                                      << "usage: --data is given more than once" << QStringList{};
        QTest::newRow("--data empty") << QStringList{"--output", "r.pdf", "--data", ""}
                                      << "usage: --data wants" << QStringList{};
        QTest::newRow("a shard past an int") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--shard", "99999999999/3"}
                                             << "usage: --shard wants" << QStringList{};
    }

    void commandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        QFETCH(QStringList, taken);
        try {
            const Options options = parseOptions(arguments);
            const char* modes[] = {"window", "help", "version", "one", "batch", "list"};
            QCOMPARE(QString::fromLatin1(modes[int(options.mode)]), expected);
            for (const QString& fact : taken) {
                if (fact.startsWith(QLatin1String("note: "))) {
                    QVERIFY2(!options.notes.filter(fact.mid(6)).isEmpty(), qPrintable(options.notes.join('\n')));
                } else if (fact.startsWith(QLatin1String("jobs="))) {
                    QCOMPARE(options.jobs, fact.mid(5).toInt());
                } else if (fact.startsWith(QLatin1String("list: "))) {
                    QStringList lists;
                    for (const ListOption& list : options.lists)
                        lists << list.name + '=' + list.file;
                    QVERIFY2(lists.contains(fact.mid(6)), qPrintable(lists.join(", ")));
                } else if (fact.startsWith(QLatin1String("data="))) {
                    QCOMPARE(options.dataFile, fact.mid(5));
                } else {
                    data::ReportData given = report(options.given);
                    data::giveWindowFields(given);
                    QCOMPARE(given.field(fact.section(QLatin1Char('='), 0, 0)).value_or("(none)"),
                             fact.section(QLatin1Char('='), 1));
                }
            }
            if (arguments.contains(QStringLiteral("--")))
                QCOMPARE(options.templateFile, QStringLiteral("--version"));
        } catch (const UsageError& error) {
            QVERIFY2(expected.startsWith(QLatin1String("usage: ")) &&
                         error.message.startsWith(expected.mid(7)),
                     qPrintable(error.message));
        }
    }
};

QTEST_GUILESS_MAIN(TestNames)
#include "tst_names.moc"
