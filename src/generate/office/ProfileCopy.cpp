#include "ProfileCopy.h"

#include "core/PosixFile.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace statusmill::office {
namespace {

// A profile is about 0.2 MB in about a hundred entries; far more is not a profile.
constexpr qint64 kMostBytes = 32 * 1024 * 1024;
constexpr qint64 kMostEntries = 5000;
constexpr int kDeepest = 16;

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString kindOf(mode_t mode)
{
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("something that is neither a file nor a folder");
}

class TreeCopy
{
public:
    explicit TreeCopy(const ProfileCopyRules& rules) : m_rules(rules) {}

    void checkTrusted(const struct stat& info, const QString& where) const
    {
        if (!m_rules.ownedByUsOnly)
            return;
        if (info.st_uid != ::getuid())
            throw UntrustedProfile(QStringLiteral("%1 belongs to another user").arg(where));
        if (info.st_mode & (S_IWGRP | S_IWOTH))
            throw UntrustedProfile(QStringLiteral("others may write to %1").arg(where));
    }

    void copyFolder(int from, int to, const QString& where, int depth)
    {
        if (depth > kDeepest)
            throw UntrustedProfile(QStringLiteral("it is nested too deeply (%1)").arg(where));
        // A directory stream of its own, so that `from` stays open as it is.
        const int reading = ::openat(from, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* folder = reading >= 0 ? ::fdopendir(reading) : nullptr;
        if (!folder) {
            if (reading >= 0)
                ::close(reading);
            throw UntrustedProfile(QStringLiteral("%1 cannot be read: %2").arg(where, systemReason()));
        }
        const auto closeFolder = std::unique_ptr<DIR, int (*)(DIR*)>(folder, ::closedir);
        while (const dirent* entry = ::readdir(folder)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            const QString path = where.isEmpty() ? QFile::decodeName(name)
                                                 : where + QLatin1Char('/') + QFile::decodeName(name);
            if (depth == 0 && m_rules.leftOut.contains(path))
                continue;
            if (++m_contents.entries > kMostEntries)
                throw UntrustedProfile(QStringLiteral("it holds too many files"));
            struct stat info;
            if (::fstatat(from, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0)
                throw UntrustedProfile(
                    QStringLiteral("%1 cannot be read: %2").arg(path, systemReason()));
            checkTrusted(info, path);
            if (S_ISDIR(info.st_mode))
                copySubfolder(from, to, name, path, info, depth);
            else if (S_ISREG(info.st_mode))
                copyFile(from, to, name, path, info);
            else
                throw UntrustedProfile(QStringLiteral("it holds %1 (%2)").arg(kindOf(info.st_mode), path));
        }
    }

    ProfileContents contents() const { return m_contents; }

private:
    void copySubfolder(int from, int to, const QByteArray& name, const QString& path,
                       const struct stat& seen, int depth)
    {
        const OpenFile source(
            ::openat(from, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat info;
        if (!source.isOpen() || ::fstat(source.handle(), &info) != 0 ||
            info.st_ino != seen.st_ino || info.st_dev != seen.st_dev)
            throw UntrustedProfile(QStringLiteral("%1 changed while it was copied").arg(path));
        if (::mkdirat(to, name.constData(), 0700) != 0)
            throw Failure(QStringLiteral("Cannot make %1: %2").arg(path, systemReason()));
        const OpenFile target(
            ::openat(to, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!target.isOpen())
            throw Failure(QStringLiteral("Cannot open %1: %2").arg(path, systemReason()));
        copyFolder(source.handle(), target.handle(), path, depth + 1);
    }

    void copyFile(int from, int to, const QByteArray& name, const QString& path,
                  const struct stat& seen)
    {
        // Refused before a byte is read: a sparse file of gigabytes costs nothing here.
        m_contents.bytes += seen.st_size;
        if (m_contents.bytes > kMostBytes)
            throw UntrustedProfile(QStringLiteral("it is too large (%1)").arg(path));
        // Without following a link or waiting for a writer, should a pipe have
        // taken the file's place since it was looked at.
        const OpenFile source(::openat(from, name.constData(),
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info;
        if (!source.isOpen() || ::fstat(source.handle(), &info) != 0 ||
            !S_ISREG(info.st_mode) || info.st_ino != seen.st_ino || info.st_dev != seen.st_dev)
            throw UntrustedProfile(QStringLiteral("%1 changed while it was copied").arg(path));
        const OpenFile target(::openat(to, name.constData(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!target.isOpen())
            throw Failure(QStringLiteral("Cannot write %1: %2").arg(path, systemReason()));
        qint64 copied = 0;
        char buffer[65536];
        for (;;) {
            const qsizetype got = readUpTo(source.handle(), buffer, sizeof buffer);
            if (got < 0)
                throw UntrustedProfile(
                    QStringLiteral("%1 cannot be read: %2").arg(path, systemReason()));
            if (got == 0)
                break;
            copied += got;
            if (copied > seen.st_size)
                break;
            for (qsizetype written = 0; written < got;) {
                const ssize_t n = ::write(target.handle(), buffer + written, size_t(got - written));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    throw Failure(QStringLiteral("Cannot write %1: %2")
                                      .arg(path, n < 0 ? systemReason()
                                                       : QStringLiteral("No space left on device")));
                written += n;
            }
        }
        if (copied != seen.st_size)
            throw UntrustedProfile(QStringLiteral("%1 changed while it was copied").arg(path));
    }

    const ProfileCopyRules& m_rules;
    ProfileContents m_contents;
};

} // namespace

ProfileContents copyProfileTree(int from, int into, const QByteArray& to,
                                const ProfileCopyRules& rules)
{
    if (::mkdirat(into, to.constData(), 0700) != 0)
        throw Failure(QStringLiteral("Cannot make the office profile folder %1: %2")
                          .arg(QFile::decodeName(to), systemReason()));
    const OpenFile target(::openat(into, to.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!target.isOpen())
        throw Failure(QStringLiteral("Cannot open the office profile folder %1: %2")
                          .arg(QFile::decodeName(to), systemReason()));
    TreeCopy copy(rules);
    copy.copyFolder(from, target.handle(), QString(), 0);
    return copy.contents();
}

ProfileContents copyProfile(const QString& from, const QString& to, const ProfileCopyRules& rules)
{
    const OpenFile source(::open(QFile::encodeName(from).constData(),
                                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!source.isOpen())
        throw UntrustedProfile(
            QStringLiteral("%1 cannot be opened: %2").arg(from, systemReason()));
    return copyProfileTree(source.handle(), AT_FDCWD, QFile::encodeName(to), rules);
}

} // namespace statusmill::office
