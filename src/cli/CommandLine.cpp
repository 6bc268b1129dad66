#include "CommandLine.h"

#include "Batch.h"
#include "DataSources.h"
#include "Example.h"
#include "Output.h"
#include "OutputPlaces.h"
#include "PlaceholderReport.h"
#include "Strict.h"
#include "Templates.h"
#include "core/CopyIntoPlace.h"
#include "core/FileHelpers.h"
#include "core/Product.h"
#include "core/Random.h"
#include "core/StopRequest.h"
#include "core/WorkFolder.h"
#include "generate/Offices.h"
#include "generate/ReportMaker.h"
#include "generate/TerminationSignals.h"
#include "data/LastWeek.h"
#include "data/Placeholders.h"
#include "data/WindowFields.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScopeGuard>

namespace statusmill::cli {
namespace {

// Why the one report would have nowhere to go, found before any office starts:
// what a save would refuse, a file that is there already unless it may be
// replaced, and a folder that takes no new file (unless the old file is to be
// written over where it stands).
std::optional<QString> outputProblem(const Options& options)
{
    if (const auto reason = reasonNotToSaveOver(options.output))
        return QStringLiteral("%1 cannot be written: %2").arg(options.output, *reason);
    if (const auto taken = targetTaken(options.output, options.overwrite))
        return taken;
    const QString landing = finalLinkTarget(options.output).value_or(options.output);
    const bool inPlace = options.overwrite && isRegularFile(landing) &&
                         QFileInfo(landing).isWritable();
    if (inPlace)
        return std::nullopt;
    const QString folder = QFileInfo(landing).absolutePath();
    if (const auto why = folderTakesNoNewFile(folder))
        return QStringLiteral("%1 cannot be written: its folder %2 takes no new file (%3)")
            .arg(options.output, folder, *why);
    return std::nullopt;
}

// What a stop said instead of the failure it caused: the stop is the cause.
void tellStopOr(const QString& failure, const QString& stopped)
{
    const QString signal = stopSignalName();
    if (StopRequest::requested() && !signal.isEmpty())
        tell(QStringLiteral("stopped by %1; %2").arg(signal, stopped));
    else
        tell(failure);
}

// The one report's data: the data file's report (or none), the fields given on
// the command line over it, the lists linked, the four the window fills always
// there; what it holds, for the warnings; the cells of a workbook it reads as
// errors. Says the data's warnings. Throws Failure.
struct OneReport
{
    data::ReportData data;
    DataShape shape;
    QStringList errorCells;
};

OneReport oneReportData(const Options& options)
{
    std::optional<QString> project;
    for (const data::Field& field : options.given)
        if (field.name == QLatin1String(data::kWindowFields[0].name))
            project = field.text;
    RunData run = options.dataFile.isEmpty() ? commandLineData(options.given, options.lists)
                                             : readRunData(options.dataFile, options.lists);
    const data::Record picked = pickReport(run, options.dataFile, project);
    data::ReportData report = data::thisWeeksReport(picked.data, lastWeeksReports(options));
    for (const QString& warning : std::as_const(run.warnings))
        tell(QStringLiteral("warning: ") + warning);
    DataShape shape;
    shape.whole = run.whole;
    shape.columns = run.columns;
    // What the data gives, not what is worked out of it for the template.
    shape.add(picked.data);
    // The fields given on the command line are the options' (a --set the template
    // has no place for is said as such), not the data's.
    if (options.dataFile.isEmpty())
        shape.fields.clear();
    for (const data::Field& field : options.given)
        shape.alsoGiven << field.name;
    for (const data::Field& field : options.given)
        report.setField(field.name, field.text);
    data::giveWindowFields(report);
    data::giveReportDate(report);
    return {report, shape, picked.errorCells};
}

int makeOneReport(const Options& options)
{
    const auto format = *SaveFormats::formatOfName(options.output);
    OneReport one;
    if (const auto problem = outputProblem(options)) {
        tell(*problem);
        return 1;
    }
    try {
        one = oneReportData(options);
    } catch (const Failure& failure) {
        tellStopOr(failure.description(), QStringLiteral("no report was made"));
        return 2;
    }
    try {
        const QString templatePath = templateToUse(options);
        automation::startSpareOffices(/*oneSessionOnly=*/true);
        const QString made = WorkFolder::file(QStringLiteral("report-%1.%2")
                                                  .arg(Random::uniqueSuffix(),
                                                       QLatin1String(SaveFormats::extensionOf(format))));
        const auto remove = qScopeGuard([&] { DeleteFileQuietly(made); });
        automation::ReportMaker maker([] { return automation::engine().createApplication(); },
                                      templatePath, paperFor(options.templateFile));
        // What the template has no place for, or the data no text for, is said from
        // the template as the report is made of it.
        if (!options.setFields.isEmpty() || !options.dataFile.isEmpty() || !options.lists.isEmpty()) {
            try {
                const auto seen = maker.survey();
                for (const QString& field : fieldsNotHeld(seen, options.setFields))
                    tell(QStringLiteral("warning: the template holds no %1, so --set %2 fills nothing")
                             .arg(data::bracketed(field), field));
                for (const QString& warning : dataWarnings(seen, one.shape, maker.surveyCharts()))
                    tell(QStringLiteral("warning: ") + warning);
            } catch (const Failure&) {
                // The report says what is wrong with the template.
            }
        }
        const automation::FillOutcome filled = maker.make(one.data, made, format);
        maker.finish();
        if (!options.strict)
            for (const QString& gap : filled.gaps)
                tell(gapWarning(gap));
        if (options.strict) {
            if (const QString refused = strictRefusal(one.errorCells, filled.left, filled.gaps); !refused.isEmpty()) {
                tell(QStringLiteral("%1: %2").arg(options.output, refused));
                return 1;
            }
        }
        copyFileIntoPlace(made, options.output, options.overwrite);
        return 0;
    } catch (const Failure& failure) {
        tellStopOr(failure.description(), QStringLiteral("no report was made"));
        return 1;
    }
}

int listPlaceholders(const Options& options)
{
    try {
        if (const auto problem = templateProblem(options.listFile))
            throw Failure(QStringLiteral("Cannot open %1: %2").arg(options.listFile, *problem));
        automation::startSpareOffices(/*oneSessionOnly=*/true);
        automation::ReportMaker maker([] { return automation::engine().createApplication(); },
                                      QFileInfo(options.listFile).absoluteFilePath());
        QList<automation::PlaceholderSeen> seen;
        QList<automation::ChartSeen> charts;
        try {
            seen = maker.survey();
            charts = maker.surveyCharts();
        } catch (const Failure& failure) {
            // An office that ends while it reads the template was most likely ended by it.
            if (failure.kind() != Failure::Kind::OfficeLost || StopRequest::requested())
                throw;
            throw Failure(QStringLiteral("%1 could not be read by the document engine, which "
                                         "stopped while reading it; the file may be damaged.")
                              .arg(options.listFile));
        }
        maker.finish();
        return answer(describePlaceholders(options.listFile, seen, charts)) ? 0 : 1;
    } catch (const Failure& failure) {
        tellStopOr(failure.description(), QStringLiteral("nothing was listed"));
        return 1;
    }
}

} // namespace

Decision decide(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Decision decision;
    try {
        decision.options = parseOptions(arguments);
    } catch (const UsageError& error) {
        tell(QStringLiteral("%1 (see statusmill --help)").arg(error.message));
        decision.exitStatus = 2;
        return decision;
    }
    for (const QString& note : std::as_const(decision.options.notes))
        tell(note);
    switch (decision.options.mode) {
    case Mode::Help:
        decision.exitStatus = answer(helpText()) ? 0 : 1;
        break;
    case Mode::Version:
        decision.exitStatus =
            answer(QStringLiteral("statusmill %1\n").arg(QLatin1String(STATUSMILL_VERSION))) ? 0 : 1;
        break;
    case Mode::Window:
        // A template that cannot be read is said at once, not at the first press.
        if (!decision.options.templateFile.isEmpty()) {
            if (const auto problem = templateProblem(decision.options.templateFile)) {
                tell(QStringLiteral("cannot use the template %1: %2")
                         .arg(decision.options.templateFile, *problem));
                decision.exitStatus = 2;
            }
        }
        break;
    default:
        break;
    }
    return decision;
}

int run(int argc, char* argv[], const Options& options)
{
    // Made before the stop requests are taken and gone after they no longer are.
    std::optional<QCoreApplication> application;
    TerminationSignals stopRequests;
    application.emplace(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(kProductName));
    WorkFolder::removeLeftovers();
    try {
        WorkFolder::path();
    } catch (const Failure& failure) {
        tell(failure.description());
        return 1;
    }
    // A batch starts offices of its own; the others take the spares, the first of
    // which starts once nothing stands in the way of the work.
    int status = 1;
    try {
        switch (options.mode) {
        case Mode::OneReport:
            status = makeOneReport(options);
            break;
        case Mode::Batch:
            status = runBatch(options);
            break;
        case Mode::ListPlaceholders:
            status = listPlaceholders(options);
            break;
        case Mode::Example:
            status = writeExample(options);
            break;
        default:
            break;
        }
    } catch (const std::exception& error) {
        // Out of memory or threads: said, and the offices and files still go.
        tell(QStringLiteral("cannot go on: %1").arg(causeOf(error)));
        status = 1;
    }
    // Nothing of the offices' is kept: they are killed, not waited for.
    automation::endSpareOffices(/*orderly=*/false);
    WorkFolder::remove();
    // Stopped by a signal: the status a shell expects of a program it ended.
    if (StopRequest::requested() && StopRequest::signalNumber() > 0)
        return 128 + StopRequest::signalNumber();
    return status;
}

} // namespace statusmill::cli
