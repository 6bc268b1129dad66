// Times whole reports made from data, against what a user of a JSON-templating
// report engine has, side by side in one run, medians:
//   - 100 full reports of the built-in template to PDF with 2 jobs (about 45
//     fields, 3 to 7 milestones, 4 budget lines, 4 risks, 3 next steps, 3
//     achievements and 2 decisions each), against bench/peer_reports.py: per
//     report it rewrites the template's content.xml, writes an .odt and converts
//     it on one of two warm LibreOffice listeners over UNO;
//   - the same 100 reports with the portfolio of them (--portfolio, to PDF), and
//     with last week's data (--previous: the same projects, some statuses moved),
//     against the 100 reports alone;
//   - a press in the window with --data and that full data, against the press
//     without data;
//   - with --long, 1,000 full reports: every process's memory along the way, and
//     the median time a report of the first and of the last hundred.
//   - with --against PROGRAM, the 100 full reports also of another build's
//     program, run in turn with this build's: this build against that one.
// Usage: bench_data [--long] [--against PROGRAM]
//                                   (the program is build/src/statusmill; the peer runs in
//                                    Debian's /usr/bin/python3 and
//                                    needs python3-uno: apt-get install python3-uno)
//        bench_data --press [FILE]  (internal: one start-up and first press)

#include "BenchSupport.h"
#include "ProgramRuns.h"
#include "shell/Application.h"
#include "shell/Form1.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <cstdio>

using namespace statusmill;

namespace {

constexpr int kRepetitions = 5;
const QString kProgram = QStringLiteral(STATUSMILL_PROGRAM);
const QString kPeer = QStringLiteral(STATUSMILL_SOURCE_DIR "/bench/peer_reports.py");

QJsonArray items(int count, const QStringList& fields, const QString& tag)
{
    QJsonArray list;
    for (int item = 1; item <= count; ++item) {
        QJsonObject values;
        for (const QString& field : fields)
            values.insert(field, QStringLiteral("%1 %2 %3").arg(tag, field).arg(item));
        list.append(values);
    }
    return list;
}

// A project's whole report: every field of the built-in template and its lists.
QJsonObject fullReport(int number, const QString& project)
{
    QJsonObject report{{"ProjectName", project},
                       {"Department", "Works"},
                       {"FocusArea", "Safety"},
                       {"Product", "Deck"},
                       {"ReportPeriod", "Week 49"},
                       {"PreparedBy", "Alice Example"},
                       {"NextReportDue", "December 15"},
                       {"ScheduleSummary", "On plan; the deck pour moved a week within the float."},
                       {"BudgetSummary", "Spending is within the approved budget."}};
    const char* statuses[] = {"Green", "Amber", "Red"};
    int row = 0;
    for (const char* area : {"Overall", "Schedule", "Budget", "Scope", "Quality", "Risks"}) {
        report.insert(QStringLiteral("%1Status").arg(area), QLatin1String(statuses[(number + row++) % 3]));
        report.insert(QStringLiteral("%1Trend").arg(area), QStringLiteral("Same"));
        report.insert(QStringLiteral("%1Comment").arg(area), QStringLiteral("Nothing new in %1").arg(area));
    }
    report.insert("Achievements", items(3, {"Text"}, "Done"));
    report.insert("Decisions", items(2, {"Text"}, "Decide"));
    report.insert("Milestones", items(3 + number % 5, {"Milestone", "Owner", "Planned", "Forecast", "Status"}, "M"));
    report.insert("Budget", items(4, {"Item", "Approved", "Actual", "Forecast", "Variance"}, "B"));
    report.insert("Risks", items(4, {"ID", "Description", "Rating", "Response", "Owner", "Due"}, "R"));
    report.insert("NextSteps", items(3, {"Action", "Owner", "Due"}, "Next"));
    return report;
}

// Last week's data of `reports`: the same projects, every fifth one's overall and
// schedule status other than this week's.
QJsonArray lastWeekOf(const QJsonArray& reports)
{
    QJsonArray lastWeek;
    for (qsizetype at = 0; at < reports.size(); ++at) {
        QJsonObject report = reports.at(at).toObject();
        if (at % 5 == 0)
            for (const char* status : {"OverallStatus", "ScheduleStatus"})
                report.insert(QLatin1String(status), report.value(QLatin1String(status)).toString() == "Green"
                                                         ? QStringLiteral("Amber")
                                                         : QStringLiteral("Green"));
        lastWeek.append(report);
    }
    return lastWeek;
}

void writeJson(const QString& path, const QJsonDocument& document)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(document.toJson());
}

double runMs(const QString& program, const QStringList& arguments, const QString& folder,
             QByteArray* said = nullptr)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.waitForFinished(600000);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (said)
        *said = process.readAllStandardOutput();
    return ms;
}

// One start-up of the program in this process and its first press three seconds
// later, with the sample values, from `dataFile` when one is given; prints its time.
int pressOnce(int argc, char* argv[], const QString& dataFile)
{
    Dialogs::startRecording();
    return runApplication(
        argc, argv,
        [](Form1& form) {
            form.PushButton4_Click(); // the sample values
            bench::idle(3000);
            const double ms = bench::pressMs(form);
            std::printf("%.1f %lld\n", ms, static_cast<long long>(Dialogs::shown().size()));
            for (const auto& shown : Dialogs::shown())
                std::fprintf(stderr, "  the press said: %s\n", qPrintable(shown.text));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        },
        {}, dataFile);
}

