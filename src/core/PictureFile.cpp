#include "PictureFile.h"

#include "Failure.h"
#include "FileHelpers.h"

#include <QImageReader>

#include <cmath>

namespace statusmill {
namespace {

constexpr double kUnitsPerInch = 96.0;
constexpr double kMetresPerInch = 0.0254;

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

} // namespace statusmill
