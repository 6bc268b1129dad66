#pragma once

#include <QImage>

#include <deque>
#include <vector>

namespace statusmill {

// A picture and copies of it halved again and again, each made when first wanted,
// and then only in the bands of rows wanted: the first view of a report needs the
// top of its first page, and halving both pages whole would keep the user waiting.
// Scaling a page far down straight from its pixels samples only some of them and
// thin strokes of small print vanish; scaling from the copy nearest the wanted
// size lets every stroke count.
class PictureLevels
{
public:
    explicit PictureLevels(const QImage& picture);

    // Identifies the pixels these levels were made from.
    qint64 pictureKey() const { return m_pictureKey; }
    const QImage& picture() const { return m_picture; }

    struct Level
    {
        int index; // 0: the picture itself
        // Only the rows made by makeRows() hold pixels of the picture.
        const QImage* image;
        // This level's size over the picture's, in each direction.
        qreal shrinkX;
        qreal shrinkY;
    };
    // The level to scale from when one picture pixel becomes `scale` device pixels.
    Level levelFor(qreal scale) const;
    // Makes rows `top` to `bottom` of the level, if they are not made yet. Rows of
    // the picture still being drawn are waited for.
    void makeRows(const Level& level, int top, int bottom) const;

    // Rows of a halved copy made at a time.
    static constexpr int kBandRows = 256;

private:
    qint64 m_pictureKey;
    QImage m_picture;
    mutable int m_finishedRows;
    void makeLevelRows(std::size_t index, int top, int bottom) const;
    void makeBand(std::size_t index, int band) const;
    void waitForRows(int bottom) const;

    struct Made
    {
        QImage image;
        std::vector<bool> bands; // which bands of rows are made; empty: all
    };
    // From the picture in a format painting takes as it is, down. A deque, so that
    // a level handed out stays where it is while smaller ones are added.
    mutable std::deque<Made> m_levels;
};

} // namespace statusmill
