#include "WorkFolder.h"

#include "Failure.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace statusmill::WorkFolder {
namespace {

QString& current()
{
    static QString folder;
    return folder;
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
    if (!folder.isEmpty() && QDir(folder).exists())
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
