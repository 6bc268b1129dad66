#pragma once

#include <QList>
#include <QString>

class QPrinter;

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
    QString folder;   // the folder the save or print dialog starts in
    QString filter;   // the save dialog's filters
    bool isPrintDialog = false;
    int pages = 0; // the print dialog's page range: 1 to this
};

// The title of message boxes that have none of their own: the application title.
// Until start-up sets one it is the application's name. It is kept here rather
// than as Qt's display name, which Qt appends to every window title on X11 and
// Wayland ("Application Error — Statusmill").
QString applicationTitle();
void setApplicationTitle(const QString& title);

Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons);

// The standard save dialog, in `folder`: it adds no extension, asks nothing about
// overwriting, and returns the empty text when cancelled. `filter` holds one or
// more filters (";;" between them), the first selected; `selectedFilter` is told
// the one the user left selected.
QString saveFileName(const QString& title, const QString& folder, const QString& fileName,
                     const QString& filter, QString* selectedFilter = nullptr);

// The system's print dialog for a document of `pages` pages, all of them chosen at
// first; printing to a file suggests a file in `folder`. Whether the user asked to
// print; `printer` then holds their choices.
bool print(QPrinter& printer, int pages, const QString& folder);

// Test side.
void startRecording();
void stopRecording();
bool isRecording();
void setNextAnswer(Answer answer);
void setNextFileName(const QString& fileName);
// The filter the next save dialog answers with; by default the first.
void setNextFilter(const QString& filter);
// The next print dialog prints to this PDF file (pages `from` to `to`, or all when
// `from` is 0); without one queued, the print dialog is cancelled.
void setNextPrintFile(const QString& fileName, int from = 0, int to = 0);
QList<Shown> shown();
void clearShown();

} // namespace Dialogs
} // namespace statusmill
