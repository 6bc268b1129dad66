#include "Dialogs.h"

#include "PrintDialog.h"

#include "core/StopRequest.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPrinter>
#include <QQueue>
#include <QSpacerItem>

namespace statusmill::Dialogs {
namespace {

struct PrintAnswer
{
    QString fileName;
    int from = 0;
    int to = 0;
};

struct Recorder
{
    bool recording = false;
    QQueue<Answer> answers;
    QQueue<QString> fileNames;
    QQueue<QString> filters;
    QQueue<PrintAnswer> prints;
    QList<Shown> shown;
};

Recorder& recorder()
{
    static Recorder r;
    return r;
}

// A window manager that cannot fit a title in its title bar cuts it short (".."):
// a box is made wide enough for its title in a bold font, beside the window icon
// and the three buttons a title bar carries.
constexpr int kTitleBarRoom = 120;

void makeRoomForTitle(QMessageBox& box, const QString& title)
{
    QFont font = QApplication::font();
    font.setBold(true);
    const int wanted = QFontMetrics(font).horizontalAdvance(title) + kTitleBarRoom;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
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
        Shown s;
        s.title = title;
        s.text = text;
        s.icon = icon;
        s.buttons = buttons;
        r.shown.append(s);
        return r.answers.isEmpty() ? defaultAnswer(buttons) : r.answers.dequeue();
    }

    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    buttons == Buttons::Ok ? QMessageBox::Ok : (QMessageBox::Yes | QMessageBox::No),
                    QApplication::activeWindow());
    makeRoomForTitle(box, title);
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

QString saveFileName(const QString& title, const QString& folder, const QString& fileName,
                     const QString& filter, QString* selectedFilter)
{
    if (StopRequest::requested())
        return QString();
    const QString firstFilter = filter.section(QStringLiteral(";;"), 0, 0);
    auto& r = recorder();
    if (r.recording) {
        Shown s;
        s.title = title;
        s.isSaveDialog = true;
        s.fileName = fileName;
        s.folder = folder;
        s.filter = filter;
        r.shown.append(s);
        if (selectedFilter)
            *selectedFilter = r.filters.isEmpty() ? firstFilter : r.filters.dequeue();
        return r.fileNames.isEmpty() ? QString() : r.fileNames.dequeue();
    }

    QFileDialog dialog(QApplication::activeWindow(), title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectNameFilter(firstFilter);
    dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

bool print(QPrinter& printer, int pages, const QString& folder)
{
    if (StopRequest::requested())
        return false;
    printer.setFromTo(1, pages);
    printer.setPrintRange(QPrinter::AllPages);
    auto& r = recorder();
    if (r.recording) {
        Shown s;
        s.isPrintDialog = true;
        s.pages = pages;
        s.folder = folder;
        r.shown.append(s);
        if (r.prints.isEmpty())
            return false;
        const PrintAnswer answer = r.prints.dequeue();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(answer.fileName);
        if (answer.from > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(answer.from, answer.to);
        }
        return true;
    }

    PrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setMinMax(1, pages);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.suggestFileIn(folder);
    return dialog.exec() == QDialog::Accepted;
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

void setNextFilter(const QString& filter)
{
    recorder().filters.enqueue(filter);
}

void setNextPrintFile(const QString& fileName, int from, int to)
{
    recorder().prints.enqueue({fileName, from, to});
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
