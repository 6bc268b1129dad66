// Reports written as JSON: the text each value fills, lists, and where a file
// that cannot be taken goes wrong.

#include "core/Failure.h"
#include "data/JsonData.h"

#include <QtTest>

using namespace statusmill;
using namespace statusmill::data;

namespace {

// "Name=text" for each field, "List[i].Field=text" for each item's; "!problem".
QStringList described(const Record& record)
{
    if (!record.problem.isEmpty())
        return {QLatin1Char('!') + record.problem};
    QStringList lines;
    for (const Field& field : record.data.fields())
        lines << field.name + '=' + field.text;
    for (const List& list : record.data.lists())
        for (qsizetype index = 0; index < list.items.size(); ++index)
            for (const Field& field : list.items.at(index))
                lines << QStringLiteral("%1[%2].%3=%4").arg(list.name).arg(index).arg(field.name, field.text);
    return lines;
}

} // namespace

class TestJson : public QObject
{
    Q_OBJECT

private slots:
    void oneReport_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QStringList>("report");
        QTest::newRow("text, a window label, true and false")
            << QByteArray(R"({"Project Name": "Harbour", "Done": true, "Late": false})")
            << QStringList{"Done=true", "Late=false", "ProjectName=Harbour"};
        QTest::newRow("numbers as the shortest text that reads back the same")
            << QByteArray(R"({"a": 12500, "b": 0.25, "c": 100000000, "d": 1.5e3, "e": -0.0, "f": 0.1,
                             "g": 12345678901234567, "h": 1e21, "i": 2.5e-7})")
            << QStringList{"a=12500", "b=0.25", "c=100000000", "d=1500", "e=0", "f=0.1",
                           "g=12345678901234567", "h=1e+21", "i=2.5e-07"};
        QTest::newRow("null is empty") << QByteArray(R"({"Note": null})") << QStringList{"Note="};
        QTest::newRow("a list, its items in order, one without fields")
            << QByteArray(R"({"Milestones": [{"Owner": "Alice", "Due": 3}, {}, {"Owner": null}]})")
            << QStringList{"Milestones[0].Due=3", "Milestones[0].Owner=Alice", "Milestones[2].Owner="};
        QTest::newRow("an empty list") << QByteArray(R"({"Risks": []})") << QStringList{};
        QTest::newRow("an object as a field")
            << QByteArray(R"({"Budget": {"Approved": 1}})") << QStringList{"!Budget is an object; a field holds text, a number, true, false or null"};
        QTest::newRow("an array inside an item, with its path")
            << QByteArray(R"({"Milestones": [{"Owner": "A"}, {"Owner": "B"}, {"Owner": ["C"]}]})")
            << QStringList{"!Milestones[2].Owner is an array; a field holds text, a number, true, false or null"};
        QTest::newRow("an item that is no object")
            << QByteArray(R"({"Achievements": ["Opened"]})")
            << QStringList{"!Achievements[0] is not an object; a list's item is an object of fields"};
        // A key given twice keeps one value without a word (QJsonObject keeps the
        // last), so each is refused with its path, in the order the text has them.
        QTest::newRow("two names of one field")
            << QByteArray(R"({"ProjectName": "A", "Project Name": "B"})")
            << QStringList{"!Project Name is given twice, as \"ProjectName\" and \"Project Name\""};
        QTest::newRow("a field given twice") << QByteArray(R"({"ProjectName": "A", "Budget": 1, "ProjectName": "B"})")
                                             << QStringList{"!ProjectName is given twice"};
        QTest::newRow("a key given twice, once escaped")
            << QByteArray(R"({"Owner": "A", "Owner": "B"})") << QStringList{"!Owner is given twice"};
        QTest::newRow("a list in two letter cases")
            << QByteArray(R"({"Milestones": [{"Owner": "A"}], "milestones": [{"Owner": "B"}]})")
            << QStringList{"!milestones is given twice, as \"Milestones\" and \"milestones\""};
        QTest::newRow("an item's field twice, with its path")
            << QByteArray(R"({"Milestones": [{}, {"Owner": "A"}, {"Owner": "A", "OWNER ": "B"}]})")
            << QStringList{"!Milestones[2].OWNER  is given twice, as \"Owner\" and \"OWNER \""};
        // Other readers of JSON take a number too small for a double as 0.
        QTest::newRow("a number too small") << QByteArray("{\"a\": -1e-400, \"b\": [{\"c\": 1E-999}]}")
                                            << QStringList{"a=0", "b[0].c=0"};
        QTest::newRow("a byte-order mark") << QByteArray("\xEF\xBB\xBF{\"a\": \"x\"}") << QStringList{"a=x"};
    }

    void oneReport()
    {
        QFETCH(QByteArray, json);
        QFETCH(QStringList, report);
        const Reports reports = jsonReports(json, QStringLiteral("p.json"));
        QCOMPARE(reports.records.size(), 1);
        QCOMPARE(reports.records.constFirst().where, QStringLiteral("p.json"));
        QStringList got = described(reports.records.constFirst());
        got.sort();
        report.sort();
        QCOMPARE(got, report);
    }

    // A batch: each object a report named by its index; one that cannot be made
    // keeps its place, and its fields still count for name patterns.
    void aBatch()
    {
        const Reports reports = jsonReports(
            R"([{"ProjectName": "A"}, 7, {"Budget": [1], "Owner": "x"}, {"projectname": "B"},
                {"ProjectName": "C", "Risks": [{"ID": 1, "id": 2}]}])",
            "b.json");
        QStringList got;
        for (const Record& record : reports.records)
            got << record.where + ": " + described(record).join(',');
        QCOMPARE(got, (QStringList{"b.json [0]: ProjectName=A",
                                   "b.json [1]: !it is not an object of fields and lists",
                                   "b.json [2]: !Budget[0] is not an object; a list's item is an object of fields",
                                   "b.json [3]: ProjectName=B",
                                   "b.json [4]: !Risks[0].id is given twice, as \"ID\" and \"id\""}));
        QCOMPARE(reports.fields, (QStringList{"ProjectName", "Owner"}));
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("said");
        QTest::newRow("a missing comma, at its line and column")
            << QByteArray("{\n  \"a\": 1,\n  \"b\": [1,\n   2 x]\n}") << "p.json, line 4, column 6: missing value separator";
        QTest::newRow("text after the end, past spaces") << QByteArray("{}\n\n  x") << "p.json, line 3, column 3: garbage";
        QTest::newRow("columns count characters, not bytes")
            << QByteArray("{\"\xc3\xa9\xc3\xa9\": tru}") << "p.json, line 1, column 8: illegal value";
        QTest::newRow("not UTF-8") << QByteArray("{\"a\": \"\xff\"}") << "p.json, line 1, column";
        QTest::newRow("an unclosed array") << QByteArray("[{}") << "p.json, line 1, column";
        QTest::newRow("neither object nor array") << QByteArray("\"Harbour\"") << "p.json holds neither a report";
        QTest::newRow("nothing") << QByteArray("") << "p.json, line 1, column 1";
        QTest::newRow("a number too large, where it starts")
            << QByteArray("{\"a\":\n  -1.5e400}") << "p.json, line 2, column 3: the number -1.5e400 is too large";
        QTest::newRow("past a number too small, an error in its place")
            << QByteArray("{\"a\": 1e-400, \"b\": x}") << "p.json, line 1, column 20: ";
        QTest::newRow("UTF-16") << QByteArray("\xff\xfe{\0}\0", 6)
                                << "p.json, line 1: UTF-16 text (little-endian, by its byte-order mark)";
        QTest::newRow("UTF-16 without a byte-order mark")
            << QByteArray("{\0\"\0a\0\"\0:\0 \0\x31\0}\0", 16) << "p.json, line 1: UTF-16 text (little-endian";
    }

    void refused()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, said);
        try {
            jsonReports(json, QStringLiteral("p.json"));
            QFAIL("taken");
        } catch (const Failure& failure) {
            QVERIFY2(failure.description().startsWith(said), qPrintable(failure.description()));
        }
    }
};

QTEST_GUILESS_MAIN(TestJson)
#include "tst_json.moc"
