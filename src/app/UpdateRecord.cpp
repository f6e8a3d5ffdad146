#include "app/UpdateRecord.h"

#include "platform/SettingsStore.h"

namespace update {
namespace {

// The helper programs have no application title of their own; they share the program's.
const QString kApp = QStringLiteral("Sendora");
const QString kSection = QStringLiteral("Update");
// Kept like a program's revision, under a name no program file can have.
const QString kServerList = QStringLiteral("server list");

qint64 Read(const QString& key) {
  return settings::GetSetting(kApp, kSection, key, QStringLiteral("0")).toLongLong();
}

}  // namespace

qint64 TrustedRevision(const QString& name) { return Read(QStringLiteral("Trusted ") + name); }

void NoteTrustedRevision(const QString& name, qint64 revision) {
  if (revision > TrustedRevision(name))
    settings::SaveSetting(kApp, kSection, QStringLiteral("Trusted ") + name,
                          QString::number(revision));
}

qint64 TrustedListVersion() { return TrustedRevision(kServerList); }

void NoteTrustedListVersion(qint64 ver) { NoteTrustedRevision(kServerList, ver); }

qint64 FailedRevision(const QString& name) { return Read(QStringLiteral("Failed ") + name); }

void NoteFailedRevision(const QString& name, qint64 revision) {
  if (revision > FailedRevision(name))
    settings::SaveSetting(kApp, kSection, QStringLiteral("Failed ") + name,
                          QString::number(revision));
}

void PostNotice(const QString& text) {
  const QString before = settings::GetSetting(kApp, kSection, QStringLiteral("Notice"));
  settings::SaveSetting(kApp, kSection, QStringLiteral("Notice"),
                        before.isEmpty() ? text : before + u'\n' + text);
}

QString TakeNotice() {
  const QString text = settings::GetSetting(kApp, kSection, QStringLiteral("Notice"));
  if (!text.isEmpty()) settings::DeleteSetting(kApp, kSection, QStringLiteral("Notice"));
  return text;
}

}  // namespace update
