#pragma once

#include <QObject>

#include <cstddef>
#include <thread>

namespace statusmill {

// SIGTERM, SIGINT and SIGHUP stop the program, whatever its main thread is doing.
// A thread of its own takes the request: it ends our offices at once (a call that
// waits on one returns), marks the stop so that nothing new begins (StopRequest.h),
// and asks every event loop to end, so a modal box closes and the program unwinds
// in order and removes its working folder. Should a second request come, or the
// main thread make no way within five seconds, the thread removes the working
// folder itself and ends the process there and then, with 128 and the signal's
// number as its status. Made before anything of the program starts, so that a
// stop in its first milliseconds is a stop too. Where no thread can be started for
// it, the signals keep their usual effect.
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

    // What the program says when it ends at once, on a second request or when its
    // main thread makes no way: up to `size` bytes of one line written into
    // `buffer`, their number returned (0: nothing). Called on the signals' thread
    // while the main thread may hold any lock, so it may neither allocate nor lock.
    using LastWords = size_t (*)(char* buffer, size_t size);
    static void setLastWords(LastWords words);

private:
    void watch();

    std::jthread m_watcher;
};

} // namespace statusmill
