#pragma once

#include <QByteArray>

#include <chrono>
#include <optional>
#include <sys/types.h>

namespace statusmill {

// What /proc/<pid>/stat says of a process: its state letter ('R', 'S', 'T' for
// stopped, 'Z' for a zombie...), its parent, its start time (clock ticks since
// boot, as text) and the processor time it has used. A pid alone can be reused; a
// pid with its start time names one process.
struct ProcessStat
{
    char state = '\0';
    pid_t parent = 0;
    QByteArray name;
    QByteArray startTime;
    // In user and system mode together.
    std::chrono::milliseconds cpuTime{0};
};

// Nothing when there is no such process, or none this process can see.
std::optional<ProcessStat> readProcessStat(pid_t pid);

} // namespace statusmill
