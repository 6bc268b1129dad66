#include "Watchdog.h"

#include "OfficeProcess.h"
#include "core/Threads.h"

namespace statusmill::office {

Watchdog::Watchdog(OfficeProcess& process)
    : m_process(process), m_thread(startThread([this] { watch(); }))
{}

Watchdog::~Watchdog()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void Watchdog::arm(std::chrono::milliseconds limit)
{
    {
        std::lock_guard lock(m_mutex);
        m_limit = limit;
        m_deadline = std::chrono::steady_clock::now() + limit;
    }
    m_changed.notify_all();
}

void Watchdog::stillWorking()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_deadline)
            return;
        m_deadline = std::chrono::steady_clock::now() + m_limit;
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
            // Under the lock, so that disarm() returning means no kill follows.
            m_fired = true;
            m_process.killNow();
            m_deadline.reset();
            continue;
        }
        m_changed.wait_until(lock, *m_deadline);
    }
}

} // namespace statusmill::office
