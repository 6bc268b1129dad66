// The arithmetic of the command line, as functions: what a column fills, what a
// report is called and made safe as, what a typo of a placeholder is, and which
// command lines are usage errors.

#include "cli/Options.h"
#include "cli/PlaceholderReport.h"
#include "cli/ReportNames.h"

#include <QThread>
#include <QtTest>

using namespace statusmill::cli;

class TestNames : public QObject
{
    Q_OBJECT

private slots:
    void columnsFillPlaceholders_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("placeholder"); // empty: none
        QTest::newRow("a window label") << "Product/Process" << "[Product]";
        QTest::newRow("a label in another case") << "focus AREA" << "[FocusArea]";
        QTest::newRow("a placeholder's name") << "ProjectName" << "[ProjectName]";
        QTest::newRow("a placeholder itself") << "[Department]" << "[Department]";
        QTest::newRow("any other column") << "Budget" << "[Budget]";
        QTest::newRow("no name") << "  " << "";
        QTest::newRow("a bracket inside") << "a]b" << "";
    }

    void columnsFillPlaceholders()
    {
        QFETCH(QString, column);
        QFETCH(QString, placeholder);
        QCOMPARE(placeholderOfColumn(column).value_or(QString()), placeholder);
    }

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
        QTest::newRow("an unknown name") << "{Cost}" << "!no column or placeholder";
        QTest::newRow("an open brace") << "{row" << "!a \"{\" without";
        QTest::newRow("a lone closing brace") << "row}" << "!a \"}\" without";
    }

    void patterns()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, expanded);
        const QStringList known{"[ProjectName]", "[Budget]"};
        const auto problem = patternProblem(pattern, known);
        if (expanded.startsWith(QLatin1Char('!'))) {
            QVERIFY2(problem && problem->startsWith(expanded.mid(1)), qPrintable(problem.value_or("none")));
            return;
        }
        QVERIFY2(!problem, qPrintable(*problem));
        QCOMPARE(expandPattern(pattern, 7, 3, {{"[ProjectName]", "Harbour"}, {"[Budget]", "12"}}),
                 expanded);
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
        const auto name = reportFileName(pattern, 7, 3, {{"[ProjectName]", project}, {"[Department]", "Works"}},
                                         QStringLiteral(".pdf"));
        QCOMPARE(name.value_or(QString()), named + ".pdf");
        QVERIFY(name->toUtf8().size() <= 200);
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
        // "[Name]=text": the one value for [Name]; "jobs=N"; "note: " and part of a note.
        QTest::addColumn<QStringList>("taken");
        const QString ceiling = QString::number(std::min(16, 2 * QThread::idealThreadCount()));
        QTest::newRow("nothing") << QStringList{} << "window" << QStringList{};
        QTest::newRow("Qt's own options") << QStringList{"-style=fusion", "-platform", "xcb"} << "window" << QStringList{};
        QTest::newRow("-h") << QStringList{"-h"} << "help" << QStringList{};
        QTest::newRow("-v") << QStringList{"-v"} << "version" << QStringList{};
        QTest::newRow("an unknown option") << QStringList{"--bogus"} << "usage: unknown option \"--bogus\"" << QStringList{};
        QTest::newRow("-- ends the options") << QStringList{"--", "--version"} << "window" << QStringList{};
        QTest::newRow("one report") << QStringList{"--output", "r.PDF", "--set", "A=b=c"} << "one"
                                    << QStringList{"[A]=b=c", "[ProjectName]="};
        QTest::newRow("another extension") << QStringList{"--output", "r.txt"} << "usage: the output's name" << QStringList{};
        QTest::newRow("--set without a name") << QStringList{"--output", "r.pdf", "--set", "=x"} << "usage: --set wants" << QStringList{};
        QTest::newRow("a batch without a folder") << QStringList{"--batch", "t.csv"} << "usage: --batch wants --output-dir" << QStringList{};
        QTest::newRow("a bad shard") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--shard", "2/2"}
                                     << "usage: --shard wants" << QStringList{};
        QTest::newRow("fields for a batch") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--project", "x"}
                                            << "usage: --project goes with --output only" << QStringList{};
        QTest::newRow("--set of one of the four fills it")
            << QStringList{"--output", "r.pdf", "--set", "projectNAME=Harbour", "--department", "Works"} << "one"
            << QStringList{"[ProjectName]=Harbour", "[Department]=Works"};
        QTest::newRow("--set of one of the four and its option")
            << QStringList{"--output", "r.pdf", "--project", "A", "--set", "ProjectName=B"}
            << "usage: --project and --set ProjectName both fill [ProjectName]" << QStringList{};
        QTest::newRow("one placeholder set to two texts")
            << QStringList{"--output", "r.pdf", "--set", "Name=a", "--set", "name=b"}
            << "usage: --set Name and --set name both fill" << QStringList{};
        QTest::newRow("one placeholder set twice alike")
            << QStringList{"--output", "r.pdf", "--set", "Name=a", "--set", "Name=a"} << "one" << QStringList{"[Name]=a"};
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
                } else {
                    const QString placeholder = fact.section(QLatin1Char('='), 0, 0);
                    QStringList texts;
                    for (const auto& value : options.values)
                        if (value.placeholder.compare(placeholder, Qt::CaseInsensitive) == 0)
                            texts << value.text;
                    QCOMPARE(texts, QStringList{fact.section(QLatin1Char('='), 1)});
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
