// The whole program, run as a separate process: for tests that stop it from
// outside, or that need it in surroundings of its own (a private mount, another
// user). Once its window is up it prints "ready", then:
//   idle      waits for events
//   box       shows a modal message box that nobody answers
//   stuck     keeps its main thread busy for ever, answering nothing
//   stuck-writing
//             blocks its main thread in a write to a standard error nobody reads,
//             holding the lock of stdio's stream
//   generate  presses "Start Creating Template"; the office hangs as the report is
//             saved, and the program prints "hung" (the test then stops it)
//   report    makes the report of the sample values, prints "document <path>"
//             and ends
//   close     closes its window a moment later, once the offices kept ready are up,
//             as a user ends the program
//   hung-check FOLDER
//             takes FOLDER for the office's install folder, where a stand-in never
//             answers, so the engine check waits (the test stops it meanwhile)
// Before "ready" it prints "folder <working folder>"; after an orderly end,
// "shown <number of messages the program showed>" and each message's text.

#include "core/Random.h"
#include "core/WorkFolder.h"
#include "generate/office/OfficeLocation.h"
#include "preview/Form2.h"
#include "shell/Application.h"
#include "shell/Form1.h"
#include "shell/StartUp.h"
#include "support/FaultyEngine.h"
#include "support/OfficeProcesses.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace statusmill;

int main(int argc, char* argv[])
{
    const QString scenario = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("idle");
    // Draws that never make the home-page visit (d = 7) and still vary the names.
    Random::setSourceForTests([n = 0]() mutable { return ((n++ % 9) + 0.5) / 9.0; });
    Dialogs::startRecording();
    if (scenario == QLatin1String("hung-check") && argc > 2) {
        qputenv("PATH", "");
        office::setInstallFolders(QStringList{QString::fromLocal8Bit(argv[2])});
    }

    // The program's own start, from before the application exists.
    const int result = runApplication(argc, argv, [&](Form1& form) {
        std::printf("folder %s\nready\n", qPrintable(WorkFolder::path()));
        std::fflush(stdout);
        if (scenario == QLatin1String("box")) {
            Dialogs::stopRecording();
            QMessageBox(QMessageBox::NoIcon, QStringLiteral("Statusmill"), QStringLiteral("Wait"),
                        QMessageBox::Ok)
                .exec();
        } else if (scenario == QLatin1String("stuck")) {
            for (;;)
                ::pause();
        } else if (scenario == QLatin1String("stuck-writing")) {
            int unread[2];
            if (::pipe(unread) == 0)
                ::dup2(unread[1], STDERR_FILENO);
            const QByteArray line(4096, 'x');
            for (;;)
                std::fputs(line.constData(), stderr);
        } else if (scenario == QLatin1String("generate")) {
            automation::testing::FaultyEngine hanging;
            hanging.onEnter(QStringLiteral("SaveAs"), [] {
                for (pid_t office : testing::officeProcessesOf(::getpid()))
                    ::kill(office, SIGSTOP);
                std::printf("hung\n");
                std::fflush(stdout);
            });
            automation::testing::EngineOverride use(hanging);
            form.PushButton4_Click(); // the sample values
            form.PushButton6_Click();
        } else if (scenario == QLatin1String("report")) {
            form.PushButton4_Click();
            form.PushButton6_Click();
            const QString document = form.existingForm2()->wordFile();
            std::printf("document %s %s\n", qPrintable(document),
                        QFileInfo::exists(document) ? "exists" : "missing");
            std::fflush(stdout);
            form.close();
        } else if (scenario == QLatin1String("close")) {
            QTimer::singleShot(1500, &form, &QWidget::close);
        }
    });
    std::printf("shown %lld\n", static_cast<long long>(Dialogs::shown().size()));
    for (const auto& shown : Dialogs::shown())
        std::printf("%s\n", qPrintable(shown.text.simplified()));
    return result;
}
