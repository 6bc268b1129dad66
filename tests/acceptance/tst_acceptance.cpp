// The whole program walked as a user would, with the real office.

#include "core/Random.h"
#include "core/Settings.h"
#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "preview/Form2.h"
#include "shell/Application.h"
#include "shell/Form1.h"
#include "shell/StartUp.h"
#include "support/OfficeProcesses.h"
#include "support/SavedDocument.h"
#include "support/Seams.h"
#include "support/TestFiles.h"
#include "ui/Dialogs.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include <csignal>

using namespace statusmill;

namespace {} // namespace

class TestAcceptance : public QObject
{
    Q_OBJECT

    // For the whole walk: no browser opens, and boxes are recorded and answered.
    const testing::SiteOpener m_noBrowser{[](const QUrl&) { return true; }};
    const testing::RecordedDialogs m_dialogs;

    QTemporaryDir m_home;
    QString m_workFolder;
    bool m_walked = false;

    void generate(Form1& form)
    {
        form.PushButton6()->click();
        QVERIFY2(Dialogs::shown().isEmpty(), qPrintable(Dialogs::shown().value(0).text));
        QVERIFY(form.isHidden());
        QVERIFY(form.existingForm2() && form.existingForm2()->isVisible());
    }

    void walk(Form1& form)
    {
        // 1. The stored values are back.
        QCOMPARE(form.Text1(0)->text(), QStringLiteral("Harbour Bridge"));
        QCOMPARE(form.Text1(3)->text(), QStringLiteral("Cable Survey"));
        m_workFolder = WorkFolder::path();

        // 2. Type over one field.
        form.Text1(1)->setFocus();
        form.Text1(1)->selectAll();
        QTest::keyClicks(form.Text1(1), QStringLiteral("Civil Works"));

        // 3. and 4. Generate; the preview shows the filled report.
        generate(form);
        Form2& preview = *form.existingForm2();
        const QString document = preview.wordFile();
        const QString text = testing::savedDocumentText(document);
        for (const QString& value :
             {QStringLiteral("Harbour Bridge"), QStringLiteral("Civil Works"),
              QStringLiteral("Maintenance"), QStringLiteral("Cable Survey")})
            QVERIFY2(text.contains(value), qPrintable(value));
        QVERIFY(!text.contains(QStringLiteral("[Department]")));

        // 5. Zoom in twice and drag the page.
        preview.PushButton1()->click();
        preview.PushButton1()->click();
        QCOMPARE(preview.zoom(), 1.5f);
        QWidget* canvas = preview.Picture1();
        QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(300, 300));
        QTest::mouseMove(canvas, QPoint(200, 150));
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(200, 150));
        QVERIFY(canvas->x() < 0 && canvas->y() < 0);

        // 6. Save a copy: byte for byte the generated document.
        const QString saved = m_home.filePath(QStringLiteral("reports/status.doc"));
        QDir().mkpath(QFileInfo(saved).path());
        Dialogs::setNextFileName(saved);
        preview.PushButton6()->click();
        QCOMPARE(Dialogs::shown().last().text, QStringLiteral("Done."));
        QCOMPARE(testing::readFile(saved), testing::readFile(document));
        QVERIFY(
            testing::readFile(saved).startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)));
        QVERIFY(testing::savedDocumentText(saved).contains(QStringLiteral("Civil Works")));
        Dialogs::clearShown();

        // 7. Back: the working document goes, the main window returns as it was.
        preview.PushButton8()->click();
        QVERIFY(form.isVisible());
        QVERIFY(!QFileInfo::exists(document));
        QCOMPARE(form.Text1(1)->text(), QStringLiteral("Civil Works"));

        // 8. Generate again with other values: a fresh preview at 100 %.
        form.PushButton4()->click();
        generate(form);
        QCOMPARE(preview.zoom(), 1.0f);
        QCOMPARE(preview.HScroll1()->value(), 0);
        QCOMPARE(preview.VScroll1()->value(), 0);
        QCOMPARE(canvas->pos(), QPoint(0, 0));
        QVERIFY(preview.wordFile() != document);
        QVERIFY(testing::savedDocumentText(preview.wordFile())
                    .contains(QStringLiteral("Brightfern Project")));

        // 9. Close the preview: the program ends.
        m_walked = true;
        preview.close();
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        qputenv("TEMP", QFile::encodeName(m_home.filePath(QStringLiteral("temp"))));
        QDir().mkpath(m_home.filePath(QStringLiteral("temp")));
    }

    void aUserMakesAndSavesTwoReports()
    {
        const QStringList stored{"Harbour Bridge", "Highways", "Maintenance", "Cable Survey"};
        for (int i = 0; i < 4; ++i)
            Settings::SaveSetting(QStringLiteral("Brightfern"), QStringLiteral("Statusmill"),
                                  QStringLiteral("Text1_%1").arg(i), stored[i]);

        const int result = runProgram([this](Form1& form) {
            walk(form);
            if (!m_walked) // a failed step above: end the program so the test can report it
                QCoreApplication::exit(1);
        });
        QVERIFY(m_walked);
        QCOMPARE(result, 0);

        // Nothing of ours is left: no office, no working files, no working folder.
        QVERIFY(testing::ourOfficeProcesses().isEmpty());
        QVERIFY(!m_workFolder.isEmpty());
        QVERIFY(!QFileInfo::exists(m_workFolder));
        QCOMPARE(QDir(m_home.filePath(QStringLiteral("temp")))
                     .entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
        // The typed value was stored for the next start.
        QCOMPARE(Settings::GetSetting(QStringLiteral("Brightfern"), QStringLiteral("Statusmill"),
                                      QStringLiteral("Text1_1")),
                 QStringLiteral("Information Technology"));
    }

    // Shown ready for typing: the first field has the keyboard with its text selected.
    void theFirstFieldIsReadyForTyping()
    {
        Settings::SaveSetting(QStringLiteral("Brightfern"), QStringLiteral("Statusmill"),
                              QStringLiteral("Text1_0"), QStringLiteral("Harbour Bridge"));
        bool firstFieldFocused = false;
        QString selected;
        const int result = runProgram([&](Form1& form) {
            if (QTest::qWaitForWindowActive(&form)) {
                firstFieldFocused = QApplication::focusWidget() == form.Text1(0);
                selected = form.Text1(0)->selectedText();
            }
            form.close();
        });
        QCOMPARE(result, 0);
        QVERIFY(firstFieldFocused);
        QCOMPARE(selected, QStringLiteral("Harbour Bridge"));
    }

    // Closing the main window ends the program at once; the preview's own closing
    // steps do not run.
    void closingTheMainWindowEndsTheProgram()
    {
        bool previewClosed = false;
        bool reached = false;
        const int result = runProgram([&](Form1& form) {
            m_workFolder = WorkFolder::path();
            form.form2().setEndProgram([&] { previewClosed = true; });
            form.form2().show();
            reached = true;
            form.close();
        });
        QVERIFY(reached);
        QCOMPARE(result, 0);
        QVERIFY(!previewClosed);
        QVERIFY(!QFileInfo::exists(m_workFolder));
        QVERIFY(testing::ourOfficeProcesses().isEmpty());
    }

    // Stopped from outside (logout, kill): the program still ends in order and
    // takes its working folder with it.
    void aStopSignalEndsTheProgramInOrder()
    {
        const int result = runProgram([&](Form1&) {
            m_workFolder = WorkFolder::path();
            ::raise(SIGTERM);
        });
        QCOMPARE(result, 0);
        QVERIFY(!QFileInfo::exists(m_workFolder));
    }
};

QTEST_MAIN(TestAcceptance)
#include "tst_acceptance.moc"
