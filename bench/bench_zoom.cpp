// One zoom step's redraw in the preview window, on a snapshot-sized picture.
//
//   bench_zoom [snapshot.png | page1.png page2.png ...]
//
// Several pictures are stacked top to bottom, as the snapshot stacks the pages.
// Without any, a synthetic six-page picture of the snapshot's size is used.
#include "BenchSupport.h"
#include "common/Dialogs.h"
#include "preview/Form2.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace statusmill;

namespace {

constexpr int kRepetitions = 9;
const QSize kPage(816, 1056);
constexpr int kPages = 6;

// White pages with dark word-like marks in lines, like printed text.
QImage syntheticSnapshot()
{
    QImage picture(kPage.width(), kPage.height() * kPages, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QRandomGenerator random(42);
    for (int page = 0; page < kPages; ++page) {
        for (int y = 96; y < kPage.height() - 96; y += 18) {
            for (int x = 96; x < kPage.width() - 96;) {
                const int word = 12 + int(random.bounded(60));
                painter.fillRect(x, page * kPage.height() + y, word, 10, QColor(30, 30, 30));
                x += word + 6;
            }
        }
    }
    return picture;
}

QImage stacked(const QStringList& paths)
{
    QList<QImage> parts;
    int width = 0;
    int height = 0;
    for (const QString& path : paths) {
        QImage part(path);
        if (part.isNull()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return {};
        }
        width = std::max(width, part.width());
        height += part.height();
        parts << part;
    }
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    int y = 0;
    for (const QImage& part : parts) {
        painter.drawImage(0, y, part);
        y += part.height();
    }
    return picture;
}

template <class Work> double medianMs(Work&& work)
{
    return bench::medianMs(kRepetitions, work);
}

QByteArray statusLine(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return "?";
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed();
    return "?";
}

// Clicks from 100 % to `zoom`, so the window's own state leads there.
void zoomTo(Form2& form, float zoom)
{
    for (float z = 1.0f; z < zoom; z += 0.25f)
        form.PushButton1()->click();
    for (float z = 1.0f; z > zoom; z -= 0.25f)
        form.PushButton2()->click();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Dialogs::startRecording(); // any error report is recorded, never waits for a click

    const QStringList paths = app.arguments().mid(1);
    const QImage picture = paths.isEmpty() ? syntheticSnapshot() : stacked(paths);
    if (picture.isNull())
        return 1;
    std::printf("picture: %s, %d x %d\n", paths.isEmpty() ? "synthetic" : "from file",
                picture.width(), picture.height());

    const QSize base = picture.size() - QSize(2, 2);
    float largest = 4.0f;
    while (largest > 0.25f && (int(base.width() * largest) >= Form2::kWidthLimit ||
                               int(base.height() * largest) >= Form2::kHeightLimit))
        largest -= 0.25f;

    std::vector<float> zooms{1.0f, 1.5f};
    if (std::find(zooms.begin(), zooms.end(), largest) == zooms.end())
        zooms.push_back(largest);
    std::printf("largest drawable zoom: %.2f\n", double(largest));
    std::printf("%-8s %-12s %12s %14s %8s\n", "zoom", "canvas", "redraw ms", "baseline ms",
                "ratio");
    for (float zoom : zooms) {
        Form2 form;
        form.setEndProgram([] {});
        form.setPicture(picture);
        form.setWordFile(QString());
        form.show();
        QCoreApplication::processEvents();
        zoomTo(form, zoom);
        if (form.zoom() != zoom) {
            std::printf("%-8.2f not drawable\n", double(zoom));
            continue;
        }
        // The redraw itself plus painting the visible part of the new canvas.
        const double redraw = medianMs([&] {
            form.RedrawImage();
            form.Picture1()->repaint();
        });
        const QSize target = form.zoomSize();
        // Baseline: a plain smooth scale of the same picture to the same size.
        const double baseline = medianMs([&] {
            const QImage scaled =
                picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            Q_UNUSED(scaled);
        });
        std::printf("%-8.2f %5d x %-5d %12.1f %14.1f %8.2f\n", double(zoom), target.width(),
                    target.height(), redraw, baseline, redraw / baseline);
        if (zoom == largest)
            std::printf("peak resident memory at %.2f: VmHWM %s (VmRSS now %s)\n", double(zoom),
                        statusLine("VmHWM:").constData(), statusLine("VmRSS:").constData());
    }
    std::printf("target: at most 100 ms per redraw\n");
    const int reports = int(Dialogs::shown().size());
    if (reports)
        std::printf("error reports during the run: %d\n", reports);
    return reports ? 1 : 0;
}
