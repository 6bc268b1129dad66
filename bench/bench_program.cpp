// Times the program as a user meets it: start-up to the main window, and a press
// of "Start Creating Template" to the preview shown with its picture, the first
// after start-up and a later one after "< Back"; and the memory that the program
// and its offices hold while waiting for the user. Both ways of keeping offices
// are measured: recycling an office for the next session, and a fresh spare for
// every session.
// And against a peer made the way a scripter would: a warm LibreOffice listener over
// UNO that opens the template hidden, replaces the four placeholders in the main
// text, stores Word 97, exports PDF and rasterises the pages at the preview's
// resolution with pdftoppm.
// Usage: bench_program                      (everything, against the baselines)
//        bench_program --start [--fresh]    (internal: one start-up, prints its time)
//        bench_program --press [--fresh]    (internal: one start-up and first press)
//        bench_program --growth             (how the offices grow, press by press, with a
//                                            save every other press up to the twelfth and
//                                            a print at the seventh, until a fresh office
//                                            takes the place of the first; and what the
//                                            working folder holds while a report shows)
// It runs offscreen unless QT_QPA_PLATFORM says otherwise (under tests/x11/with-display,
// on a real X server).

#include "BenchSupport.h"
#include "ProgramRuns.h"
#include "core/WorkFolder.h"
#include "generate/Automation.h"
#include "generate/Offices.h"
#include "generate/office/OfficeInstance.h"
#include "generate/office/OfficeLocation.h"
#include "generate/office/UnoSupport.h"
#include "preview/Form2.h"
#include "shell/Application.h"
#include "shell/Form1.h"
#include "shell/StartUp.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XReplaceable.hpp>
#include <com/sun/star/util/XSearchDescriptor.hpp>

#include <cstdio>
#include <unistd.h>

using namespace statusmill;

