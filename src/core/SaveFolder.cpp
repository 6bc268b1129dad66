#include "SaveFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

namespace statusmill::SaveFolder {

namespace {

// A path, and a little room; anything longer is not what we wrote.
constexpr qint64 kLongestStored = 8192;

QString stateFolder()
{
    const QString state = QFile::decodeName(qgetenv("XDG_STATE_HOME"));
    // Only an absolute XDG_STATE_HOME counts; a relative one is ignored, as the XDG
    // base directory rules have it.
    const QString base = QDir::isAbsolutePath(state)
                             ? state
                             : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/statusmill");
}

std::optional<QString> stored()
{
    QFile file(stateFile());
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kLongestStored + 1);
    if (bytes.size() > kLongestStored || bytes.contains('\0'))
        return std::nullopt;
    return QString::fromUtf8(bytes).section(QLatin1Char('\n'), 0, 0);
}

} // namespace

QString stateFile()
{
    return stateFolder() + QStringLiteral("/last-save-folder");
}

QString current()
{
    const std::optional<QString> folder = stored();
    if (folder && QDir::isAbsolutePath(*folder) && QFileInfo(*folder).isDir())
        return *folder;
    return QDir::homePath();
}

void remember(const QString& savedFile)
{
    const QString folder = QFileInfo(savedFile).absolutePath();
    // A name cannot hold a line break and still be read back.
    if (folder.contains(QLatin1Char('\n')) || !QDir().mkpath(stateFolder()))
        return;
    QFile::setPermissions(stateFolder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner);
    QSaveFile file(stateFile());
    if (file.open(QIODevice::WriteOnly)) {
        file.write(folder.toUtf8() + '\n');
        file.commit();
    }
}

} // namespace statusmill::SaveFolder
