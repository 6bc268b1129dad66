#pragma once

#include <QList>
#include <QString>

namespace statusmill {

// Every message box and the save dialog go through here. In production the real
// modal dialog is shown; once a test has called startRecording(), nothing modal is
// shown at all: each request is recorded and answered from the queued answers.
// Once the program is asked to stop, nothing is shown: a box is not answered
// (NoAnswer) and the dialog is cancelled.
namespace Dialogs {

enum class Icon { None, Warning };
enum class Buttons { Ok, YesNo };

// The platform's message-box answer codes.
enum Answer : int { NoAnswer = 0, Ok = 1, Yes = 6, No = 7 };

struct Shown
{
    QString title;
    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    bool isSaveDialog = false;
    QString fileName; // the save dialog's initial file name
    QString filter;   // the save dialog's filter
};

// The title of message boxes that have none of their own: the application title.
// Until start-up sets one it is the application's name. It is kept here rather
// than as Qt's display name, which Qt appends to every window title on X11 and
// Wayland ("Application Error — Statusmill").
QString applicationTitle();
void setApplicationTitle(const QString& title);

Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons);

// The standard save dialog: it adds no extension, asks nothing about overwriting,
// and returns the empty text when cancelled.
QString saveFileName(const QString& title, const QString& fileName, const QString& filter);

// Test side.
void startRecording();
void stopRecording();
bool isRecording();
void setNextAnswer(Answer answer);
void setNextFileName(const QString& fileName);
QList<Shown> shown();
void clearShown();

} // namespace Dialogs
} // namespace statusmill
