#include "KeptProfile.h"

#include "ProfileCopy.h"
#include "core/PosixFile.h"
#include "core/Product.h"
#include "core/Random.h"
#include "core/SafeRemoval.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace statusmill::office::KeptProfile {
namespace {

// Beside the profile's own "user" folder; the office leaves other files alone.
const QByteArray kStampFile = "statusmill-build";
const QByteArray kProfileName = "office-profile";
constexpr qint64 kLongestStamp = 4096;

QString cacheFolder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/statusmill");
}

// What tells one LibreOffice build from another: the program's own file, and the
// build named in the installation's version file beside it.
QByteArray buildOf(const QString& program)
{
    struct stat info;
    if (::stat(QFile::encodeName(program).constData(), &info) != 0)
        return {};
    QByteArray stamp = QFile::encodeName(program) + ' ' + QByteArray::number(qint64(info.st_size)) +
                       ' ' + QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
                       QByteArray::number(qint64(info.st_mtim.tv_nsec));
    QFile version(QFileInfo(program).absolutePath() + QStringLiteral("/versionrc"));
    if (version.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : version.readAll().split('\n'))
            if (line.startsWith("buildid="))
                stamp += ' ' + line.trimmed();
    }
    return stamp;
}

// The stamp: the build on the first line, then what the profile holds.
QByteArray stampFor(const QByteArray& build, const ProfileContents& contents)
{
    return build + '\n' + QByteArray::number(contents.entries) + ' ' +
           QByteArray::number(contents.bytes) + '\n';
}

std::optional<ProfileContents> contentsIn(const QByteArray& stamp, const QByteArray& build)
{
    const QList<QByteArray> lines = stamp.split('\n');
    if (lines.size() < 2 || lines[0] != build)
        return std::nullopt;
    const QList<QByteArray> numbers = lines[1].split(' ');
    bool entriesRead = false, bytesRead = false;
    ProfileContents contents;
    if (numbers.size() == 2) {
        contents.entries = numbers[0].toLongLong(&entriesRead);
        contents.bytes = numbers[1].toLongLong(&bytesRead);
    }
    return entriesRead && bytesRead ? std::optional(contents) : std::nullopt;
}

