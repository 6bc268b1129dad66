// The preview window on a snapshot-like picture of two Letter pages at two pixels
// a unit (1632 x 4224 pixels, ratio 2): one zoom step, from the click until the
// viewport has been painted, and one repaint of the viewport after a scroll to the
// middle, at 100 %, 200 % and 400 %; then the peak resident memory.
//
//   bench_zoom [snapshot.png]                      a screen of ratio 1
//   QT_SCALE_FACTOR=2 bench_zoom [snapshot.png]    a screen of ratio 2
//
// A snapshot file is taken as rendered at two pixels a unit. The baseline, in the
// same process and after the memory has been read, is what a canvas holding the
// whole zoomed page would cost a step: one smooth scale of the whole picture to
// the zoomed size at one pixel a unit.
#include "BenchSupport.h"
#include "preview/Form2.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>

#include <cstdio>
#include <vector>

using namespace statusmill;

namespace {

constexpr int kRepetitions = 7;
constexpr qreal kPictureRatio = 2;
const QSize kPageUnits(816, 1056);
constexpr int kPages = 2;
constexpr double kTargetMs = 50;
constexpr long kTargetKilobytes = 250 * 1024;

// White pages with lines of word-like text, as a report prints.
QImage syntheticSnapshot()
{
    QImage picture(QSize(kPageUnits.width(), kPageUnits.height() * kPages) * kPictureRatio,
                   QImage::Format_RGB32);
    picture.setDevicePixelRatio(kPictureRatio);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12); // units: painting counts in them on a picture of ratio 2
    painter.setFont(font);
    painter.setPen(QColor(30, 30, 30));
    QRandomGenerator random(42);
    for (int page = 0; page < kPages; ++page) {
        for (int y = 96; y < kPageUnits.height() - 96; y += 18) {
            QString line;
            while (line.size() < 100) {
                const int length = 2 + int(random.bounded(9));
                for (int i = 0; i < length; ++i)
                    line += QChar(u'a' + int(random.bounded(26)));
                line += QLatin1Char(' ');
            }
            painter.drawText(96, page * kPageUnits.height() + y, line);
        }
    }
    return picture;
}

// Counts the canvas's paint events, so a timing that painted nothing shows.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Clicks from 100 % to `zoom`, so the window's own state leads there.
void zoomTo(Form2& form, float zoom)
{
    for (float z = 1.0f; z < zoom; z += 0.25f)
        form.PushButton1()->click();
    for (float z = 1.0f; z > zoom; z -= 0.25f)
        form.PushButton2()->click();
}

void scrollToTheMiddle(Form2& form)
{
    for (QScrollBar* bar : {form.HScroll1(), form.VScroll1()})
        bar->setValue(bar->maximum() / 2);
}

double wholePageMs(const QImage& picture, const QSize& zoomed)
{
    return bench::medianMs(kRepetitions, [&] {
        const QImage scaled =
            picture.scaled(zoomed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        Q_UNUSED(scaled);
    });
}

struct Figures
{
    float zoom;
    QSize canvas;
    double stepMs;
    double scrollMs;
};

const char* verdict(bool met)
{
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Dialogs::startRecording(); // any error report is recorded, never waits for a click

    const QStringList paths = app.arguments().mid(1);
    QImage picture = paths.isEmpty() ? syntheticSnapshot() : QImage(paths.first());
    if (picture.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(paths.first()));
        return 1;
    }
    picture.setDevicePixelRatio(kPictureRatio);
    const QSizeF units = picture.deviceIndependentSize();
    std::printf("picture: %s, %d x %d pixels, ratio %.0f: %.0f x %.0f units\n",
                paths.isEmpty() ? "synthetic" : "from file", picture.width(), picture.height(),
                picture.devicePixelRatio(), units.width(), units.height());

    Form2 form;
    form.setEndProgram([] {});
    form.setPicture(picture);
    form.setWordFile(QString());
    form.show();
    QCoreApplication::processEvents();
    const qreal screenRatio = form.devicePixelRatioF();
    std::printf("screen ratio: %.2f\n", screenRatio);
    std::printf("peak resident memory with the picture shown: %ld kB\n",
                bench::peakResidentKilobytes());

    PaintCounter counter;
    form.Picture1()->installEventFilter(&counter);
    QWidget* viewport = form.Picture2();
    const auto paintedFor = [&](auto&& work) {
        return [&, work] {
            const int before = counter.paints;
            work();
            viewport->repaint();
            if (counter.paints == before)
                std::printf("  (the canvas was not painted)\n");
        };
    };

    std::vector<Figures> figures;
    for (float zoom : {1.0f, 2.0f, 4.0f}) {
        zoomTo(form, zoom);
        if (form.zoom() != zoom) {
            std::printf("%.2f: not drawable\n", double(zoom));
            return 1;
        }
        // Each step comes from the zoom below, so it draws anew.
        std::vector<double> steps;
        std::vector<double> scrolls;
        for (int i = 0; i < kRepetitions; ++i) {
            form.PushButton2()->click();
            viewport->repaint();
            steps.push_back(bench::medianMs(1, paintedFor([&] { form.PushButton1()->click(); })));
            // A fresh zoom has painted only the top: the middle is new to it.
            scrolls.push_back(bench::medianMs(1, paintedFor([&] { scrollToTheMiddle(form); })));
        }
        figures.push_back({zoom, form.zoomSize(), bench::median(steps), bench::median(scrolls)});
    }
    const long peak = bench::peakResidentKilobytes();

    std::printf("%-6s %-13s %9s %11s %15s %10s %8s\n", "zoom", "canvas", "step ms", "scroll ms",
                "whole page ms", "step/whole", "target");
    bool met = true;
    for (const Figures& f : figures) {
        const double baseline = wholePageMs(picture, f.canvas);
        const bool inTime = f.stepMs <= kTargetMs && f.scrollMs <= kTargetMs;
        met = met && inTime;
        std::printf("%-6.2f %5d x %-5d %9.1f %11.1f %15.1f %10.3f %8s\n", double(f.zoom),
                    f.canvas.width(), f.canvas.height(), f.stepMs, f.scrollMs, baseline,
                    f.stepMs / baseline, verdict(inTime));
    }
    std::printf("target: at most %.0f ms a step or scroll: %s\n", kTargetMs, verdict(met));
    std::printf("peak resident memory after 400 %%: %ld kB (%.0f MB), target %ld MB: %s\n", peak,
                double(peak) / 1024, kTargetKilobytes / 1024, verdict(peak <= kTargetKilobytes));
    met = met && peak <= kTargetKilobytes;

    const int reports = int(Dialogs::shown().size());
    if (reports)
        std::printf("error reports during the run: %d\n", reports);
    return reports || !met ? 1 : 0;
}
