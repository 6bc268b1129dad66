#include "WorkFolder.h"

#include "Failure.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace statusmill::WorkFolder {
namespace {

QString& current()
{
    static QString folder;
    return folder;
}

// The folder we made may have been removed (a temp cleaner) and made again under
// the same name by someone else: reuse it only while it is still a real folder of
// ours that nobody else can enter.
bool isStillOurs(const QString& folder)
{
    struct stat info;
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 0777) == 0700;
}

} // namespace

QString baseFolder()
{
    const QString temp = qEnvironmentVariable("TEMP");
    return temp.isEmpty() ? QDir::tempPath() : temp;
}

QString path()
{
    QString& folder = current();
    if (!folder.isEmpty() && isStillOurs(folder))
        return folder;

    // mkdtemp makes the folder with mode 0700 and a name nobody can predict.
    QByteArray pattern =
        QFile::encodeName(QDir(baseFolder()).filePath(QStringLiteral("statusmill-XXXXXX")));
    if (!::mkdtemp(pattern.data()))
        throw Failure(QStringLiteral("Cannot make a working folder in %1: %2")
                          .arg(QDir::toNativeSeparators(baseFolder()),
                               QString::fromLocal8Bit(std::strerror(errno))));
    folder = QFile::decodeName(pattern);
    return folder;
}

QString file(const QString& name)
{
    return QDir::toNativeSeparators(QDir(path()).filePath(name));
}

void remove()
{
    QString& folder = current();
    if (!folder.isEmpty())
        QDir(folder).removeRecursively();
    folder.clear();
}

} // namespace statusmill::WorkFolder
