// The report sent on: saved as .doc, .docx, .odt and PDF, each read back by a
// reader of its own; a conversion that fails on the way; and printed to a file.

#include "core/WorkFolder.h"
#include "preview/Form2.h"
#include "shell/Form1.h"
#include "support/FaultyEngine.h"
#include "support/OfficeProcesses.h"
#include "support/PreviewFixture.h"
#include "support/RunSurroundings.h"
#include "support/SavedDocument.h"
#include "support/Seams.h"
#include "support/TestFiles.h"
#include "generate/Offices.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QtTest>

#include <csignal>
#include <ctime>

using namespace statusmill;

namespace {

const QStringList kValues{"Harbour Bridge", "Civil Works", "Maintenance", "Cable Survey"};
const QStringList kLabels{"Project Name:", "Department:", "Focus Area:", "Product/Process:"};

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

using statusmill::testing::commandOutput;

// Whether each label comes before its value, and each pair after the one before.
bool titleBlockInOrder(const QString& text)
{
    qsizetype at = 0;
    for (int i = 0; i < 4; ++i) {
        at = text.indexOf(kLabels[i], at);
        if (at < 0)
            return false;
        at = text.indexOf(kValues[i], at);
        if (at < 0)
            return false;
    }
    return true;
}

void killOfficesOn(automation::testing::FaultyEngine& engine, const QString& operation)
{
    engine.onEnter(operation, [] {
        for (pid_t office : testing::ourOfficeProcesses())
            ::kill(office, SIGKILL);
    });
}

int pdfPages(const QString& pdf)
{
    const QString info = commandOutput(QStringLiteral("pdfinfo"), {pdf});
    const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class TestFormats : public QObject
{
    Q_OBJECT

    testing::RunSurroundings m_run;
    std::unique_ptr<Form1> m_form;

    // The preview of the report of kValues, as a press makes it.
    Form2& report()
    {
        m_form = std::make_unique<Form1>();
        for (int i = 0; i < 4; ++i)
            m_form->Text1(i)->setText(kValues[i]);
        m_form->PushButton6_Click();
        return *m_form->existingForm2();
    }

private slots:
    void init() { m_run.enter(); }
    void cleanup()
    {
        m_form.reset();
        QVERIFY(m_run.leave());
    }

    void savesInEveryFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter"); // in the dialog's list, from 0
        QTest::addColumn<QByteArray>("magic");
        QTest::addColumn<QString>("reader");
        const QByteArray ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        const QByteArray zip("PK\x03\x04", 4);
        QTest::newRow("Word 97") << "report.doc" << 0 << ole << "catdoc";
        QTest::newRow("Word 2007") << "report.docx" << 1 << zip << "docx2txt";
        QTest::newRow("OpenDocument") << "report.odt" << 2 << zip << "odt2txt";
        QTest::newRow("PDF") << "report.pdf" << 3 << QByteArray("%PDF-") << "pdftotext";
        QTest::newRow("a PDF by its name, under the first filter")
            << "Report.PDF" << 0 << QByteArray("%PDF-") << "pdftotext";
        QTest::newRow("no extension: the selected filter's format")
            << "report" << 2 << zip << "odt2txt";
    }

    void savesInEveryFormat()
    {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(QByteArray, magic);
        QFETCH(QString, reader);
        Form2& preview = report();
        const QString target = m_run.filePath(name);
        Dialogs::setNextFileName(target);
        Dialogs::setNextFilter(QLatin1String(SaveFormats::kOffered[filter].filter));
        preview.PushButton6()->click();

        QCOMPARE(Dialogs::shown().constLast().text, QStringLiteral("Done."));
        QVERIFY(contents(target).startsWith(magic));
        if (reader == QLatin1String("catdoc"))
            QCOMPARE(contents(target), contents(preview.wordFile())); // byte for byte
        // catdoc and odt2txt print to standard output by themselves, the others on "-".
        const bool toOutput =
            reader == QLatin1String("catdoc") || reader == QLatin1String("odt2txt");
        const QString text =
            commandOutput(reader, toOutput ? QStringList{target} : QStringList{target, "-"});
        QVERIFY2(titleBlockInOrder(text), qPrintable(text));

        const int pages = testing::savedDocument(preview.wordFile()).pages;
        if (magic.startsWith("%PDF")) {
            QCOMPARE(pdfPages(target), pages);
            // Every font embedded: pdffonts' "emb" column says yes on every line.
            const QStringList fonts =
                commandOutput(QStringLiteral("pdffonts"), {target}).split('\n', Qt::SkipEmptyParts).mid(2);
            QVERIFY(!fonts.isEmpty());
            for (const QString& font : fonts)
                QVERIFY2(font.section(' ', -5, -5, QString::SectionSkipEmpty) == "yes",
                         qPrintable(font));
        } else {
            QCOMPARE(testing::savedDocument(target).pages, pages);
        }
    }

    // Far from UTC, each format keeps the moment the report was made as that moment,
    // and the report shows the day it is where the user is.
    void theMomentMadeIsKeptTrue_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::newRow("14 hours east") << QByteArray("Pacific/Kiritimati");
        QTest::newRow("12 hours west") << QByteArray("Etc/GMT+12");
    }

