#pragma once

// Timing helpers shared by the benchmark programs.

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <vector>

namespace statusmill::bench {

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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

} // namespace statusmill::bench
