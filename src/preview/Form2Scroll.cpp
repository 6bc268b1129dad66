// Moving the canvas inside the viewport: the scroll bars and dragging.
#include "Form2.h"

#include "ViewArithmetic.h"
#include "core/Procedure.h"

#include <QMouseEvent>
#include <QScrollBar>

#include <optional>

namespace statusmill {

namespace {

qint16 buttonMask(Qt::MouseButtons buttons)
{
    return qint16((buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
                  (buttons & Qt::MiddleButton ? 4 : 0));
}

qint16 shiftMask(Qt::KeyboardModifiers modifiers)
{
    return qint16((modifiers & Qt::ShiftModifier ? 1 : 0) |
                  (modifiers & Qt::ControlModifier ? 2 : 0) |
                  (modifiers & Qt::AltModifier ? 4 : 0));
}

} // namespace

void Form2::ConfigureScrollBars()
{
    m_picture1->move(0, 0);
    configureBar(m_hScroll1, float(m_picture1->width() - m_picture2->width()),
                 m_picture2->innerWidth(), mHStep);
    configureBar(m_vScroll1, float(m_picture1->height() - m_picture2->height()),
                 m_picture2->innerHeight(), mVStep);
    // A part-turned wheel counted positions of the old steps.
    m_wheelAcross = 0;
    m_wheelDown = 0;
}

void Form2::configureBar(QScrollBar* bar, float overflow, int viewportInner, qint16& step)
{
    const std::optional<view::BarSetup> setup = view::barSetup(overflow, viewportInner);
    if (!setup) {
        // The overflow counts from the viewport's outer edge, so a canvas up to the
        // border's width wider than what shows has none to give. The redraw has
        // enabled the bar for such a canvas and it stays so, without a range:
        // dragging reaches the last units.
        step = 0;
        QSignalBlocker quiet(bar);
        bar->setMaximum(0);
        bar->setPageStep(1);
        return;
    }
    bar->setEnabled(true);
    step = setup->step;
    {
        // Position 0 follows at once and moves the canvas then.
        QSignalBlocker quiet(bar);
        bar->setMaximum(setup->maximum);
        bar->setPageStep(setup->pageStep);
    }
    setBarPosition(bar, 0);
}

void Form2::HScroll1_Change()
{
    m_picture1->move(view::canvasOffset(mHStep, m_hScroll1->value()), m_picture1->y());
}

void Form2::VScroll1_Change()
{
    m_picture1->move(m_picture1->x(), view::canvasOffset(mVStep, m_vScroll1->value()));
}

void Form2::runChangeHandler(QScrollBar* bar)
{
    if (bar == m_hScroll1)
        HScroll1_Change();
    else if (bar == m_vScroll1)
        VScroll1_Change();
}

void Form2::setBarPosition(QScrollBar* bar, int position)
{
    const int before = bar->value();
    {
        QSignalBlocker quiet(bar);
        bar->setValue(position);
    }
    if (bar->value() != before)
        runChangeHandler(bar);
}

void Form2::SetHScrollbarByPercent(QScrollBar* HScrollbar, qint16 percent)
{
    if (const auto position = view::positionAtPercent(percent, HScrollbar->maximum()))
        setBarPosition(HScrollbar, *position);
}

void Form2::SetVScrollbarByPercent(QScrollBar* VScrollbar, qint16 percent)
{
    if (const auto position = view::positionAtPercent(percent, VScrollbar->maximum()))
        setBarPosition(VScrollbar, *position);
}

void Form2::picture1_MouseDown(qint16, qint16, float x, float y)
{
    Procedure proc(QStringLiteral("Form2.picture1_MouseDown"));
    proc.run(100, [&] { mDownX = x; });
    proc.run(102, [&] { mDownY = y; });
}

void Form2::picture1_MouseMove(qint16 button, qint16, float x, float y)
{
    Procedure proc(QStringLiteral("Form2.picture1_MouseMove"));
    if (proc.jumpWhen(100, [&] { return button == 0; }))
        return;

    // x and y count from the canvas's own corner, which moves with it, so the
    // grabbed point stays under the pointer.
    float newLeft = 0;
    float newTop = 0;
    const auto farthestLeft = [&] {
        return view::farthestEdge(m_picture2->innerWidth(), m_picture1->width());
    };
    const auto farthestTop = [&] {
        return view::farthestEdge(m_picture2->innerHeight(), m_picture1->height());
    };
    proc.run(104, [&] { newLeft = view::draggedEdge(m_picture1->x(), mDownX, x); });
    if (proc.when(106, [&] { return newLeft > 0; }))
        proc.run(108, [&] { newLeft = 0; });
    else if (proc.when(110, [&] { return farthestLeft() > newLeft; }))
        proc.run(112, [&] { newLeft = farthestLeft(); });
    proc.run(114, [&] { newTop = view::draggedEdge(m_picture1->y(), mDownY, y); });
    if (proc.when(116, [&] { return newTop > 0; }))
        proc.run(118, [&] { newTop = 0; });
    else if (proc.when(120, [&] { return farthestTop() > newTop; }))
        proc.run(122, [&] { newTop = farthestTop(); });
    proc.run(124, [&] { m_picture1->move(toInt32(newLeft), toInt32(newTop)); });
}

void Form2::Picture1_MouseUp(qint16, qint16, float, float)
{
    Procedure proc(QStringLiteral("Form2.Picture1_MouseUp"));
    std::optional<qint32> hPercent;
    std::optional<qint32> vPercent;
    proc.run(100, [&] {
        hPercent = view::dropPercent(m_picture1->x(), m_picture1->width(), m_picture2->width());
    });
    proc.run(102, [&] {
        vPercent = view::dropPercent(m_picture1->y(), m_picture1->height(), m_picture2->height());
    });
    // Where there was no scrollable distance the bar is left alone.
    proc.run(104, [&] {
        if (hPercent)
            SetHScrollbarByPercent(m_hScroll1, toInt16(*hPercent));
    });
    proc.run(106, [&] {
        if (vPercent)
            SetVScrollbarByPercent(m_vScroll1, toInt16(*vPercent));
    });
}

bool Form2::canvasMouseEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        break;
    default:
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPointF at =
        mouse->position() - QPointF(m_picture1->borderWidth(), m_picture1->borderWidth());
    const float x = float(at.x());
    const float y = float(at.y());
    const qint16 shift = shiftMask(mouse->modifiers());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the second press of a double click grabs too
        picture1_MouseDown(buttonMask(mouse->button()), shift, x, y);
        break;
    case QEvent::MouseMove:
        picture1_MouseMove(buttonMask(mouse->buttons()), shift, x, y);
        break;
    default:
        Picture1_MouseUp(buttonMask(mouse->button()), shift, x, y);
        break;
    }
    return true;
}

} // namespace statusmill
