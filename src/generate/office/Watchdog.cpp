#include "Watchdog.h"

#include <csignal>

namespace statusmill::office {

Watchdog::Watchdog() : m_thread([this] { watch(); }) {}

Watchdog::~Watchdog()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void Watchdog::setPid(pid_t pid)
{
    {
        std::lock_guard lock(m_mutex);
        m_pid = pid;
    }
    m_changed.notify_all();
}

void Watchdog::arm(std::chrono::milliseconds limit)
{
    {
        std::lock_guard lock(m_mutex);
        m_deadline = std::chrono::steady_clock::now() + limit;
    }
    m_changed.notify_all();
}

void Watchdog::disarm()
{
    {
        std::lock_guard lock(m_mutex);
        m_deadline.reset();
    }
    m_changed.notify_all();
}

void Watchdog::watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_deadline) {
            m_changed.wait(lock);
            continue;
        }
        if (std::chrono::steady_clock::now() >= *m_deadline) {
            // Killed under the lock: whoever reaps the process first takes its pid
            // from us through setPid, so the pid cannot have been reused.
            if (m_pid <= 0) {
                m_changed.wait(lock);
                continue;
            }
            m_fired = true;
            ::kill(m_pid, SIGKILL);
            m_deadline.reset();
            continue;
        }
        m_changed.wait_until(lock, *m_deadline);
    }
}

} // namespace statusmill::office
