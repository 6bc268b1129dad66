#include "FileHelpers.h"

#include "Failure.h"
#include "PosixFile.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace statusmill {

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

void WriteBytesIfAbsent(const QByteArray& bytes, const QString& path)
{
    QCoreApplication::processEvents();

    if (FileExists(path))
        return;
    writeNewFile(bytes, path);
}

void writeNewFile(const QByteArray& bytes, const QString& path)
{
    // O_EXCL refuses a file (or a link) that is there already, also one that
    // appeared after a caller looked, so we never write through something we did
    // not create.
    const QByteArray name = QFile::encodeName(path);
    const OpenFile file(::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!file.isOpen())
        throw Failure(QStringLiteral("Cannot create %1: %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    // Written with the system's own calls, so that a short write keeps its reason
    // ("No space left on device"), which a buffered file loses.
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n =
            ::write(file.handle(), bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            ::unlink(name.constData());
            throw Failure(QStringLiteral("Cannot write %1: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(error))));
        }
        written += n;
    }
}

void DeleteFileQuietly(const QString& path)
{
    if (path.isEmpty())
        return;
    QFile::remove(path);
}

std::optional<QString> whyFolderTakesNoWrite(const QString& folder)
{
    // Nameless: nothing is left behind, whatever happens.
    const OpenFile probe(
        ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (!probe.isOpen())
        return errno == EOPNOTSUPP || errno == EISDIR
                   ? std::nullopt
                   : std::optional<QString>(QString::fromLocal8Bit(std::strerror(errno)));
    // As much as a small document needs; a disk that is nearly full fails here.
    static const QByteArray block(64 * 1024, '\0');
    qsizetype written = 0;
    while (written < block.size()) {
        const ssize_t n =
            ::write(probe.handle(), block.constData() + written, size_t(block.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return QString::fromLocal8Bit(std::strerror(n < 0 ? errno : ENOSPC));
        written += n;
    }
    return std::nullopt;
}

bool isRegularFile(const QString& path)
{
    return !path.isEmpty() && !regularFileProblem(path);
}

std::optional<QString> regularFileProblem(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("not a regular file");
    return std::nullopt;
}

QByteArray readRegularFile(const QString& path, qint64 limit)
{
    auto failure = [&](const QString& why) {
        return Failure(QStringLiteral("Cannot read %1: %2").arg(path, why));
    };
    // Non-blocking, so that a pipe put in the file's place cannot hold us at open.
    const OpenFile file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen())
        throw failure(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat info;
    if (::fstat(file.handle(), &info) != 0 || !S_ISREG(info.st_mode))
        throw failure(QStringLiteral("not a regular file"));
    if (info.st_size > limit)
        throw failure(QStringLiteral("larger than %1 bytes").arg(limit));

    // Room for what it holds now and a byte more, to see it grow while it is read;
    // it is given more as it grows, never past the limit and a byte.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        const qsizetype read = readUpTo(file.handle(), bytes.data() + got, bytes.size() - got);
        if (read < 0)
            throw failure(QString::fromLocal8Bit(std::strerror(errno)));
        got += read;
        if (got < bytes.size() || got > limit)
            break;
        bytes.resize(qsizetype(std::min<qint64>(qint64(bytes.size()) * 2, limit + 1)));
    }
    if (got > limit)
        throw failure(QStringLiteral("larger than %1 bytes").arg(limit));
    bytes.truncate(got);
    return bytes;
}

} // namespace statusmill
