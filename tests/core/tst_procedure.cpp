#include "core/Failure.h"
#include "core/Procedure.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"

#include "support/Reports.h"
#include "support/Seams.h"

#include <QtTest>
#include <optional>
#include <vector>

using namespace statusmill;

namespace {

// A collection whose enumeration can be told to fail when asked for item `failAt`.
struct Items
{
    std::vector<int> values;
    int failAt = -1;
    size_t position = 0;

    std::optional<int> next()
    {
        if (int(position) == failAt)
            throw Failure(QStringLiteral("Next failed"));
        if (position >= values.size())
            return std::nullopt;
        return values[position++];
    }
};

} // namespace

class TestProcedure : public QObject
{
    Q_OBJECT

    const ErrorReportsShown m_reports;
    std::optional<testing::RecordedDialogs> m_dialogs;

private slots:
    void init() { m_dialogs.emplace(); }
    void cleanup() { m_dialogs.reset(); }

    void reportTextIsExact()
    {
        const QString text =
            errorReportText(QStringLiteral("Form1.PushButton6_Click"), 154, QStringLiteral("Boom"));
        const QString expected = QStringLiteral("Boom\r\nin Reportwright2021/08/31.Form1."
                                                "PushButton6_Click at line 154\r\r"
                                                "Please email screenshot of this message to ") +
                                 QLatin1String(kSupportAddress);
        QCOMPARE(text, expected);
    }

    void reportIsAWarningWithOkOnly()
    {
        ReportError(QStringLiteral("Form2.RedrawImage"), 112, QStringLiteral("No picture"));
        QCOMPARE(Dialogs::shown().size(), 1);
        const auto shown = Dialogs::shown().constFirst();
        QCOMPARE(shown.title, QStringLiteral("Application Error"));
        QCOMPARE(shown.icon, Dialogs::Icon::Warning);
        QCOMPARE(shown.buttons, Dialogs::Buttons::Ok);
        QVERIFY(shown.text.startsWith(QStringLiteral("No picture\r\n")));
    }

    void descriptionIsTheFailuresOwnMessage_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("own failure") << 0 << QStringLiteral("Cannot open the file.");
        QTest::newRow("std exception") << 1 << QStringLiteral("vector::at");
        QTest::newRow("anything else") << 2 << QStringLiteral("Unknown error");
    }

    void descriptionIsTheFailuresOwnMessage()
    {
        QFETCH(int, kind);
        QFETCH(QString, expected);
        Procedure proc(QStringLiteral("Here.There"));
        proc.run(100, [&] {
            if (kind == 0)
                throw Failure(QStringLiteral("Cannot open the file."));
            if (kind == 1)
                throw std::out_of_range("vector::at");
            throw 42;
        });
        QVERIFY(Dialogs::shown().constFirst().text.startsWith(expected + QStringLiteral("\r\n")));
    }

    void everyFailureIsReportedAndTheRestStillRuns()
    {
        Procedure proc(QStringLiteral("Form1.Form_Load"));
        QStringList ran;
        auto fail = [] { throw Failure(QStringLiteral("fails")); };
        proc.run(100, fail);
        proc.run(102, [&] { ran << "102"; });
        proc.run(104, fail);
        proc.run(106, [&] { ran << "106"; });
        proc.run(108, fail); // the last statement
        QCOMPARE(ran, QStringList({"102", "106"}));
        QCOMPARE(testing::reportedLines(), QList<int>({100, 104, 108}));
        QCOMPARE(proc.failures(), 3);
        for (const auto& shown : Dialogs::shown())
            QVERIFY(
                shown.text.contains(QStringLiteral("in Reportwright2021/08/31.Form1.Form_Load ")));
    }

    void failedTestsFollowTheResumeRule()
    {
        Procedure proc(QStringLiteral("A.B"));
        auto failingTest = []() -> bool { throw Failure(QStringLiteral("test failed")); };
        QVERIFY(proc.when(100, failingTest));      // enters the then-branch
        QVERIFY(!proc.jumpWhen(102, failingTest)); // the jump is not taken
        QVERIFY(!proc.when(104, [] { return false; }));
        QVERIFY(proc.jumpWhen(106, [] { return true; }));
        QCOMPARE(testing::reportedLines(), QList<int>({100, 102}));
    }

    void injectedFailuresHitOnlyTheirStatement()
    {
        auto injected = std::make_optional<testing::InjectedFailure>(QStringLiteral("A.B"), 102);
        Procedure proc(QStringLiteral("A.B"));
        Procedure other(QStringLiteral("A.C"));
        QStringList ran;
        proc.run(100, [&] { ran << "100"; });
        proc.run(102, [&] { ran << "102"; });
        other.run(102, [&] { ran << "other 102"; });
        injected.reset();
        proc.run(102, [&] { ran << "102 again"; });
        QCOMPARE(ran, QStringList({"100", "other 102", "102 again"}));
        QCOMPARE(testing::reportedLines(), QList<int>({102}));
    }

    void collectionLoops_data()
    {
        QTest::addColumn<bool>("fetchFails");
        QTest::addColumn<int>("failAt");
        QTest::addColumn<QList<int>>("bodyItems"); // -1: the body ran without an item
        QTest::addColumn<QList<int>>("lines");

        QTest::newRow("all items") << false << -1 << QList<int>{1, 2, 3} << QList<int>{};
        QTest::newRow("empty") << false << -2 << QList<int>{} << QList<int>{};
        QTest::newRow("fetch fails") << true << -1 << QList<int>{-1} << QList<int>{118};
        QTest::newRow("first item fails") << false << 0 << QList<int>{-1} << QList<int>{118};
        QTest::newRow("next item fails") << false << 2 << QList<int>{1, 2} << QList<int>{150};
    }

    void collectionLoops()
    {
        QFETCH(bool, fetchFails);
        QFETCH(int, failAt);
        QFETCH(QList<int>, bodyItems);
        QFETCH(QList<int>, lines);

        Procedure proc(QStringLiteral("A.B"));
        QList<int> seen;
        proc.forEach(
            118, 150,
            [&] {
                if (fetchFails)
                    throw Failure(QStringLiteral("no collection"));
                return Items{failAt == -2 ? std::vector<int>{} : std::vector<int>{1, 2, 3}, failAt};
            },
            [&](const std::optional<int>& item) { seen.append(item.value_or(-1)); });
        QCOMPARE(seen, bodyItems);
        QCOMPARE(testing::reportedLines(), lines);
    }
};

QTEST_MAIN(TestProcedure)
#include "tst_procedure.moc"
