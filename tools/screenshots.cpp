// Makes the README's screenshots of the program as a user sees it: the main window
// with the sample values, then the preview of the report they make, each with the
// window manager's frame. Run by scripts/screenshots on a private X server.
//   screenshots FOLDER

#include "preview/Form2.h"
#include "shell/Application.h"
#include "shell/Form1.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>

using namespace statusmill;

namespace {

// Events go on meanwhile: the window manager frames and the program paints.
void wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The window with its frame, from the screen itself.
bool shoot(QWidget& window, const QString& file)
{
    const QRect frame = window.frameGeometry();
    const QPixmap picture =
        window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const bool saved = !picture.isNull() && picture.save(file);
    std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(file));
    return saved;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshots FOLDER\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    char* programArguments[] = {argv[0], nullptr};
    int programArgumentCount = 1;
    bool allSaved = false;
    const int status = runApplication(programArgumentCount, programArguments, [&](Form1& form) {
        form.PushButton4()->click(); // the sample values
        wait(1500);
        allSaved = shoot(form, folder + QStringLiteral("/main-window.png"));
        form.PushButton6()->click();
        wait(1500);
        if (Form2* preview = form.existingForm2(); preview && preview->isVisible())
            allSaved = shoot(*preview, folder + QStringLiteral("/preview.png")) && allSaved;
        else
            allSaved = false;
        QCoreApplication::exit(0);
    });
    return status == 0 && allSaved ? 0 : 1;
}
