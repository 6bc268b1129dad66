#pragma once

#include <QImage>
#include <QWidget>

namespace statusmill {

// A drawing surface that holds a picture. The appearance rules treat it as a
// picture box when recolouring a window.
//
// Its outer size is the widget's size; an optional sunken border lies inside it,
// and the inner size is what the border leaves. The box shows, over its
// background, the assigned picture and then its drawing: a persistent image kept
// in memory that paintPicture() draws into, so that the box repaints from memory
// whenever it is uncovered.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

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

    // With auto-size on, assigning a picture makes the box just big enough for it.
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on) { m_autoSize = on; }

    // Assigning or removing the picture also wipes the drawing, which is drawn
    // over the picture it was made on.
    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    void removePicture();

    const QImage& drawing() const { return m_drawing; }

    // Scales `sourceRect` of `source` into `target` (inner coordinates) of the
    // drawing, smoothing so that small text stays legible. Throws Failure when
    // there is no picture to paint.
    void paintPicture(const QImage& source, const QRect& target, const QRect& sourceRect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect innerRect() const;
    void growDrawingToInnerSize();

    QImage m_picture;
    QImage m_drawing;
    QWidget* m_clientArea = nullptr;
    int m_border = 0;
    bool m_autoSize = false;
};

} // namespace statusmill
