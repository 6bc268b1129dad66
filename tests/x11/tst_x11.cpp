// The program on a real X server with a window manager: what the offscreen
// platform cannot show. Runs under tests/x11/with-display.

#include "core/Random.h"
#include "core/Settings.h"
#include "core/WorkFolder.h"
#include "preview/Form2.h"
#include "shell/Application.h"
#include "shell/Form1.h"
#include "shell/StartUp.h"
#include "support/Seams.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"
#include "ui/FixedWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QWindow>
#include <QtTest>

using namespace statusmill;

namespace {

// What the X server holds as the window's title: the name a window manager shows.
QString serverTitle(const QWidget* window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                          QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000))
        return QStringLiteral("<xprop did not answer>");
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput());
    const auto match = QRegularExpression(QStringLiteral("= \"(.*)\"\\s*$")).match(out);
    return match.hasMatch() ? match.captured(1) : out;
}

bool run(const QString& program, const QStringList& arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

} // namespace

class TestX11 : public QObject
{
    Q_OBJECT

    // Draws that never make the home-page visit (d = 7) and still vary the names.
    const testing::RandomSource m_draws{[n = 0]() mutable { return ((n++ % 9) + 0.5) / 9.0; }};

    QTemporaryDir m_home;
    bool m_checked = false;

    struct Seen
    {
        QString widget;
        QString window;
        QString server;
        int width = 0; // of the box itself, without the window manager's frame
    };