    void theMomentMadeIsKeptTrue()
    {
        QFETCH(QByteArray, zone);
        const testing::EnvironmentVariable timeZone("TZ", zone);
        ::tzset();
        const auto back = qScopeGuard([] { ::tzset(); });
        // Offices that live in that zone too, as they would for the user.
        automation::endSpareOffices();
        automation::startSpareOffices();
        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
        Form2& preview = report();
        for (const char* name : {"made.docx", "made.odt"}) {
            Dialogs::setNextFileName(m_run.filePath(QLatin1String(name)));
            preview.PushButton6()->click();
        }
        const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(1);
        const auto stored = [&](const QString& file, const QString& member, const char* pattern) {
            const QString xml =
                commandOutput(QStringLiteral("unzip"), {QStringLiteral("-p"), m_run.filePath(file), member});
            return QDateTime::fromString(
                QRegularExpression(QLatin1String(pattern)).match(xml).captured(1), Qt::ISODate);
        };
        const QString file = commandOutput(QStringLiteral("file"), {preview.wordFile()});
        const QDateTime moments[] = {
            stored(QStringLiteral("made.docx"), QStringLiteral("docProps/core.xml"),
                   "<dcterms:created[^>]*>([^<]+)<"),
            stored(QStringLiteral("made.odt"), QStringLiteral("meta.xml"),
                   "<meta:creation-date>([^<]+)<"),
            // The Word 97 file keeps UTC, which `file` shows as it is.
            QDateTime::fromString(
                QRegularExpression(QStringLiteral("Create Time/Date: \\w+ (\\w+ +\\d+ [\\d:]+ \\d+)"))
                    .match(file)
                    .captured(1)
                    .simplified(),
                QStringLiteral("MMM d HH:mm:ss yyyy"))};
        for (QDateTime moment : moments) {
            if (moment.timeSpec() != Qt::UTC)
                moment.setTimeSpec(Qt::UTC);
            QVERIFY2(moment >= before && moment <= after,
                     qPrintable(moment.toString(Qt::ISODate) + QLatin1Char(' ') + file));
        }
        const QString today = QLocale(QLocale::English).toString(QDate::currentDate(), "MMMM d, yyyy");
        QVERIFY2(commandOutput(QStringLiteral("catdoc"), {preview.wordFile()}).contains(today), qPrintable(today));
        QVERIFY2(commandOutput(QStringLiteral("docx2txt"), {m_run.filePath(QStringLiteral("made.docx")), "-"})
                     .contains(today),
                 qPrintable(today));
    }

