#include "OutputPlaces.h"

#include "core/CopyIntoPlace.h"
#include "core/FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace statusmill::cli {
namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

std::optional<QString> targetTaken(const QString& target, bool overwrite)
{
    if (overwrite)
        return std::nullopt;
    const QFileInfo info(target);
    if (info.isSymLink() && !info.exists())
        return QStringLiteral("%1 is a link to %2, which does not exist; --overwrite writes the "
                              "report there")
            .arg(target, info.symLinkTarget());
    if (info.exists() || info.isSymLink())
        return QStringLiteral("%1 exists; --overwrite replaces it").arg(target);
    return std::nullopt;
}

std::optional<QString> folderTakesNoNewFile(const QString& folder)
{
    if (const auto why = whyFolderTakesNoWrite(folder))
        return why;
    // Where a nameless file cannot be made to tell, the rights as this user has them.
    if (::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return systemReason(errno);
    return std::nullopt;
}

std::optional<QString> makeFolder(const QString& folder)
{
    const QString absolute = QFileInfo(folder).absoluteFilePath();
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path += QLatin1Char('/') + part;
        const QByteArray name = QFile::encodeName(path);
        if (::mkdir(name.constData(), 0777) == 0)
            continue;
        const int error = errno;
        struct stat info;
        // A folder there already is fine, whatever mkdir says of it.
        if (::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            continue;
        return error == EEXIST ? QStringLiteral("%1 is not a folder").arg(path)
                               : QStringLiteral("%1: %2").arg(path, systemReason(error));
    }
    return std::nullopt;
}

} // namespace statusmill::cli
