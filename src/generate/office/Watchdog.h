#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace statusmill::office {

class OfficeProcess;

// Whether a call that has run past its limit is at work rather than hung: its office
// spent at least half of the last `wall` on the processor (`cpu`), and the call has
// not yet run ten times its `limit` in all (`sinceArmed`), past which even a busy
// office is taken for one that went round in circles.
bool stillAtWork(std::chrono::milliseconds cpu, std::chrono::milliseconds wall,
                 std::chrono::milliseconds sinceArmed, std::chrono::milliseconds limit);

// Guards the calls into one office process: a call that runs past its limit gets
// the process killed, which makes the blocked call return with an error; unless
// the office is plainly at work on it (see stillAtWork), as when it lays out the
// pages of a long report. The kill
// goes through the process's own killNow(), which never reaches a pid that has
// been reaped, so nobody has to take the process from the watchdog first.
class Watchdog
{
public:
    explicit Watchdog(OfficeProcess& process);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void arm(std::chrono::milliseconds limit);
    // The call under way is making progress: it has its whole limit again, from
    // now. Nothing when no call is under way.
    void stillWorking();
    // Once this returns, no kill is under way or can follow until the next arm().
    void disarm();
    // Whether the process was killed because a call ran too long.
    bool fired() const { return m_fired; }

private:
    void watch();

    OfficeProcess& m_process;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    std::chrono::milliseconds m_limit{0};
    std::chrono::steady_clock::time_point m_armedAt;
    // Where the office's time on the processor stood when the deadline was set.
    std::chrono::steady_clock::time_point m_lookedAt;
    std::chrono::milliseconds m_cpuAtLook{0};
    bool m_stopping = false;
    std::atomic<bool> m_fired = false;
    std::jthread m_thread;
};

} // namespace statusmill::office
