#include "Example.h"

#include "Output.h"
#include "OutputPlaces.h"
#include "core/CopyIntoPlace.h"
#include "core/Failure.h"
#include "core/FileHelpers.h"
#include "core/Random.h"
#include "core/WorkFolder.h"
#include "generate/TemplateResource.h"

#include <QDir>
#include <QScopeGuard>

namespace statusmill::cli {

int writeExample(const Options& options)
{
    const QDir folder(options.exampleDir);
    if (const auto problem = makeFolder(options.exampleDir)) {
        tell(QStringLiteral("the folder %1 cannot be made: %2").arg(options.exampleDir, *problem));
        return 2;
    }
    // All are looked at before any is written: an example of which a part is the
    // user's edited file and a part new would not fill the template whole.
    QStringList refusals;
    bool someWrittenOver = false;
    for (const char* name : kExampleFiles) {
        const QString target = folder.filePath(QLatin1String(name));
        someWrittenOver = someWrittenOver || isRegularFile(target);
        if (const auto reason = reasonNotToSaveOver(target))
            refusals << QStringLiteral("%1 cannot be written: %2").arg(target, *reason);
        else if (const auto taken = targetTaken(target, options.overwrite))
            refusals << *taken;
    }
    if (!refusals.isEmpty()) {
        for (const QString& refusal : std::as_const(refusals))
            tell(refusal);
        tell(QStringLiteral("no file of the example was written"));
        return 1;
    }
    // Files there already may be written over where they stand; the others find
    // out one by one.
    if (const auto why = folderTakesNoNewFile(folder.path()); why && !someWrittenOver) {
        tell(QStringLiteral("the folder %1 takes no new file: %2").arg(options.exampleDir, *why));
        return 2;
    }
    int failures = 0;
    for (const char* name : kExampleFiles) {
        const QString target = folder.filePath(QLatin1String(name));
        // Whole or not at all: the bytes go into place once they are all on disk.
        const QString made = WorkFolder::file(QStringLiteral("example-%1").arg(Random::uniqueSuffix()));
        const auto remove = qScopeGuard([&] { DeleteFileQuietly(made); });
        try {
            writeNewFile(TemplateResource::exampleBytes(QLatin1String(name)), made);
            copyFileIntoPlace(made, target, options.overwrite);
        } catch (const Failure& failure) {
            tell(failure.description());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

} // namespace statusmill::cli
