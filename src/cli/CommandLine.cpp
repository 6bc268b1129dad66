#include "CommandLine.h"

#include "Batch.h"
#include "Output.h"
#include "PlaceholderReport.h"
#include "Templates.h"
#include "core/CopyIntoPlace.h"
#include "core/FileHelpers.h"
#include "core/Product.h"
#include "core/Random.h"
#include "core/WorkFolder.h"
#include "generate/Offices.h"
#include "generate/ReportMaker.h"
#include "generate/TerminationSignals.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScopeGuard>

namespace statusmill::cli {
namespace {

int makeOneReport(const Options& options)
{
    const auto format = *SaveFormats::formatOfName(options.output);
    try {
        // Refused before any work: what a save would refuse, and a file that is
        // there already unless it may be replaced.
        if (const auto reason = reasonNotToSaveOver(options.output))
            throw Failure(QStringLiteral("%1 cannot be written: %2").arg(options.output, *reason));
        if (!options.overwrite && (QFileInfo::exists(options.output) || QFileInfo(options.output).isSymLink()))
            throw Failure(QStringLiteral("%1 exists; --overwrite replaces it").arg(options.output));
        const QString templatePath = templateToUse(options.templateFile);
        const QString made = WorkFolder::file(QStringLiteral("report-%1.%2")
                                                  .arg(Random::uniqueSuffix(),
                                                       QLatin1String(SaveFormats::extensionOf(format))));
        const auto remove = qScopeGuard([&] { DeleteFileQuietly(made); });
        automation::ReportMaker maker([] { return automation::engine().createApplication(); },
                                      templatePath, paperFor(options.templateFile));
        maker.make(options.values, made, format);
        maker.finish();
        copyFileIntoPlace(made, options.output, options.overwrite);
        return 0;
    } catch (const Failure& failure) {
        tell(failure.description());
        return 1;
    }
}

int listPlaceholders(const Options& options)
{
    try {
        if (const auto problem = templateProblem(options.listFile))
            throw Failure(QStringLiteral("Cannot open %1: %2").arg(options.listFile, *problem));
        automation::ReportMaker maker([] { return automation::engine().createApplication(); },
                                      QFileInfo(options.listFile).absoluteFilePath());
        const auto seen = maker.survey();
        maker.finish();
        return answer(describePlaceholders(options.listFile, seen)) ? 0 : 1;
    } catch (const Failure& failure) {
        tell(failure.description());
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
    // which starts now, while the rest of the work is set up.
    if (options.mode != Mode::Batch)
        automation::startSpareOffices(/*oneSessionOnly=*/true);
    int status = 1;
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
    default:
        break;
    }
    // Nothing of the offices' is kept: they are killed, not waited for.
    automation::endSpareOffices(/*orderly=*/false);
    WorkFolder::remove();
    return status;
}

} // namespace statusmill::cli
