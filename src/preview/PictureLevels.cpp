#include "PictureLevels.h"

#include <cmath>

namespace statusmill {

namespace {

// Scaling by no less than this from a level keeps every pixel of it in play;
// below it the next halved copy, scaled up by at most the inverse, is sharper.
constexpr qreal kSmallestScalePerLevel = M_SQRT1_2;

// Painting transforms these formats without converting them first.
QImage drawable(const QImage& picture)
{
    switch (picture.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return picture;
    default:
        return picture.convertToFormat(
            picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    }
}

QImage halved(const QImage& level)
{
    const QSize size(qMax(1, (level.width() + 1) / 2), qMax(1, (level.height() + 1) / 2));
    // The smooth scale averages whole areas, so a halving weighs all four pixels.
    return level.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

PictureLevels::PictureLevels(const QImage& picture)
    : m_pictureKey(picture.cacheKey()), m_picture(picture)
{}

PictureLevels::Level PictureLevels::levelFor(qreal scale) const
{
    if (m_levels.empty())
        m_levels.push_back(drawable(m_picture));
    std::size_t index = 0;
    for (qreal perLevel = scale; perLevel < kSmallestScalePerLevel; perLevel *= 2) {
        const QImage& last = m_levels[index];
        if (last.width() <= 1 || last.height() <= 1)
            break;
        if (index + 1 == m_levels.size())
            m_levels.push_back(halved(last));
        ++index;
    }
    const QImage& image = m_levels[index];
    return {&image, qreal(image.width()) / m_picture.width(),
            qreal(image.height()) / m_picture.height()};
}

} // namespace statusmill