QByteArray stampIn(int profile)
{
    const OpenFile file(
        ::openat(profile, kStampFile.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info;
    if (!file.isOpen() || ::fstat(file.handle(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    QByteArray stamp(kLongestStamp, Qt::Uninitialized);
    const qsizetype got = readUpTo(file.handle(), stamp.data(), stamp.size());
    stamp.truncate(std::max<qsizetype>(got, 0));
    return stamp;
}

// The one line a start says when it cannot trust the kept profile.
void tellWhy(const QString& reason)
{
    const QString line =
        QStringLiteral("%1: the kept office profile %2 is not used, %3; a new one is made.\n")
            .arg(QString::fromLatin1(kProductName).toLower(), folder(), reason);
    std::fputs(line.toLocal8Bit().constData(), stderr);
}

// The cache folder, open, while it is ours and nobody else may write to it. One of
// ours that others may write to gets its rights put right, and what it holds is
// not trusted (`changedByOthers`). `make`: made (for us alone) when it is missing.
// `refusal` is told why a folder that is there is not taken.
std::optional<int> openCache(bool make, bool* changedByOthers = nullptr,
                             QString* refusal = nullptr)
{
    const QString path = cacheFolder();
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray name = QFile::encodeName(path);
    if (make && QDir().mkpath(QFileInfo(path).absolutePath()))
        ::mkdir(name.constData(), 0700);
    const int cache = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (cache < 0) {
        if (errno == ELOOP && refusal)
            *refusal = QStringLiteral("as %1 is a symbolic link").arg(path);
        return std::nullopt;
    }
    struct stat info;
    if (::fstat(cache, &info) != 0 || info.st_uid != ::getuid()) {
        ::close(cache);
        if (refusal)
            *refusal = QStringLiteral("as %1 belongs to another user").arg(path);
        return std::nullopt;
    }
    if (info.st_mode & (S_IWGRP | S_IWOTH)) {
        ::fchmod(cache, info.st_mode & 0755);
        if (changedByOthers)
            *changedByOthers = true;
    }
    return cache;
}

QString besideIt(const char* what)
{
    return QStringLiteral(".%1-%2").arg(QLatin1String(what), Random::uniqueSuffix());
}

// Moves what has the kept profile's name aside in one step, whatever it is (a link
// is moved as a link), and removes it without following anything.
void moveAsideIn(int cache)
{
    const QString aside = besideIt("old");
    if (::renameat(cache, kProfileName.constData(), cache, QFile::encodeName(aside).constData()) ==
        0)
        SafeRemoval::removeFolder(cacheFolder() + QLatin1Char('/') + aside);
}

} // namespace

QString folder()
{
    const QString cache = cacheFolder();
    return cache.isEmpty() ? QString() : cache + QLatin1Char('/') + QFile::decodeName(kProfileName);
}

bool copyTo(const QString& program, const QString& to)
{
    const QByteArray build = buildOf(program);
    bool changedByOthers = false;
    QString refusal;
    const auto cache =
        build.isEmpty() ? std::nullopt : openCache(false, &changedByOthers, &refusal);
    if (!cache) {
        if (!refusal.isEmpty())
            tellWhy(refusal);
        return false;
    }
    const OpenFile cacheFd(*cache);
    struct stat info;
    if (::fstatat(cacheFd.handle(), kProfileName.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    try {
        if (changedByOthers)
            throw UntrustedProfile(QStringLiteral("as others could write to its folder"));
        if (S_ISLNK(info.st_mode))
            throw UntrustedProfile(QStringLiteral("as it is a symbolic link"));
        const OpenFile kept(::openat(cacheFd.handle(), kProfileName.constData(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat opened;
        if (!kept.isOpen() || ::fstat(kept.handle(), &opened) != 0)
            throw UntrustedProfile(QStringLiteral("as it is not a folder"));
        if (opened.st_uid != ::getuid())
            throw UntrustedProfile(QStringLiteral("as it belongs to another user"));
        if (opened.st_mode & (S_IWGRP | S_IWOTH))
            throw UntrustedProfile(QStringLiteral("as others may write to it"));
        const auto expected = contentsIn(stampIn(kept.handle()), build);
        if (!expected) {
            // Another build's, or an older kind of stamp: replaced without a word.
            moveAsideIn(cacheFd.handle());
            return false;
        }
        const ProfileContents copied = copyProfileTree(
            kept.handle(), AT_FDCWD, QFile::encodeName(to),
            {.ownedByUsOnly = true, .leftOut = {QFile::decodeName(kStampFile)}});
        // Fewer files than were kept: it was being set aside while it was read.
        if (copied != *expected)
            throw UntrustedProfile(QStringLiteral("as it is incomplete"));
        return true;
    } catch (const UntrustedProfile& refusal) {
        SafeRemoval::removeFolder(to);
        tellWhy(refusal.description().startsWith(QLatin1String("as "))
                    ? refusal.description()
                    : QStringLiteral("as %1").arg(refusal.description()));
        moveAsideIn(cacheFd.handle());
        return false;
    } catch (const Failure&) {
        SafeRemoval::removeFolder(to);
        return false;
    }
}

void keep(const QString& program, const QString& profile)
{
    const QByteArray build = buildOf(program);
    const auto cache = build.isEmpty() ? std::nullopt : openCache(true);
    if (!cache)
        return;
    const OpenFile cacheFd(*cache);
    {
        const OpenFile kept(::openat(cacheFd.handle(), kProfileName.constData(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (kept.isOpen() && contentsIn(stampIn(kept.handle()), build))
            return;
    }
    const QByteArray fresh = QFile::encodeName(besideIt("new"));
    const QString freshPath = cacheFolder() + QLatin1Char('/') + QFile::decodeName(fresh);
    try {
        const OpenFile made(::open(QFile::encodeName(profile).constData(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!made.isOpen())
            return;
        const ProfileContents contents = copyProfileTree(made.handle(), cacheFd.handle(), fresh,
                                                         {.leftOut = {QStringLiteral("tmp")}});
        const QByteArray stamp = stampFor(build, contents);
        const OpenFile stampFile(::open(
            QFile::encodeName(freshPath + QLatin1Char('/') + QFile::decodeName(kStampFile))
                .constData(),
            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!stampFile.isOpen() ||
            ::write(stampFile.handle(), stamp.constData(), size_t(stamp.size())) != stamp.size())
            throw Failure(QStringLiteral("The stamp could not be written."));
    } catch (const Failure&) {
        SafeRemoval::removeFolder(freshPath);
        return;
    }
    // A stale one goes first; then the new one takes the name, unless a copy of the
    // program starting at the same moment got there first, whose profile is as good.
    moveAsideIn(cacheFd.handle());
    if (::renameat(cacheFd.handle(), fresh.constData(), cacheFd.handle(),
                   kProfileName.constData()) != 0)
        SafeRemoval::removeFolder(freshPath);
}

void setAside()
{
    if (const auto cache = openCache(false)) {
        const OpenFile cacheFd(*cache);
        moveAsideIn(cacheFd.handle());
    }
}

} // namespace statusmill::office::KeptProfile
