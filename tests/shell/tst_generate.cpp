#include "data/WindowFields.h"
#include "generate/TemplateResource.h"
#include "core/FileHelpers.h"
#include "core/Procedure.h"
#include "core/Random.h"
#include "core/Settings.h"
#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/Offices.h"
#include "preview/Form2.h"
#include "shell/Form1.h"
#include "support/FaultyEngine.h"
#include "support/OfficeProcesses.h"
#include "support/Pictures.h"
#include "support/RunSurroundings.h"
#include "support/SampleDocuments.h"
#include "support/SavedDocument.h"
#include "support/Seams.h"
#include "support/TestFiles.h"
#include "ui/Dialogs.h"

#include "support/Reports.h"
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>

#include <QtTest>
#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace statusmill;

namespace {

const QStringList kTags{"[ProjectName]", "[Department]", "[FocusArea]", "[Product]"};

QStringList whatWasReported()
{
    QStringList texts;
    for (const auto& shown : Dialogs::shown())
        texts << shown.text;
    return texts;
}

QStringList workFiles()
{
    return QDir(WorkFolder::path()).entryList(QDir::Files);
}

} // namespace

class TestGenerate : public QObject
{
    Q_OBJECT

    testing::RunSurroundings m_run;

    void fill(Form1& form, const QStringList& values)
    {
        for (int i = 0; i < 4; ++i)
            form.Text1(i)->setText(values[i]);
    }

private slots:
    void init() { m_run.enter(); }

    // A window started on a template of the user's fills that one at every press,
    // reads it only, and leaves it where it is.
    void aTemplateOfTheUsersServesEveryPress()
    {
        const QString mine = m_run.filePath(QStringLiteral("mine.fodt"));
        QVERIFY(testing::writeFile(
            mine, testing::flatDocument({}, {}, testing::paragraphs({"Mine: [ProjectName] [Product]"}))));
        const QByteArray before = testing::readFile(mine);
        Form1 form;
        form.setTemplateFile(mine);
        form.show();
        for (const QString& project : {QStringLiteral("First"), QStringLiteral("Second")}) {
            fill(form, {project, "B", "C", "Deck"});
            form.PushButton6()->click();
            QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
            QCOMPARE(testing::savedDocumentText(form.existingForm2()->wordFile()).trimmed(),
                     QStringLiteral("Mine: %1 Deck").arg(project));
            form.existingForm2()->PushButton1()->click(); // "< Back"
        }
        QCOMPARE(testing::readFile(mine), before);
    }

    // A window started with a data file reads it anew at every press: the rest of
    // the report from it, the project the window names, the four fields the
    // window's. A template of the user's shows the report's date.
    void pressesFillTheRestFromTheDataFile()
    {
        const QString mine = m_run.filePath(QStringLiteral("mine.fodt"));
        QVERIFY(testing::writeFile(
            mine, testing::flatDocument(
                      {}, {},
                      testing::paragraphs({"Mine: [ProjectName] [Product], [ReportPeriod]",
                                           "Step: [NextSteps.Action]", "Made [ReportDate]"}))));
        const QString json = m_run.filePath(QStringLiteral("project.json"));
        const auto writeData = [&](const char* period, const char* steps) {
            QVERIFY(testing::writeFile(
                json, QByteArray("[{\"ProjectName\": \"Other\", \"ReportPeriod\": \"never\"},"
                                 " {\"ProjectName\": \"Harbour\", \"Product\": \"not the window's\","
                                 " \"ReportPeriod\": \"") +
                          period + "\", \"NextSteps\": [" + steps + "]}]"));
        };
        Form1 form;
        form.setTemplateFile(mine);
        form.setDataFile(json);
        form.show();
        fill(form, {"Harbour", "B", "C", "Deck"});
        const QString today = data::reportDateText(QDate::currentDate());
        struct Press
        {
            const char* period;
            const char* steps;
            QString expected;
        };
        const QList<Press> presses{
            {"Week 49", "{\"Action\": \"Pour\"}, {\"Action\": \"Cure\"}",
             "Mine: Harbour Deck, Week 49\nStep: Pour\nStep: Cure\nMade " + today},
            {"Week 50", "", "Mine: Harbour Deck, Week 50\nMade " + today},
        };
        for (const Press& press : presses) {
            writeData(press.period, press.steps);
            form.PushButton6()->click();
            QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
            QCOMPARE(testing::savedDocumentText(form.existingForm2()->wordFile()).trimmed(), press.expected);
            form.existingForm2()->PushButton8()->click(); // "< Back"
        }
    }

