#include "Dialogs.h"

#include "core/StopRequest.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QQueue>

namespace statusmill::Dialogs {
namespace {

struct Recorder
{
    bool recording = false;
    QQueue<Answer> answers;
    QQueue<QString> fileNames;
    QList<Shown> shown;
};

Recorder& recorder()
{
    static Recorder r;
    return r;
}

Answer defaultAnswer(Buttons buttons)
{
    return buttons == Buttons::Ok ? Ok : No;
}

QString& titleSetAtStart()
{
    static QString title;
    return title;
}

} // namespace

QString applicationTitle()
{
    const QString& title = titleSetAtStart();
    return title.isNull() ? QCoreApplication::applicationName() : title;
}

void setApplicationTitle(const QString& title)
{
    titleSetAtStart() = title;
}

Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons)
{
    if (StopRequest::requested())
        return NoAnswer;
    auto& r = recorder();
    if (r.recording) {
        r.shown.append({title, text, icon, buttons, false, {}, {}});
        return r.answers.isEmpty() ? defaultAnswer(buttons) : r.answers.dequeue();
    }

    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    buttons == Buttons::Ok ? QMessageBox::Ok : (QMessageBox::Yes | QMessageBox::No),
                    QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    case QMessageBox::Ok:
        return Ok;
    default:
        return NoAnswer;
    }
}

QString saveFileName(const QString& title, const QString& fileName, const QString& filter)
{
    if (StopRequest::requested())
        return QString();
    auto& r = recorder();
    if (r.recording) {
        Shown s;
        s.title = title;
        s.isSaveDialog = true;
        s.fileName = fileName;
        s.filter = filter;
        r.shown.append(s);
        return r.fileNames.isEmpty() ? QString() : r.fileNames.dequeue();
    }

    QFileDialog dialog(QApplication::activeWindow(), title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void startRecording()
{
    auto& r = recorder();
    r = Recorder{};
    r.recording = true;
}

void stopRecording()
{
    recorder() = Recorder{};
}

bool isRecording()
{
    return recorder().recording;
}

void setNextAnswer(Answer answer)
{
    recorder().answers.enqueue(answer);
}

void setNextFileName(const QString& fileName)
{
    recorder().fileNames.enqueue(fileName);
}

QList<Shown> shown()
{
    return recorder().shown;
}

void clearShown()
{
    recorder().shown.clear();
}

} // namespace statusmill::Dialogs
