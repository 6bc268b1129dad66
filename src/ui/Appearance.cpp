#include "Appearance.h"

#include "core/Failure.h"
#include "core/FileHelpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QRadioButton>
#include <QStyle>
#include <QWidget>
#include <QtEndian>

#include <algorithm>
#include <utility>

namespace statusmill {

QString programIconFile()
{
    return QStringLiteral(":/icons/statusmill.ico");
}

QIcon programIcon()
{
    // Every image of the program's own icon file, so the windows show the same
    // four images as the program file.
    QIcon icon;
    QImageReader reader(programIconFile());
    do {
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    return icon;
}

QColor designBackground()
{
    return Qt::white;
}

QColor buttonFaceColour()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

ControlKind controlKind(const QWidget* widget)
{
    if (qobject_cast<const QGroupBox*>(widget))
        return ControlKind::Frame;
    if (qobject_cast<const QRadioButton*>(widget))
        return ControlKind::OptionButton;
    if (qobject_cast<const QCheckBox*>(widget))
        return ControlKind::CheckBox;
    if (widget->inherits("statusmill::PictureBox"))
        return ControlKind::PictureBox;
    if (qobject_cast<const QLabel*>(widget))
        return ControlKind::Label;
    return ControlKind::Other;
}

namespace {

void recolour(QWidget* window, bool pictureBoxesToo)
{
    setBackground(window, buttonFaceColour());
    for (QWidget* control : window->findChildren<QWidget*>()) {
        switch (controlKind(control)) {
        case ControlKind::Frame:
        case ControlKind::Label:
        case ControlKind::OptionButton:
        case ControlKind::CheckBox:
            setBackground(control, buttonFaceColour());
            break;
        case ControlKind::PictureBox:
            if (pictureBoxesToo)
                setBackground(control, buttonFaceColour());
            break;
        case ControlKind::Other:
            break;
        }
    }
}

} // namespace

void SkinFramework::LoadSkin(const QString& path, const QString& section)
{
    Q_UNUSED(section);
    m_styleSheet = QString::fromUtf8(readRegularFile(path, kMostAppearanceFileBytes));
}

void SkinFramework::ApplyWindow(QWidget* window) const
{
    if (m_options & FlatFrames) {
        for (QGroupBox* frame : window->findChildren<QGroupBox*>())
            frame->setFlat(true);
    }
    if (m_applyStyleSheet)
        window->setStyleSheet(m_styleSheet);
    if (m_repolishControls) {
        for (QWidget* control : window->findChildren<QWidget*>()) {
            control->style()->unpolish(control);
            control->style()->polish(control);
        }
    }
}

void ApplySkinIfPresent(QWidget* window, SkinFramework& skin)
{
    // Only a regular file counts: a folder, a pipe or a device of that name does not.
    if (!isRegularFile(skinFilePath()))
        return;

    recolour(window, true);

    skin.LoadSkin(skinFilePath(), QString());
    skin.setOptions(skin.options() | SkinFramework::FlatFrames);
    skin.setApplyStyleSheet(true);
    skin.setRepolishControls(true);
    skin.ApplyWindow(window);
}

void ApplyFormColors(QWidget* window)
{
    recolour(window, false);
}

bool handCursorPresent()
{
    return FileExists(handCursorPath()) && isRegularFile(handCursorPath());
}

QCursor loadCursorFile(const QString& path)
{
    const QByteArray bytes = readRegularFile(path, kMostAppearanceFileBytes);

    QImage image;
    if (!image.loadFromData(bytes, "CUR") || image.isNull())
        throw Failure(QStringLiteral("Invalid picture: %1").arg(path));

    // A .cur directory entry keeps the hotspot where an icon keeps planes and bit count.
    int hotX = -1;
    int hotY = -1;
    if (bytes.size() >= 6 + 16) {
        const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
        if (qFromLittleEndian<quint16>(data + 2) == 2) {
            hotX = qFromLittleEndian<quint16>(data + 6 + 4);
            hotY = qFromLittleEndian<quint16>(data + 6 + 6);
        }
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

void WindowPointer::set(State state)
{
    m_state = state;
    apply();
}

void WindowPointer::setCustomCursor(std::optional<QCursor> cursor)
{
    m_custom = std::move(cursor);
    apply();
}

void WindowPointer::hoverButton()
{
    if (m_state != Hourglass)
        set(Custom);
}

void WindowPointer::hoverBackground()
{
    if (m_state != Hourglass)
        set(Default);
}

void WindowPointer::followMouseMove(const QObject* watched, const QEvent* event,
                                    std::initializer_list<const QObject*> buttons,
                                    std::initializer_list<const QWidget*> backgrounds)
{
    if (event->type() != QEvent::MouseMove)
        return;
    if (std::find(buttons.begin(), buttons.end(), watched) != buttons.end()) {
        hoverButton();
        return;
    }
    for (const QWidget* background : backgrounds) {
        if (background != watched)
            continue;
        const auto* move = static_cast<const QMouseEvent*>(event);
        if (!background->childAt(move->position().toPoint()))
            hoverBackground();
    }
}

void WindowPointer::apply()
{
    if (!m_window)
        return;
    switch (m_state) {
    case Default:
        m_window->unsetCursor();
        break;
    case Hourglass:
        m_window->setCursor(Qt::WaitCursor);
        break;
    case Custom:
        // Without a cursor file the custom pointer has no image of its own.
        if (m_custom)
            m_window->setCursor(*m_custom);
        else
            m_window->unsetCursor();
        break;
    }
}

} // namespace statusmill
