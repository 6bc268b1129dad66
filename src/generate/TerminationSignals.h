#pragma once

#include <QObject>

#include <thread>

namespace statusmill {

// SIGTERM, SIGINT and SIGHUP stop the program, whatever its main thread is doing.
// A thread of its own takes the request: it ends our offices at once (a call that
// waits on one returns), marks the stop so that nothing new begins (StopRequest.h),
// and asks every event loop to end, so a modal box closes and the program unwinds
// in order and removes its working folder. Should a second request come, or the
// main thread make no way within five seconds, the thread removes the working
// folder itself and ends the process there and then. Made before anything of the
// program starts, so that a stop in its first milliseconds is a stop too.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Whether a stop was asked for, also one that came before the event loop ran.
    static bool requested();
    // Whether an instance takes the requests now.
    static bool installed();

private:
    void watch();

    std::thread m_watcher;
};

} // namespace statusmill
