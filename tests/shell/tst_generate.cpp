#include "common/Dialogs.h"
#include "common/FileHelpers.h"
#include "common/Procedure.h"
#include "common/Random.h"
#include "common/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/OfficeProcesses.h"
#include "generate/testing/FaultyEngine.h"
#include "preview/Form2.h"
#include "shell/Form1.h"
#include "support/SavedDocument.h"

#include "support/Reports.h"
#include <QLineEdit>
#include <QPushButton>

#include <QtTest>

using namespace statusmill;

namespace {

const QStringList kTags{"[ProjectName]", "[Department]", "[FocusArea]", "[Product]"};

QStringList workFiles()
{
    return QDir(WorkFolder::path()).entryList(QDir::Files);
}

bool hasInk(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); y += 3)
        for (int x = 0; x < rgb.width(); x += 3)
            if (qGray(rgb.pixel(x, y)) < 128)
                return true;
    return false;
}

} // namespace

class TestGenerate : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_temp;

    void fill(Form1& form, const QStringList& values)
    {
        for (int i = 0; i < 4; ++i)
            form.Text1(i)->setText(values[i]);
    }

private slots:
    void init()
    {
        m_temp = std::make_unique<QTemporaryDir>();
        qputenv("TEMP", QFile::encodeName(m_temp->path()));
        Dialogs::startRecording();
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
        QVERIFY(hasInk(preview->Picture1()->grab().toImage()));
        const automation::DocumentText saved = testing::savedDocument(preview->wordFile());
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
        QVERIFY(testing::ourOfficeProcesses().isEmpty());
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
        // Replaced in index order: a project name holding the department's
        // placeholder becomes the department text in the stories pass.
        QTest::newRow("a field holding another's placeholder")
            << QStringList{"[Department] office", "Finance", "[ProjectName]", "Ledger"}
            << QStringList{"Finance office", "Finance", "[ProjectName]", "Ledger"};
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

    // The engine cannot start: every engine step is reported with its own number,
    // and the run still cleans up, shows the preview and frees the button.
    void aFailedEngineStartIsReportedStepByStep()
    {
        automation::testing::FaultyEngine faulty;
        faulty.failAt(QStringLiteral("createApplication"), 1, QStringLiteral("No office"), true);
        automation::testing::EngineOverride use(faulty);

        Form1 form;
        form.show();
        fill(form, {"A", "B", "C", "D"});
        form.PushButton6_Click();

        QList<int> expected{110, 114};
        for (int i = 0; i < 4; ++i) {
            expected << 118;
            for (int line = 122; line <= 148; line += 2)
                expected << line;
        }
        expected << 154 << 156 << 160 << 160 << 160 << 160 << 182 << 184 << 186 << 188 << 200;
        QCOMPARE(testing::reportedLines(QStringLiteral("Form1.PushButton6_Click")), expected);
        QCOMPARE(testing::reportedLines(QStringLiteral("Form1.SaveDocAsJPG")),
                 QList<int>({116, 118, 120, 122, 124, 126}));
        QVERIFY(Dialogs::shown().constFirst().text.startsWith(QStringLiteral("No office\r\n")));

        QVERIFY(!form.mBusy);
        QVERIFY(form.isHidden());
        QVERIFY(form.existingForm2()->isVisible());
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

        QCOMPARE(testing::reportedLines(QStringLiteral("Form1.PushButton6_Click")),
                 QList<int>({182, 200}));
        QCOMPARE(testing::reportedLines(QStringLiteral("Form1.SaveDocAsJPG")).value(0), 118);
        QVERIFY(!form.mBusy);
        QVERIFY(!FileExists(form.existingForm2()->wordFile()));
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
        QVERIFY(!hasInk(form.existingForm2()->Picture1()->grab().toImage()));
    }

    void aSecondPressDuringARunIsIgnored()
    {
        automation::testing::FaultyEngine counting;
        automation::testing::EngineOverride use(counting);
        Form1 form;
        fill(form, {"A", "B", "C", "D"});
        // The template write lets queued events run once: the second press lands then.
        bool pressedDuringTheRun = false;
        QTimer::singleShot(0, &form, [&] {
            pressedDuringTheRun = form.mBusy;
            form.PushButton6()->click();
        });
        form.PushButton6()->click();
        QVERIFY(pressedDuringTheRun);
        QCOMPARE(counting.calls().count(QStringLiteral("createApplication")),
                 2); // one run: fill + render
        QVERIFY(!form.mBusy);
        QVERIFY(Dialogs::shown().isEmpty());
    }

    void aDrawnNameThatExistsIsDrawnAgain()
    {
        // Eight draws of 1, then eight of 2.
        int draws = 0;
        Random::setSourceForTests([&] { return (draws++ < 8 ? 0.05 : 0.15); });
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
        QFile planted(m_temp->filePath(QStringLiteral("template.dot")));
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write("not a template");
        planted.close();
        const QString victim = m_temp->filePath(QStringLiteral("victim"));
        QVERIFY(QFile::link(victim, m_temp->filePath(QStringLiteral("temp.bmp"))));

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

    void cleanup()
    {
        automation::setEngine(nullptr);
        Random::setSourceForTests({});
        Procedure::clearInjectedFailures();
        QVERIFY(testing::ourOfficeProcesses().isEmpty());
        WorkFolder::remove();
        Dialogs::stopRecording();
        qunsetenv("TEMP");
    }
};

QTEST_MAIN(TestGenerate)
#include "tst_generate.moc"
