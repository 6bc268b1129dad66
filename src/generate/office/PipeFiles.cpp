#include "PipeFiles.h"

#include "core/SafeRemoval.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <unistd.h>

namespace statusmill::office {
namespace {

QString pipePrefix()
{
    return QStringLiteral("OSL_PIPE_%1_").arg(::getuid());
}

// The inodes of the sockets the process holds open.
QSet<QByteArray> socketInodes(pid_t pid)
{
    QSet<QByteArray> inodes;
    const QString folder = QStringLiteral("/proc/%1/fd").arg(pid);
    const QStringList entries = QDir(folder).entryList(QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const QByteArray link = QFile::encodeName(QDir(folder).filePath(entry));
        char target[64] = {};
        const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
        const QByteArray text(target, length > 0 ? length : 0);
        if (text.startsWith("socket:[") && text.endsWith(']'))
            inodes.insert(text.mid(8, text.size() - 9));
    }
    return inodes;
}

} // namespace

QStringList pipeFilesNamed(const QString& pipeName)
{
    // The office takes /tmp, or /var/tmp where /tmp is not writable.
    const QString name = pipePrefix() + pipeName;
    return {QStringLiteral("/tmp/") + name, QStringLiteral("/var/tmp/") + name};
}

QStringList pipeFilesOfProfile(const QString& userInstallationUrl)
{
    const QByteArray digest = QCryptographicHash::hash(
        QByteArrayView(reinterpret_cast<const char*>(userInstallationUrl.utf16()),
                       userInstallationUrl.size() * qsizetype(sizeof(char16_t))),
        QCryptographicHash::Md5);
    QString hex;
    for (const char byte : digest)
        hex += QString::number(quint8(byte), 16);
    return pipeFilesNamed(QStringLiteral("SingleOfficeIPC_") + hex);
}

QStringList pipeFilesBoundBy(pid_t pid)
{
    const QSet<QByteArray> inodes = socketInodes(pid);
    QStringList found;
    QFile table(QStringLiteral("/proc/net/unix"));
    if (inodes.isEmpty() || !table.open(QIODevice::ReadOnly))
        return found;
    // "Num RefCount Protocol Flags Type St Inode Path", the path only for bound sockets.
    table.readLine();
    const QString prefix = pipePrefix();
    while (!table.atEnd()) {
        const QList<QByteArray> fields = table.readLine().simplified().split(' ');
        if (fields.size() < 8 || !inodes.contains(fields[6]))
            continue;
        const QString path = QFile::decodeName(fields.mid(7).join(' '));
        if (path.startsWith(QLatin1Char('/')) && QFileInfo(path).fileName().startsWith(prefix) &&
            !found.contains(path))
            found << path;
    }
    return found;
}

void removePipeFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        SafeRemoval::removeOfficeSocket(path);
}

} // namespace statusmill::office
