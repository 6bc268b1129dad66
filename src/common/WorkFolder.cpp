#include "WorkFolder.h"

#include "Failure.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace statusmill::WorkFolder {
namespace {

const QString kOwnerMarker = QStringLiteral(".statusmill-owner");
const QString kOutsideFiles = QStringLiteral(".statusmill-outside");
const QString kFolderPrefix = QStringLiteral("statusmill-");

QString& current()
{
    static QString folder;
    return folder;
}

// A copy of current() for removeFromAnyThread(), which may run while the main
// thread is somewhere inside path() or remove().
std::mutex g_anyThreadMutex;
QString g_anyThreadCopy;

void setCurrent(const QString& folder)
{
    current() = folder;
    std::lock_guard lock(g_anyThreadMutex);
    g_anyThreadCopy = folder;
}

bool isOurPrivateFolder(const QString& folder)
{
    struct stat info;
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 0777) == 0700;
}

// A process is known by its pid and its start time: a pid alone can be reused.
QByteArray startTimeOf(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    // "pid (comm) state ppid ..."; the name may hold anything, so count from its end.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 19 ? fields[19] : QByteArray();
}

QByteArray ownerMark(pid_t pid)
{
    return QByteArray::number(pid) + ' ' + startTimeOf(pid) + '\n';
}

bool ownerIsGone(const QString& folder)
{
    QFile marker(QDir(folder).filePath(kOwnerMarker));
    if (!marker.open(QIODevice::ReadOnly))
        return false; // not ours to judge
    const QByteArray mark = marker.read(64);
    const pid_t pid = pid_t(mark.left(mark.indexOf(' ')).toLong());
    return pid > 0 && ownerMark(pid) != mark;
}

void removeSocketsOfOurs(const QString& listFile)
{
    QFile list(listFile);
    if (!list.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : list.readAll().split('\n')) {
        struct stat info;
        if (!line.isEmpty() && ::lstat(line.constData(), &info) == 0 && S_ISSOCK(info.st_mode) &&
            info.st_uid == ::getuid())
            ::unlink(line.constData());
    }
}

void removeFolder(const QString& folder)
{
    removeSocketsOfOurs(QDir(folder).filePath(kOutsideFiles));
    QDir(folder).removeRecursively();
}

} // namespace

QString baseFolder()
{
    const QString temp = qEnvironmentVariable("TEMP");
    // Absolute at once: the office gets it as a URL, and the program's current
    // folder may change later.
    return QDir(temp.isEmpty() ? QDir::tempPath() : temp).absolutePath();
}

QString path()
{
    QString& folder = current();
    // The folder we made may have been removed (a temp cleaner) and made again
    // under the same name by someone else: reuse it only while it is still a real
    // folder of ours that nobody else can enter.
    if (!folder.isEmpty() && isOurPrivateFolder(folder))
        return folder;

    // mkdtemp makes the folder with mode 0700 and a name nobody can predict.
    QByteArray pattern =
        QFile::encodeName(QDir(baseFolder()).filePath(kFolderPrefix + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(pattern.data()))
        throw Failure(QStringLiteral("Cannot make a working folder in %1: %2")
                          .arg(QDir::toNativeSeparators(baseFolder()),
                               QString::fromLocal8Bit(std::strerror(errno))));
    const QString made = QFile::decodeName(pattern);
    QFile marker(QDir(made).filePath(kOwnerMarker));
    if (!marker.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        marker.write(ownerMark(::getpid())) <= 0) {
        QDir(made).removeRecursively();
        throw Failure(QStringLiteral("Cannot make a working folder in %1: %2")
                          .arg(QDir::toNativeSeparators(baseFolder()), marker.errorString()));
    }
    setCurrent(made);
    return made;
}

QString file(const QString& name)
{
    return QDir::toNativeSeparators(QDir(path()).filePath(name));
}

void remove()
{
    const QString folder = current();
    if (!folder.isEmpty())
        removeFolder(folder);
    setCurrent(QString());
}

void removeFromAnyThread()
{
    std::lock_guard lock(g_anyThreadMutex);
    if (!g_anyThreadCopy.isEmpty())
        removeFolder(g_anyThreadCopy);
}

void noteOutsideFile(const QString& path)
{
    QFile list(WorkFolder::file(kOutsideFiles));
    if (list.open(QIODevice::WriteOnly | QIODevice::Append))
        list.write(QFile::encodeName(path) + '\n');
}

void removeLeftovers()
{
    const QDir base(baseFolder());
    const QStringList names = base.entryList({kFolderPrefix + QStringLiteral("??????")},
                                             QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString folder = base.filePath(name);
        if (folder != current() && isOurPrivateFolder(folder) && ownerIsGone(folder))
            removeFolder(folder);
    }
}

} // namespace statusmill::WorkFolder
