#include "PictureFile.h"

#include "Failure.h"
#include "FileHelpers.h"
#include "Random.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sys/stat.h>
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

} // namespace statusmill
