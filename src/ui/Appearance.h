#pragma once

#include "ui/OptionalFiles.h"

#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QPointer>
#include <QString>

#include <initializer_list>
#include <optional>

class QEvent;
class QObject;
class QWidget;

namespace statusmill {

// The program's icon: four images, 32x32 at 24 bits and 48, 128 and 256 pixels
// square at 32 bits, kept as one Windows icon file among the resources.
QString programIconFile();
QIcon programIcon();

QColor designBackground(); // white
QColor buttonFaceColour(); // the system button-face colour

void setBackground(QWidget* widget, const QColor& colour);

// What the recolouring rules distinguish among a window's controls.
enum class ControlKind { Frame, Label, OptionButton, CheckBox, PictureBox, Other };
ControlKind controlKind(const QWidget* widget);

// The skin engine: loads a Qt style sheet from a skin file and applies it to a window.
class SkinFramework
{
public:
    enum Option { FlatFrames = 0x1 };

    // Throws Failure when the file cannot be read, is no regular file or is larger
    // than a megabyte. `section` names a part of a skin
    // bundle; our skin files hold one style sheet, so the empty text takes all of it.
    void LoadSkin(const QString& path, const QString& section);

    int options() const { return m_options; }
    void setOptions(int options) { m_options = options; }
    // Whether apply sets the loaded style sheet on the window.
    bool applyStyleSheet() const { return m_applyStyleSheet; }
    void setApplyStyleSheet(bool on) { m_applyStyleSheet = on; }
    // Whether apply re-polishes the window's controls so the skin shows at once.
    bool repolishControls() const { return m_repolishControls; }
    void setRepolishControls(bool on) { m_repolishControls = on; }

    void ApplyWindow(QWidget* window) const;

    const QString& styleSheet() const { return m_styleSheet; }

private:
    QString m_styleSheet;
    int m_options = 0;
    bool m_applyStyleSheet = false;
    bool m_repolishControls = false;
};

// When the skin file is there: button face for the window, its frames, labels,
// option buttons, check boxes and picture boxes, then the skin. Otherwise nothing.
void ApplySkinIfPresent(QWidget* window, SkinFramework& skin);

// Button face for the window, its frames, labels, option buttons and check boxes.
void ApplyFormColors(QWidget* window);

// Skin and cursor files are small; anything bigger is no such file.
inline constexpr qint64 kMostAppearanceFileBytes = 1 << 20;

// Whether the hand cursor file is there. Like the skin, only a regular file
// counts: a pipe or a device of that name would hold start-up forever.
bool handCursorPresent();

// A Windows cursor file as a pointer, hotspot included. Throws Failure when the
// file cannot be read, is no regular file, is larger than a megabyte or is no cursor.
QCursor loadCursorFile(const QString& path);

// A window's mouse pointer: default (0), hourglass (11) or custom (99).
class WindowPointer
{
public:
    enum State { Default = 0, Hourglass = 11, Custom = 99 };

    explicit WindowPointer(QWidget* window) : m_window(window) {}

    State state() const { return m_state; }
    void set(State state);

    const std::optional<QCursor>& customCursor() const { return m_custom; }
    void setCustomCursor(std::optional<QCursor> cursor);

    // The hover rules: over a button the custom pointer, over the background or
    // the frame the default one; never while the hourglass is up.
    void hoverButton();
    void hoverBackground();

    // The hover rules for a mouse move that the window's event filter saw on
    // `watched`. For the background widgets only their own area counts, not a
    // child (a field, a label) whose move was passed up to them.
    void followMouseMove(const QObject* watched, const QEvent* event,
                         std::initializer_list<const QObject*> buttons,
                         std::initializer_list<const QWidget*> backgrounds);

private:
    void apply();

    QPointer<QWidget> m_window;
    State m_state = Default;
    std::optional<QCursor> m_custom;
};

} // namespace statusmill
