#include "Watchdog.h"

#include "OfficeProcess.h"
#include "core/ProcessStat.h"
#include "core/Threads.h"

namespace statusmill::office {
namespace {

std::chrono::milliseconds cpuTimeOf(pid_t pid)
{
    const auto stat = readProcessStat(pid);
    return stat ? stat->cpuTime : std::chrono::milliseconds(0);
}

} // namespace

bool stillAtWork(std::chrono::milliseconds cpu, std::chrono::milliseconds wall,
                 std::chrono::milliseconds sinceArmed, std::chrono::milliseconds limit)
{
    return wall.count() > 0 && cpu * 2 >= wall && sinceArmed < limit * 10;
}

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
        m_armedAt = m_lookedAt = std::chrono::steady_clock::now();
        m_cpuAtLook = cpuTimeOf(m_process.pid());
        m_deadline = m_armedAt + limit;
    }
    m_changed.notify_all();
}

void Watchdog::stillWorking()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_deadline)
            return;
        m_lookedAt = std::chrono::steady_clock::now();
        m_cpuAtLook = cpuTimeOf(m_process.pid());
        m_deadline = m_lookedAt + m_limit;
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
        const auto now = std::chrono::steady_clock::now();
        if (now >= *m_deadline) {
            using std::chrono::duration_cast;
            using std::chrono::milliseconds;
            const milliseconds cpu = cpuTimeOf(m_process.pid());
            if (stillAtWork(cpu - m_cpuAtLook, duration_cast<milliseconds>(now - m_lookedAt),
                            duration_cast<milliseconds>(now - m_armedAt), m_limit)) {
                m_lookedAt = now;
                m_cpuAtLook = cpu;
                m_deadline = now + m_limit;
                continue;
            }
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
