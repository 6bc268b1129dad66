#include "FileHelpers.h"

#include "Failure.h"

#include <QCoreApplication>
#include <QFile>

#include <sys/stat.h>

namespace statusmill {

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0;
}

void WriteBytesIfAbsent(const QByteArray& bytes, const QString& path)
{
    QCoreApplication::processEvents();

    if (FileExists(path))
        return;

    QFile file(path);
    // NewOnly refuses a file (or a link) that appeared after the test above, so we
    // never write through something we did not create.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw Failure(QStringLiteral("Cannot create %1: %2").arg(path, file.errorString()));

    const bool written = file.write(bytes) == bytes.size() && file.flush();
    const QString reason = file.errorString();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        QFile::remove(path);
        throw Failure(QStringLiteral("Cannot write %1: %2").arg(path, reason));
    }
}

void DeleteFileQuietly(const QString& path)
{
    if (path.isEmpty())
        return;
    QFile::remove(path);
}

} // namespace statusmill
