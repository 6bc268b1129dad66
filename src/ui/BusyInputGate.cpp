#include "BusyInputGate.h"

#include <QCoreApplication>
#include <QEvent>

namespace statusmill {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    // Text an input method (IBus, fcitx) commits is typing too.
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

} // namespace

BusyInputGate::BusyInputGate(QWidget* window) : m_window(window)
{
    QCoreApplication::instance()->installEventFilter(this);
}

BusyInputGate::~BusyInputGate()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void BusyInputGate::drain()
{
    QCoreApplication::processEvents();
}

bool BusyInputGate::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_window || !isUserInput(event->type()) || !watched->isWidgetType())
        return false;
    const auto* widget = static_cast<QWidget*>(watched);
    return widget == m_window || m_window->isAncestorOf(widget);
}

} // namespace statusmill
