#pragma once
// The per-user settings store (application, section, key -> text). Application names, sections
// and keys are looked up without regard to case, like the registry the old program used. One INI
// file per application name under Root(); a write is on disk when the call returns, and a read
// sees what another process wrote.

#include <QString>

namespace settings {

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& def = QString());
void SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value);
// An empty key deletes the whole section.
void DeleteSetting(const QString& app, const QString& section, const QString& key);

// Folder that holds one file per application name. Defaults to the user's configuration folder;
// SENDORA_SETTINGS_DIR or SetRoot (tests) replace it.
QString Root();
void SetRoot(const QString& dir);

}  // namespace settings
