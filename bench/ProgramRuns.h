#pragma once

// Helpers of the benchmarks that run the whole program: its start, the user
// reading the screen, and a press timed as the user makes it.

#include "preview/Form2.h"
#include "preview/PictureBox.h"
#include "shell/Form1.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <ctime>
#include <optional>
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

// The moment the preview has painted its picture for the first time since it was
// made: the user sees the report then, whether or not its lower pages are drawn.
class FirstPicturePaint : public QObject
{
public:
    explicit FirstPicturePaint(const QElapsedTimer& clock) : m_clock(clock)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~FirstPicturePaint() override { QCoreApplication::instance()->removeEventFilter(this); }
    std::optional<double> ms() const { return m_ms; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* box = qobject_cast<PictureBox*>(watched);
        if (m_ms || event->type() != QEvent::Paint || !box || !box->isVisible() ||
            !qobject_cast<Form2*>(box->window()))
            return false;
        static_cast<QObject*>(box)->event(event); // painted, then timed
        m_ms = double(m_clock.nsecsElapsed()) / 1e6;
        return true;
    }

private:
    const QElapsedTimer& m_clock;
    std::optional<double> m_ms;
};

// The press as a user makes it, timed until the preview is shown with its picture
// painted.
inline double pressMs(Form1& form)
{
    QElapsedTimer clock;
    clock.start();
    const FirstPicturePaint painted(clock);
    form.PushButton6()->click();
    // On a display the window is painted when the server says it is mapped, which
    // may come after the press's own work is done.
    while (!painted.ms() && clock.elapsed() < 10000 && form.existingForm2() &&
           form.existingForm2()->isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return painted.ms().value_or(double(clock.nsecsElapsed()) / 1e6);
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
