#pragma once

#include "PictureLevels.h"

#include <QCache>
#include <QRect>

#include <memory>

class QPainter;

namespace statusmill {

// One picture painted into a rectangle of a box: `sourceRect` of the picture, in
// the picture's units (its pixels over its device pixel ratio), scaled into
// `target`, in the box's units. It is painted at the resolution of whatever it is
// painted on, straight from the picture's pixels, through a bounded cache of
// tiles at that resolution: a page zoomed far in costs memory for what has been
// on screen lately, not for the whole page.
class ScaledPainting
{
public:
    ScaledPainting(std::shared_ptr<const PictureLevels> levels, const QRect& sourceRect,
                   const QRect& target);

    const QRect& target() const { return m_target; }
    // Whether it hides everything under its target.
    bool opaque() const;

    // Paints the part of it inside `exposed`; the painter counts in the box's units.
    void paint(QPainter& painter, const QRect& exposed) const;

    // Tile edge, in device pixels, and the cache's bound, in kilobytes.
    static constexpr int kTileSize = 256;
    static constexpr int kCacheKilobytes = 32 * 1024;

private:
    QImage renderTile(int column, int row, qreal scale) const;

    std::shared_ptr<const PictureLevels> m_levels;
    QRectF m_sourcePixels;
    QRect m_target;
    mutable QCache<quint64, QImage> m_tiles{kCacheKilobytes};
};

} // namespace statusmill
