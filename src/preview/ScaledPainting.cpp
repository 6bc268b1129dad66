#include "ScaledPainting.h"

#include <QPainter>

#include <cmath>

namespace statusmill {

namespace {

// The part of `source` inside `rect` without copying its pixels; the result must
// not outlive `source`. Levels are always 32 bits a pixel.
QImage viewOf(const QImage& source, const QRect& rect)
{
    const uchar* first =
        source.constBits() + qsizetype(rect.y()) * source.bytesPerLine() + rect.x() * 4;
    return QImage(first, rect.width(), rect.height(), source.bytesPerLine(), source.format());
}

// Device scales a tile can be made at are told apart to 1/1024.
quint64 tileKey(int column, int row, qreal scale)
{
    return (quint64(qRound(scale * 1024)) << 40) | (quint64(quint32(row)) << 20) |
           quint64(quint32(column));
}

// The filter reaches this far beyond a pixel's own area.
constexpr int kFilterMargin = 2;

} // namespace

ScaledPainting::ScaledPainting(std::shared_ptr<const PictureLevels> levels, const QRect& sourceRect,
                               const QRect& target)
    : m_levels(std::move(levels)), m_target(target)
{
    const qreal ratio = m_levels->picture().devicePixelRatio();
    m_sourcePixels = QRectF(sourceRect.x() * ratio, sourceRect.y() * ratio,
                            sourceRect.width() * ratio, sourceRect.height() * ratio);
}

bool ScaledPainting::opaque() const
{
    const QImage& picture = m_levels->picture();
    return !picture.hasAlphaChannel() && QRectF(picture.rect()).contains(m_sourcePixels);
}

void ScaledPainting::paint(QPainter& painter, const QRect& exposed) const
{
    const QRect wanted = exposed & m_target;
    // Device pixels a unit: the screen's ratio when painting on screen, the
    // image's when rendering into an image.
    const QTransform toDevice = painter.deviceTransform();
    const qreal scale = std::sqrt(std::fabs(toDevice.determinant()));
    if (wanted.isEmpty() || m_sourcePixels.isEmpty() || !(scale > 0))
        return;
    // The tiles divide the target's device pixels, counted from its corner. That
    // corner goes to a whole device pixel, so that at a ratio like 1.5 the tiles
    // still meet without a gap.
    const QPointF cornerAt = toDevice.map(QPointF(m_target.topLeft()));
    const QPointF corner(std::round(cornerAt.x()), std::round(cornerAt.y()));
    const QRectF device = toDevice.mapRect(QRectF(wanted)).translated(-corner);
    const int columns = int(std::ceil(m_target.width() * scale / kTileSize));
    const int rows = int(std::ceil(m_target.height() * scale / kTileSize));
    const auto first = [](qreal from) { return qMax(0, int(std::floor((from - 1) / kTileSize))); };
    const auto last = [](qreal to, int count) {
        return qMin(count - 1, int(std::floor((to + 1) / kTileSize)));
    };
    const QTransform fromDevice = toDevice.inverted();
    for (int row = first(device.top()); row <= last(device.bottom(), rows); ++row) {
        for (int column = first(device.left()); column <= last(device.right(), columns); ++column) {
            const quint64 key = tileKey(column, row, scale);
            const QImage* tile = m_tiles.object(key);
            QImage made;
            if (!tile) {
                made = renderTile(column, row, scale);
                const int kilobytes = int(made.sizeInBytes() / 1024) + 1;
                tile =
                    m_tiles.insert(key, new QImage(made), kilobytes) ? m_tiles.object(key) : &made;
            }
            painter.drawImage(fromDevice.map(corner + QPointF(column * kTileSize, row * kTileSize)),
                              *tile);
        }
    }
}

QImage ScaledPainting::renderTile(int column, int row, qreal scale) const
{
    const QSizeF targetDevice(m_target.width() * scale, m_target.height() * scale);
    const QRect tileRect =
        QRect(column * kTileSize, row * kTileSize, kTileSize, kTileSize) &
        QRect(0, 0, int(std::ceil(targetDevice.width())), int(std::ceil(targetDevice.height())));

    // Device pixels per picture pixel, then per pixel of the level scaled from.
    const qreal scaleX = targetDevice.width() / m_sourcePixels.width();
    const qreal scaleY = targetDevice.height() / m_sourcePixels.height();
    const PictureLevels::Level level = m_levels->levelFor(qMin(scaleX, scaleY));
    const qreal levelScaleX = scaleX / level.shrinkX;
    const qreal levelScaleY = scaleY / level.shrinkY;
    const QPointF sourceOrigin(m_sourcePixels.x() * level.shrinkX,
                               m_sourcePixels.y() * level.shrinkY);

    // Only the level's pixels that reach this tile, and a margin for the filter.
    const QRectF reached(sourceOrigin.x() + tileRect.x() / levelScaleX,
                         sourceOrigin.y() + tileRect.y() / levelScaleY,
                         tileRect.width() / levelScaleX, tileRect.height() / levelScaleY);
    const QRect needed = reached.toAlignedRect().adjusted(-kFilterMargin, -kFilterMargin,
                                                          kFilterMargin, kFilterMargin) &
                         level.image->rect();
    m_levels->makeRows(level, needed.top(), needed.bottom());

    const bool covered = opaque() && QRectF(needed).contains(reached);
    QImage tile(tileRect.size(),
                covered ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    if (!covered)
        tile.fill(Qt::transparent);
    if (!needed.isEmpty()) {
        QPainter painter(&tile);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setTransform(QTransform(levelScaleX, 0, 0, levelScaleY,
                                        -sourceOrigin.x() * levelScaleX - tileRect.x(),
                                        -sourceOrigin.y() * levelScaleY - tileRect.y()));
        painter.drawImage(needed.topLeft(), viewOf(*level.image, needed));
    }
    tile.setDevicePixelRatio(scale);
    return tile;
}

} // namespace statusmill
