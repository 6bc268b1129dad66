// Times the document engine against a one-shot office conversion of the same file,
// and prints each figure beside its target.
// Usage: bench_engine [document] (default: the report template, else a sample).

#include "BenchSupport.h"
#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/Snapshot.h"

#include "generate/ClipboardPicture.h"
#include "core/PictureRest.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using namespace statusmill;
using namespace statusmill::automation;

namespace {

constexpr int kRepetitions = 5;

double timeIt(const std::function<void()>& work)
{
    return bench::medianMs(kRepetitions, work);
}

using bench::peakResidentKilobytes;

// The generation run's two passes: every story for each field, then each shape
// that has text, all fields.
void replaceAll(Document& document)
{
    const QStringList tags{QStringLiteral("[ProjectName]"), QStringLiteral("[Department]"),
                           QStringLiteral("[FocusArea]"), QStringLiteral("[Product]")};
    const QStringList values{QStringLiteral("Apollo"), QStringLiteral("Research"),
                             QStringLiteral("Quality"), QStringLiteral("Widget")};
    for (int field = 0; field < 4; ++field) {
        auto stories = document.StoryRanges();
        while (auto story = stories.next()) {
            Find& find = (*story)->Find();
            find.ClearFormatting();
            find.Replacement().ClearFormatting();
            find.setText(tags[field]);
            find.Replacement().setText(values[field]);
            find.setMatchCase(false);
            find.setMatchWildcards(false);
            find.Execute(Find::kReplaceAll);
        }
    }
    auto shapes = document.Shapes();
    while (auto shape = shapes.next()) {
        auto frame = (*shape)->TextFrame();
        if (frame->HasText())
            for (int field = 0; field < 4; ++field)
                frame->TextRange()->Find().Execute(tags[field], values[field], Find::kReplaceAll);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // pictures need Qt Gui, not a display
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;
    QString source = argc > 1
                         ? QString::fromLocal8Bit(argv[1])
                         : QStringLiteral(STATUSMILL_SOURCE_DIR "/resources/template/template.dot");
    if (!QFile::exists(source)) {
        // Six pages with placeholders, for a run before the template exists.
        source = folder.filePath(QStringLiteral("sample.fodt"));
        QFile file(source);
        file.open(QIODevice::WriteOnly);
        QByteArray body;
        for (int page = 1; page <= 6; ++page)
            body += "<text:p" + QByteArray(page > 1 ? " text:style-name=\"P\"" : "") +
                    ">Page [ProjectName] [Department] [FocusArea] [Product]</text:p>";
        file.write(
            "<?xml version=\"1.0\"?><office:document xmlns:office=\"urn:oasis:names:tc:"
            "opendocument:xmlns:office:1.0\" xmlns:style=\"urn:oasis:names:tc:opendocument:"
            "xmlns:style:1.0\" xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
            "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
            "office:mimetype=\"application/vnd.oasis.opendocument.text\"><office:automatic-"
            "styles><style:style style:name=\"P\" style:family=\"paragraph\"><style:paragraph-"
            "properties fo:break-before=\"page\"/></style:style></office:automatic-styles>"
            "<office:body><office:text>" +
            body + "</office:text></office:body></office:document>");
    }
    std::printf("document: %s, median of %d runs\n", qPrintable(source), kRepetitions);

    const double baseline = timeIt([&] { bench::oneShotConversion(source, folder.path()); });
    const double session = timeIt([] { engine().createApplication()->quit(); });

    auto application = engine().createApplication();
    double open = 0, replace = 0, save = 0;
    const double generate = timeIt([&] {
        QElapsedTimer step;
        step.start();
        auto document = application->Documents().Open(source, true);
        open = double(step.nsecsElapsed()) / 1e6;
        replaceAll(*document);
        replace = double(step.nsecsElapsed()) / 1e6 - open;
        document->SaveAs(folder.filePath(QStringLiteral("out.doc")));
        save = double(step.nsecsElapsed()) / 1e6 - open - replace;
        document->Close(0);
    });
    auto document = application->Documents().Open(source, true);
    int pages = 0;
    const double render = timeIt([&] {
        document->Range()->CopyAsPicture();
        const auto picture = GetClipboardPicture(0);
        waitForPictureRest(); // every page, not only the first view
        pages = picture ? int(picture->deviceIndependentSize().height() / 1056.0 + 0.5) : 0;
    });
    document->Close(0);
    application->quit();
    const double snapshot = timeIt([&] {
        SaveDocAsJPG(source);
        waitForPictureRest();
    });
    WorkFolder::remove();
    const double peakMegabytes = double(peakResidentKilobytes()) / 1024.0;

    auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
    std::printf("one-shot conversion (baseline)  %8.1f ms\n", baseline);
    std::printf(
        "session create + quit           %8.1f ms  %.2f x baseline (target <= 1.10 x)  %s\n",
        session, session / baseline, verdict(session <= 1.1 * baseline));
    std::printf("open + replace + save           %8.1f ms  in a running session (target <= 250 ms)"
                "  %s\n",
                generate, verdict(generate <= 250));
    std::printf("  of which open / replace / save  %.1f / %.1f / %.1f ms (last run)\n", open,
                replace, save);
    std::printf("render %d page%s to the picture   %8.1f ms  (target <= 300 ms for 2 pages)  %s\n",
                pages, pages == 1 ? "" : "s", render, verdict(render <= 300));
    std::printf("SaveDocAsJPG (own session)      %8.1f ms  (%.2f x baseline)\n", snapshot,
                snapshot / baseline);
    std::printf("peak resident memory (VmHWM)    %8.1f MB  (target <= 200 MB)  %s\n", peakMegabytes,
                verdict(peakMegabytes <= 200));
    return 0;
}
