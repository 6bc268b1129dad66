// The arithmetic of the command line, as functions: what a column fills, what a
// report is called and made safe as, what a typo of a placeholder is, and which
// command lines are usage errors.

#include "cli/Options.h"
#include "cli/PlaceholderReport.h"
#include "cli/ReportNames.h"

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

    // Which command lines are refused, and with what, before anything starts.
    void commandLines_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("expected"); // a mode, or "usage: " and part of the message
        QTest::newRow("nothing") << QStringList{} << "window";
        QTest::newRow("Qt's own options") << QStringList{"-style=fusion", "-platform", "xcb"} << "window";
        QTest::newRow("-h") << QStringList{"-h"} << "help";
        QTest::newRow("-v") << QStringList{"-v"} << "version";
        QTest::newRow("an unknown option") << QStringList{"--bogus"} << "usage: unknown option \"--bogus\"";
        QTest::newRow("-- ends the options") << QStringList{"--", "--version"} << "window";
        QTest::newRow("one report") << QStringList{"--output", "r.PDF", "--set", "A=b=c"} << "one";
        QTest::newRow("another extension") << QStringList{"--output", "r.txt"} << "usage: the output's name";
        QTest::newRow("--set without a name") << QStringList{"--output", "r.pdf", "--set", "=x"} << "usage: --set wants";
        QTest::newRow("a batch without a folder") << QStringList{"--batch", "t.csv"} << "usage: --batch wants --output-dir";
        QTest::newRow("a bad shard") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--shard", "2/2"}
                                     << "usage: --shard wants";
        QTest::newRow("fields for a batch") << QStringList{"--batch", "t.csv", "--output-dir", "o", "--project", "x"}
                                            << "usage: --project goes with --output only";
    }

    void commandLines()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, expected);
        try {
            const Options options = parseOptions(arguments);
            const char* modes[] = {"window", "help", "version", "one", "batch", "list"};
            QCOMPARE(QString::fromLatin1(modes[int(options.mode)]), expected);
            if (arguments.contains(QStringLiteral("--set"))) {
                QCOMPARE(options.values.constLast().placeholder, QStringLiteral("[A]"));
                QCOMPARE(options.values.constLast().text, QStringLiteral("b=c"));
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