double pressMedianMs(const QString& self, const QString& dataFile, const QString& folder)
{
    std::vector<double> runs;
    for (int i = 0; i < kRepetitions; ++i) {
        QByteArray said;
        runMs(self, dataFile.isEmpty() ? QStringList{"--press"} : QStringList{"--press", dataFile}, folder, &said);
        const QList<QByteArray> words = said.trimmed().split(' ');
        if (words.value(1) != "0")
            std::printf("  (a press reported errors)\n");
        runs.push_back(words.value(0).toDouble());
    }
    return bench::median(runs);
}

void longRun(const QString& folder)
{
    constexpr int kReports = 1000;
    QJsonArray all;
    for (int report = 1; report <= kReports; ++report)
        all.append(fullReport(report, QStringLiteral("Project %1").arg(report)));
    writeJson(folder + QStringLiteral("/long.json"), QJsonDocument(all));
    bench::longBatch(kProgram, folder, QStringLiteral("long.json"), "full reports");
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 2 && QByteArray(argv[1]) == "--press")
        return pressOnce(argc, argv, argc >= 3 ? QString::fromLocal8Bit(argv[2]) : QString());

    QTemporaryDir scratch;
    bench::keepToScratch(scratch);
    qunsetenv("DISPLAY");
    QApplication app(argc, argv);
    const QString folder = scratch.path();

    QJsonArray hundred;
    for (int report = 1; report <= 100; ++report)
        hundred.append(fullReport(report, QStringLiteral("Project %1").arg(report)));
    writeJson(scratch.filePath(QStringLiteral("hundred.json")), QJsonDocument(hundred));
    writeJson(scratch.filePath(QStringLiteral("last-week.json")), QJsonDocument(lastWeekOf(hundred)));
    // The built-in template as users get it, for the peer.
    runMs(kProgram, {"--example", "example"}, folder);
    const QString ott = scratch.filePath(QStringLiteral("example/report-template.ott"));
    if (!QFileInfo::exists(ott)) {
        std::printf("statusmill --example made no report-template.ott\n");
        return 1;
    }

    const QStringList arguments = app.arguments();
    const qsizetype against = arguments.indexOf(QStringLiteral("--against"));
    const QString other = against > 0 ? arguments.value(against + 1) : QString();
    const QStringList batchArguments{"--batch", "hundred.json", "--output-dir", "out", "--jobs", "2"};
    std::vector<double> ours, peers, others, withPortfolio, withPrevious;
    for (int i = 0; i < kRepetitions; ++i) {
        QDir(scratch.filePath(QStringLiteral("out"))).removeRecursively();
        QDir(scratch.filePath(QStringLiteral("peer"))).removeRecursively();
        ours.push_back(runMs(kProgram, batchArguments, folder));
        QDir(scratch.filePath(QStringLiteral("out"))).removeRecursively();
        withPortfolio.push_back(runMs(kProgram, batchArguments + QStringList{"--portfolio", "out/portfolio.pdf"}, folder));
        QDir(scratch.filePath(QStringLiteral("out"))).removeRecursively();
        withPrevious.push_back(runMs(kProgram, batchArguments + QStringList{"--previous", "last-week.json"}, folder));
        if (!other.isEmpty()) {
            QDir(scratch.filePath(QStringLiteral("out"))).removeRecursively();
            others.push_back(runMs(other, batchArguments, folder));
        }
        QByteArray said;
        runMs(QStringLiteral("/usr/bin/python3"), {kPeer, ott, "hundred.json", "peer", "2"}, folder, &said);
        peers.push_back(said.trimmed().toDouble());
    }
    const double batch = bench::median(ours), peer = bench::median(peers);
    std::printf("100 full reports to PDF, 2 jobs, start to end  %8.1f ms (%.1f ms a report)\n", batch,
                batch / 100);
    std::printf("peer: XML rewritten, 2 warm listeners          %8.1f ms (%.1f ms a report)\n", peer,
                peer / 100);
    std::printf("  = %.2f x (target <= 0.6 x)\n\n", peer > 0 ? batch / peer : 0.0);
    const double portfolio = bench::median(withPortfolio), previous = bench::median(withPrevious);
    std::printf("the same and the portfolio of them in PDF      %8.1f ms = %.2f x (target <= 1.15 x)\n", portfolio,
                batch > 0 ? portfolio / batch : 0.0);
    std::printf("the same set against last week (--previous)    %8.1f ms = %.2f x (target <= 1.05 x)\n\n",
                previous, batch > 0 ? previous / batch : 0.0);
    if (!others.empty()) {
        const double before = bench::median(others);
        std::printf("the same with %s  %8.1f ms\n  this build = %.2f x that one (target <= 1.05 x)\n\n",
                    qPrintable(other), before, before > 0 ? batch / before : 0.0);
    }

    // The press with the sample project's whole report as its data file.
    writeJson(scratch.filePath(QStringLiteral("project.json")),
              QJsonDocument(fullReport(1, QStringLiteral("Brightfern Project"))));
    const QString self = QCoreApplication::applicationFilePath();
    const double plain = pressMedianMs(self, {}, folder);
    const double withData = pressMedianMs(self, scratch.filePath(QStringLiteral("project.json")), folder);
    std::printf("first press after start-up, no data       %8.1f ms\n", plain);
    std::printf("the same with --data and the whole report %8.1f ms = %.2f x (target <= 1.25 x)\n\n",
                withData, plain > 0 ? withData / plain : 0.0);

    if (app.arguments().contains(QStringLiteral("--long")))
        longRun(folder);
    return 0;
}
