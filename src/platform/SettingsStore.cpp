#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace settings {
namespace {

QString& Override() {
  static QString dir;
  return dir;
}

// The registry ignored case in application names too, so the file name is folded as well.
// Characters a file name cannot hold (and '%' itself, to keep the mapping one-to-one) become
// %XX; Hangul and ordinary punctuation stay readable.
QString FileName(const QString& app) {
  static const QString kUnsafe = QStringLiteral("%/\\:*?\"<>|");
  QString name;
  for (const QChar c : app.toLower()) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F || kUnsafe.contains(c))
      name += QLatin1Char('%') +
              QString::number(c.unicode(), 16).rightJustified(2, QLatin1Char('0')).toUpper();
    else
      name += c;
  }
  if (name.startsWith(QLatin1Char('.')))
    name.replace(0, 1, QStringLiteral("%2E"));     // no hidden files, no "." or ".."
  if (name.isEmpty()) name = QStringLiteral("%");  // no other name maps to a lone '%'
  return name + QStringLiteral(".ini");
}

QString FilePath(const QString& app) { return Root() + QLatin1Char('/') + FileName(app); }

// Sections and keys are stored folded to lower case; that is what makes the look-up blind to
// case. A slash inside a name would open a sub-group, so slashes (and '%', to keep names apart)
// are escaped.
QString Fold(const QString& name) {
  QString s = name.toLower();
  s.replace(QLatin1Char('%'), QLatin1String("%25"))
      .replace(QLatin1Char('/'), QLatin1String("%2F"))
      .replace(QLatin1Char('\\'), QLatin1String("%5C"));
  return s;
}

QString KeyPath(const QString& section, const QString& key) {
  return Fold(section) + QLatin1Char('/') + Fold(key);
}

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The file may hold the remembered password's digest (when there is no secret store), which
// logs in as well as the password: readable by its owner alone, whatever the umask.
// A new file is made empty with those rights before anything goes in; the writer keeps the
// rights of the file it replaces. A file made earlier with wider rights is tightened.
void MakePrivate(const QString& path) {
  QFile file(path);
  if (!file.exists() && file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly)) {
    file.close();
    return;
  }
  file.setPermissions(kOwnerOnly);
}

void Finish(QSettings& s) {
  // Another instance of the program may read the file the moment we return.
  s.sync();
  if (s.status() != QSettings::NoError)
    qWarning("settings: cannot write %s", qPrintable(s.fileName()));
  // In case another writer put the file back with other rights.
  if (QFile::exists(s.fileName())) MakePrivate(s.fileName());
}

}  // namespace

QString GetSetting(const QString& app, const QString& section, const QString& key,
                   const QString& def) {
  QSettings s(FilePath(app), QSettings::IniFormat);
  // Picks up what another process wrote since this process last looked at the file.
  s.sync();
  const QVariant v = s.value(KeyPath(section, key));
  return v.isValid() ? v.toString() : def;
}

void SaveSetting(const QString& app, const QString& section, const QString& key,
                 const QString& value) {
  QDir().mkpath(Root());
  MakePrivate(FilePath(app));
  QSettings s(FilePath(app), QSettings::IniFormat);
  s.setValue(KeyPath(section, key), value);
  Finish(s);
}

void DeleteSetting(const QString& app, const QString& section, const QString& key) {
  if (section.isEmpty() && key.isEmpty()) return;  // never the whole file by accident
  if (QFile::exists(FilePath(app))) MakePrivate(FilePath(app));
  QSettings s(FilePath(app), QSettings::IniFormat);
  s.remove(key.isEmpty() ? Fold(section) : KeyPath(section, key));
  Finish(s);
}

QString Root() {
  if (!Override().isEmpty()) return Override();
  const QString env = qEnvironmentVariable("SENDORA_SETTINGS_DIR");
  if (!env.isEmpty()) return QDir::cleanPath(env);
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Sendora");
}

void SetRoot(const QString& dir) { Override() = dir.isEmpty() ? dir : QDir::cleanPath(dir); }

}  // namespace settings
