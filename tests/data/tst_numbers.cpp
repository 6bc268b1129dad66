// A chart's values as the data writes them: numbers the data holds as numbers,
// and text as the user's locale writes numbers, with what money and accounts put
// around them. A value that is no number must say so, not draw as zero.

#include "data/JsonData.h"
#include "data/Numbers.h"

#include <QtTest>

#include <cmath>

using namespace statusmill::data;

Q_DECLARE_METATYPE(std::optional<double>)

class TestNumbers : public QObject
{
    Q_OBJECT

private slots:
    void textAsTheLocaleWritesIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<std::optional<double>>("number");
        const std::optional<double> none;
        QTest::newRow("grouped") << "420,000" << "en_GB" << std::optional(420000.0);
        QTest::newRow("German, grouped with a decimal") << "1.234,5" << "de_DE" << std::optional(1234.5);
        QTest::newRow("German reads a comma as the decimal") << "420,000" << "de_DE" << std::optional(420.0);
        QTest::newRow("a loss") << "-12,000" << "en_US" << std::optional(-12000.0);
        QTest::newRow("pounds") << "£4,778,300.00" << "en_GB" << std::optional(4778300.0);
        QTest::newRow("euros after, German") << "4.778.300,00 €" << "de_DE" << std::optional(4778300.0);
        QTest::newRow("minus before the currency") << "-£5,000" << "en_GB" << std::optional(-5000.0);
        QTest::newRow("minus after the currency") << "$-5" << "en_US" << std::optional(-5.0);
        QTest::newRow("an account's loss") << "(5,000)" << "en_GB" << std::optional(-5000.0);
        QTest::newRow("the typographic minus") << "\u22123.5" << "en_GB" << std::optional(-3.5);
        QTest::newRow("French spaces") << "1 234,5" << "fr_FR" << std::optional(1234.5);
        QTest::newRow("a plain number in German") << "12.5" << "de_DE" << std::optional(12.5);
        QTest::newRow("a percentage") << "12 %" << "de_DE" << std::optional(12.0);
        QTest::newRow("spaces around") << "  7 " << "en_GB" << std::optional(7.0);
        QTest::newRow("words") << "n/a" << "en_GB" << none;
        QTest::newRow("empty") << "" << "en_GB" << none;
        QTest::newRow("a currency alone") << "£" << "en_GB" << none;
        QTest::newRow("misplaced grouping") << "1,23,456" << "en_GB" << none;
        QTest::newRow("two signs") << "-(5)" << "en_GB" << none;
        QTest::newRow("twice negative") << "--5" << "en_GB" << none;
        QTest::newRow("not finite") << "inf" << "en_GB" << none;
        QTest::newRow("a number with words") << "5 days" << "en_GB" << none;
    }
    void textAsTheLocaleWritesIt()
    {
        QFETCH(QString, text);
        QFETCH(QString, locale);
        QFETCH(std::optional<double>, number);
        QCOMPARE(numberOf(text, QLocale(locale)), number);
    }

    // A JSON number is the number, whatever the locale makes of its text; a JSON
    // string is read as the locale writes numbers.
    void jsonNumbersAreNumbers()
    {
        const Reports reports = jsonReports(
            R"({"Budget": [{"Item": "Staff", "Approved": 1234.5, "Actual": "1.234,5", "Note": true}]})",
            QStringLiteral("budget.json"));
        const ReportData& data = reports.records.at(0).data;
        QHash<QString, Field> item;
        for (const Field& field : data.list(QStringLiteral("Budget"))->items.at(0))
            item.insert(field.name, field);
        const QLocale german(QStringLiteral("de_DE"));
        QCOMPARE(numberOf(item.value("Approved"), german), std::optional(1234.5));
        QCOMPARE(item.value("Approved").text, QStringLiteral("1234.5"));
        QCOMPARE(numberOf(item.value("Actual"), german), std::optional(1234.5));
        QVERIFY(!item.value("Actual").number);
        QCOMPARE(numberOf(item.value("Note"), german), std::optional<double>());
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "tst_numbers.moc"