    // The built-in report filled whole at a press from the example's project file:
    // its form for data, every spot filled, the window's four its own.
    void theBuiltInReportFilledWholeAtAPress()
    {
        const QByteArray project = TemplateResource::exampleBytes(QStringLiteral("project.json"));
        const QString json = m_run.filePath(QStringLiteral("project.json"));
        QVERIFY(testing::writeFile(json, project));
        Form1 form;
        form.setDataFile(json);
        form.show();
        fill(form, {"Window Project", "Window Department", "Window Focus", "Window Product"});
        form.PushButton6()->click();
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        const QString text = testing::savedDocumentText(form.existingForm2()->wordFile());
        QVERIFY2(text.contains(QStringLiteral("Window Project")) && text.contains(QStringLiteral("Window Product")),
                 qPrintable(text));
        const QJsonObject data = QJsonDocument::fromJson(project).object();
        for (const QJsonValue milestone : data.value(QStringLiteral("Milestones")).toArray())
            QVERIFY2(text.contains(milestone.toObject().value(QStringLiteral("Milestone")).toString()),
                     qPrintable(text));
        QVERIFY2(text.contains(data.value(QStringLiteral("ReportPeriod")).toString()), qPrintable(text));
        const QRegularExpression named(QStringLiteral("\\[[A-Za-z]+(\\.[A-Za-z#]+)?\\]"));
        QVERIFY2(!text.contains(named), qPrintable(named.match(text).captured()));
    }

    // Started with last week's data too, each press sets the week against it, read
    // anew: the risk new since, the one closed, the milestone that slipped; against
    // a week like this one, nothing moved.
    void eachPressSetsTheWeekAgainstTheLast()
    {
        const QString json = m_run.filePath(QStringLiteral("project.json"));
        const QString last = m_run.filePath(QStringLiteral("last.json"));
        const QByteArray project = TemplateResource::exampleBytes(QStringLiteral("project.json"));
        QVERIFY(testing::writeFile(json, project));
        QVERIFY(testing::writeFile(last, TemplateResource::exampleBytes(QStringLiteral("project-last-week.json"))));
        Form1 form;
        form.setDataFile(json);
        form.setPreviousFile(last);
        form.show();
        const auto press = [&] {
            form.PushButton6()->click();
            const QString text = testing::savedDocumentText(form.existingForm2()->wordFile());
            form.existingForm2()->PushButton8()->click(); // "< Back"
            return text;
        };
        const QString moved = press();
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        QVERIFY2(moved.contains(QRegularExpression(QStringLiteral("R2\\s+New"))), qPrintable(moved));
        QVERIFY2(moved.contains(QStringLiteral("Closed since the last report: R0")), qPrintable(moved));
        QVERIFY2(moved.contains(QRegularExpression(QStringLiteral("Slipped \\d+ days?"))), qPrintable(moved));

        QVERIFY(testing::writeFile(last, project));
        const QString still = press();
        QVERIFY2(!still.contains(QStringLiteral("New")) && !still.contains(QStringLiteral("Closed since")) &&
                     !still.contains(QStringLiteral("Slipped")),
                 qPrintable(still));
    }

