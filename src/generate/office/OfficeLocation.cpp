#include "OfficeLocation.h"

#include <utility>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace statusmill::office {
namespace {

std::optional<QStringList>& overriddenFolders()
{
    static std::optional<QStringList> folders;
    return folders;
}

QString programIn(const QString& folder)
{
    const QFileInfo program(QDir(folder).filePath(QStringLiteral("soffice.bin")));
    return program.isFile() && program.isExecutable() ? program.absoluteFilePath() : QString();
}

// `soffice` and `libreoffice` on PATH are links or scripts that live in (or point
// into) the program folder; soffice.bin sits beside the resolved file.
QString programFromPath()
{
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (found.isEmpty())
            continue;
        const QString resolved = QFileInfo(found).canonicalFilePath();
        for (const QString& candidate : {resolved, found}) {
            if (candidate.isEmpty())
                continue;
            const QString program = programIn(QFileInfo(candidate).absolutePath());
            if (!program.isEmpty())
                return program;
        }
    }
    return QString();
}

} // namespace

QStringList installFolders()
{
    if (overriddenFolders())
        return *overriddenFolders();

    QStringList folders{QStringLiteral("/usr/lib/libreoffice/program"),
                        QStringLiteral("/usr/lib64/libreoffice/program"),
                        QStringLiteral("/usr/local/lib/libreoffice/program")};
    // The vendor's own packages install as /opt/libreofficeX.Y; prefer the newest.
    QStringList opt = QDir(QStringLiteral("/opt"))
                          .entryList({QStringLiteral("libreoffice*")}, QDir::Dirs, QDir::Name);
    std::reverse(opt.begin(), opt.end());
    for (const QString& name : opt)
        folders << QStringLiteral("/opt/%1/program").arg(name);
    folders << QStringLiteral("/snap/libreoffice/current/lib/libreoffice/program");
    return folders;
}

std::optional<QStringList> setInstallFolders(std::optional<QStringList> folders)
{
    return std::exchange(overriddenFolders(), std::move(folders));
}

QString findOfficeProgram()
{
    const QString fromPath = programFromPath();
    if (!fromPath.isEmpty())
        return fromPath;
    for (const QString& folder : installFolders()) {
        const QString program = programIn(folder);
        if (!program.isEmpty())
            return program;
    }
    return QString();
}

QString searchDescription()
{
    return QStringLiteral("LibreOffice's soffice.bin, looked for through soffice/libreoffice on "
                          "PATH and in %1")
        .arg(installFolders().join(QStringLiteral(", ")));
}

} // namespace statusmill::office
