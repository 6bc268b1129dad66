#pragma once

// Which soffice.bin processes this test program started: children of ours, so a
// test never mistakes another program's office for one of its own.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <unistd.h>

namespace statusmill::testing {

// The soffice.bin processes that are children of `parent`.
inline QList<pid_t> officeProcessesOf(pid_t parent)
{
    QList<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool isPid = false;
        const pid_t pid = entry.toInt(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // "pid (comm) state ppid ...": the name may hold spaces, so split at the last ')'.
        const qsizetype close = line.lastIndexOf(')');
        const QByteArray name = line.mid(line.indexOf('(') + 1, close - line.indexOf('(') - 1);
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (name == "soffice.bin" && rest.size() > 1 && rest[1].toInt() == parent && rest[0] != "Z")
            found << pid;
    }
    return found;
}

// The sockets of the offices of the program `pid`, with its working folders in
// `temp`: those its working folders' markers name (every socket an office of ours
// is given, or binds, is noted there), and those named after its pipes. Other
// programs' offices of the same user, another LibreOffice among them, are none of
// them.
inline QStringList officeSocketsOf(pid_t pid, const QString& temp)
{
    QStringList found;
    const QString pattern = QStringLiteral("OSL_PIPE_%1_statusmill-%2-*").arg(::getuid()).arg(pid);
    for (const QString& folder : {QStringLiteral("/tmp"), QStringLiteral("/var/tmp")})
        for (const QString& name : QDir(folder).entryList({pattern}, QDir::System))
            found << QDir(folder).filePath(name);
    const QDir base(temp);
    for (const QString& work : base.entryList({QStringLiteral("statusmill-*")}, QDir::Dirs)) {
        QFile marker(base.filePath(work + QStringLiteral("/.statusmill-owner")));
        if (!marker.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : marker.readAll().split('\n').mid(1))
            if (!line.isEmpty() && !found.contains(QFile::decodeName(line)))
                found << QFile::decodeName(line);
    }
    return found;
}

// Those of the files that are still there.
inline QStringList stillThere(const QStringList& files)
{
    QStringList there;
    for (const QString& file : files)
        if (QFileInfo::exists(file) || QFileInfo(file).isSymLink())
            there << file;
    return there;
}

// Office processes whose profile lies in `folder`, whoever their parent is now.
inline QList<pid_t> officesWorkingIn(const QString& folder)
{
    QList<pid_t> found;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (commandLine.open(QIODevice::ReadOnly) &&
            commandLine.readAll().contains(QFile::encodeName(folder)))
            found << pid_t(entry.toInt());
    }
    return found;
}

inline QList<pid_t> ourOfficeProcesses()
{
    return officeProcessesOf(::getpid());
}

// Whether any of these processes is still there (a zombie counts as gone).
inline bool anyStillRuns(const QList<pid_t>& processes)
{
    for (pid_t pid : processes) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (stat.open(QIODevice::ReadOnly) && !stat.readAll().contains(") Z "))
            return true;
    }
    return false;
}

} // namespace statusmill::testing