    // The whole run with the real office: the report is made, shown, and cleaned up after.
    void fillsSavesAndShowsTheReport()
    {
        Form1 form;
        form.show();
        fill(form, {"Apollo Upgrade", "Engineering", "Reliability", "Telemetry Hub"});
        form.PushButton6()->click();

        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        QVERIFY(form.isHidden());
        QVERIFY(!form.mBusy);
        QCOMPARE(int(form.pointer().state()), 0);
        Form2* preview = form.existingForm2();
        QVERIFY(preview && preview->isVisible());
        QVERIFY(testing::hasInk(preview->Picture1()->grab().toImage()));
        const testing::DocumentText saved = testing::savedDocument(preview->wordFile());
        // Every page of the report, stacked, in preview units: a Letter page is
        // 8.5 x 11 inches at 96 units to the inch.
        QVERIFY(saved.pages >= 1);
        QCOMPARE(preview->Zoom_Ori()->picture().deviceIndependentSize().toSize(),
                 QSize(816, 1056 * saved.pages));

        const QString document = preview->wordFile();
        QVERIFY(QRegularExpression(QStringLiteral("^qorvex[1-9]{8}\\.doc$"))
                    .match(QFileInfo(document).fileName())
                    .hasMatch());
        QCOMPARE(QFileInfo(document).absolutePath(), WorkFolder::path());
        QFile file(document);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(8), QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
        file.close();

        const QString text = saved.all();
        for (const char* value : {"Apollo Upgrade", "Engineering", "Reliability", "Telemetry Hub"})
            QCOMPARE(text.count(QString::fromUtf8(value)), 1);
        for (const QString& tag : kTags)
            QVERIFY(!text.contains(tag, Qt::CaseInsensitive));

        QCOMPARE(workFiles(), QStringList{QFileInfo(document).fileName()});
        // Only the offices kept ready are left; the cleanup sees them go.
        QVERIFY(testing::ourOfficeProcesses().size() <= 2);
    }

    // Line breaks pasted into a field can make a report of dozens of pages: the
    // document keeps all of them, the picture the ten the preview can draw.
    void aReportOfFiftyPagesIsPicturedUpToTen()
    {
        Form1 form;
        QString lines;
        for (int i = 0; i < 2600; ++i)
            lines += QStringLiteral("Line %1\n").arg(i);
        fill(form, {"Long Report", "Dept", lines, "Prod"});
        form.PushButton6_Click();
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        const testing::DocumentText saved =
            testing::savedDocument(form.existingForm2()->wordFile());
        QVERIFY2(saved.pages >= 45, qPrintable(QString::number(saved.pages)));
        QVERIFY(saved.all().contains(QStringLiteral("Line 2599")));
        QCOMPARE(form.existingForm2()->Zoom_Ori()->picture().deviceIndependentSize().toSize(),
                 QSize(816, 10 * 1056));
    }

    // The real report zooms through every step: three steps out from 100 % to 25 %,
    // then fifteen in to 400 %, each drawing a canvas of the new size.
    void theRealReportZoomsThroughEveryStep()
    {
        Form1 form;
        form.PushButton4_Click();
        form.PushButton6_Click();
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        Form2& preview = *form.existingForm2();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QCOMPARE(preview.zoom(), 1.0f);
        QSize last = preview.Picture1()->size();
        auto press = [&](QPushButton* button, float expected, bool larger) {
            button->click();
            QCOMPARE(preview.zoom(), expected);
            const QSize now = preview.Picture1()->size();
            QVERIFY2(larger ? now.width() > last.width() && now.height() > last.height()
                            : now.width() < last.width() && now.height() < last.height(),
                     qPrintable(QStringLiteral("%1 at %2").arg(now.width()).arg(expected)));
            QCOMPARE(now, QSize(int(preview.baseSize().width() * expected),
                                int(preview.baseSize().height() * expected)));
            last = now;
        };
        for (float zoom : {0.75f, 0.5f, 0.25f})
            press(preview.PushButton2(), zoom, false);
        for (int step = 2; step <= 16; ++step)
            press(preview.PushButton1(), 0.25f * float(step), true);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void valuesReachTheDocumentLiterally_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("quotes, $1, & and a backslash")
            << QStringList{"\"Quoted\" 'single'", "$1 & $0", "C:\\temp\\new", "a\\nb"}
            << QStringList{"\"Quoted\" 'single'", "$1 & $0", "C:\\temp\\new", "a\\nb"};
        QTest::newRow("non-Latin, long and empty")
            << QStringList{"Проект Ωμέγα 東京", QString(2000, QLatin1Char('x')), QString(),
                           "^p^t (.*)+?"}
            << QStringList{"Проект Ωμέγα 東京", QString(2000, QLatin1Char('x')), QString(),
                           "^p^t (.*)+?"};
        // Far past Qt's default field length; the report runs to many pages.
        QString longValue;
        for (int i = 0; longValue.size() < 100000; ++i)
            longValue += QStringLiteral("word%1 ").arg(i % 1000);
        QTest::newRow("a hundred thousand characters")
            << QStringList{"Short", "Dept", longValue, "Prod"}
            << QStringList{"Short", "Dept", longValue, "Prod"};
        // A value is never searched for placeholders once it is in: a project name
        // holding the department's placeholder keeps it as typed.
        QTest::newRow("a field holding another's placeholder")
            << QStringList{"[Department] office", "Finance", "[ProjectName]", "Ledger"}
            << QStringList{"[Department] office", "Finance", "[ProjectName]", "Ledger"};
    }

