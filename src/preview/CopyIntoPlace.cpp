#include "CopyIntoPlace.h"

#include "common/Failure.h"

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

void copyFileIntoPlace(const QString& source, const QString& target, bool replaceExisting)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));

    const QString folder = QFileInfo(target).absolutePath();
    QTemporaryFile out(QDir(folder).filePath(QStringLiteral(".statusmill-copy-XXXXXX")));
    if (!out.open())
        throw Failure(QStringLiteral("Cannot create a file in %1: %2")
                          .arg(QDir::toNativeSeparators(folder), out.errorString()));

    auto writeFailed = [&](const QString& reason) {
        return Failure(QStringLiteral("Cannot write %1: %2").arg(target, reason));
    };
    QByteArray chunk;
    while (!in.atEnd()) {
        chunk = in.read(1 << 16);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            throw Failure(QStringLiteral("Cannot read %1: %2").arg(source, in.errorString()));
        if (out.write(chunk) != chunk.size())
            throw writeFailed(out.errorString());
    }
    if (!out.flush())
        throw writeFailed(out.errorString());
    // On disk before it takes the name, so a crash cannot swap the old file for an empty one.
    if (::fsync(out.handle()) != 0)
        throw writeFailed(systemReason(errno));
    // Through a link, the file the user sees replaced is the one it points to.
    struct stat old;
    if (replaceExisting && ::stat(QFile::encodeName(target).constData(), &old) == 0 &&
        S_ISREG(old.st_mode))
        keepPermissionsOf(old, out.handle());
    else
        giveUsualPermissions(out.handle());
    out.close();

    const QByteArray from = QFile::encodeName(out.fileName());
    const QByteArray to = QFile::encodeName(target);
    const int result = replaceExisting ? ::rename(from.constData(), to.constData())
                                       : renameWithoutReplacing(from, to);
    if (result != 0)
        throw writeFailed(systemReason(errno));
    out.setAutoRemove(false);
}

} // namespace statusmill
