// The window started with a data file, and presses that fail part-way: what the
// four fields show, what a press takes from the file, and that no failure of a
// press leaves the window stuck or shows a report that was not made.

#include "core/Settings.h"
#include "core/WorkFolder.h"
#include "generate/TemplateResource.h"
#include "preview/Form2.h"
#include "shell/Form1.h"
#include "shell/StartUp.h"
#include "support/FaultyEngine.h"
#include "support/OfficeProcesses.h"
#include "support/Reports.h"
#include "support/RunSurroundings.h"
#include "support/SampleDocuments.h"
#include "support/SavedDocument.h"
#include "support/Seams.h"
#include "support/TestFiles.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using namespace statusmill;

namespace {

const QStringList kTyped{"Typed Project", "Typed Department", "Typed Focus", "Typed Product"};

QStringList stored()
{
    QStringList texts;
    for (int i = 0; i < 4; ++i)
        texts << Settings::GetSetting(QStringLiteral("Brightfern"), QStringLiteral("Statusmill"),
                                      Form1::settingKey(i), QStringLiteral("-"));
    return texts;
}

QStringList fields(const Form1& form)
{
    QStringList texts;
    for (int i = 0; i < 4; ++i)
        texts << form.Text1(i)->text();
    return texts;
}

QStringList documentsMade()
{
    return QDir(WorkFolder::path()).entryList({QStringLiteral("*.doc")}, QDir::Files);
}

// The report a press made, read back from its file, after which the user goes
// back; empty when the press showed none.
QString pressed(Form1& form)
{
    form.PushButton6()->click();
    Form2* preview = form.existingForm2();
    if (!preview || !preview->isVisible())
        return {};
    if (!QFileInfo::exists(preview->wordFile()))
        return QStringLiteral("<a preview of no report>");
    const QString text = testing::savedDocumentText(preview->wordFile()).trimmed();
    preview->PushButton8()->click(); // "< Back"
    return text;
}

} // namespace

class TestWindowData : public QObject
{
    Q_OBJECT

    testing::RunSurroundings m_run;
    bool m_entered = false;
    // Rows still to come that share the surroundings (and offices) of the first:
    // each is two presses, and an office's start would be most of its time.
    int m_rowsSharing = 0;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_run.filePath(name);
        return testing::writeFile(path, bytes) ? path : QString();
    }

    // A template of the user's that shows the four, quick to read back.
    QString fourTemplate()
    {
        return write(QStringLiteral("four.fodt"),
                     testing::flatDocument({}, {}, testing::paragraphs({
                         "[ProjectName] | [Department] | [FocusArea] | [Product] | [ReportPeriod]"}))
                         .toUtf8());
    }

