#include "Settings.h"

#include "Failure.h"

#include <QDir>
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

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value)
{
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
