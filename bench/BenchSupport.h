#pragma once

// Timing helpers shared by the benchmark programs.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <unistd.h>

namespace statusmill::bench {

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs offscreen unless QT_QPA_PLATFORM says otherwise, with settings, caches and
// working files in `scratch`, so a benchmark never touches the user's own.
inline void keepToScratch(const QTemporaryDir& scratch)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("config"))));
    qputenv("TEMP", QFile::encodeName(scratch.path()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("cache"))));
}

// The median of `repetitions` runs of `work`, in milliseconds.
inline double medianMs(int repetitions, const std::function<void()>& work)
{
    std::vector<double> runs;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        runs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return median(runs);
}

// VmHWM of this process, in kB.
inline long peakResidentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// VmRSS of a process, in kB.
inline long residentKilobytes(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// The soffice.bin processes `parent` started that still run.
inline QList<pid_t> officesOf(pid_t parent)
{
    QList<pid_t> found;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const pid_t pid = entry.toInt(&isPid);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!isPid || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (line.contains("(soffice.bin)") && rest.size() > 1 && rest[0] != "Z" &&
            rest[1].toInt() == parent)
            found << pid;
    }
    return found;
}

// The soffice.bin processes this process started that still run.
inline QList<pid_t> officeChildren()
{
    return officesOf(::getpid());
}

// One-shot `soffice --headless --convert-to doc` of `source`, with a profile of its own.
inline void oneShotConversion(const QString& source, const QString& outputFolder)
{
    QTemporaryDir profile;
    QProcess office;
    office.setStandardOutputFile(QProcess::nullDevice());
    office.setStandardErrorFile(QProcess::nullDevice());
    office.start(QStringLiteral("soffice"),
                 {QStringLiteral("-env:UserInstallation=file://") + profile.path(),
                  QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                  QStringLiteral("doc"), QStringLiteral("--outdir"), outputFolder, source});
    office.waitForFinished(120000);
}

// The resident memory of a run of the program and of each office it started.
inline QString memoryOf(pid_t pid)
{
    QStringList parts{QStringLiteral("statusmill %1").arg(residentKilobytes(pid) / 1024)};
    for (pid_t office : officesOf(pid))
        parts << QStringLiteral("office %1").arg(residentKilobytes(office) / 1024);
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" MB");
}

// Follows a batch run with --verbose to its end: when each report was made, in
// milliseconds from the start; `everyHundred` is told the count at each hundred.
inline std::vector<double> followBatch(QProcess& batch, const std::function<void(size_t)>& everyHundred)
{
    batch.setReadChannel(QProcess::StandardError);
    QElapsedTimer clock;
    clock.start();
    std::vector<double> madeAt;
    while (batch.state() == QProcess::Running || batch.canReadLine()) {
        if (!batch.canReadLine() && !batch.waitForReadyRead(1000))
            continue;
        while (batch.canReadLine()) {
            if (!batch.readLine().contains(" made "))
                continue;
            madeAt.push_back(double(clock.nsecsElapsed()) / 1e6);
            if (madeAt.size() % 100 == 0)
                everyHundred(madeAt.size());
        }
    }
    return madeAt;
}

// The median time between reports `from` to `to` of a batch followed.
inline double medianGapMs(const std::vector<double>& madeAt, size_t from, size_t to)
{
    std::vector<double> gaps;
    for (size_t i = from + 1; i < to && i < madeAt.size(); ++i)
        gaps.push_back(madeAt[i] - madeAt[i - 1]);
    return gaps.empty() ? 0.0 : median(gaps);
}

// A batch of a thousand reports of `table` in `folder` with 2 jobs: every
// process's memory after each hundred, and the median time between reports of
// the first and of the last hundred, said as `what`.
inline void longBatch(const QString& program, const QString& folder, const QString& table, const char* what)
{
    QProcess batch;
    batch.setWorkingDirectory(folder);
    batch.start(program, {"--batch", table, "--output-dir", "long", "--jobs", "2", "--verbose"});
    batch.waitForStarted();
    const std::vector<double> madeAt = followBatch(batch, [&](size_t made) {
        std::printf("  after %4zu reports: %s\n", made, qPrintable(memoryOf(pid_t(batch.processId()))));
        std::fflush(stdout);
    });
    const double first = medianGapMs(madeAt, 0, 100);
    const double last = madeAt.size() >= 100 ? medianGapMs(madeAt, madeAt.size() - 100, madeAt.size()) : 0.0;
    std::printf("1,000 %s: %zu made in %.1f s; median between reports, first hundred %.1f ms, "
                "last hundred %.1f ms = %.2f x (target <= 1.1 x)\n",
                what, madeAt.size(), madeAt.empty() ? 0.0 : madeAt.back() / 1000, first, last,
                first > 0 ? last / first : 0.0);
}

} // namespace statusmill::bench
