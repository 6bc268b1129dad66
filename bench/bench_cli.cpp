// Times reports made without the window, against what a scripter would use today,
// side by side in one run, medians:
//   - one report, process start to the PDF on disk, against the one-shot pipeline
//     (sed on the flat template, then soffice --convert-to pdf with a profile that
//     stays between runs, as a user's own does);
//   - 100 rows to PDF with 2 jobs, against a peer of two warm LibreOffice listeners,
//     each driven over UNO from a thread of its own and taking rows from one queue:
//     per row it opens the template hidden as a template, replaces the four
//     placeholders with the document's replaceAll, exports PDF and closes;
//   - with --long, 1,000 rows: every process's memory along the way, and the median
//     time a report of the first and of the last hundred rows.
// Usage: bench_cli [--long]   (the program is build/src/statusmill)

#include "BenchSupport.h"
#include "core/WorkFolder.h"
#include "generate/Offices.h"
#include "generate/office/KeptProfile.h"
#include "generate/office/OfficeInstance.h"
#include "generate/office/OfficeLocation.h"
#include "generate/office/UnoSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XReplaceable.hpp>
#include <com/sun/star/util/XSearchDescriptor.hpp>

#include <atomic>
#include <cstdio>
#include <thread>

using namespace statusmill;
using namespace statusmill::uno;

