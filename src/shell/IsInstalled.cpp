#include "IsInstalled.h"

#include "core/Failure.h"
#include "core/StopRequest.h"
#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/Offices.h"
#include "ui/Dialogs.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

namespace statusmill::IsInstalled {
namespace {

Terminator& terminator()
{
    static Terminator current;
    return current;
}

void endProgram()
{
    if (terminator()) {
        terminator()();
        return;
    }
    automation::endSpareOffices();
    WorkFolder::remove();
    std::fflush(nullptr);
    std::_Exit(1);
}

QString notInstalledText()
{
    return QStringList{
        QStringLiteral("Error 842001. A normal instance of Word could not be created."),
        QStringLiteral("1. Please make sure Word is installed on this computer."),
        QStringLiteral("2. Please open Word normally and make sure a blank document opens "
                       "immediately without any interrupting window (such as an Word file "
                       "recovery window)."),
        QStringLiteral("3. Please make sure that when you double-click on a DOC or DOCX file that "
                       "Word opens normally without any interrupting messages."),
        QStringLiteral("4. All versions of Word are supported by this software except for the rare "
                       "Word Starter and Student editions.")}
        .join(QStringLiteral("\r\n\r\n"));
}

} // namespace

Terminator setTerminator(Terminator replacement)
{
    return std::exchange(terminator(), std::move(replacement));
}

void CheckWordInstalled()
{
    // Without a working folder nothing can run, and the engine is not to blame:
    // the user is told what is wrong with the folder.
    try {
        WorkFolder::path();
    } catch (const Failure& f) {
        std::fputs(QStringLiteral("%1: %2\n")
                       .arg(QCoreApplication::applicationName(), f.description())
                       .toLocal8Bit()
                       .constData(),
                   stderr);
        Dialogs::message(Dialogs::applicationTitle(), f.description(), Dialogs::Icon::Warning,
                         Dialogs::Buttons::Ok);
        endProgram();
        return;
    }

    std::unique_ptr<automation::Application> application;
    QString failure;
    try {
        application = automation::engine().createApplication();
    } catch (const Failure& f) {
        failure = f.description();
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
        // Whatever went wrong, the program cannot go on without a session.
        failure = QStringLiteral("an unexpected error");
    }
    if (application) {
        try {
            application->quit();
        } catch (...) {
            // A session that started is all the check asks for.
        }
        return;
    }
    // A stop asked for while the check waited is no failure: start-up ends in order.
    if (StopRequest::requested())
        return;

    // The message speaks of Word; the log line says what was really looked for.
    const QString line = QStringLiteral("%1: the document engine could not be started (%2): %3\n")
                             .arg(QCoreApplication::applicationName(),
                                  automation::officeSearchDescription(), failure);
    std::fputs(line.toLocal8Bit().constData(), stderr);
    Dialogs::message(Dialogs::applicationTitle(), notInstalledText(), Dialogs::Icon::None,
                     Dialogs::Buttons::Ok);
    endProgram();
}

} // namespace statusmill::IsInstalled
