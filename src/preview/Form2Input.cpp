// Scrolling and zooming from the wheel and the keyboard. Both go through the
// scroll bars and the zoom buttons' handlers, so the canvas moves, and the zoom
// limits and the fall-back hold, exactly as for a click.
#include "Form2.h"

#include <QApplication>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>

#include <functional>

namespace statusmill {

void Form2::installKeys()
{
    struct Binding
    {
        QKeySequence keys;
        std::function<void()> action;
    };
    // No key for "< Back": it discards the report. Space and Enter stay with a
    // focused button.
    const Binding bindings[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), [this] { PushButton1_Click(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { PushButton1_Click(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), [this] { PushButton2_Click(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_S), [this] { PushButton6_Click(); }},
        {QKeySequence(Qt::CTRL | Qt::Key_P), [this] { PrintReport(); }},
        {QKeySequence(Qt::Key_Up), [this] { scrollBy(m_vScroll1, -linePositions(mVStep, 1)); }},
        {QKeySequence(Qt::Key_Down), [this] { scrollBy(m_vScroll1, linePositions(mVStep, 1)); }},
        {QKeySequence(Qt::Key_Left), [this] { scrollBy(m_hScroll1, -linePositions(mHStep, 1)); }},
        {QKeySequence(Qt::Key_Right), [this] { scrollBy(m_hScroll1, linePositions(mHStep, 1)); }},
        {QKeySequence(Qt::Key_PageUp), [this] { scrollBy(m_vScroll1, -m_vScroll1->pageStep()); }},
        {QKeySequence(Qt::Key_PageDown), [this] { scrollBy(m_vScroll1, m_vScroll1->pageStep()); }},
        {QKeySequence(Qt::Key_Home), [this] { scrollBy(m_vScroll1, -m_vScroll1->value()); }},
        {QKeySequence(Qt::Key_End),
         [this] { scrollBy(m_vScroll1, m_vScroll1->maximum() - m_vScroll1->value()); }},
    };
    // Window shortcuts come before the focused control's own key handling, so a
    // focused bar or button does not change what a key does.
    for (const Binding& binding : bindings)
        new QShortcut(binding.keys, this, binding.action);
}

bool Form2::isPageOrBar(const QObject* watched) const
{
    return watched == m_picture1 || watched == m_picture2 || watched == m_picture2->clientArea() ||
           watched == m_hScroll1 || watched == m_vScroll1;
}

void Form2::pageWheel(const QWheelEvent& wheel)
{
    if (wheel.modifiers() & Qt::ControlModifier) {
        wheelZoom(wheel.angleDelta().y());
        return;
    }
    // Touchpads that say how far the content should move, in units, are
    // followed exactly; wheels move a few lines a notch.
    const bool exact = !wheel.pixelDelta().isNull();
    QPointF turned =
        exact ? QPointF(wheel.pixelDelta()) : QPointF(wheel.angleDelta()) / view::kNotch;
    // Shift turns a plain wheel sideways, unless the system has done so already.
    if ((wheel.modifiers() & Qt::ShiftModifier) && turned.x() == 0)
        turned = QPointF(turned.y(), 0);
    const float lines = float(QApplication::wheelScrollLines());
    // Turning the wheel away from the user, or swiping left, moves towards the start.
    const auto positions = [&](qint16 step, qreal amount) {
        if (step <= 0)
            return 0.0f;
        return exact ? float(-amount / step) : float(-amount) * linePositions(step, lines);
    };
    if (turned.x() != 0)
        scrollBy(m_hScroll1, view::wholePositions(m_wheelAcross, positions(mHStep, turned.x())));
    if (turned.y() != 0)
        scrollBy(m_vScroll1, view::wholePositions(m_wheelDown, positions(mVStep, turned.y())));
}

void Form2::wheelZoom(int angle)
{
    const int notches = view::wholeNotches(m_wheelZoom, angle);
    for (int i = 0; i < notches; ++i)
        PushButton1_Click();
    for (int i = 0; i > notches; --i)
        PushButton2_Click();
}

void Form2::scrollBy(QScrollBar* bar, int positions)
{
    // The bar's own signal runs its change handler, as for a click on it.
    if (bar->isEnabled() && positions != 0)
        bar->setValue(bar->value() + positions);
}

} // namespace statusmill
