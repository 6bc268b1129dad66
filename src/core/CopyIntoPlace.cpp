#include "CopyIntoPlace.h"

#include "core/Failure.h"
#include "core/PosixFile.h"

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

QString kindOfNonFile(mode_t mode)
{
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    return QStringLiteral("not a regular file");
}

// The rule the system applies to links in world-writable sticky folders: followed
// only when the link's owner is the one who follows it or owns the folder.
bool isForeignLinkInSharedFolder(const QString& link, const struct stat& linkInfo)
{
    struct stat folder;
    if (::stat(QFile::encodeName(QFileInfo(link).absolutePath()).constData(), &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return shared && linkInfo.st_uid != ::geteuid() && linkInfo.st_uid != folder.st_uid;
}

} // namespace

std::optional<QString> reasonNotToSaveOver(const QString& target)
{
    const QString named = QFileInfo(target).absoluteFilePath();
    QString current = named;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info;
        if (::lstat(QFile::encodeName(current).constData(), &info) != 0)
            return std::nullopt; // nothing there yet: a new file
        if (!S_ISLNK(info.st_mode)) {
            if (S_ISREG(info.st_mode))
                return std::nullopt;
            return current == named
                       ? QStringLiteral("it is %1, not a file").arg(kindOfNonFile(info.st_mode))
                       : QStringLiteral("it leads to %1, %2, not a file")
                             .arg(current, kindOfNonFile(info.st_mode));
        }
        if (isForeignLinkInSharedFolder(current, info))
            return QStringLiteral("%1 is a link another user made in a shared folder, and it "
                                  "may lead to a file that is not yours")
                .arg(current);
        const QString next = QFileInfo(current).symLinkTarget();
        if (next.isEmpty())
            return std::nullopt;
        current = next;
    }
    return std::nullopt; // a loop: the copy fails and says so
}

std::optional<QString> finalLinkTarget(const QString& path)
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
    return std::nullopt;
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
        if (written == 0)
            errno = EIO;
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
    if (!replaceContents(file.handle(), old))
        throw Failure(QStringLiteral("Cannot write %1: %2. Its old contents could not be put back "
                                     "either (%3), so it may now be incomplete.")
                          .arg(target, reason, systemReason(errno)));
    throw Failure(QStringLiteral("Cannot write %1: %2").arg(target, reason));
}

} // namespace

void copyFileIntoPlace(const QString& source, const QString& target, bool replaceExisting)
{
    if (const auto reason = reasonNotToSaveOver(target))
        throw Failure(QStringLiteral("Cannot write %1: %2.").arg(target, *reason));
    const QByteArray bytes = readWhole(source);
    // Over a link, the file it points to takes the copy and the link stays a link.
    const std::optional<QString> landing = finalLinkTarget(target);
    if (!landing)
        throw Failure(QStringLiteral("Cannot write %1: %2").arg(target, systemReason(ELOOP)));
    const QString& destination = *landing;

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
    // Written directly, so that a full disk is said in the system's words: the
    // buffered write of QFile loses them.
    if (!writeAllAt(int(out.handle()), bytes))
        throw writeFailed(systemReason(errno));
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
    // Something other than a file may have taken the name meanwhile.
    struct stat there;
    if (::lstat(to.constData(), &there) == 0 && !S_ISREG(there.st_mode))
        throw writeFailed(QStringLiteral("it is %1, not a file").arg(kindOfNonFile(there.st_mode)));
    const int result = replaceExisting ? ::rename(from.constData(), to.constData())
                                       : renameWithoutReplacing(from, to);
    if (result != 0)
        throw writeFailed(systemReason(errno));
    out.setAutoRemove(false);
}

} // namespace statusmill
