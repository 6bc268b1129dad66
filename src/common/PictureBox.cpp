#include "PictureBox.h"

#include "Failure.h"

#include <QPaintEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace statusmill {

namespace {

// The part of `source` inside `rect` without copying its pixels, where the
// format allows; the result must not outlive `source`.
QImage viewOf(const QImage& source, const QRect& rect)
{
    if (rect == source.rect())
        return source;
    if (!source.rect().contains(rect) || source.depth() % 8 != 0)
        return source.copy(rect);
    const uchar* first = source.constBits() + qsizetype(rect.y()) * source.bytesPerLine() +
                         rect.x() * (source.depth() / 8);
    return QImage(first, rect.width(), rect.height(), source.bytesPerLine(), source.format());
}

} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
}

void PictureBox::setBorderWidth(int width)
{
    m_border = qMax(0, width);
    if (m_clientArea)
        m_clientArea->setGeometry(innerRect());
    update();
}

int PictureBox::innerWidth() const
{
    return qMax(0, width() - 2 * m_border);
}

int PictureBox::innerHeight() const
{
    return qMax(0, height() - 2 * m_border);
}

QRect PictureBox::innerRect() const
{
    return {m_border, m_border, innerWidth(), innerHeight()};
}

void PictureBox::setOuterWidth(int width)
{
    if (width < 0)
        throw Failure(QStringLiteral("Invalid property value"));
    resize(width, height());
}

void PictureBox::setOuterHeight(int height)
{
    if (height < 0)
        throw Failure(QStringLiteral("Invalid property value"));
    resize(width(), height);
}

QWidget* PictureBox::clientArea()
{
    if (!m_clientArea) {
        // Transparent: the box itself paints what shows through it.
        m_clientArea = new QWidget(this);
        m_clientArea->setObjectName(objectName() + QStringLiteral("_client"));
        m_clientArea->setGeometry(innerRect());
    }
    return m_clientArea;
}

void PictureBox::setPicture(const QImage& picture)
{
    m_picture = picture;
    m_drawing = QImage();
    if (m_autoSize && !picture.isNull())
        resize(picture.width() + 2 * m_border, picture.height() + 2 * m_border);
    update();
}

void PictureBox::removePicture()
{
    setPicture(QImage());
}

void PictureBox::growDrawingToInnerSize()
{
    if (m_drawing.size() == innerSize())
        return;
    QImage grown(innerSize(), QImage::Format_RGB32);
    grown.fill(palette().color(QPalette::Window));
    if (!m_drawing.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, m_drawing);
    }
    m_drawing = grown;
}

void PictureBox::paintPicture(const QImage& source, const QRect& target, const QRect& sourceRect)
{
    if (source.isNull())
        throw Failure(QStringLiteral("Invalid picture"));
    if (target.isEmpty() || sourceRect.isEmpty()) {
        update();
        return;
    }

    const QImage piece = viewOf(source, sourceRect);
    // The drawing must own its pixels: a view still points into `source`.
    const QImage scaled =
        piece.size() == target.size()
            ? piece.copy()
            : piece.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    const bool coversEverything = target == QRect(QPoint(0, 0), innerSize());
    if (coversEverything && !scaled.hasAlphaChannel()) {
        // The usual zoom redraw: the new image simply becomes the drawing.
        m_drawing = scaled.convertToFormat(QImage::Format_RGB32);
    } else {
        growDrawingToInnerSize();
        QPainter painter(&m_drawing);
        painter.drawImage(target.topLeft(), scaled);
    }
    update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect inner = innerRect();
    const QRect exposed = event->rect() & inner;
    painter.setClipRect(inner);
    for (const QImage* layer : {&m_picture, &m_drawing}) {
        if (layer->isNull())
            continue;
        // Only the exposed part: a zoomed page can be many megapixels.
        const QRect wanted = exposed & QRect(inner.topLeft(), layer->size());
        if (!wanted.isEmpty())
            painter.drawImage(wanted, *layer, wanted.translated(-inner.topLeft()));
    }
    painter.setClipping(false);
    if (m_border > 0)
        qDrawShadePanel(&painter, rect(), palette(), true, m_border);
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_clientArea)
        m_clientArea->setGeometry(innerRect());
}

} // namespace statusmill
