#include "CopyIntoPlace.h"

#include "common/Failure.h"
#include "common/PosixFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace statusmill {

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A new file gets the permissions any newly created file would get here.
void giveUsualPermissions(int handle)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(handle, 0666 & ~mask);
}

// A replacement must not open up a file its owner had kept private, so it takes
// over the old file's owner, group and rights as far as we may give them. A group
// we cannot give keeps no rights: they were meant for that group, not for ours.
void keepPermissionsOf(const struct stat& old, int handle)
{
    const bool groupKept = ::fchown(handle, old.st_uid, old.st_gid) == 0 ||
                           ::fchown(handle, static_cast<uid_t>(-1), old.st_gid) == 0;
    mode_t mode = old.st_mode & 0777;
    if (!groupKept)
        mode &= ~mode_t(0070);
    ::fchmod(handle, mode);
}

int renameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system that cannot refuse atomically: check, then move.
    struct stat info;
    if (::lstat(to.constData(), &info) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.constData(), to.constData());
}

} // namespace

QString finalLinkTarget(const QString& path)
{
    QString current = QFileInfo(path).absoluteFilePath();
    // As many hops as the system itself would follow before giving up.
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        const QString next = info.symLinkTarget();
        if (next.isEmpty())
            return current;
        current = next;
    }
    throw Failure(QStringLiteral("Cannot write %1: %2").arg(path, systemReason(ELOOP)));
}

namespace {

QByteArray readWhole(const QString& source)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
    QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        throw Failure(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
    return bytes;
}

bool writeAllAt(int handle, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written =
            ::pwrite(handle, bytes.constData() + done, size_t(bytes.size() - done), off_t(done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

bool replaceContents(int handle, const QByteArray& bytes)
{
    return writeAllAt(handle, bytes) && ::ftruncate(handle, off_t(bytes.size())) == 0 &&
           ::fsync(handle) == 0;
}

// Where no new file can be made beside the target (a folder the user may not write
// to, holding a file they may), the old file is written over where it stands. Its
// bytes are kept until the new ones are on disk and put back should the write fail,
// so the old report is still never lost.
void overwriteInPlace(const QByteArray& bytes, const QString& destination, const QString& target)
{
    const OpenFile file(
        ::open(QFile::encodeName(destination).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (!file.isOpen())
        throw Failure(QStringLiteral("Cannot write %1: %2").arg(target, systemReason(errno)));

    struct stat info;
    if (::fstat(file.handle(), &info) != 0 || !S_ISREG(info.st_mode))
        throw Failure(QStringLiteral("Cannot write %1: not a regular file").arg(target));
    QByteArray old(qsizetype(info.st_size), Qt::Uninitialized);
    const qsizetype got = readUpTo(file.handle(), old.data(), old.size());
    if (got != old.size())
        throw Failure(QStringLiteral("Cannot write %1: its old contents could not be kept (%2)")
                          .arg(target, systemReason(got < 0 ? errno : EIO)));

    if (replaceContents(file.handle(), bytes))
        return;
    const QString reason = systemReason(errno);
    replaceContents(file.handle(), old);
    throw Failure(QStringLiteral("Cannot write %1: %2").arg(target, reason));
}

} // namespace

void copyFileIntoPlace(const QString& source, const QString& target, bool replaceExisting)
{
    const QByteArray bytes = readWhole(source);
    // Over a link, the file it points to takes the copy and the link stays a link.
    const QString destination = finalLinkTarget(target);

    const QString folder = QFileInfo(destination).absolutePath();
    QTemporaryFile out(QDir(folder).filePath(QStringLiteral(".statusmill-copy-XXXXXX")));
    if (!out.open()) {
        struct stat old;
        if (replaceExisting && ::stat(QFile::encodeName(destination).constData(), &old) == 0 &&
            S_ISREG(old.st_mode)) {
            overwriteInPlace(bytes, destination, target);
            return;
        }
        throw Failure(QStringLiteral("Cannot create a file in %1: %2")
                          .arg(QDir::toNativeSeparators(folder), out.errorString()));
    }

    auto writeFailed = [&](const QString& reason) {
        return Failure(QStringLiteral("Cannot write %1: %2").arg(target, reason));
    };
    if (out.write(bytes) != bytes.size() || !out.flush())
        throw writeFailed(out.errorString());
    // On disk before it takes the name, so a crash cannot swap the old file for an empty one.
    if (::fsync(out.handle()) != 0)
        throw writeFailed(systemReason(errno));
    struct stat old;
    if (replaceExisting && ::stat(QFile::encodeName(destination).constData(), &old) == 0 &&
        S_ISREG(old.st_mode))
        keepPermissionsOf(old, out.handle());
    else
        giveUsualPermissions(out.handle());
    out.close();

    const QByteArray from = QFile::encodeName(out.fileName());
    const QByteArray to = QFile::encodeName(destination);
    const int result = replaceExisting ? ::rename(from.constData(), to.constData())
                                       : renameWithoutReplacing(from, to);
    if (result != 0)
        throw writeFailed(systemReason(errno));
    out.setAutoRemove(false);
}

} // namespace statusmill