    // The office is killed halfway through a conversion: reported at 130 with no
    // "Done.", no partial file, and the old file whole.
    void aFailedConversionKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("operation");
        QTest::newRow("docx") << "old.docx"
                              << "SaveAs";
        QTest::newRow("odt") << "old.odt"
                             << "SaveAs";
        QTest::newRow("pdf") << "old.pdf"
                             << "ExportAsFixedFormat";
    }

    void aFailedConversionKeepsTheOldFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, operation);
        Form2& preview = report();
        const QString folder = m_run.filePath(QStringLiteral("sent"));
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + QLatin1Char('/') + name;
        QVERIFY(testing::writeFile(target, "the user's old report"));
        automation::testing::FaultyEngine killing;
        killOfficesOn(killing, operation);
        automation::testing::EngineOverride use(killing);
        Dialogs::clearShown();
        Dialogs::setNextFileName(target);
        Dialogs::setNextAnswer(Dialogs::Yes);
        preview.PushButton6()->click();

        QCOMPARE(testing::reportedAt(), QStringList{"Form2.PushButton6_Click at line 130"});
        QVERIFY(!Dialogs::shown().constLast().text.contains(QStringLiteral("Done.")));
        QCOMPARE(contents(target), QByteArray("the user's old report"));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{name});
        QCOMPARE(preview.pointer().state(), WindowPointer::Default);
    }

    // Ctrl+P printed to a file: the pages asked for, drawn from the document; a
    // cancelled dialog prints nothing.
    void printsToAFile_data()
    {
        QTest::addColumn<int>("from"); // 0: every page; -1: cancelled
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("pages");
        QTest::newRow("every page") << 0 << 0 << 2;
        QTest::newRow("page 1 only") << 1 << 1 << 1;
        QTest::newRow("cancelled") << -1 << 0 << 0;
    }

    void printsToAFile()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, pages);
        Form2& preview = report();
        const QString printed = m_run.filePath(QStringLiteral("printed.pdf"));
        Dialogs::clearShown();
        if (from >= 0)
            Dialogs::setNextPrintFile(printed, from, to);
        preview.PrintReport();

        QCOMPARE(Dialogs::shown().size(), 1);
        QVERIFY(Dialogs::shown().constFirst().isPrintDialog);
        QCOMPARE(Dialogs::shown().constFirst().pages, 2);
        if (pages == 0) {
            QVERIFY(!QFile::exists(printed));
            return;
        }
        QCOMPARE(pdfPages(printed), pages);
        const QString firstPage =
            commandOutput(QStringLiteral("pdftotext"), {"-f", "1", "-l", "1", printed, "-"});
        QVERIFY2(firstPage.contains(kValues[0]), qPrintable(firstPage));
    }
    // An office that dies while the report is printed: one report, at the step
    // that failed, and no file.
    void aFailedPrintIsOneReport_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("reported");
        QTest::newRow("counting the pages") << "ComputeStatistics"
                                            << "Form2.PrintReport at line 104";
        QTest::newRow("printing them") << "ExportAsFixedFormat"
                                       << "Form2.PrintReport at line 108";
    }

    void aFailedPrintIsOneReport()
    {
        QFETCH(QString, operation);
        QFETCH(QString, reported);
        Form2& preview = report();
        const QString printed = m_run.filePath(QStringLiteral("printed.pdf"));
        automation::testing::FaultyEngine killing;
        killOfficesOn(killing, operation);
        automation::testing::EngineOverride use(killing);
        Dialogs::clearShown();
        Dialogs::setNextPrintFile(printed, 0, 0);
        preview.PrintReport();

        QCOMPARE(testing::reportedAt(), QStringList{reported});
        QVERIFY(!QFile::exists(printed));
        QCOMPARE(QDir(WorkFolder::path()).entryList({QStringLiteral("print-*")}), QStringList());
        QCOMPARE(preview.pointer().state(), WindowPointer::Default);
    }
};

QTEST_MAIN(TestFormats)
#include "tst_formats.moc"
