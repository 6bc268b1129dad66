#pragma once

// Helpers of the benchmarks that run the whole program: its start, the user
// reading the screen, and a press timed as the user makes it.

#include "preview/Form2.h"
#include "shell/Form1.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <ctime>
#include <vector>
#include <unistd.h>

namespace statusmill::bench {

// Milliseconds since this process started, from the kernel's own start time.
inline double msSinceProcessStart()
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

// The user reading the screen: events go on, nothing is pressed.
inline void idle(int milliseconds)
{
    QEventLoop wait;
    QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
    wait.exec();
}

// The press as a user makes it, timed until the preview is shown with its picture.
inline double pressMs(Form1& form)
{
    QElapsedTimer clock;
    clock.start();
    form.PushButton6()->click();
    return double(clock.nsecsElapsed()) / 1e6;
}

// Presses after "< Back" in a program that has been running a while: the sample
// values, a first press and Back, then `repetitions` timed presses, each after the
// user has read the main window for a moment.
inline std::vector<double> laterPresses(Form1& form, int repetitions)
{
    form.PushButton4_Click();
    form.show();
    idle(3000);
    form.PushButton6()->click();
    form.existingForm2()->PushButton8()->click();
    std::vector<double> presses;
    for (int i = 0; i < repetitions; ++i) {
        idle(1500);
        presses.push_back(pressMs(form));
        form.existingForm2()->PushButton8()->click();
    }
    return presses;
}

} // namespace statusmill::bench
