#include "KeptProfile.h"

#include "OfficeInstance.h"
#include "core/Failure.h"
#include "core/Random.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <sys/stat.h>

namespace statusmill::office::KeptProfile {
namespace {

// Beside the profile's own "user" folder; the office leaves other files alone.
const QString kStampFile = QStringLiteral("statusmill-build");

// What tells one LibreOffice build from another: the program's own file, and the
// build named in the installation's version file beside it.
QByteArray stampOf(const QString& program)
{
    struct stat info;
    if (::stat(QFile::encodeName(program).constData(), &info) != 0)
        return {};
    QByteArray stamp = QFile::encodeName(program) + ' ' + QByteArray::number(qint64(info.st_size)) +
                       ' ' + QByteArray::number(qint64(info.st_mtim.tv_sec)) + '.' +
                       QByteArray::number(qint64(info.st_mtim.tv_nsec));
    QFile version(QFileInfo(program).absolutePath() + QStringLiteral("/versionrc"));
    if (version.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : version.readAll().split('\n'))
            if (line.startsWith("buildid="))
                stamp += ' ' + line.trimmed();
    }
    return stamp + '\n';
}

QByteArray stampIn(const QString& profile)
{
    QFile stamp(QDir(profile).filePath(kStampFile));
    return stamp.open(QIODevice::ReadOnly) ? stamp.read(4096) : QByteArray();
}

// A name beside the kept profile, for one being written or set aside.
QString besideIt(const char* what)
{
    return folder() + QStringLiteral(".%1-%2").arg(QLatin1String(what), Random::uniqueSuffix());
}

} // namespace

QString folder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/statusmill/office-profile");
}

bool copyTo(const QString& program, const QString& to)
{
    const QString kept = folder();
    const QByteArray stamp = stampOf(program);
    if (kept.isEmpty() || stamp.isEmpty() || !QFileInfo(kept).isDir())
        return false;
    if (stampIn(kept) != stamp) {
        setAside(); // another build's: a new one is made and kept
        return false;
    }
    try {
        copyProfile(kept, to);
        return true;
    } catch (const Failure&) {
        QDir(to).removeRecursively();
        return false;
    }
}

void keep(const QString& program, const QString& profile)
{
    const QString kept = folder();
    const QByteArray stamp = stampOf(program);
    if (kept.isEmpty() || stamp.isEmpty() || stampIn(kept) == stamp)
        return;
    if (!QDir().mkpath(QFileInfo(kept).absolutePath()))
        return;
    const QString fresh = besideIt("new");
    try {
        copyProfile(profile, fresh);
        QFile stampFile(QDir(fresh).filePath(kStampFile));
        if (!stampFile.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
            stampFile.write(stamp) != stamp.size() || !stampFile.flush())
            throw Failure(stampFile.errorString());
    } catch (const Failure&) {
        QDir(fresh).removeRecursively();
        return;
    }
    // A stale one goes first; then the new one takes the name, unless a copy of the
    // program starting at the same moment got there first, whose profile is as good.
    if (QFileInfo(kept).isDir() && stampIn(kept) != stamp)
        setAside();
    if (std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(kept).constData()) != 0)
        QDir(fresh).removeRecursively();
}

void setAside()
{
    const QString kept = folder();
    if (kept.isEmpty() || !QFileInfo(kept).isDir())
        return;
    // Moved away in one step, so a copy of the program reading it meanwhile still
    // reads it whole; then removed.
    const QString aside = besideIt("old");
    if (std::rename(QFile::encodeName(kept).constData(), QFile::encodeName(aside).constData()) == 0)
        QDir(aside).removeRecursively();
}

} // namespace statusmill::office::KeptProfile
