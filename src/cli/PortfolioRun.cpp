#include "PortfolioRun.h"

#include "Output.h"
#include "OutputPlaces.h"
#include "Strict.h"
#include "Templates.h"
#include "core/CopyIntoPlace.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"
#include "core/Random.h"
#include "core/WorkFolder.h"
#include "data/Portfolio.h"
#include "generate/Offices.h"
#include "generate/ReportMaker.h"
#include "generate/TemplateResource.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QUrl>

namespace statusmill::cli {
namespace {

QString portfolioTemplatePath(const Options& options)
{
    if (!options.portfolioTemplate.isEmpty())
        return QFileInfo(options.portfolioTemplate).absoluteFilePath();
    const QString builtIn = WorkFolder::file(QStringLiteral("portfolio.dot"));
    if (!FileExists(builtIn))
        writeNewFile(TemplateResource::portfolioBytes(), builtIn);
    return builtIn;
}

data::ReportData portfolioData(const Options& options, const QList<Job>& jobs, const QSet<QString>& made,
                               const std::optional<QList<data::Record>>& lastWeek)
{
    // Each report's whole file URL: the office saves a link to a file relative to
    // the document it writes, so the portfolio's folder moves whole with the
    // reports. A relative name it would save as given in Word's formats, but
    // make absolute in .odt and refuse in a PDF.
    QList<data::PortfolioProject> projects;
    for (const Job& job : jobs)
        projects.append({&job.data, made.contains(job.name)
                                        ? QUrl::fromLocalFile(QDir(options.outputDir).absoluteFilePath(job.name)).toString()
                                        : QString()});
    return data::portfolioOf(projects, lastWeek);
}

// Writes the portfolio to its place; throws Failure.
void writePortfolio(const Options& options, const data::ReportData& data)
{
    const auto format = *SaveFormats::formatOfName(options.portfolio);
    const automation::OwnOffices offices = automation::prepareOwnOffices();
    // Made beside where it goes: the office writes a link relative to the file it
    // saves, which must be where the links lead from.
    const QString folder = QFileInfo(options.portfolio).path();
    if (const auto problem = makeFolder(folder))
        throw Failure(QStringLiteral("the folder %1 cannot be made: %2").arg(folder, *problem));
    const QString made = QDir(folder).filePath(
        QStringLiteral(".portfolio-%1.%2").arg(Random::uniqueSuffix(), QLatin1String(SaveFormats::extensionOf(format))));
    const auto removeMade = qScopeGuard([&] { DeleteFileQuietly(made); });
    automation::ReportMaker maker([&offices] { return automation::createOwnApplication(offices); },
                                  portfolioTemplatePath(options), paperFor(options.portfolioTemplate));
    maker.linkRelativeToEachReport();
    const auto finish = qScopeGuard([&] { maker.finish(); });
    const QStringList kept = maker.make(data, made, format);
    if (options.strict && !kept.isEmpty())
        throw Failure(strictRefusal({}, kept));
    copyFileIntoPlace(made, options.portfolio, options.overwrite);
}

} // namespace

std::optional<QString> portfolioProblem(const Options& options)
{
    if (options.portfolio.isEmpty())
        return std::nullopt;
    if (!options.portfolioTemplate.isEmpty())
        if (const auto problem = templateProblem(options.portfolioTemplate))
            return QStringLiteral("Cannot use the template %1: %2").arg(options.portfolioTemplate, *problem);
    return targetTaken(options.portfolio, options.overwrite);
}

bool makePortfolio(const Options& options, const QList<Job>& jobs, const QSet<QString>& made,
                   const std::optional<QList<data::Record>>& lastWeek)
{
    QStringList errorCells;
    for (const Job& job : jobs)
        errorCells += job.errorCells;
    try {
        // It shows every project's data, so an error cell of any is its own.
        if (options.strict && !errorCells.isEmpty())
            throw Failure(strictRefusal(errorCells, {}));
        writePortfolio(options, portfolioData(options, jobs, made, lastWeek));
    } catch (const Failure& failure) {
        tell(QStringLiteral("%1: %2").arg(options.portfolio, failure.description()));
        return false;
    } catch (const std::exception& error) {
        tell(QStringLiteral("%1: %2").arg(options.portfolio, causeOf(error)));
        return false;
    }
    if (options.verbose)
        tell(QStringLiteral("made %1").arg(options.portfolio));
    return true;
}

} // namespace statusmill::cli