    void valuesReachTheDocumentLiterally()
    {
        QFETCH(QStringList, values);
        QFETCH(QStringList, expected);
        Form1 form;
        fill(form, values);
        form.PushButton6_Click();
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        const QString text = testing::savedDocumentText(form.existingForm2()->wordFile());
        for (const QString& value : expected) {
            if (!value.isEmpty())
                QVERIFY2(text.contains(value), qPrintable(value.left(60)));
        }
        // The empty product leaves nothing where its placeholder stood.
        if (values[3].isEmpty())
            QVERIFY(!text.contains(QStringLiteral("[Product]")));
    }

    // Characters that have no place in a document (they crashed the office's Word
    // export, or hid the title block from other readers) are left out of it; the
    // stored value keeps exactly what the user gave.
    void anyCharacterMakesAWholeReport_data()
    {
        QTest::addColumn<int>("code");
        for (int code = 0; code < 0x20; ++code)
            QTest::addRow("U+%04X", code) << code;
        for (int code : {0x7F, 0xFFFE, 0xFFFF})
            QTest::addRow("U+%04X", code) << code;
    }

    void anyCharacterMakesAWholeReport()
    {
        QFETCH(int, code);
        const QStringList halves{"Alpha", "One", "Beta", "Two", "Gamma", "Three", "Delta", "Four"};
        QStringList values;
        for (int i = 0; i < 4; ++i)
            values << halves[2 * i] + QChar(char16_t(code)) + halves[2 * i + 1];
        Form1 form;
        fill(form, values);
        form.PushButton6_Click();

        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        QVERIFY(form.existingForm2()->isVisible());
        QVERIFY(testing::hasInk(form.existingForm2()->Zoom_Ori()->picture()));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(Settings::GetSetting(QStringLiteral("Brightfern"),
                                          QStringLiteral("Statusmill"), Form1::settingKey(i)),
                     values[i]);

        // The title block is whole for the office and for an independent reader.
        const QString document = form.existingForm2()->wordFile();
        const QStringList labels{"Project Name:", "Department:", "Focus Area:", "Product/Process:"};
        const QString office = testing::savedDocumentText(document);
        const QString word = testing::textAsWordSeesIt(document);
        for (const QString& text : {office, word}) {
            qsizetype at = 0;
            for (int i = 0; i < 4; ++i) {
                for (const QString& part : {labels[i], halves[2 * i], halves[2 * i + 1]}) {
                    const qsizetype found = text.indexOf(part, at);
                    QVERIFY2(found >= 0,
                             qPrintable(part + QStringLiteral(" missing or out of order")));
                    at = found + part.size();
                }
            }
        }
    }

    // Whatever temporary folder the program inherits, the office works in one of
    // ours: an empty TEMP, a relative one, a TMPDIR that is a file, missing or
    // read-only all make a whole report.
    void inheritedTemporaryFoldersDoNotMatter_data()
    {
        QTest::addColumn<QString>("temp");   // "-": leave TEMP as the test set it
        QTest::addColumn<QString>("tmpdir"); // "-": leave TMPDIR as it is
        QTest::newRow("TEMP set but empty") << ""
                                            << "-";
        QTest::newRow("TEMP relative") << "relative/temp"
                                       << "-";
        QTest::newRow("TMPDIR a file") << "-"
                                       << "%t/a-file";
        QTest::newRow("TMPDIR missing") << "-"
                                        << "%t/missing";
        QTest::newRow("TMPDIR read-only") << "-"
                                          << "%t/read-only";
    }

