// What a template's text holds as placeholders, what names a list's field, and
// which field a table's column or a data file's key fills.

#include "data/Placeholders.h"
#include "data/WindowFields.h"
#include "rule/PlaceholderRule.h"

#include <QtTest>

using namespace statusmill;
using namespace statusmill::data;

class TestPlaceholders : public QObject
{
    Q_OBJECT

private slots:
    void placeholdersInText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found"); // name@start
        QTest::newRow("plain names") << "[ProjectName] for [Department]"
                                     << QStringList{"ProjectName@0", "Department@18"};
        QTest::newRow("punctuation and spaces are part of a name")
            << QString::fromUtf8("x [One-sentence summary of the project’s health]")
            << QStringList{QString::fromUtf8("One-sentence summary of the project’s health@2")};
        QTest::newRow("a prompt of a long sentence")
            << "[Progress against the plan: any slippage, its cause and recovery; has the end date moved?]"
            << QStringList{"Progress against the plan: any slippage, its cause and recovery; has the end date moved?@0"};
        QTest::newRow("list fields") << "[Milestones.Owner] [Milestones.#]"
                                     << QStringList{"Milestones.Owner@0", "Milestones.#@19"};
        QTest::newRow("an opening bracket that never closes") << "[a [b] c] [d" << QStringList{"b@3"};
        QTest::newRow("doubled brackets") << "[[Name]]" << QStringList{"Name@1"};
        QTest::newRow("a line break inside")
            << QStringLiteral("[Project\nName] [Line") + QChar(0x2028) + "break]" << QStringList{};
        QTest::newRow("no letter or digit") << "[ ] [...] [—] [#]" << QStringList{};
        QTest::newRow("empty") << "[]" << QStringList{};
        QTest::newRow("a number of any script is a name, as the office's search has it")
            << QString::fromUtf8("[½] [٣] [²]") << QStringList{QString::fromUtf8("½@0"), QString::fromUtf8("٣@4"), QString::fromUtf8("²@8")};
        QTest::newRow("a letter beyond the basic plane")
            << QString::fromUtf8("[𝐀] [") + QString(199, 'x') + QString::fromUtf8("𝐀]")
            << QStringList{QString::fromUtf8("𝐀@0"), QString(199, 'x') + QString::fromUtf8("𝐀@5")};
        QTest::newRow("200 characters, and 201")
            << "[" + QString(200, 'x') + "] [" + QString(201, 'y') + "]"
            << QStringList{QString(200, 'x') + "@0"};
    }

    void placeholdersInText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        QStringList names;
        for (const PlaceholderAt& at : placeholdersIn(text)) {
            QCOMPARE(text.mid(at.start, at.length), bracketed(at.name));
            names << QStringLiteral("%1@%2").arg(at.name).arg(at.start);
        }
        QCOMPARE(names, found);
    }

    // Each opening bracket is looked at once: a text of brackets that never close
    // takes as long as its length, not its square.
    void aTextOfOpenBracketsIsQuick()
    {
        const QString text = QString(2'000'000, QLatin1Char('[')) + QStringLiteral("[x]");
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(placeholdersIn(text).size(), 1);
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        const QString long_ = QStringLiteral("[") + QString(2'000'000, QLatin1Char('a'));
        clock.restart();
        QVERIFY(placeholdersIn(QString(1000, QLatin1Char('[')) + long_).isEmpty());
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    }

    void listFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("listField"); // "list|field", empty for a plain field
        QTest::newRow("a list's field") << "Milestones.Owner" << "Milestones|Owner";
        QTest::newRow("the item's number") << "Risks.#" << "Risks|#";
        QTest::newRow("spaces inside the parts") << "Next Steps.Due date" << "Next Steps|Due date";
        QTest::newRow("a list's name beyond ASCII") << QString::fromUtf8("Étapes.Qui") << QString::fromUtf8("Étapes|Qui");
        QTest::newRow("a plain field") << "ProjectName" << "";
        QTest::newRow("a sentence's full stop") << "Spending against the budget." << "";
        QTest::newRow("an abbreviation") << "Approx. cost" << "";
        QTest::newRow("two dots") << "e.g. a date" << "";
        QTest::newRow("a number") << "3.5" << "";
        QTest::newRow("an empty part") << ".Owner" << "";
        QTest::newRow("no name at all") << "Milestones.Owner]" << "";
    }

    void listFields()
    {
        QFETCH(QString, name);
        QFETCH(QString, listField);
        const auto found = listFieldOf(name);
        QCOMPARE(found ? found->list + '|' + found->field : QString(), listField);
    }

    // Names are one in any letter case, of any script; a status is named so.
    void namesCompared_data()
    {
        QTest::addColumn<QString>("one");
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("same");
        QTest::newRow("ASCII") << "ProjectName" << "PROJECTNAME" << true;
        QTest::newRow("accented") << QString::fromUtf8("MILESTÖNES") << QString::fromUtf8("milestönes") << true;
        QTest::newRow("Greek") << QString::fromUtf8("ΩMEGA") << QString::fromUtf8("ωmega") << true;
        QTest::newRow("another letter") << QString::fromUtf8("Milestönes") << "Milestones" << false;
    }

    void namesCompared()
    {
        QFETCH(QString, one);
        QFETCH(QString, other);
        QFETCH(bool, same);
        const auto key = [](const QString& name) {
            return rule::nameKey({reinterpret_cast<const char16_t*>(name.utf16()), size_t(name.size())});
        };
        QCOMPARE(key(one) == key(other), same);
    }

    void statusesNamed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("status");
        QTest::newRow("a field ending in Status") << "OverallStatus" << true;
        QTest::newRow("in another case, with a space") << "overall STATUS" << true;
        QTest::newRow("Status itself") << "Status" << true;
        QTest::newRow("a list's Status") << "Milestones.status" << true;
        QTest::newRow("a list's field ending in Status") << "Projects.OverallStatus" << true;
        QTest::newRow("a list named so, its field not") << "Status.Owner" << false;
        QTest::newRow("Status first") << "StatusNote" << false;
        QTest::newRow("an owner") << "Owner" << false;
    }

    void statusesNamed()
    {
        QFETCH(QString, name);
        QFETCH(bool, status);
        QCOMPARE(rule::namesStatus({reinterpret_cast<const char16_t*>(name.utf16()), size_t(name.size())}), status);
    }

    void columnsFillFields_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("field"); // empty: none
        QTest::newRow("a window label") << "Product/Process" << "Product";
        QTest::newRow("a label in another case, spaced") << " focus AREA " << "FocusArea";
        QTest::newRow("a placeholder's name") << "projectname" << "ProjectName";
        QTest::newRow("a placeholder itself") << "[Department]" << "Department";
        QTest::newRow("any other column, as it is") << "Budget Owner" << "Budget Owner";
        QTest::newRow("no name") << "  " << "";
        QTest::newRow("a bracket inside") << "a]b" << "";
    }

    void columnsFillFields()
    {
        QFETCH(QString, column);
        QFETCH(QString, field);
        QCOMPARE(fieldOfColumn(column).value_or(QString()), field);
    }
};

QTEST_GUILESS_MAIN(TestPlaceholders)
#include "tst_data_placeholders.moc"
