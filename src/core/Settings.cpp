#include "Settings.h"

#include "Failure.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

namespace statusmill::Settings {

QString storeFile(const QString& application)
{
    // Looked up on every call, so that XDG_CONFIG_HOME is honoured even when it
    // changes while the program runs (tests point it at a temporary folder).
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(application + QStringLiteral(".ini"));
}

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& fallback)
{
    QSettings store(storeFile(application), QSettings::IniFormat);
    store.beginGroup(section);
    return store.value(key, fallback).toString();
}

namespace {

// QSettings waits for its lock file without end; a lock nobody can take (a folder
// of that name, a writer that hangs) would freeze the program at its first store.
// So the lock is tried here first, for a few seconds. Once it could not be had,
// later stores do not wait again until one gets it: typing stays fluent.
bool g_lockWasStuck = false;
constexpr int kLockWaitMilliseconds = 3000;

void makeSureTheLockCanBeTaken(const QString& file)
{
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        throw Failure(QStringLiteral("The settings store %1 could not be written: its folder "
                                     "cannot be made.")
                          .arg(QDir::toNativeSeparators(file)));
    QLockFile lock(file + QStringLiteral(".lock"));
    if (!lock.tryLock(g_lockWasStuck ? 0 : kLockWaitMilliseconds)) {
        g_lockWasStuck = true;
        throw Failure(
            QStringLiteral("The settings store %1 could not be written: its lock "
                           "file %2 could not be taken.")
                .arg(QDir::toNativeSeparators(file), QDir::toNativeSeparators(lock.fileName())));
    }
    g_lockWasStuck = false;
    // Let go before QSettings takes it itself: within one process a second lock
    // on the same file would wait for the first.
    lock.unlock();
}

} // namespace

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value)
{
    makeSureTheLockCanBeTaken(storeFile(application));
    QSettings store(storeFile(application), QSettings::IniFormat);
    store.beginGroup(section);
    store.setValue(key, value);
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError)
        throw Failure(QStringLiteral("The settings store %1 could not be written.")
                          .arg(QDir::toNativeSeparators(store.fileName())));
}

} // namespace statusmill::Settings