namespace {

constexpr int kRepetitions = 5;
const QString kProgram = QStringLiteral(STATUSMILL_PROGRAM);
const QString kTemplateDot = QStringLiteral(STATUSMILL_SOURCE_DIR "/resources/template/template.dot");
const QString kTemplateFlat = QStringLiteral(STATUSMILL_SOURCE_DIR "/resources/template/template.fodt");

double runMs(const QString& program, const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.waitForFinished(600000);
    return double(clock.nsecsElapsed()) / 1e6;
}

// sed on the flat template, then one conversion to PDF.
double oneShotPipeline(const QString& folder, const QString& profile)
{
    return runMs(QStringLiteral("sh"),
                 {QStringLiteral("-c"),
                  QStringLiteral("sed -e 's/\\[ProjectName\\]/Harbour Bridge/g' -e "
                                 "'s/\\[Department\\]/Works/g' -e 's/\\[FocusArea\\]/Safety/g' -e "
                                 "'s/\\[Product\\]/Deck/g' '%1' > report.fodt && soffice "
                                 "-env:UserInstallation=file://%2 --headless --convert-to pdf "
                                 "report.fodt")
                      .arg(kTemplateFlat, profile)},
                 folder);
}

void writeTable(const QString& path, int rows)
{
    QFile table(path);
    table.open(QIODevice::WriteOnly);
    table.write("Project Name,Department,Focus Area,Product/Process\n");
    for (int row = 1; row <= rows; ++row)
        table.write(QStringLiteral("Project %1,Works,Safety,Deck %1\n").arg(row).toUtf8());
}

// The scripter's peer: `jobs` warm listeners, rows from one queue.
double peerMs(const QString& folder, int rows, int jobs)
{
    const QString program = office::findOfficeProgram();
    std::vector<std::unique_ptr<office::OfficeInstance>> listeners;
    for (int job = 0; job < jobs; ++job) {
        listeners.push_back(office::OfficeInstance::launch(program, {}));
        listeners.back()->connect(office::OfficeInstance::Clock::now() + std::chrono::seconds(60),
                                  {});
    }
    std::atomic<int> next = 0;
    const auto templateUrl = fileUrl(kTemplateDot);
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> threads;
    for (auto& listener : listeners)
        threads.emplace_back([&, desktop = listener->desktop()] {
            Reference<css::frame::XComponentLoader> loader(desktop, UNO_QUERY_THROW);
            for (int row = next++; row < rows; row = next++) {
                const auto document = loader->loadComponentFromURL(
                    templateUrl, "_blank", 0,
                    properties({{"Hidden", css::uno::Any(true)}, {"AsTemplate", css::uno::Any(true)}}));
                Reference<css::util::XReplaceable> replaceable(document, UNO_QUERY_THROW);
                const std::pair<const char*, QString> values[] = {
                    {"[ProjectName]", QStringLiteral("Project %1").arg(row)},
                    {"[Department]", QStringLiteral("Works")},
                    {"[FocusArea]", QStringLiteral("Safety")},
                    {"[Product]", QStringLiteral("Deck")}};
                for (const auto& [placeholder, value] : values) {
                    const auto descriptor = replaceable->createReplaceDescriptor();
                    descriptor->setSearchString(rtl::OUString::createFromAscii(placeholder));
                    descriptor->setReplaceString(toOUString(value));
                    replaceable->replaceAll(
                        Reference<css::util::XSearchDescriptor>(descriptor, UNO_QUERY_THROW));
                }
                Reference<css::frame::XStorable>(document, UNO_QUERY_THROW)
                    ->storeToURL(fileUrl(QStringLiteral("%1/peer-%2.pdf").arg(folder).arg(row)),
                                 properties({{"FilterName", css::uno::Any(rtl::OUString("writer_pdf_Export"))}}));
                Reference<css::util::XCloseable>(document, UNO_QUERY_THROW)->close(true);
            }
        });
    for (auto& thread : threads)
        thread.join();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    for (auto& listener : listeners)
        listener->end();
    return ms;
}

void longRun(const QString& folder)
{
    constexpr int kRows = 1000;
    writeTable(folder + QStringLiteral("/long.csv"), kRows);
    bench::longBatch(kProgram, folder, QStringLiteral("long.csv"), "rows");
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir scratch;
    bench::keepToScratch(scratch);
    qunsetenv("DISPLAY");
    QCoreApplication app(argc, argv);
    const QString folder = scratch.path();
    const QString profile = scratch.filePath(QStringLiteral("one-shot-profile"));

    // Untimed: the program's first run makes its kept profile; the one-shot's first
    // run makes its own.
    runMs(kProgram, {"--output", "warm.pdf"}, folder);
    oneShotPipeline(folder, profile);

    std::vector<double> ours, oneShots;
    for (int i = 0; i < kRepetitions; ++i) {
        QFile::remove(scratch.filePath(QStringLiteral("one.pdf")));
        ours.push_back(runMs(kProgram,
                             {"--output", "one.pdf", "--project", "Harbour Bridge", "--department",
                              "Works", "--focus-area", "Safety", "--product", "Deck"},
                             folder));
        oneShots.push_back(oneShotPipeline(folder, profile));
    }
    const double one = bench::median(ours), oneShot = bench::median(oneShots);
    std::printf("one report, start to PDF on disk   %8.1f ms\n", one);
    std::printf("one-shot pipeline (baseline)       %8.1f ms\n", oneShot);
    std::printf("  = %.2f x (target <= 0.3 x)\n\n", one / oneShot);

    writeTable(scratch.filePath(QStringLiteral("rows.csv")), 100);
    // The peer's listeners are started before its clock starts, and ended after.
    std::vector<double> batches, peers;
    for (int i = 0; i < kRepetitions; ++i) {
        QDir(scratch.filePath(QStringLiteral("out"))).removeRecursively();
        batches.push_back(runMs(kProgram, {"--batch", "rows.csv", "--output-dir", "out", "--jobs", "2"},
                                folder));
        peers.push_back(peerMs(folder, 100, 2));
        WorkFolder::remove();
    }
    const double batch = bench::median(batches), peer = bench::median(peers);
    std::printf("100 rows to PDF, 2 jobs, start to end  %8.1f ms (%.1f ms a report)\n", batch,
                batch / 100);
    std::printf("peer, 2 warm listeners (baseline)      %8.1f ms (%.1f ms a report)\n", peer,
                peer / 100);
    std::printf("  = %.2f x (target <= 0.8 x)\n\n", batch / peer);

    if (app.arguments().contains(QStringLiteral("--long")))
        longRun(folder);
    return 0;
}
