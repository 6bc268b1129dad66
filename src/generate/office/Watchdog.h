#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace statusmill::office {

// Guards the calls into one office process: a call that runs past its limit gets
// the process killed, which makes the blocked call return with an error.
class Watchdog
{
public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // The process to kill; -1 while there is none. Once this returns, no kill of
    // the previous pid is under way or can follow, so the caller may reap it.
    // A deadline that passes while there is no pid fires when one is given again.
    void setPid(pid_t pid);
    void arm(std::chrono::milliseconds limit);
    void disarm();
    // Whether the process was killed because a call ran too long.
    bool fired() const { return m_fired; }

private:
    void watch();

    pid_t m_pid = -1;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    bool m_stopping = false;
    std::atomic<bool> m_fired = false;
    std::thread m_thread;
};

} // namespace statusmill::office
