#pragma once

#include <QString>

namespace statusmill {

// The per-user settings store: text values addressed by application, section and
// key. Each application has one INI file in the XDG config folder
// ($XDG_CONFIG_HOME, else ~/.config), e.g. ~/.config/Brightfern.ini; a section is
// a group in it. Nothing is cached between calls, so two running copies share it.
namespace Settings {

QString storeFile(const QString& application);

// The stored text, or `fallback` when the application, section or key is absent.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& fallback = QString());

// Stores the value and makes sure it is on disk before returning. Throws Failure
// when the store cannot be written.
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

} // namespace Settings
} // namespace statusmill
