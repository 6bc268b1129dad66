#include "Application.h"

#include "Form1.h"
#include "generate/TerminationSignals.h"
#include "core/ExitCleanup.h"
#include "core/Product.h"
#include "core/WorkFolder.h"
#include "generate/Offices.h"
#include "ui/ErrorReport.h"
#include "ui/FixedWindow.h"

#include <QApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <optional>
#include <unistd.h>
#include <vector>

namespace statusmill {

namespace {

// After the window first shows: the warm-up, and a quick first press, on both cores.
constexpr std::chrono::milliseconds kQuietAfterStart(2000);

// Qt ends the process from inside QApplication's constructor when it finds no
// display, after several lines about platform plugins. By then the engine check's
// office is starting in our working folder. While the application is made, Qt's
// messages are held back: should it give up, the user reads one line, our office
// and folder go, and the program ends with status 1; should it succeed, what it
// said is passed on as usual.
class DisplayConnection
{
public:
    DisplayConnection() { s_previous = qInstallMessageHandler(hold); }
    ~DisplayConnection()
    {
        qInstallMessageHandler(s_previous);
        for (const Held& message : std::exchange(s_held, {}))
            qt_message_output(message.type,
                              QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                              message.text);
    }
    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;

private:
    struct Held
    {
        QtMsgType type;
        QByteArray category;
        QString text;
    };

    static void hold(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        if (type != QtFatalMsg) {
            s_held.push_back({type, QByteArray(context.category), text});
            return;
        }
        // The first thing Qt said names the cause ("could not connect to display :1").
        const QString cause =
            s_held.empty() ? text.section(QLatin1Char('\n'), 0, 0) : s_held.front().text;
        const QString line = QStringLiteral("%1: cannot open a window: %2\n")
                                 .arg(QString::fromLatin1(kProductName).toLower(), cause);
        std::fputs(line.toLocal8Bit().constData(), stderr);
        automation::endEveryOfficeAtOnce();
        ExitCleanup::removeNow();
        ::_exit(1);
    }

    static inline QtMessageHandler s_previous = nullptr;
    static inline std::vector<Held> s_held;
};

} // namespace

int runApplication(int argc, char* argv[], const std::function<void(Form1&)>& whenShown,
                   const QString& templateFile, const QString& dataFile, const QString& previousFile)
{
    // A reader of standard error that went away makes a warning fail, not the
    // program end on the spot, its working files left and its report lost.
    std::signal(SIGPIPE, SIG_IGN);
    // Made before the stop requests are taken and gone after they no longer are,
    // so that a request never looks for an application that is going.
    std::optional<QApplication> app;
    // A stop is a stop from the first millisecond on.
    TerminationSignals stopRequests;
    // The office for the engine check starts before anything else, so that its
    // start overlaps with the program's own.
    automation::startSpareOffices();
    {
        DisplayConnection connecting;
        app.emplace(argc, argv);
    }
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    // X11 desktops match our windows to the installed desktop entry by the class,
    // which is the application name; Wayland ones by this name.
    QApplication::setDesktopFileName(QStringLiteral(STATUSMILL_APP_ID));
    return runProgram(whenShown, templateFile, dataFile, previousFile);
}

int runProgram(const std::function<void(Form1&)>& whenShown, const QString& templateFile,
               const QString& dataFile, const QString& previousFile)
{
    // A failed statement is reported in the error report box.
    const ErrorReportsShown reports;
    std::optional<TerminationSignals> stopRequests;
    if (!TerminationSignals::installed())
        stopRequests.emplace();
    // What a run that was killed left behind goes now.
    WorkFolder::removeLeftovers();
    automation::startSpareOffices();
    // Every waiting office holds the template a press will open.
    automation::prepareTemplatesAhead(templateFile, !dataFile.isEmpty());
    int result = 0;
    {
        Form1 form;
        form.setTemplateFile(templateFile);
        form.setDataFile(dataFile);
        form.setPreviousFile(previousFile);
        form.Form_Load();
        // The backup office starts once the user has had the window to themselves.
        automation::holdBackSpareOffices(kQuietAfterStart);
        // A stop asked for during start-up ends the program before its window shows.
        if (!TerminationSignals::requested()) {
            placeOnScreen(&form);
            form.show();
            if (whenShown)
                QTimer::singleShot(0, &form, [&] { whenShown(form); });
            result = QApplication::exec();
        }
    }
    automation::endSpareOffices();
    WorkFolder::remove();
    return result;
}

} // namespace statusmill
