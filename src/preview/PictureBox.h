#pragma once

#include <QImage>
#include <QWidget>

#include <memory>
#include <vector>

namespace statusmill {

class PictureLevels;
class ScaledPainting;

// A drawing surface that holds a picture. The appearance rules treat it as a
// picture box when recolouring a window.
//
// Its outer size is the widget's size; an optional sunken border lies inside it,
// and the inner size is what the border leaves. The box shows, over its
// background, the assigned picture and then its drawing: what paintPicture()
// painted, kept as pictures and where they go, so that the box repaints it
// whenever it is uncovered.
//
// Sizes and positions count in units: a picture's units are its pixels over its
// device pixel ratio, and the box paints it at the resolution of whatever it is
// painted on (two pixels a unit on a screen of ratio 2), never through an
// intermediate image of one pixel a unit.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);
    ~PictureBox() override;

    int borderWidth() const { return m_border; }
    void setBorderWidth(int width);

    int innerWidth() const;
    int innerHeight() const;
    QSize innerSize() const { return {innerWidth(), innerHeight()}; }

    // Throw Failure on a negative size, as the platform refuses one.
    void setOuterWidth(int width);
    void setOuterHeight(int height);

    // Children placed here sit inside the border and are clipped by it; their
    // positions count from the inner top-left corner.
    QWidget* clientArea();

    // With auto-size on, assigning a picture makes the box just big enough for it
    // (a part of a unit counts as a whole one).
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on) { m_autoSize = on; }

    // Assigning or removing the picture also wipes the drawing, which is drawn
    // over the picture it was made on.
    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    void removePicture();

    // The part of the inner area the drawing covers, in inner coordinates.
    QRect drawnArea() const;

    // Scales `sourceRect` of `source` (in the source's units) into `target` (inner
    // coordinates) of the drawing, smoothing so that small text stays legible.
    // Throws Failure when there is no picture to paint.
    void paintPicture(const QImage& source, const QRect& target, const QRect& sourceRect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect innerRect() const;
    std::shared_ptr<const PictureLevels> levelsOf(const QImage& picture);

    QImage m_picture;
    std::unique_ptr<ScaledPainting> m_pictureLayer;
    std::vector<std::unique_ptr<ScaledPainting>> m_drawing;
    // Of the picture painted last: the next zoom of the same picture reuses its
    // halved copies.
    std::shared_ptr<const PictureLevels> m_levels;
    QWidget* m_clientArea = nullptr;
    int m_border = 0;
    bool m_autoSize = false;
};

} // namespace statusmill
