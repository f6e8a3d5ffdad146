#include "login/RememberedPassword.h"

#include "login/StaffPassword.h"
#include "platform/AppState.h"
#include "platform/SecretStore.h"
#include "platform/SettingsStore.h"

namespace remembered {
namespace {

const QString kSection = QStringLiteral("Config");
const QString kLegacyKey = QStringLiteral("passwd");  // the password in clear, older versions
const QString kDigestKey = QStringLiteral("passwd_digest");
const QString kSecretKey = QStringLiteral("passwd");

QString Setting(const QString& key) { return settings::GetSetting(AppTitle(), kSection, key); }

}  // namespace

RememberedPassword Load(bool remembering) {
  const QString legacy = Setting(kLegacyKey);
  if (!legacy.isEmpty()) return Save(legacy);

  RememberedPassword kept;
  // A digest is written only when the secret store did not take the password, and removed
  // whenever it did: when both are there, the digest is the newer.
  const QByteArray digest = Setting(kDigestKey).toLatin1();
  if (staffpw::IsDigest(digest)) {
    kept.digest = digest;
    return kept;
  }
  if (!remembering) return kept;
  const secrets::Entry entry = secrets::Read(AppTitle(), kSecretKey);
  if (entry.status == secrets::Status::Found) kept.password = entry.text;
  return kept;
}

RememberedPassword Save(const QString& password) {
  if (password.isEmpty()) {
    Forget();
    return {};
  }
  RememberedPassword kept;
  if (secrets::Write(AppTitle(), kSecretKey, password)) {
    kept.password = password;
    settings::DeleteSetting(AppTitle(), kSection, kDigestKey);
  } else {
    kept.digest = staffpw::Digest(password);
    if (kept.digest.isEmpty())  // nothing could match it
      settings::DeleteSetting(AppTitle(), kSection, kDigestKey);
    else
      settings::SaveSetting(AppTitle(), kSection, kDigestKey, QLatin1String(kept.digest));
  }
  settings::DeleteSetting(AppTitle(), kSection, kLegacyKey);
  return kept;
}

void Forget() {
  secrets::Remove(AppTitle(), kSecretKey);
  settings::DeleteSetting(AppTitle(), kSection, kDigestKey);
  settings::DeleteSetting(AppTitle(), kSection, kLegacyKey);
}

}  // namespace remembered
