#include "app/UpdateRecord.h"

#include "platform/AppState.h"
#include "platform/SettingsStore.h"

namespace update {
namespace {

const QString kSection = QStringLiteral("Update");
// Kept like a program's revision, under a name no program file can have.
const QString kServerList = QStringLiteral("server list");

qint64 Read(const QString& key) {
  return settings::GetSetting(kAppName, kSection, key, QStringLiteral("0")).toLongLong();
}

}  // namespace

qint64 TrustedRevision(const QString& name) { return Read(QStringLiteral("Trusted ") + name); }

void NoteTrustedRevision(const QString& name, qint64 revision) {
  if (revision > TrustedRevision(name))
    settings::SaveSetting(kAppName, kSection, QStringLiteral("Trusted ") + name,
                          QString::number(revision));
}

qint64 TrustedListVersion() { return TrustedRevision(kServerList); }

void NoteTrustedListVersion(qint64 ver) { NoteTrustedRevision(kServerList, ver); }

qint64 FailedRevision(const QString& name) { return Read(QStringLiteral("Failed ") + name); }

void NoteFailedRevision(const QString& name, qint64 revision) {
  if (revision > FailedRevision(name))
    settings::SaveSetting(kAppName, kSection, QStringLiteral("Failed ") + name,
                          QString::number(revision));
}

void PostNotice(const QString& text) {
  const QString before = settings::GetSetting(kAppName, kSection, QStringLiteral("Notice"));
  settings::SaveSetting(kAppName, kSection, QStringLiteral("Notice"),
                        before.isEmpty() ? text : before + u'\n' + text);
}

QString TakeNotice() {
  const QString text = settings::GetSetting(kAppName, kSection, QStringLiteral("Notice"));
  if (!text.isEmpty()) settings::DeleteSetting(kAppName, kSection, QStringLiteral("Notice"));
  return text;
}

}  // namespace update