private slots:
    void init()
    {
        if (!std::exchange(m_entered, true))
            m_run.enter();
        SetAppTitle();
    }

    void cleanup()
    {
        if (m_rowsSharing > 0 && --m_rowsSharing > 0)
            return;
        m_entered = false;
        QVERIFY(m_run.leave());
    }

    void cleanupTestCase()
    {
        if (m_entered)
            QVERIFY(m_run.leave());
    }

    // At start the fields show the four of the file's report (the only one, or
    // the stored project's), the stored values where it has none; shown, not
    // stored, until the user types.
    void theStartShowsTheFilesFour_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("shown");
        const QByteArray two = R"([{"ProjectName": "Other", "Department": "Roads"},
            {"Project Name": "Harbour", "Department": "Works", "Product": ""}])";
        QTest::newRow("the only report, nothing stored")
            << "p.json" << QByteArray(R"({"ProjectName": "Harbour", "Department": "Works",
                "FocusArea": "Safety", "Product": "Deck"})")
            << QStringList{"", "", "", ""} << QStringList{"Harbour", "Works", "Safety", "Deck"};
        QTest::newRow("the stored project's of two")
            << "p.json" << two << QStringList{"Harbour", "Old", "Focus", "Prod"}
            << QStringList{"Harbour", "Works", "Focus", "Prod"};
        QTest::newRow("two, neither the stored project's")
            << "p.json" << two << QStringList{"Nobody", "Old", "", ""}
            << QStringList{"Nobody", "Old", "", ""};
        QTest::newRow("a file that cannot be read")
            << "p.json" << QByteArray("[{") << QStringList{"A", "B", "C", "D"}
            << QStringList{"A", "B", "C", "D"};
        QTest::newRow("a workbook")
            << "tracker.xlsx" << TemplateResource::exampleBytes(QStringLiteral("tracker.xlsx"))
            << QStringList{"Tunnel East Drainage", "", "x", ""}
            << QStringList{"Tunnel East Drainage", "Roads", "Flood resilience", "Pumping station"};
    }

    void theStartShowsTheFilesFour()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, before);
        QFETCH(QStringList, shown);
        const testing::RandomSource noVisit([] { return 0.5; });
        for (int i = 0; i < 4; ++i)
            Settings::SaveSetting(QStringLiteral("Brightfern"), QStringLiteral("Statusmill"),
                                  Form1::settingKey(i), before[i]);
        Form1 form;
        form.setDataFile(write(name, content));
        form.Form_Load();
        // A workbook's are shown once the window is up.
        QSignalSpy shownLater(form.Text1(1), &QLineEdit::textChanged);
        form.show();
        if (name.endsWith(QLatin1String(".xlsx")))
            QVERIFY(shownLater.wait(30000));
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        QCOMPARE(fields(form), shown);
        QCOMPARE(stored(), before);
        QTest::keyClicks(form.Text1(1), QStringLiteral("!"));
        QCOMPARE(stored().value(1), shown[1] + QLatin1Char('!'));
    }

    // What the user types goes over the file; a field left empty, or showing the
    // file's value, takes the file's at each press.
    void pressesTakeTheFileWhereNothingIsTyped()
    {
        const QString json = m_run.filePath(QStringLiteral("p.json"));
        Form1 form;
        form.setTemplateFile(fourTemplate());
        form.setDataFile(json);
        QVERIFY(testing::writeFile(json, R"({"ProjectName": "Harbour", "Department": "Works",
            "FocusArea": "Safety", "ReportPeriod": "Week 9"})"));
        QCOMPARE(pressed(form), QStringLiteral("Harbour | Works | Safety |  | Week 9"));
        QTest::keyClicks(form.Text1(1), QStringLiteral(" typed"));
        form.Text1(3)->setText(QStringLiteral("Deck"));
        QVERIFY(testing::writeFile(json, R"({"ProjectName": "Harbour 2", "Department": "Roads",
            "FocusArea": "Drains", "Product": "Pump", "ReportPeriod": "Week 10"})"));
        QCOMPARE(pressed(form), QStringLiteral("Harbour 2 | Works typed | Drains | Deck | Week 10"));
        QCOMPARE(fields(form), QStringList({"Harbour 2", "Works typed", "Drains", "Deck"}));
        QCOMPARE(stored(), QStringList({"-", "Works typed", "-", "Deck"}));
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
    }

    // A file that cannot be read is said in a plain box, and the press makes no
    // report; once the file is put right, the next press does.
    void aFileThatCannotBeReadIsSaidPlainly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("where");
        QTest::newRow("no JSON") << "p.json" << QByteArray("{\n \"ProjectName\": \"A\",\n \"Product\" 1\n}")
                                 << ", line 3, column ";
        QTest::newRow("a row of more cells than columns")
            << "p.csv" << QByteArray("ProjectName,Product\nA,B,C\n") << ", line 2";
        QTest::newRow("no such file") << "missing.json" << QByteArray() << "";
        QTest::newRow("a workbook that is none") << "p.xlsx" << QByteArray("not a workbook") << "";
    }

    void aFileThatCannotBeReadIsSaidPlainly()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, where);
        const QString file = m_run.filePath(name);
        if (!content.isEmpty())
            QVERIFY(testing::writeFile(file, content));
        Form1 form;
        form.setTemplateFile(fourTemplate());
        form.setDataFile(file);
        form.show();
        form.Text1(0)->setText(QStringLiteral("A"));
        QCOMPARE(pressed(form), QString());
        QCOMPARE(Dialogs::shown().size(), 1);
        const Dialogs::Shown box = Dialogs::shown().constFirst();
        QCOMPARE(box.title, QStringLiteral("Statusmill"));
        QVERIFY2(box.text.contains(file + where) && !box.text.contains(QStringLiteral("Reportwright")),
                 qPrintable(box.text));
        QVERIFY(documentsMade().isEmpty());
        QVERIFY(form.isVisible() && !form.mBusy && form.pointer().state() == WindowPointer::Default);

        form.setDataFile(write(QStringLiteral("fixed.json"), R"({"ProjectName": "A", "ReportPeriod": "Week 9"})"));
        QCOMPARE(pressed(form), QStringLiteral("A |  |  |  | Week 9"));
    }

    // Any statement of a press may fail: the press is reported, the window goes on
    // working, and the next press makes the right report.
    void aFailureAtAnyStatementLeavesTheWindowWorking_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("withData");
        for (int line = 100; line <= 210; line += 2) {
            QTest::addRow("%d", line) << line << false;
            ++m_rowsSharing;
            if ((line <= 118 && line != 116) || line >= 154) {
                QTest::addRow("%d with data", line) << line << true;
                ++m_rowsSharing;
            }
        }
        // No statement made to fail: the working folder cannot be had, since
        // TEMP was made a file after start.
        QTest::newRow("no working folder") << 0 << false;
        QTest::newRow("no working folder, with data") << 0 << true;
        m_rowsSharing += 2;
    }

    void aFailureAtAnyStatementLeavesTheWindowWorking()
    {
        QFETCH(int, line);
        QFETCH(bool, withData);
        Form1 form;
        if (withData)
            form.setDataFile(write(QStringLiteral("p.json"), R"({"ReportPeriod": "Week 9"})"));
        form.show();
        for (int i = 0; i < 4; ++i)
            form.Text1(i)->setText(kTyped[i]);
        {
            const testing::InjectedFailure injected(QStringLiteral("Form1.PushButton6_Click"), line);
            const testing::EnvironmentVariable temp(
                "TEMP", line ? qgetenv("TEMP") : QFile::encodeName(write("a-file", "x")));
            // Not ours any more, so to be made anew in TEMP.
            if (line == 0)
                QCOMPARE(::chmod(QFile::encodeName(WorkFolder::path()).constData(), 0755), 0);
            form.PushButton6()->click();
        }
        QVERIFY(!form.mBusy);
        Form2* preview = form.existingForm2();
        QVERIFY(form.isVisible() || (preview && preview->isVisible()));
        if (preview && preview->isVisible())
            preview->PushButton8()->click();
        Dialogs::clearShown();
        const QString report = pressed(form);
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        for (const QString& value : withData ? kTyped + QStringList("Week 9") : kTyped)
            QVERIFY2(report.contains(value), qPrintable(report.left(300)));
    }

    // A fill that fails (the office dies in it, or refuses the data) is told once
    // with data (without, its statements are told as they always were, up to the
    // save), and the user stays in the main window, with no report to save.
    void aFailedFillShowsNoReport_data()
    {
        QTest::addColumn<bool>("withData");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("officeDies");
        QTest::newRow("data, the office dies") << true << "FillData" << true;
        QTest::newRow("data, refused") << true << "FillData" << false;
        QTest::newRow("no data, the office dies") << false << "Execute" << true;
    }

    void aFailedFillShowsNoReport()
    {
        QFETCH(bool, withData);
        QFETCH(QString, operation);
        QFETCH(bool, officeDies);
        Form1 form;
        if (withData)
            form.setDataFile(write(QStringLiteral("p.json"), R"({"ReportPeriod": "Week 9"})"));
        form.setTemplateFile(fourTemplate());
        form.show();
        form.Text1(0)->setText(QStringLiteral("Harbour"));
        {
            automation::testing::FaultyEngine faulty;
            if (officeDies)
                faulty.onEnter(operation, [] {
                    for (pid_t office : testing::ourOfficeProcesses())
                        ::kill(office, SIGKILL);
                });
            else
                faulty.failAt(operation, 1, QStringLiteral("A row names two lists"));
            automation::testing::EngineOverride use(faulty);
            form.PushButton6()->click();
        }
        const QList<int> lines = testing::reportedLines();
        if (withData)
            QCOMPARE(lines, QList<int>{118});
        QVERIFY2(!lines.isEmpty() && lines.constLast() <= 188, qPrintable(QString::number(lines.constLast())));
        QVERIFY(form.isVisible() && !form.existingForm2() && !form.mBusy && documentsMade().isEmpty());
        QVERIFY(pressed(form).startsWith(QStringLiteral("Harbour | ")));
    }
};

QTEST_MAIN(TestWindowData)
#include "tst_windowdata.moc"