    void inheritedTemporaryFoldersDoNotMatter()
    {
        QFETCH(QString, temp);
        QFETCH(QString, tmpdir);
        if (tmpdir.endsWith(QLatin1String("read-only")) && ::geteuid() == 0)
            return readOnlyTmpdirAsRoot();
        QVERIFY(testing::writeFile(m_run.filePath(QStringLiteral("a-file")), "not a folder"));
        QVERIFY(QDir().mkpath(m_run.filePath(QStringLiteral("read-only"))));
        QFile::setPermissions(m_run.filePath(QStringLiteral("read-only")),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QVERIFY(QDir().mkpath(m_run.filePath(QStringLiteral("relative/temp"))));
        const QString home = QDir::currentPath();
        QDir::setCurrent(m_run.path());
        const auto backHome = qScopeGuard([&] { QDir::setCurrent(home); });
        std::optional<testing::EnvironmentVariable> tempGuard;
        std::optional<testing::EnvironmentVariable> tmpdirGuard;
        if (temp != QLatin1String("-"))
            tempGuard.emplace("TEMP", QFile::encodeName(temp));
        if (tmpdir != QLatin1String("-"))
            tmpdirGuard.emplace(
                "TMPDIR", QFile::encodeName(tmpdir.replace(QStringLiteral("%t"), m_run.path())));

        Form1 form;
        fill(form, {"Alpha", "Beta", "Gamma", "Delta"});
        form.PushButton6_Click();
        const QString document =
            form.existingForm2() ? form.existingForm2()->wordFile() : QString();
        const QStringList shown = whatWasReported();
        QVERIFY2(shown.isEmpty(), qPrintable(shown.value(0)));
        QVERIFY(QFileInfo(document).isAbsolute());
        QVERIFY(testing::savedDocumentText(document).contains(QStringLiteral("Gamma")));
    }

    // The sample report made by the program in a mount namespace of its own, where
    // `mounts` (a shell line, given FOLDER) has made what only that program sees;
    // what it printed. TEMP is `temp`.
    QString reportBehindMounts(const QString& folder, const QString& temp, const QString& mounts,
                               const QString& tmpdir = {})
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!tmpdir.isEmpty())
            environment.insert(QStringLiteral("TMPDIR"), tmpdir);
        environment.insert(QStringLiteral("TEMP"), temp);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_run.filePath(QStringLiteral("c")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("FOLDER"), folder);
        environment.insert(QStringLiteral("PROBE"), QCoreApplication::applicationDirPath() +
                                                        QStringLiteral("/program_probe"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral("unshare"),
                      {QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"),
                       mounts + QStringLiteral(" && exec \"$PROBE\" report")});
        program.waitForFinished(120000);
        return QString::fromLocal8Bit(program.readAll()) +
               QStringLiteral("exit %1\n").arg(program.exitCode());
    }

    static bool mountNamespacesWork()
    {
        return QProcess::execute(QStringLiteral("unshare"),
                                 {QStringLiteral("--mount"), QStringLiteral("true")}) == 0;
    }

    // Root writes into any folder, so for root the folder is made read-only by a
    // read-only mount, seen only by the program run in a mount namespace of its own.
    void readOnlyTmpdirAsRoot()
    {
        const QString folder = m_run.filePath(QStringLiteral("read-only"));
        QVERIFY(QDir().mkpath(folder));
        if (!mountNamespacesWork())
            QSKIP("no mount namespace can be made here, so no folder is read-only for root");
        const QString said =
            reportBehindMounts(folder, m_run.path(),
                               QStringLiteral("mount --bind \"$FOLDER\" \"$FOLDER\" && "
                                              "mount -o remount,bind,ro \"$FOLDER\" && "
                                              "! touch \"$FOLDER/x\" 2>/dev/null"),
                               folder);
        QVERIFY2(said.endsWith(QStringLiteral("exit 0\n")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral(" exists\n")), qPrintable(said));
        QVERIFY2(said.contains(QStringLiteral("shown 0\n")), qPrintable(said));
    }

