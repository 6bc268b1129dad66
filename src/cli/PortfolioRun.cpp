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

// "out/portfolio.pdf: why", of the exception being handled.
QString failureLine(const Options& options)
{
    QString cause;
    try {
        throw;
    } catch (const Failure& failure) {
        cause = failure.description();
    } catch (const std::exception& error) {
        cause = causeOf(error);
    } catch (...) {
        cause = QStringLiteral("an unknown error");
    }
    return QStringLiteral("%1: %2").arg(options.portfolio, cause);
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

PortfolioTemplate portfolioTemplate(const Options& options)
{
    if (!options.portfolioTemplate.isEmpty())
        return {QFileInfo(options.portfolioTemplate).absoluteFilePath(), std::nullopt};
    const QString builtIn = WorkFolder::file(QStringLiteral("portfolio.dot"));
    if (!FileExists(builtIn))
        writeNewFile(TemplateResource::portfolioBytes(), builtIn);
    return {builtIn, paperFor({})};
}

PortfolioMaker::PortfolioMaker(const Options& options, const PortfolioTemplate& from,
                               automation::ReportMaker::Sessions sessions)
    : m_options(options), m_maker(std::move(sessions), from.path, from.paper)
{
    m_maker.linkRelativeToEachReport();
}

void PortfolioMaker::openAhead() noexcept
{
    try {
        m_maker.openAhead();
    } catch (...) {
    }
}

std::optional<QString> PortfolioMaker::make(const QList<Job>& jobs, const QSet<QString>& made,
                                            const std::optional<QList<data::Record>>& lastWeek) noexcept
{
    const auto finish = qScopeGuard([&] { m_maker.finish(); });
    try {
        QStringList errorCells;
        for (const Job& job : jobs)
            errorCells += job.errorCells;
        // It shows every project's data, so an error cell of any is its own.
        if (m_options.strict && !errorCells.isEmpty())
            throw Failure(strictRefusal(errorCells, {}));
        write(portfolioData(m_options, jobs, made, lastWeek));
        return std::nullopt;
    } catch (...) {
        return failureLine(m_options);
    }
}

// Writes the portfolio to its place; throws Failure.
void PortfolioMaker::write(const data::ReportData& data)
{
    const auto format = *SaveFormats::formatOfName(m_options.portfolio);
    // Made beside where it goes: the office writes a link relative to the file it
    // saves, which must be where the links lead from.
    const QString folder = QFileInfo(m_options.portfolio).path();
    if (const auto problem = makeFolder(folder))
        throw Failure(QStringLiteral("the folder %1 cannot be made: %2").arg(folder, *problem));
    const QString made = QDir(folder).filePath(
        QStringLiteral(".portfolio-%1.%2").arg(Random::uniqueSuffix(), QLatin1String(SaveFormats::extensionOf(format))));
    const auto removeMade = qScopeGuard([&] { DeleteFileQuietly(made); });
    const automation::FillOutcome filled = m_maker.make(data, made, format);
    if (m_options.strict && !(filled.left.isEmpty() && filled.gaps.isEmpty()))
        throw Failure(strictRefusal({}, filled.left, filled.gaps));
    copyFileIntoPlace(made, m_options.portfolio, m_options.overwrite);
}

bool sayPortfolioOutcome(const Options& options, const std::optional<QString>& failure)
{
    if (failure)
        tell(*failure);
    else if (options.verbose)
        tell(QStringLiteral("made %1").arg(options.portfolio));
    return !failure;
}

bool makePortfolio(const Options& options, const QList<Job>& jobs, const QSet<QString>& made,
                   const std::optional<QList<data::Record>>& lastWeek)
{
    std::optional<QString> failure;
    try {
        const PortfolioTemplate from = portfolioTemplate(options);
        const automation::OwnOffices offices = automation::prepareOwnOffices();
        PortfolioMaker maker(options, from, [&offices] { return automation::createOwnApplication(offices); });
        failure = maker.make(jobs, made, lastWeek);
    } catch (...) {
        failure = failureLine(options);
    }
    return sayPortfolioOutcome(options, failure);
}

} // namespace statusmill::cli
