#include "Templates.h"

#include "core/Failure.h"
#include "core/FileHelpers.h"
#include "core/Paper.h"
#include "core/WorkFolder.h"
#include "data/JsonData.h"
#include "data/Table.h"
#include "generate/TemplateResource.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace statusmill::cli {

std::optional<QString> templateProblem(const QString& userFile)
{
    struct stat info;
    if (::stat(QFile::encodeName(userFile).constData(), &info) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("it is not a file");
    if (!QFileInfo(userFile).isReadable())
        return QString::fromLocal8Bit(std::strerror(EACCES));
    // The office would open it as a new, blank document of the kind its name says.
    if (info.st_size == 0)
        return QStringLiteral("it is empty (0 bytes)");
    return std::nullopt;
}

BuiltInForm builtInFormFor(const Options& options)
{
    const bool structuredBatch = options.mode == Mode::Batch &&
                                 (data::isJsonName(options.table) || data::isSpreadsheetName(options.table));
    return !options.dataFile.isEmpty() || !options.lists.isEmpty() || structuredBatch ? BuiltInForm::Named
                                                                                      : BuiltInForm::Prompts;
}

QString templateToUse(const Options& options)
{
    const QString& userFile = options.templateFile;
    if (!userFile.isEmpty()) {
        if (const auto problem = templateProblem(userFile))
            throw Failure(QStringLiteral("Cannot use the template %1: %2").arg(userFile, *problem));
        return QFileInfo(userFile).absoluteFilePath();
    }
    const bool named = builtInFormFor(options) == BuiltInForm::Named;
    // Written without letting any event run: nothing here waits for one.
    const QString builtIn =
        WorkFolder::file(named ? QStringLiteral("template-data.dot") : QStringLiteral("template.dot"));
    if (!FileExists(builtIn))
        writeNewFile(named ? TemplateResource::dataBytes() : TemplateResource::bytes(), builtIn);
    return builtIn;
}

std::optional<QSizeF> paperFor(const QString& userFile)
{
    return userFile.isEmpty() ? Paper::forTheReport() : std::nullopt;
}

} // namespace statusmill::cli
