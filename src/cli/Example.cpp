#include "Example.h"

#include "Output.h"
#include "OutputPlaces.h"
#include "core/CopyIntoPlace.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"
#include "core/Paper.h"
#include "core/Random.h"
#include "core/WorkFolder.h"
#include "generate/Offices.h"
#include "generate/TemplateOnPaper.h"
#include "generate/TemplateResource.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

namespace statusmill::cli {

namespace {

// Why none of the example may be written (each file there already that may not be
// replaced), each a line; none when all of it may.
QStringList refusalsOf(const QDir& folder, bool overwrite)
{
    QStringList refusals;
    for (const char* name : kExampleFiles) {
        const QString target = folder.filePath(QLatin1String(name));
        if (const auto reason = reasonNotToSaveOver(target))
            refusals << QStringLiteral("%1 cannot be written: %2").arg(target, *reason);
        else if (const auto taken = targetTaken(target, overwrite))
            refusals << *taken;
    }
    return refusals;
}

// The paper the templates go on: none where the built-in report comes on their
// own (US Letter), and they are written as the program carries them.
std::optional<QSizeF> paperForTheTemplates()
{
    const std::optional<QSizeF> paper = Paper::forTheReport();
    return paper && !Paper::isLetter(*paper) ? paper : std::nullopt;
}

bool isTemplateName(const QString& name)
{
    return name.endsWith(QLatin1String(".ott")) || name.endsWith(QLatin1String(".dotx"));
}

// The example's files made whole in the working folder, in the order of
// kExampleFiles, and gone with this.
struct MadeExample
{
    QStringList files;
    ~MadeExample()
    {
        for (const QString& file : std::as_const(files))
            DeleteFileQuietly(file);
    }
};

// Makes every file of the example before any goes into place; the templates put
// on `paper` by one office. Throws Failure.
void makeExample(MadeExample& made, std::optional<QSizeF> paper)
{
    std::unique_ptr<automation::Application> office;
    for (const char* name : kExampleFiles) {
        const QString named = QLatin1String(name);
        made.files << WorkFolder::file(
            QStringLiteral("example-%1-%2").arg(Random::uniqueSuffix(), named));
        if (!paper || !isTemplateName(named)) {
            writeNewFile(TemplateResource::exampleBytes(named), made.files.constLast());
            continue;
        }
        const QString carried =
            WorkFolder::file(QStringLiteral("carried-%1-%2").arg(Random::uniqueSuffix(), named));
        const auto remove = qScopeGuard([&] { DeleteFileQuietly(carried); });
        writeNewFile(TemplateResource::exampleBytes(named), carried);
        if (!office) {
            automation::startSpareOffices(/*oneSessionOnly=*/true);
            office = automation::engine().createApplication();
        }
        automation::saveTemplateOnPaper(office, carried, made.files.constLast(), *paper);
    }
    try {
        if (office)
            office->quit();
    } catch (const Failure&) {
        // The files are made; the session's end takes the office with it.
    }
}

// The path as one word for a shell: as it is when it holds nothing a shell
// reads, in single quotes otherwise.
QString shellWord(const QString& path)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(path).hasMatch())
        return path;
    return QLatin1Char('\'') + QString(path).replace(QLatin1String("'"), QLatin1String("'\\''")) +
           QLatin1Char('\'');
}

} // namespace

int writeExample(const Options& options)
{
    const QDir folder(options.exampleDir);
    if (const auto problem = makeFolder(options.exampleDir)) {
        tell(QStringLiteral("the folder %1 cannot be made: %2").arg(options.exampleDir, *problem));
        return 2;
    }
    // All are looked at before any is written: an example of which a part is the
    // user's edited file and a part new would not fill the template whole.
    if (const QStringList refusals = refusalsOf(folder, options.overwrite); !refusals.isEmpty()) {
        for (const QString& refusal : refusals)
            tell(refusal);
        tell(QStringLiteral("no file of the example was written"));
        return 1;
    }
    // Files there already may be written over where they stand; the others find
    // out one by one.
    bool someWrittenOver = false;
    for (const char* name : kExampleFiles)
        someWrittenOver = someWrittenOver || isRegularFile(folder.filePath(QLatin1String(name)));
    if (const auto why = folderTakesNoNewFile(folder.path()); why && !someWrittenOver) {
        tell(QStringLiteral("the folder %1 takes no new file: %2").arg(options.exampleDir, *why));
        return 2;
    }
    MadeExample made;
    try {
        makeExample(made, paperForTheTemplates());
    } catch (const Failure& failure) {
        tell(failure.description());
        tell(QStringLiteral("no file of the example was written"));
        return 1;
    }
    // Said as paths from anywhere, so that the last line can be run as it stands.
    const QDir written(QDir::cleanPath(QFileInfo(options.exampleDir).absoluteFilePath()));
    int failures = 0;
    bool printed = true;
    for (qsizetype i = 0; i < made.files.size(); ++i) {
        const QString name = QLatin1String(kExampleFiles[size_t(i)]);
        try {
            // Whole or not at all: the bytes go into place once they are all on disk.
            copyFileIntoPlace(made.files.at(i), folder.filePath(name), options.overwrite);
            printed = printed && answer(QStringLiteral("wrote %1\n").arg(written.filePath(name)));
        } catch (const Failure& failure) {
            tell(failure.description());
            ++failures;
        }
    }
    if (failures > 0)
        return 1;
    printed = printed &&
              answer(QStringLiteral("make the first report: statusmill --template %1 --data %2 "
                                    "--output report.pdf\n")
                         .arg(shellWord(written.filePath(QStringLiteral("report-template.ott"))),
                              shellWord(written.filePath(QStringLiteral("project.json")))));
    return printed ? 0 : 1;
}

} // namespace statusmill::cli
