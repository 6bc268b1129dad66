// Times reports with long lists, to see that a list costs what its items cost:
//   - one report of the built-in template whose NextSteps list (a table row) has
//     1,000 and then 10,000 items: the program, start to end, to .odt;
//   - the fill alone of that list, in this process: the one call into the office
//     that makes every row and fills it, without the office's layout of the pages;
//   - the fill and save of a list of paragraphs of 1,000 and of 10,000 items, in
//     this process, on a template kept open.
// With --against PROGRAM, the first is also timed for another build's program,
// side by side. Usage: bench_lists [--against PROGRAM]

#include "BenchSupport.h"
#include "generate/Offices.h"
#include "generate/ReportMaker.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

using namespace statusmill;

namespace {

const QString kProgram = QStringLiteral(STATUSMILL_PROGRAM);
constexpr int kSizes[] = {1000, 10000};

void writeList(const QString& path, int items)
{
    QJsonArray steps;
    for (int item = 1; item <= items; ++item)
        steps.append(QJsonObject{{"Action", QStringLiteral("Step %1").arg(item)},
                                 {"Owner", QStringLiteral("Owner %1").arg(item % 7)},
                                 {"Due", QStringLiteral("2026-12-%1").arg(item % 28 + 1)}});
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(QJsonDocument(QJsonObject{{"ProjectName", "Long list"}, {"NextSteps", steps}}).toJson());
}

// The whole command's time, or a negative one when it failed.
double oneReportMs(const QString& program, const QString& folder, int items)
{
    const QString data = QStringLiteral("list-%1.json").arg(items);
    const QString out = QStringLiteral("list-%1.odt").arg(items);
    QFile::remove(QDir(folder).filePath(out));
    QProcess process;
    process.setWorkingDirectory(folder);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {"--output", out, "--data", data, "--template", "example/report-template.ott"});
    process.waitForFinished(900000);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    return process.exitCode() == 0 && QFileInfo::exists(QDir(folder).filePath(out)) ? ms : -ms;
}

void timeProgram(const char* label, const QString& program, const QString& folder)
{
    double times[2] = {};
    for (int i = 0; i < 2; ++i) {
        times[i] = oneReportMs(program, folder, kSizes[i]);
        std::printf("%s: one report, NextSteps of %5d items  %9.1f ms%s\n", label, kSizes[i], std::abs(times[i]),
                    times[i] < 0 ? "  (failed)" : "");
        std::fflush(stdout);
    }
    if (times[0] > 0 && times[1] > 0)
        std::printf("  10,000 items = %.1f x 1,000 (target about 10 x or less)\n\n", times[1] / times[0]);
}

// The built-in template's NextSteps filled in one call, on a fresh copy each time.
void timeTableFill(const QString& folder)
{
    double times[2] = {};
    for (int i = 0; i < 2; ++i) {
        data::ReportData data;
        data::List steps{QStringLiteral("NextSteps"), {}};
        for (int item = 1; item <= kSizes[i]; ++item)
            steps.items.append({{QStringLiteral("Action"), QStringLiteral("Step %1").arg(item)},
                                {QStringLiteral("Owner"), QStringLiteral("Owner %1").arg(item % 7)},
                                {QStringLiteral("Due"), QStringLiteral("2026-12-%1").arg(item % 28 + 1)}});
        data.setList(steps);
        auto application = automation::engine().createApplication();
        auto document = application->Documents().Open(QDir(folder).filePath(QStringLiteral("example/report-template.ott")),
                                                      /*readOnly=*/true);
        // The fill, not the office's layout of the pages after it.
        document->SetScreenUpdating(false);
        QElapsedTimer clock;
        clock.start();
        document->FillData(data);
        times[i] = double(clock.nsecsElapsed()) / 1e6;
        document->Close(0);
        application->quit();
        std::printf("table: the fill alone of %5d items             %9.1f ms\n", kSizes[i], times[i]);
        std::fflush(stdout);
    }
    std::printf("  10,000 items = %.1f x 1,000 (target about 10 x or less)\n\n", times[1] / times[0]);
}

// A paragraph a step, made on a template kept open: the fill and save only.
void timeParagraphs(const QString& folder)
{
    const QString templatePath = QDir(folder).filePath(QStringLiteral("steps.fodt"));
    QFile file(templatePath);
    file.open(QIODevice::WriteOnly);
    file.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">
<office:body><office:text><text:p>Steps of [ProjectName]</text:p><text:p>[Steps.#]. [Steps.Action] by [Steps.Owner]</text:p><text:p>End</text:p></office:text></office:body></office:document>
)");
    file.close();
    automation::ReportMaker maker([] { return automation::engine().createApplication(); }, templatePath);
    maker.survey(); // opens it
    double times[2] = {};
    for (int i = 0; i < 2; ++i) {
        data::ReportData data;
        data.setField(QStringLiteral("ProjectName"), QStringLiteral("Long list"));
        data::List steps{QStringLiteral("Steps"), {}};
        for (int item = 1; item <= kSizes[i]; ++item)
            steps.items.append({{QStringLiteral("Action"), QStringLiteral("Step %1").arg(item)},
                                {QStringLiteral("Owner"), QStringLiteral("Owner %1").arg(item % 7)}});
        data.setList(steps);
        QElapsedTimer clock;
        clock.start();
        maker.make(data, QDir(folder).filePath(QStringLiteral("steps-%1.odt").arg(kSizes[i])), SaveFormats::Format::Odt);
        times[i] = double(clock.nsecsElapsed()) / 1e6;
        std::printf("paragraphs: fill and save of %5d items          %9.1f ms\n", kSizes[i], times[i]);
        std::fflush(stdout);
    }
    maker.finish();
    std::printf("  10,000 items = %.1f x 1,000 (target about 10 x or less)\n", times[1] / times[0]);
}

} // namespace

int main(int argc, char* argv[])
{
    QTemporaryDir scratch;
    bench::keepToScratch(scratch);
    QCoreApplication app(argc, argv);
    const QString folder = scratch.path();
    const QStringList arguments = app.arguments();
    const qsizetype against = arguments.indexOf(QStringLiteral("--against"));
    for (const int items : kSizes)
        writeList(scratch.filePath(QStringLiteral("list-%1.json").arg(items)), items);
    QProcess::execute(kProgram, {"--example", QDir(folder).filePath(QStringLiteral("example"))});

    timeProgram("this build ", kProgram, folder);
    if (against > 0 && against + 1 < arguments.size())
        timeProgram("other build", arguments.at(against + 1), folder);
    automation::startSpareOffices(/*oneSessionOnly=*/true);
    timeTableFill(folder);
    timeParagraphs(folder);
    automation::endSpareOffices();
    return 0;
}
