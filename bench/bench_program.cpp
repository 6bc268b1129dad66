// Times the program as a user meets it: start-up to the main window, and a press
// of "Start Creating Template" to the preview shown with its picture.
// Usage: bench_program            (runs both, each against its baseline)
//        bench_program --start    (internal: one start-up, prints its time and ends)

#include "BenchSupport.h"
#include "common/Dialogs.h"
#include "common/WorkFolder.h"
#include "generate/Automation.h"
#include "preview/Form2.h"
#include "shell/Application.h"
#include "shell/Form1.h"
#include "shell/StartUp.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <ctime>
#include <unistd.h>

using namespace statusmill;

namespace {

constexpr int kRepetitions = 5;

// Milliseconds since this process started, from the kernel's own start time.
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    stat.open(QIODevice::ReadOnly);
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22: starttime
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    return nowMs - startTicks * 1e3 / double(sysconf(_SC_CLK_TCK));
}

int startOnce(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Statusmill"));
    setSiteOpenerForTests([](const QUrl&) { return true; });
    return runProgram([](Form1&) {
        std::printf("%.1f\n", msSinceProcessStart());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

double startUpMs(const QString& self)
{
    QProcess child;
    child.start(self, {QStringLiteral("--start")});
    child.waitForFinished(120000);
    return child.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--start") == 0)
        return startOnce(argc, argv);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Statusmill"));
    QTemporaryDir scratch;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("config"))));
    Dialogs::startRecording();
    const QString self = QCoreApplication::applicationFilePath();
    const QString templateFile =
        QStringLiteral(STATUSMILL_SOURCE_DIR "/resources/template/template.dot");

    std::printf("median of %d runs\n\n", kRepetitions);

    // Start-up pays for one office session (the engine check) on top of Qt's start.
    const double bareSession =
        bench::medianMs(kRepetitions, [] { automation::engine().createApplication()->quit(); });
    std::vector<double> starts;
    for (int i = 0; i < kRepetitions; ++i)
        starts.push_back(startUpMs(self));
    const double startUp = bench::median(starts);
    std::printf("bare office session start + quit (baseline)  %8.1f ms\n", bareSession);
    std::printf("start-up to main window shown                 %8.1f ms  (%.2f x baseline)\n\n",
                startUp, startUp / bareSession);

    // A generation run starts the office twice: fill and save, then render.
    const double twoConversions = bench::medianMs(kRepetitions, [&] {
        bench::oneShotConversion(templateFile, scratch.path());
        bench::oneShotConversion(templateFile, scratch.path());
    });
    Form1 form;
    const QStringList values{"Harbour Bridge", "Civil Works", "Maintenance", "Cable Survey"};
    for (int i = 0; i < Form1::kFieldCount; ++i)
        form.Text1(i)->setText(values[i]);
    const double run = bench::medianMs(kRepetitions, [&] {
        form.PushButton6()->click(); // returns once the preview is shown with its picture
        form.existingForm2()->PushButton8()->click(); // back, for the next press
    });
    form.PushButton6()->click();
    for (int i = 0; i < 2; ++i)
        form.existingForm2()->PushButton1()->click(); // zoom in, as a user would
    std::printf("two one-shot conversions (baseline)           %8.1f ms\n", twoConversions);
    std::printf("press to preview shown                        %8.1f ms  (%.2f x baseline)\n", run,
                run / twoConversions);
    std::printf("errors reported during the runs               %8lld\n",
                static_cast<long long>(Dialogs::shown().size()));
    std::printf("peak resident memory (VmHWM)                  %8ld kB\n",
                bench::peakResidentKilobytes());
    WorkFolder::remove();
    return 0;
}