    // Shows a real message box through the program's seam and reads its title
    // three ways while it is up, then dismisses it.
    Seen titlesOf(const std::function<void()>& show)
    {
        Seen seen;
        QTimer poll;
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->windowHandle() || !box->windowHandle()->isExposed())
                return;
            poll.stop();
            seen = {box->windowTitle(), box->windowHandle()->title(), serverTitle(box),
                    box->width()};
            box->done(QMessageBox::Ok);
        });
        poll.start();
        show();
        return seen;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(qgetenv("QT_QPA_PLATFORM") == "xcb", "run me under tests/x11/with-display");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        qputenv("TEMP", QFile::encodeName(m_home.filePath(QStringLiteral("temp"))));
        QDir().mkpath(m_home.filePath(QStringLiteral("temp")));
    }

    // Both windows come up with their title bars on the screen's free area, also
    // when a large scale factor makes them taller than the screen (run so as well).
    void theWindowsComeUpOnTheScreen()
    {
        Form1 form;
        placeOnScreen(&form);
        form.show();
        Form2& preview = form.form2();
        preview.show();
        const QRect available = form.screen()->availableGeometry();
        for (QWidget* window : {static_cast<QWidget*>(&form), static_cast<QWidget*>(&preview)}) {
            QVERIFY(QTest::qWaitForWindowExposed(window));
            // Until the manager has framed it, the frame is the window itself.
            QTRY_VERIFY_WITH_TIMEOUT(window->frameGeometry() != window->geometry(), 5000);
            const QRect frame = window->frameGeometry();
            QVERIFY2(available.contains(frame.topLeft()) && frame.top() < window->geometry().top(),
                     qPrintable(QStringLiteral("%1: frame %2,%3 %4x%5 on %6,%7 %8x%9")
                                    .arg(window->metaObject()->className())
                                    .arg(frame.x()).arg(frame.y()).arg(frame.width())
                                    .arg(frame.height()).arg(available.x()).arg(available.y())
                                    .arg(available.width()).arg(available.height())));
        }
        preview.hide();
        form.hide();
    }

    // Every window title is exactly the one asked for: nothing of Qt's own is added.
    void messageBoxesShowExactlyTheirTitle()
    {
        SetAppTitle();
        const Seen report = titlesOf(
            [] { ReportError(QStringLiteral("Form1.Form_Load"), 100, QStringLiteral("Test")); });
        QCOMPARE(report.widget, QStringLiteral("Application Error"));
        QCOMPARE(report.window, QStringLiteral("Application Error"));
        QCOMPARE(report.server, QStringLiteral("Application Error"));

        const Seen untitled = titlesOf([] {
            Dialogs::message(Dialogs::applicationTitle(), QStringLiteral("Done."),
                             Dialogs::Icon::None, Dialogs::Buttons::Ok);
        });
        QCOMPARE(untitled.server, QStringLiteral("Statusmill"));
        // Wide enough for the title beside a title bar's icon and three buttons:
        // narrower, a simple window manager shows ".." instead of the title.
        QFont titleFont = QApplication::font();
        titleFont.setBold(true);
        const int needed = QFontMetrics(titleFont).horizontalAdvance(untitled.server) + 120;
        QVERIFY2(untitled.width >= needed,
                 qPrintable(QStringLiteral("%1 < %2").arg(untitled.width).arg(needed)));
    }

    void checkReadyForTyping(Form1& form)
    {
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(serverTitle(&form), QStringLiteral("Statusmill"));
        QCOMPARE(QApplication::focusWidget(), form.Text1(0));
        QCOMPARE(form.Text1(0)->selectedText(), QStringLiteral("Old Project"));
        QVERIFY(run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                                QStringLiteral("30"), QStringLiteral("Zeppelin")}));
        QTRY_COMPARE(form.Text1(0)->text(), QStringLiteral("Zeppelin"));
        m_checked = true;
    }

    // Started as a user starts it: the first field has the keyboard, its text is
    // selected, and typing replaces it.
    void theFirstFieldIsReadyForTyping()
    {
        Settings::SaveSetting(QStringLiteral("Brightfern"), QStringLiteral("Statusmill"),
                              QStringLiteral("Text1_0"), QStringLiteral("Old Project"));
        m_checked = false;
        const int result = [&] {
            const testing::RecordedDialogs dialogs;
            return runProgram([&](Form1& form) {
                checkReadyForTyping(form);
                QCoreApplication::exit(m_checked ? 0 : 1);
            });
        }();
        QVERIFY(m_checked);
        QCOMPARE(result, 0);
        QCOMPARE(Settings::GetSetting(QStringLiteral("Brightfern"), QStringLiteral("Statusmill"),
                                      QStringLiteral("Text1_0")),
                 QStringLiteral("Zeppelin"));
    }

    void checkOneReportAndTheClipboard(Form1& form)
    {
        Form2* preview = form.existingForm2();
        QVERIFY(preview && preview->isVisible());
        QCOMPARE(QDir(WorkFolder::path()).entryList({QStringLiteral("*.doc")}, QDir::Files).size(),
                 1);
        QVERIFY(Dialogs::shown().isEmpty());
        QProcess paste;
        paste.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                              QStringLiteral("clipboard")});
        QVERIFY(paste.waitForFinished(10000));
        QCOMPARE(QString::fromUtf8(paste.readAllStandardOutput()),
                 QStringLiteral("the user's text"));
        m_checked = true;
    }

    // Checks once no run is under way (a second run would let this timer fire
    // inside itself), then ends the program.
    void finish(Form1& form)
    {
        if (form.mBusy) {
            QTimer::singleShot(500, &form, [&] { finish(form); });
            return;
        }
        checkOneReportAndTheClipboard(form);
        QCoreApplication::exit(m_checked ? 0 : 1);
    }

    // A double click on "Start Creating Template" makes one report: the second
    // click, queued while the run blocks, is dropped. And the user's clipboard,
    // owned by another program, still holds what they copied.
    void aDoubleClickMakesOneReportAndTheClipboardStaysTheUsers()
    {
        QVERIFY(run(QStringLiteral("sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("printf \"the user's text\" | xclip -selection clipboard")}));
        std::optional<testing::RecordedDialogs> dialogs(std::in_place);
        m_checked = false;
        QTimer settle;
        const int result = runProgram([&](Form1& form) {
            if (!QTest::qWaitForWindowActive(&form)) {
                QCoreApplication::exit(1);
                return;
            }
            form.PushButton4_Click(); // the sample values
            const QPoint at = form.PushButton6()->mapToGlobal(form.PushButton6()->rect().center());
            QProcess::startDetached(
                QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                 QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                 QStringLiteral("--delay"), QStringLiteral("150"), QStringLiteral("1")});
            // Once the preview is up, give a second run every chance to start.
            connect(&settle, &QTimer::timeout, &form, [&] {
                if (!form.existingForm2() || !form.existingForm2()->isVisible() || form.mBusy)
                    return;
                settle.stop();
                QTimer::singleShot(2000, &form, [&] { finish(form); });
            });
            settle.start(100);
        });
        dialogs.reset();
        QVERIFY(m_checked);
        QCOMPARE(result, 0);
    }
};

QTEST_MAIN(TestX11)
#include "tst_x11.moc"