    // A nearly full disk under TEMP: the report says so, in the system's words,
    // rather than only that a file could not be written or found.
    void aFullDiskIsNamed()
    {
        const QString folder = m_run.filePath(QStringLiteral("small"));
        QVERIFY(QDir().mkpath(folder));
        if (!mountNamespacesWork())
            QSKIP("no mount namespace can be made here, so no small disk either");
        // Room for the offices and the report, not for the page picture.
        const QString said = reportBehindMounts(
            folder, folder, QStringLiteral("mount -t tmpfs -o size=4M tmpfs \"$FOLDER\""));
        QVERIFY2(said.contains(QStringLiteral("temp.bmp: No space left on device")),
                 qPrintable(said));
    }

    // The engine cannot start: every engine step of the fill is reported with its
    // own number; the run cleans up and frees the button, and shows no report.
    void aFailedEngineStartIsReportedStepByStep()
    {
        automation::testing::FaultyEngine faulty;
        faulty.failAt(QStringLiteral("createApplication"), 1, QStringLiteral("No office"), true);
        automation::testing::EngineOverride use(faulty);

        Form1 form;
        form.show();
        // Values no later placeholder could be found in: one pass each.
        fill(form, {"Alpha", "Beta", "Gamma", "Delta"});
        form.PushButton6_Click();

        QList<int> expected{110, 114};
        // The four fields and the report's date.
        for (int i = 0; i < 5; ++i) {
            expected << 118;
            for (int line = 122; line <= 148; line += 2)
                expected << line;
        }
        // The save's statements fail in turn, as they always did; nothing was made,
        // so there is no preview of it.
        expected << 154 << 156 << 160 << 160 << 160 << 160 << 160 << 182 << 184 << 186 << 188;
        QCOMPARE(testing::reportedLines(), expected);
        QVERIFY(Dialogs::shown().constFirst().text.startsWith(QStringLiteral("No office\r\n")));

        QVERIFY(!form.mBusy);
        QVERIFY(form.isVisible());
        QVERIFY(!form.existingForm2());
        QVERIFY(workFiles().isEmpty()); // no template copy, no picture, no document
    }

    void aFailedSaveIsReported()
    {
        automation::testing::FaultyEngine faulty;
        faulty.failAt(QStringLiteral("SaveAs"), 1, QStringLiteral("Disk full"));
        automation::testing::EngineOverride use(faulty);

        Form1 form;
        fill(form, {"A", "B", "C", "D"});
        form.PushButton6_Click();

        // Told once, and no preview of a document that is not there.
        QCOMPARE(testing::reportedLines(), QList<int>({182}));
        QVERIFY(!form.mBusy);
        QVERIFY(!form.existingForm2());
        QVERIFY(workFiles().isEmpty());
    }

    void aFailedSnapshotIsReported()
    {
        automation::testing::FaultyEngine faulty;
        faulty.failAt(QStringLiteral("CopyAsPicture"), 1, QStringLiteral("Render failed"));
        automation::testing::EngineOverride use(faulty);

        Form1 form;
        fill(form, {"A", "B", "C", "D"});
        form.PushButton6_Click();

        QCOMPARE(testing::reportedLines(QStringLiteral("Form1.SaveDocAsJPG")),
                 QList<int>({120, 122}));
        QCOMPARE(testing::reportedLines(QStringLiteral("Form1.PushButton6_Click")),
                 QList<int>({200}));
        QVERIFY(!form.mBusy);
        // The report itself was made; only its picture is missing.
        QVERIFY(FileExists(form.existingForm2()->wordFile()));
        QVERIFY(!testing::hasInk(form.existingForm2()->Picture1()->grab().toImage()));
    }

    // A second press made while the run blocks waits in the event queue and only
    // arrives after the run; it is dropped all the same: one run, one document.
    // So is text an input method commits meanwhile.
    void aSecondPressDuringARunIsDropped_data()
    {
        QTest::addColumn<QString>("input");
        QTest::newRow("a second click") << "click";
        QTest::newRow("Space on the button") << "key";
        QTest::newRow("text an input method commits") << "input method";
    }

