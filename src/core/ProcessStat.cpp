#include "ProcessStat.h"

#include <QFile>
#include <QList>

#include <unistd.h>

namespace statusmill {

std::optional<ProcessStat> readProcessStat(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // "pid (name) state ppid ...": the name may hold anything, spaces and ')'
    // among them, so the fields are counted from its last ')'.
    const QByteArray line = file.readAll();
    const qsizetype open = line.indexOf('(');
    const qsizetype close = line.lastIndexOf(')');
    if (open < 0 || close < open)
        return std::nullopt;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    if (fields.size() < 20 || fields[0].isEmpty())
        return std::nullopt;
    ProcessStat stat;
    stat.name = line.mid(open + 1, close - open - 1);
    stat.state = fields[0].at(0);
    stat.parent = pid_t(fields[1].toLong());
    stat.startTime = fields[19];
    static const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    const long long ticks = fields[11].toLongLong() + fields[12].toLongLong();
    stat.cpuTime = std::chrono::milliseconds(ticksPerSecond > 0 ? ticks * 1000 / ticksPerSecond : 0);
    return stat;
}

} // namespace statusmill
