#pragma once

#include <QImage>

#include <deque>

namespace statusmill {

// A picture and copies of it halved again and again, each made when first wanted.
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
        const QImage* image;
        // This level's size over the picture's, in each direction.
        qreal shrinkX;
        qreal shrinkY;
    };
    // The level to scale from when one picture pixel becomes `scale` device pixels.
    Level levelFor(qreal scale) const;

private:
    qint64 m_pictureKey;
    QImage m_picture;
    // From the picture in a format painting takes as it is, down. A deque, so that
    // a level handed out stays where it is while smaller ones are added.
    mutable std::deque<QImage> m_levels;
};

} // namespace statusmill