    void aSecondPressDuringARunIsDropped()
    {
        QFETCH(QString, input);
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        fill(form, {"A", "B", "C", "D"});
        QPushButton* button = form.PushButton6();
        button->setFocus();
        bool postedDuringTheRun = false;
        // Each session is asked for while the run is blocked in its work.
        automation::testing::FaultyEngine engine;
        engine.onEnter(QStringLiteral("createApplication"), [&] {
            if (postedDuringTheRun)
                return;
            postedDuringTheRun = form.mBusy;
            const QPoint centre = button->rect().center();
            if (input == QLatin1String("input method")) {
                auto* typed = new QInputMethodEvent();
                typed->setCommitString(QStringLiteral("typed meanwhile"));
                QCoreApplication::postEvent(form.Text1(0), typed);
            } else if (input == QLatin1String("key")) {
                QCoreApplication::postEvent(
                    button, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, {}, " "));
                QCoreApplication::postEvent(
                    button, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, {}, " "));
            } else {
                for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                    QCoreApplication::postEvent(
                        button,
                        new QMouseEvent(
                            type, centre, button->mapToGlobal(centre), Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, {}));
            }
        });
        automation::testing::EngineOverride use(engine);

        button->click();
        QTest::qWait(300); // whatever was queued has long arrived
        QVERIFY(postedDuringTheRun);
        const auto sessions = [&] {
            return engine.calls().count(QStringLiteral("createApplication"));
        };
        QCOMPARE(sessions(), 2); // one run: fill + render
        QCOMPARE(workFiles().filter(QStringLiteral(".doc")).size(), 1);
        QCOMPARE(form.Text1(0)->text(), QStringLiteral("A"));
        QVERIFY(!form.mBusy);
        QVERIFY(Dialogs::shown().isEmpty());
        // The window takes clicks again once the run is over.
        form.existingForm2()->PushButton8()->click();
        button->click();
        QCOMPARE(sessions(), 4);
    }

    void aDrawnNameThatExistsIsDrawnAgain()
    {
        // Eight draws of 1, then eight of 2.
        int draws = 0;
        const testing::RandomSource random([&] { return (draws++ < 8 ? 0.05 : 0.15); });
        QFile taken(WorkFolder::file(QStringLiteral("qorvex11111111.doc")));
        QVERIFY(taken.open(QIODevice::WriteOnly));
        taken.write("someone else's");
        taken.close();

        Form1 form;
        fill(form, {"A", "B", "C", "D"});
        form.PushButton6_Click();
        QCOMPARE(QFileInfo(form.existingForm2()->wordFile()).fileName(),
                 QStringLiteral("qorvex22222222.doc"));
        QCOMPARE(draws, 16);
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), QByteArray("someone else's"));
    }

    // Files planted in the shared base folder are never ours to open or write.
    void plantedFilesInTheBaseFolderAreIgnored()
    {
        QFile planted(m_run.filePath(QStringLiteral("template.dot")));
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write("not a template");
        planted.close();
        const QString victim = m_run.filePath(QStringLiteral("victim"));
        QVERIFY(QFile::link(victim, m_run.filePath(QStringLiteral("temp.bmp"))));

        Form1 form;
        fill(form, {"A", "B", "C", "D"});
        form.PushButton6_Click();
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        QVERIFY(!QFileInfo::exists(victim));
        QVERIFY(planted.open(QIODevice::ReadOnly));
        QCOMPARE(planted.readAll(), QByteArray("not a template"));
    }

    void backAndCloseDeleteTheDocument()
    {
        Form1 form;
        form.show();
        fill(form, {"A", "B", "C", "D"});
        form.PushButton6_Click();
        Form2* preview = form.existingForm2();
        const QString first = preview->wordFile();
        QVERIFY(FileExists(first));

        preview->PushButton8()->click(); // < Back
        QVERIFY(!FileExists(first));
        QVERIFY(form.isVisible());
        QVERIFY(preview->isHidden());
        QCOMPARE(form.Text1(0)->text(), QStringLiteral("A"));

        form.PushButton6_Click();
        const QString second = preview->wordFile();
        QVERIFY(second != first && FileExists(second));
        bool ended = false;
        preview->setEndProgram([&] { ended = true; });
        preview->close();
        QVERIFY(ended);
        QVERIFY(!FileExists(second));
    }

    void cleanup() { QVERIFY(m_run.leave()); }
};

QTEST_MAIN(TestGenerate)
#include "tst_generate.moc"
