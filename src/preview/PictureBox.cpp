#include "PictureBox.h"

#include "ScaledPainting.h"
#include "core/Failure.h"

#include <QPaintEvent>
#include <QPainter>
#include <qdrawutil.h>

#include <cmath>

namespace statusmill {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
}

PictureBox::~PictureBox() = default;

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

std::shared_ptr<const PictureLevels> PictureBox::levelsOf(const QImage& picture)
{
    if (!m_levels || m_levels->pictureKey() != picture.cacheKey())
        m_levels = std::make_shared<const PictureLevels>(picture);
    return m_levels;
}

void PictureBox::setPicture(const QImage& picture)
{
    m_picture = picture;
    m_drawing.clear();
    m_pictureLayer.reset();
    if (!picture.isNull()) {
        const QSizeF units = picture.deviceIndependentSize();
        const QSize size(int(std::ceil(units.width())), int(std::ceil(units.height())));
        m_pictureLayer = std::make_unique<ScaledPainting>(
            levelsOf(picture), QRect(QPoint(0, 0), size), QRect(QPoint(0, 0), size));
        if (m_autoSize)
            resize(size + QSize(2 * m_border, 2 * m_border));
    }
    update();
}

void PictureBox::removePicture()
{
    setPicture(QImage());
}

QRect PictureBox::drawnArea() const
{
    QRect area;
    for (const auto& painting : m_drawing)
        area |= painting->target();
    return area;
}

void PictureBox::paintPicture(const QImage& source, const QRect& target, const QRect& sourceRect)
{
    if (source.isNull())
        throw Failure(QStringLiteral("Invalid picture"));
    if (!target.isEmpty() && !sourceRect.isEmpty()) {
        auto painting = std::make_unique<ScaledPainting>(levelsOf(source), sourceRect, target);
        // What it hides for good need not be kept: the usual zoom redraw replaces
        // the whole drawing.
        if (painting->opaque() && target.contains(drawnArea()))
            m_drawing.clear();
        m_drawing.push_back(std::move(painting));
    }
    update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect inner = innerRect();
    const QRect exposed = (event->rect() & inner).translated(-inner.topLeft());
    painter.setClipRect(inner);
    painter.translate(inner.topLeft());
    if (m_pictureLayer)
        m_pictureLayer->paint(painter, exposed);
    for (const auto& painting : m_drawing)
        painting->paint(painter, exposed);
    painter.resetTransform();
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
