#include "WorkFolder.h"

#include "ExitCleanup.h"
#include "Failure.h"
#include "MainThread.h"
#include "PictureFile.h"
#include "PosixFile.h"
#include "ProcessStat.h"
#include "SafeRemoval.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace statusmill::WorkFolder {
namespace {

// First line: the owner's pid and start time; then one line per noted socket.
const QString kOwnerMarker = QStringLiteral(".statusmill-owner");
const QString kFolderPrefix = QStringLiteral("statusmill-");
const QString kFolderPattern = kFolderPrefix + QStringLiteral("??????");

struct Current
{
    QString folder;
    QString note; // the runtime note that leads to it, if one could be made
    int lock = -1; // the marker, held locked for as long as the folder is in use
};

Current& current()
{
    static Current made;
    return made;
}

bool isOurPrivateFolder(const QString& folder)
{
    struct stat info;
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 0777) == 0700;
}

// A process is known by its pid and its start time: a pid alone can be reused.
QByteArray ownerMark(pid_t pid)
{
    const auto stat = readProcessStat(pid);
    return QByteArray::number(pid) + ' ' + (stat ? stat->startTime : QByteArray());
}

QList<QByteArray> markerLines(const QString& folder)
{
    QFile marker(QDir(folder).filePath(kOwnerMarker));
    if (!marker.open(QIODevice::ReadOnly))
        return {};
    return marker.readAll().split('\n');
}

// Whether nobody holds the marker's lock. The lock is seen across PID namespaces,
// where the owner's pid is not: a copy of the program in a container that shares
// TEMP has a pid we cannot see, but its lock we can.
bool markerUnlocked(const QString& folder)
{
    const OpenFile marker(::open(QFile::encodeName(QDir(folder).filePath(kOwnerMarker)).constData(),
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    return marker.isOpen() && ::flock(marker.handle(), LOCK_SH | LOCK_NB) == 0;
}

// Gone only when both say so: its lock is free (a running copy holds it, wherever
// it runs) and its pid names no such process here (a copy of a version that took
// no lock is still running).
bool ownerIsGone(const QString& folder, const QList<QByteArray>& marker)
{
    if (marker.isEmpty())
        return false; // not ours to judge
    const QByteArray& mark = marker.first();
    const pid_t pid = pid_t(mark.left(mark.indexOf(' ')).toLong());
    return pid > 0 && ownerMark(pid) != mark && markerUnlocked(folder);
}

// The folder with the sockets its marker notes: only names that our offices bind,
// whatever else someone may have written there.
void removeWithNotedSockets(const QString& folder, const QList<QByteArray>& marker)
{
    for (const QByteArray& line : marker.mid(1))
        if (!line.isEmpty())
            SafeRemoval::removeOfficeSocket(line.constData());
    SafeRemoval::removeFolder(folder);
}

void removeFolderOfAGoneRun(const QString& folder)
{
    if (!isOurPrivateFolder(folder))
        return;
    const QList<QByteArray> marker = markerLines(folder);
    if (ownerIsGone(folder, marker))
        removeWithNotedSockets(folder, marker);
}

// The user's runtime folder (XDG_RUNTIME_DIR): the same for every TEMP, private
// to the user, and emptied when they log out. Without one, the base folder's sweep
// is all there is.
QString runtimeFolder()
{
    const QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat info;
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder) ||
        ::stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid() || (info.st_mode & 0077) != 0)
        return {};
    return folder;
}

// A link named after the folder and our pid, so that no other run's note is in the way.
void leaveNote(const QString& folder)
{
    const QString notes = runtimeFolder();
    if (notes.isEmpty())
        return;
    const QString note = QDir(notes).filePath(QFileInfo(folder).fileName() + QLatin1Char('.') +
                                              QString::number(::getpid()));
    if (::symlink(QFile::encodeName(folder).constData(), QFile::encodeName(note).constData()) != 0)
        return; // the sweep of the base folder still finds it
    current().note = note;
    ExitCleanup::add(note, ExitCleanup::Kind::Link);
}

