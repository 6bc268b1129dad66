#include "PictureFile.h"

#include "Failure.h"
#include "FileHelpers.h"
#include "PictureRest.h"
#include "Random.h"
#include "Threads.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QImageReader>
#include <QScopeGuard>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace statusmill {
namespace {

constexpr double kUnitsPerInch = 96.0;
constexpr double kMetresPerInch = 0.0254;

// What identifies a file as it was written: a new file, or one changed since,
// differs in one of these.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};

    bool operator==(const FileIdentity& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

std::optional<FileIdentity> identityOf(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

// The picture savePictureFile() wrote last, until it is read back or another is
// written. The main thread's.
struct Written
{
    QString path;
    FileIdentity identity;
    QImage picture;
};

std::optional<Written>& lastWritten()
{
    static std::optional<Written> written;
    return written;
}

// A file refusing further writes once the write is abandoned: the encoder then
// stops where it is.
class AbandonableFile : public QIODevice
{
public:
    AbandonableFile(int handle, const std::atomic<bool>& abandoned)
        : m_handle(handle), m_abandoned(abandoned)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        qint64 written = 0;
        while (written < size) {
            if (m_abandoned)
                return -1;
            const ssize_t n = ::write(m_handle, data + written, size_t(size - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return -1;
            written += n;
        }
        return written;
    }

private:
    int m_handle;
    const std::atomic<bool>& m_abandoned;
};

// The picture being written in the background, and the thread that writes it.
struct BackgroundWrite
{
    QString path;
    QImage picture;
    bool readBack = false;
    std::atomic<bool> abandoned = false;
    std::jthread writer;

    void finish()
    {
        if (writer.joinable())
            writer.join();
    }
    // The writer drops its unfinished file itself, whenever it gets that far.
    void abandon()
    {
        abandoned = true;
        path.clear();
        picture = QImage();
    }
    ~BackgroundWrite() { finish(); }
};

BackgroundWrite& background()
{
    static BackgroundWrite write;
    return write;
}

// What a bitmap of the picture takes on disk: Qt writes 24 bits a pixel, each
// row padded to four bytes, after 54 bytes of headers.
off_t bitmapSize(const QImage& picture)
{
    const off_t row = ((off_t(picture.width()) * 24 + 31) / 32) * 4;
    return 54 + row * picture.height();
}

} // namespace

void setPictureRatio(QImage& picture, double ratio)
{
    picture.setDevicePixelRatio(ratio);
    const int dotsPerMetre = int(std::lround(kUnitsPerInch * ratio / kMetresPerInch));
    picture.setDotsPerMeterX(dotsPerMetre);
    picture.setDotsPerMeterY(dotsPerMetre);
}

QImage loadPictureFile(const QString& path)
{
    if (BackgroundWrite& pending = background();
        pending.path == path && !pending.readBack && !pending.picture.isNull()) {
        pending.readBack = true;
        return pending.picture;
    }
    if (!FileExists(path))
        throw Failure(QStringLiteral("File not found: %1").arg(path));
    if (std::optional<Written> written = std::exchange(lastWritten(), std::nullopt);
        written && written->path == path && identityOf(path) == written->identity)
        return written->picture;
    QImageReader reader(path);
    const QSize size = reader.size();
    if (size.isValid()) {
        const qint64 megabytes = (qint64(size.width()) * size.height() * 4 >> 20) + 1;
        if (megabytes > QImageReader::allocationLimit())
            QImageReader::setAllocationLimit(int(megabytes));
    }
    QImage picture = reader.read();
    if (picture.isNull())
        throw Failure(QStringLiteral("Invalid picture: %1").arg(path));
    // Ratios come in quarters; the file's whole dots per metre blur the last digits.
    const double ratio =
        std::round(picture.dotsPerMeterX() * kMetresPerInch / kUnitsPerInch * 4.0) / 4.0;
    picture.setDevicePixelRatio(ratio >= 1.0 ? ratio : 1.0);
    return picture;
}

void savePictureFile(const QImage& picture, const QString& target)
{
    waitForPictureRest();
    lastWritten().reset();
    const QString fresh = target + QStringLiteral(".%1.new").arg(Random::uniqueSuffix());
    QFile file(fresh);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Failure(QStringLiteral("Cannot create %1: %2").arg(fresh, file.errorString()));
    const bool saved = picture.save(&file, "BMP") && file.flush();
    // A full disk or a refused write is what the user needs to hear about. Qt's
    // picture writer loses the system's reason ("Unknown error"); the folder,
    // still holding the partial file, tells it.
    const QString reason =
        saved
            ? QString()
            : whyFolderTakesNoWrite(QFileInfo(target).absolutePath()).value_or(file.errorString());
    file.close();
    if (!saved) {
        QFile::remove(fresh);
        throw Failure(QStringLiteral("Cannot write %1: %2").arg(target, reason));
    }
    // rename(2) replaces the name itself, whatever it pointed to.
    if (::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(target).constData()) !=
        0) {
        const QString renameReason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(fresh);
        throw Failure(QStringLiteral("Cannot write %1: %2").arg(target, renameReason));
    }
    // Only where the file holds the very picture: a bitmap keeps no transparency.
    if (const auto identity = identityOf(target);
        identity && picture.format() == QImage::Format_RGB32)
        lastWritten() = Written{target, *identity, picture};
}

void savePictureFileInBackground(const QImage& picture, const QString& target)
{
    BackgroundWrite& pending = background();
    pending.finish();
    lastWritten().reset();
    pending.path.clear();
    pending.picture = QImage();
    const QString fresh = target + QStringLiteral(".%1.new").arg(Random::uniqueSuffix());
    const QByteArray freshName = QFile::encodeName(fresh);
    const int handle =
        ::open(freshName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (handle < 0)
        throw Failure(QStringLiteral("Cannot create %1: %2")
                          .arg(fresh, QString::fromLocal8Bit(std::strerror(errno))));
    // A file system that cannot reserve room says so later, if at all.
    if (const int error = ::posix_fallocate(handle, 0, bitmapSize(picture));
        error != 0 && error != EOPNOTSUPP && error != EINVAL) {
        ::close(handle);
        ::unlink(freshName.constData());
        throw Failure(QStringLiteral("Cannot write %1: %2")
                          .arg(target, QString::fromLocal8Bit(std::strerror(error))));
    }
    pending.path = target;
    pending.picture = picture;
    pending.readBack = false;
    pending.abandoned = false;
    const auto write = [handle, freshName, target = QFile::encodeName(target), picture,
                        &abandoned = pending.abandoned] {
        bool saved = false;
        const auto settle = qScopeGuard([&] {
            ::close(handle);
            if (!saved || abandoned || ::rename(freshName.constData(), target.constData()) != 0)
                ::unlink(freshName.constData());
        });
        waitForPictureRest();
        AbandonableFile file(handle, abandoned);
        saved = picture.save(&file, "BMP");
    };
    try {
        pending.writer = startThread(write);
    } catch (const Failure&) {
        // No thread to spare: written now.
        write();
    }
}

void abandonPictureWrites()
{
    BackgroundWrite& pending = background();
    pending.abandon();
    pending.finish();
}

void removePictureFile(const QString& path)
{
    // The writer is not waited for: it may still be waiting for the picture's
    // lower pages.
    if (BackgroundWrite& pending = background(); pending.path == path)
        pending.abandon();
    DeleteFileQuietly(path);
}

} // namespace statusmill