namespace {

constexpr int kRepetitions = 5;

// One run of the whole program in this process, started afresh: prints the time
// from the process's start to the main window shown, or, with `press`, from a
// press made three seconds after that (as a user reads first) to the preview.
int runOnce(int argc, char* argv[], bool fresh, bool press)
{
    setSiteOpenerForTests([](const QUrl&) { return true; });
    Dialogs::startRecording();
    automation::setOfficeRecycling(!fresh);
    return runApplication(argc, argv, [press](Form1& form) {
        double ms = bench::msSinceProcessStart();
        if (press) {
            form.PushButton4_Click(); // the sample values
            bench::idle(3000);
            ms = bench::pressMs(form);
        }
        std::printf("%.1f %lld\n", ms, static_cast<long long>(Dialogs::shown().size()));
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

// The median of runs of the program in processes of their own.
double medianOfRunsMs(const QString& self, bool fresh, bool press)
{
    std::vector<double> runs;
    for (int i = 0; i < kRepetitions; ++i) {
        QProcess child;
        QStringList arguments{press ? QStringLiteral("--press") : QStringLiteral("--start")};
        if (fresh)
            arguments << QStringLiteral("--fresh");
        child.start(self, arguments);
        child.waitForFinished(120000);
        const QList<QByteArray> said = child.readAllStandardOutput().trimmed().split(' ');
        if (said.value(1) != "0")
            std::printf("  (a run reported errors)\n");
        runs.push_back(said.value(0).toDouble());
    }
    return bench::median(runs);
}

// The scripter's whole path on a warm listener, once; its time.
double peerPressMs(office::OfficeInstance& listener, const QString& templateFile,
                   const QString& folder)
{
    using namespace statusmill::uno;
    QElapsedTimer clock;
    clock.start();
    Reference<css::frame::XComponentLoader> loader(listener.desktop(), UNO_QUERY_THROW);
    const auto document = loader->loadComponentFromURL(
        fileUrl(templateFile), "_blank", 0,
        properties({{"Hidden", css::uno::Any(true)}, {"AsTemplate", css::uno::Any(true)}}));
    Reference<css::util::XReplaceable> body(
        Reference<css::text::XTextDocument>(document, UNO_QUERY_THROW)->getText(), UNO_QUERY);
    Reference<css::util::XReplaceable> replaceable =
        body.is() ? body : Reference<css::util::XReplaceable>(document, UNO_QUERY_THROW);
    for (const char* placeholder : {"[ProjectName]", "[Department]", "[FocusArea]", "[Product]"}) {
        const auto descriptor = replaceable->createReplaceDescriptor();
        descriptor->setSearchString(rtl::OUString::createFromAscii(placeholder));
        descriptor->setReplaceString("Sample");
        replaceable->replaceAll(Reference<css::util::XSearchDescriptor>(descriptor, UNO_QUERY_THROW));
    }
    Reference<css::frame::XStorable> storable(document, UNO_QUERY_THROW);
    storable->storeToURL(fileUrl(folder + QStringLiteral("/peer.doc")),
                         properties({{"FilterName", css::uno::Any(rtl::OUString("MS Word 97"))}}));
    storable->storeToURL(fileUrl(folder + QStringLiteral("/peer.pdf")),
                         properties({{"FilterName", css::uno::Any(rtl::OUString("writer_pdf_Export"))}}));
    Reference<css::util::XCloseable>(document, UNO_QUERY_THROW)->close(true);
    QProcess raster;
    raster.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("192"),
                                              folder + QStringLiteral("/peer.pdf"),
                                              folder + QStringLiteral("/peer")});
    raster.waitForFinished(60000);
    return double(clock.nsecsElapsed()) / 1e6;
}

double peerMs(const QString& templateFile, const QString& folder)
{
    auto listener = office::OfficeInstance::launch(office::findOfficeProgram(), {});
    listener->connect(office::OfficeInstance::Clock::now() + std::chrono::seconds(60), {});
    peerPressMs(*listener, templateFile, folder); // its first use, as the program's warm-up
    std::vector<double> runs;
    for (int i = 0; i < kRepetitions; ++i)
        runs.push_back(peerPressMs(*listener, templateFile, folder));
    listener->end();
    return bench::median(runs);
}

struct Figures
{
    double startUp = 0;
    double firstPress = 0;
    double laterPress = 0;
    long ourKilobytes = 0;
    QList<long> officeKilobytes;
};

Figures measure(const QString& self, bool fresh)
{
    Figures figures;
    figures.startUp = medianOfRunsMs(self, fresh, false);
    figures.firstPress = medianOfRunsMs(self, fresh, true);

    // Later presses, each after "< Back", in a program that has been running, as
    // the program keeps its offices: each holding the template opened ahead.
    automation::setOfficeRecycling(!fresh);
    automation::startSpareOffices();
    automation::prepareTemplatesAhead(QString());
    Form1 form;
    figures.laterPress = bench::median(bench::laterPresses(form, kRepetitions));

    bench::idle(3000);
    figures.ourKilobytes = bench::residentKilobytes(::getpid());
    for (pid_t office : bench::officeChildren())
        figures.officeKilobytes << bench::residentKilobytes(office);
    automation::endSpareOffices();
    WorkFolder::remove();
    return figures;
}

void print(const char* title, const Figures& f, double bare, double twoConversions, double peer)
{
    std::printf("%s\n", title);
    std::printf(
        "  start-up to main window shown     %8.1f ms  %.2f x bare session (target <= 1.00 x)\n",
        f.startUp, f.startUp / bare);
    std::printf(
        "  first press after start-up        %8.1f ms  %.3f x two conversions (target <= 0.15 x)\n",
        f.firstPress, f.firstPress / twoConversions);
    std::printf("                                               %.2f x the peer (target <= 0.8 x, "
                "and <= 100 ms)\n",
                f.firstPress / peer);
    std::printf(
        "  later press after < Back          %8.1f ms  %.3f x two conversions (target <= 0.15 x)\n",
        f.laterPress, f.laterPress / twoConversions);
    std::printf("  resident while idle: ours %.1f MB; offices (%lld):",
                double(f.ourKilobytes) / 1024, static_cast<long long>(f.officeKilobytes.size()));
    for (long kilobytes : f.officeKilobytes)
        std::printf(" %.1f MB", double(kilobytes) / 1024);
    std::printf("\n\n");
}

// Presses in a row, each after "< Back": the resident size of the biggest office
// after each, until the office that served them is replaced (or 40 presses).
void measureGrowth()
{
    automation::startSpareOffices();
    automation::prepareTemplatesAhead(QString());
    Form1 form;
    form.PushButton4_Click();
    form.show();
    bench::idle(3000);
    const auto offices = [] {
        QStringList sizes;
        for (pid_t office : bench::officeChildren())
            sizes << QString::number(double(bench::residentKilobytes(office)) / 1024, 'f', 1);
        return sizes.join(QStringLiteral(" MB, ")) + QStringLiteral(" MB");
    };
    const QString saves = QDir::temp().filePath(QStringLiteral("growth-saves"));
    QDir().mkpath(saves);
    const QStringList formats{"doc", "docx", "odt", "pdf"};
    for (int press = 1; press <= 40; ++press) {
        form.PushButton6()->click();
        Form2& preview = *form.existingForm2();
        if (press == 1)
            std::printf("working folder: %s\n",
                        qPrintable(QDir(WorkFolder::path())
                                       .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                                       .join(QLatin1Char(' '))));
        if (press <= 12 && press % 2 == 0) {
            Dialogs::setNextFileName(QStringLiteral("%1/report-%2.%3")
                                         .arg(saves)
                                         .arg(press)
                                         .arg(formats[(press / 2) % formats.size()]));
            preview.PushButton6_Click();
        }
        if (press == 7) {
            Dialogs::setNextPrintFile(saves + QStringLiteral("/printed.pdf"));
            preview.PrintReport();
        }
        preview.PushButton8()->click();
        bench::idle(300);
        std::printf("press %2d  offices %s\n", press, qPrintable(offices()));
        std::fflush(stdout);
    }
    QDir(saves).removeRecursively();
    automation::endSpareOffices();
    WorkFolder::remove();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && (qstrcmp(argv[1], "--start") == 0 || qstrcmp(argv[1], "--press") == 0))
        return runOnce(argc, argv, argc > 2 && qstrcmp(argv[2], "--fresh") == 0,
                       qstrcmp(argv[1], "--press") == 0);

    QTemporaryDir scratch;
    bench::keepToScratch(scratch);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Statusmill"));
    Dialogs::startRecording();
    if (argc > 1 && qstrcmp(argv[1], "--growth") == 0) {
        measureGrowth();
        return 0;
    }
    const QString self = QCoreApplication::applicationFilePath();
    const QString templateFile =
        QStringLiteral(STATUSMILL_SOURCE_DIR "/resources/template/template.dot");

    std::printf("platform %s, median of %d runs\n\n", qPrintable(QGuiApplication::platformName()),
                kRepetitions);
    // One bare office session as the program made it before it kept spares: an
    // office with a new profile of its own, started, connected and ended.
    const double bare = bench::medianMs(kRepetitions, [] {
        WorkFolder::remove();
        automation::engine().createApplication()->quit();
    });
    const double twoConversions = bench::medianMs(kRepetitions, [&] {
        bench::oneShotConversion(templateFile, scratch.path());
        bench::oneShotConversion(templateFile, scratch.path());
    });
    const double peer = peerMs(templateFile, scratch.path());
    WorkFolder::remove();
    std::printf("bare office session start + quit (baseline)  %8.1f ms\n", bare);
    std::printf("two one-shot conversions (baseline)          %8.1f ms\n", twoConversions);
    std::printf("a warm listener's whole path (peer)          %8.1f ms\n\n", peer);

    print("offices recycled for the next session", measure(self, false), bare, twoConversions, peer);
    print("a fresh spare office for every session", measure(self, true), bare, twoConversions, peer);
    std::printf("errors reported during the runs  %lld\n",
                static_cast<long long>(Dialogs::shown().size()));
    std::printf("peak resident memory of ours (VmHWM)  %.1f MB\n",
                double(bench::peakResidentKilobytes()) / 1024);
    return 0;
}
