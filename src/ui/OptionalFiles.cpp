#include "OptionalFiles.h"

#include "core/FileHelpers.h"

#include <QCoreApplication>
#include <QDir>

#include <utility>

namespace statusmill {

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

namespace {

QString& adminFolderSetting()
{
    static QString folder = QStringLiteral("/etc/statusmill");
    return folder;
}

// The program folder's file wins: a build run from its folder, or a file put
// beside an installed program, as it always has.
QString optionalFile(const QString& name)
{
    const QString beside = QDir(programFolder()).filePath(name);
    if (FileExists(beside))
        return beside;
    const QString administered = QDir(adminFolder()).filePath(name);
    return FileExists(administered) ? administered : beside;
}

} // namespace

QString adminFolder()
{
    return adminFolderSetting();
}

QString setAdminFolderForTests(const QString& folder)
{
    return std::exchange(adminFolderSetting(), folder);
}

QString skinFilePath()
{
    return optionalFile(QStringLiteral("x/o.cjs"));
}

QString handCursorPath()
{
    return optionalFile(QStringLiteral("HAND-M.CUR"));
}

} // namespace statusmill
