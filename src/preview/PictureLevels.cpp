#include "PictureLevels.h"

#include "core/PictureRest.h"

#include <cmath>
#include <cstring>

namespace statusmill {

namespace {

// Scaling by no less than this from a level keeps every pixel of it in play;
// below it the next halved copy, scaled up by at most the inverse, is sharper.
constexpr qreal kSmallestScalePerLevel = M_SQRT1_2;

// Painting transforms these formats without converting them first.
bool drawableAsIs(const QImage& picture)
{
    return picture.format() == QImage::Format_RGB32 ||
           picture.format() == QImage::Format_ARGB32_Premultiplied;
}

QSize halvedSize(QSize size)
{
    return {qMax(1, (size.width() + 1) / 2), qMax(1, (size.height() + 1) / 2)};
}

} // namespace

PictureLevels::PictureLevels(const QImage& picture)
    : m_pictureKey(picture.cacheKey()), m_picture(picture), m_finishedRows(finishedRows(picture))
{}

PictureLevels::Level PictureLevels::levelFor(qreal scale) const
{
    if (m_levels.empty() && drawableAsIs(m_picture)) {
        m_levels.push_back({m_picture, {}});
    } else if (m_levels.empty()) {
        waitForRows(m_picture.height() - 1); // converting reads every row
        m_levels.push_back({m_picture.convertToFormat(m_picture.hasAlphaChannel()
                                                          ? QImage::Format_ARGB32_Premultiplied
                                                          : QImage::Format_RGB32),
                            {}});
    }
    std::size_t index = 0;
    for (qreal perLevel = scale; perLevel < kSmallestScalePerLevel; perLevel *= 2) {
        const QImage& last = m_levels[index].image;
        if (last.width() <= 1 || last.height() <= 1)
            break;
        if (index + 1 == m_levels.size()) {
            const QSize size = halvedSize(last.size());
            m_levels.push_back({QImage(size, last.format()),
                                std::vector<bool>((size.height() + kBandRows - 1) / kBandRows)});
        }
        ++index;
    }
    const QImage& image = m_levels[index].image;
    return {int(index), &image, qreal(image.width()) / m_picture.width(),
            qreal(image.height()) / m_picture.height()};
}

void PictureLevels::waitForRows(int bottom) const
{
    if (bottom >= m_finishedRows) {
        waitForPictureRest();
        m_finishedRows = m_picture.height();
    }
}

void PictureLevels::makeRows(const Level& level, int top, int bottom) const
{
    makeLevelRows(std::size_t(level.index), top, bottom);
}

void PictureLevels::makeLevelRows(std::size_t index, int top, int bottom) const
{
    if (index == 0)
        waitForRows(bottom);
    const Made& made = m_levels.at(index);
    top = qMax(top, 0);
    bottom = qMin(bottom, made.image.height() - 1);
    for (int band = top / kBandRows; !made.bands.empty() && band <= bottom / kBandRows; ++band)
        makeBand(index, band);
}

// A band of a level halves the rows of the level above that it covers. Two rows
// become one, as in a halving of the whole, so the bands meet without a seam; a
// level of an odd height ends in a band that takes one row less.
void PictureLevels::makeBand(std::size_t index, int band) const
{
    Made& made = m_levels[index];
    if (made.bands[std::size_t(band)])
        return;
    const int top = band * kBandRows;
    const int rows = qMin(kBandRows, made.image.height() - top);
    const QImage& above = m_levels[index - 1].image;
    const int aboveTop = 2 * top;
    const int aboveRows = qMin(2 * rows, above.height() - aboveTop);
    makeLevelRows(index - 1, aboveTop, aboveTop + aboveRows - 1);

    const QImage source(above.constBits() + qsizetype(aboveTop) * above.bytesPerLine(),
                        above.width(), aboveRows, above.bytesPerLine(), above.format());
    // The smooth scale averages whole areas, so a halving weighs all four pixels.
    const QImage part = source.scaled(made.image.width(), rows, Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation);
    for (int row = 0; row < rows; ++row)
        std::memcpy(made.image.scanLine(top + row), part.constScanLine(row),
                    std::size_t(made.image.width()) * 4);
    made.bands[std::size_t(band)] = true;
}

} // namespace statusmill
