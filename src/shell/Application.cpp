#include "Application.h"

#include "Form1.h"
#include "TerminationSignals.h"
#include "common/FixedWindow.h"
#include "common/Product.h"
#include "common/WorkFolder.h"
#include "generate/SpareOffices.h"

#include <QApplication>
#include <QTimer>

namespace statusmill {

int runApplication(int argc, char* argv[], const std::function<void(Form1&)>& whenShown)
{
    // The office for the engine check starts before anything else, so that its
    // start overlaps with the program's own.
    automation::startSpareOffices();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProductName));
    // X11 desktops match our windows to the installed desktop entry by the class,
    // which is the application name; Wayland ones by this name.
    QApplication::setDesktopFileName(QStringLiteral(STATUSMILL_APP_ID));
    return runProgram(whenShown);
}

int runProgram(const std::function<void(Form1&)>& whenShown)
{
    TerminationSignals stopRequests;
    // What a run that was killed left behind goes now.
    WorkFolder::removeLeftovers();
    automation::startSpareOffices();
    int result = 0;
    {
        Form1 form;
        form.Form_Load();
        // A stop asked for during start-up ends the program before its window shows.
        if (!TerminationSignals::requested()) {
            centreOnScreen(&form);
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