void forgetCurrent()
{
    Current& made = current();
    if (made.lock >= 0)
        ::close(made.lock);
    if (!made.note.isEmpty()) {
        QFile::remove(made.note);
        ExitCleanup::forget(made.note);
    }
    if (!made.folder.isEmpty())
        ExitCleanup::forget(made.folder);
    made = Current();
}

Failure cannotMake(const QString& reason)
{
    const QString where = QDir::toNativeSeparators(baseFolder());
    return Failure(qEnvironmentVariableIsEmpty("TEMP")
                       ? QStringLiteral("Cannot make a working folder in %1: %2").arg(where, reason)
                       : QStringLiteral("Cannot make a working folder in %1, the folder TEMP "
                                        "names: %2")
                             .arg(where, reason));
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
    Q_ASSERT(onMainThread());
    // The folder we made may have been removed (a temp cleaner) and made again
    // under the same name by someone else: reuse it only while it is still a real
    // folder of ours that nobody else can enter.
    if (!current().folder.isEmpty() && isOurPrivateFolder(current().folder))
        return current().folder;
    forgetCurrent();

    // mkdtemp makes the folder with mode 0700 and a name nobody can predict.
    QByteArray pattern =
        QFile::encodeName(QDir(baseFolder()).filePath(kFolderPrefix + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(pattern.data()))
        throw cannotMake(QString::fromLocal8Bit(std::strerror(errno)));
    const QString made = QFile::decodeName(pattern);
    // Locked from the start to the end of the run; the lock goes with the process.
    const int marker = ::open(QFile::encodeName(QDir(made).filePath(kOwnerMarker)).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    const QByteArray mark = ownerMark(::getpid()) + '\n';
    if (marker < 0 || ::flock(marker, LOCK_EX | LOCK_NB) != 0 ||
        ::write(marker, mark.constData(), size_t(mark.size())) != mark.size()) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        if (marker >= 0)
            ::close(marker);
        SafeRemoval::removeFolder(made);
        throw cannotMake(reason);
    }
    current().folder = made;
    current().lock = marker;
    ExitCleanup::add(made, ExitCleanup::Kind::Folder);
    leaveNote(made);
    return made;
}

QString file(const QString& name)
{
    return QDir::toNativeSeparators(QDir(path()).filePath(name));
}

void remove()
{
    Q_ASSERT(onMainThread());
    // A picture still being written would land in the folder as it goes.
    abandonPictureWrites();
    const QString folder = current().folder;
    if (!folder.isEmpty() && isOurPrivateFolder(folder))
        removeWithNotedSockets(folder, markerLines(folder));
    forgetCurrent();
}

void noteOutsideFile(const QString& path)
{
    // Offices of a batch's jobs are launched from their own threads, into the
    // folder the main thread made.
    static std::mutex writing;
    const std::lock_guard lock(writing);
    const QString folder = current().folder;
    QFile marker(QDir(folder).filePath(kOwnerMarker));
    if (!folder.isEmpty() && marker.open(QIODevice::WriteOnly | QIODevice::Append))
        marker.write(QFile::encodeName(path) + '\n');
    ExitCleanup::add(path, ExitCleanup::Kind::Socket);
}

void forgetOutsideFile(const QString& path)
{
    ExitCleanup::forget(path);
}

void removeLeftovers()
{
    const QDir base(baseFolder());
    const QStringList names =
        base.entryList({kFolderPattern}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QString folder = base.filePath(name);
        if (folder != current().folder)
            removeFolderOfAGoneRun(folder);
    }

    // Notes of runs with another TEMP. A note whose folder has gone goes too.
    const QString notes = runtimeFolder();
    if (notes.isEmpty())
        return;
    const QDir noteFolder(notes);
    const QStringList noteNames = noteFolder.entryList(
        {kFolderPattern + QStringLiteral(".*")}, QDir::AllEntries | QDir::System | QDir::Hidden);
    for (const QString& name : noteNames) {
        const QString note = noteFolder.filePath(name);
        const QFileInfo link(note);
        const QString folder = link.symLinkTarget();
        if (note == current().note || !link.isSymLink() || folder.isEmpty())
            continue;
        removeFolderOfAGoneRun(folder);
        if (!QFileInfo::exists(folder))
            QFile::remove(note);
    }
}

} // namespace statusmill::WorkFolder
