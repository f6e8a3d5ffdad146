#include "app/modServerAddressUtil.h"

#include <algorithm>

#include "app/UpdateManifest.h"
#include "app/UpdateRecord.h"
#include "app/UpdateSettings.h"
#include "app/json.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/EventLog.h"
#include "platform/HttpGet.h"
#include "platform/Prompt.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

#include <memory>

namespace {

QString VerOf(const JsonValue& list) {
  if (const JsonObject* o = list.Object()) {
    if (const JsonValue* ver = o->Find(QStringLiteral("ver"))) return ver->ToText();
  }
  return QString();
}

// The host a list gives for an entry, or the configured one when the list names none.
QString EffectiveHost(const JsonValue& list, const QString& entry, const QString& configured) {
  const QString host = HostIn(list, entry);
  return host.isEmpty() ? configured : host;
}

// What taking the new list would change among the hosts it decides; empty for nothing.
// configured: the process-wide hosts, still the deployment's (the list is applied afterwards).
QString HostChange(const JsonValue& current, const JsonValue& next, const AppState& configured) {
  QStringList changed;
  for (const ListedHost& listed : ListedHosts()) {
    const QString& host = configured.*listed.host;
    if (EffectiveHost(current, listed.entry, host) != EffectiveHost(next, listed.entry, host))
      changed << listed.entry;
  }
  return changed.join(QStringLiteral(", "));
}

// A "sig" beside "data": 128 hex digits, the update key's signature of the list.
bool SignatureHolds(const JsonValue* sig, const JsonValue& list) {
  const QString key = update::Config().publicKey;
  QByteArray signature;
  return sig && sig->kind() == JsonValue::Kind::Text && update::IsPublicKey(key) &&
         update::SignatureFromHex(sig->Text().toLatin1(), &signature) &&
         update::VerifySignature(update::ServerListMessage(list), signature, key);
}

// A signed list can be replayed: one whose "ver" is below the highest taken as authentic before
// (kept in the settings store, where no answer can lower or raise it) or below the list in use
// (whose ver only an authentic answer changes; it is the floor before anything was recorded)
// is old. Why it does not count; empty when it does.
QString Replayed(const JsonValue& list, const JsonValue& current) {
  bool numbered = false;
  const qint64 inUse = VerOf(current).toLongLong(&numbered);
  const qint64 trusted = std::max(update::TrustedListVersion(), numbered ? inUse : 0);
  if (trusted == 0) return QString();
  bool ok = false;
  const qint64 ver = VerOf(list).toLongLong(&ok);
  if (!ok)
    return QStringLiteral("it carries no whole-number ver, and ver %1 was taken before")
        .arg(trusted);
  if (ver < trusted)
    return QStringLiteral("its ver %1 is older than %2, taken before").arg(ver).arg(trusted);
  return QString();
}

// The list with the "ver" of source in place of its own (without one when source has none):
// only an authentic answer may change the version the checker is asked about.
JsonValue WithVerOf(const JsonValue& list, const JsonValue& source) {
  const QString key = QStringLiteral("ver");
  const JsonObject* from = source.Object();
  const JsonValue* ver = from ? from->Find(key) : nullptr;
  const JsonObject* o = list.Object();
  auto out = std::make_shared<JsonObject>();
  if (ver && !o->Find(key)) out->Add(key, *ver);
  for (int i = 0; i < o->Count(); ++i) {
    if (o->KeyAt(i) != key)
      out->Add(o->KeyAt(i), o->ValueAt(i));
    else if (ver)
      out->Add(key, *ver);
  }
  return JsonValue::MakeObject(out);
}

}  // namespace

const QString kUpdateServerEntry = QStringLiteral("자동업데이트_런처");
const QString kInHouseDbEntry = QStringLiteral("사내메신저DB서버");

std::span<const ListedHost> ListedHosts() {
  static const ListedHost hosts[] = {
      {kUpdateServerEntry, &AppState::updateServerHost},
      {kInHouseDbEntry, &AppState::inHouseDbHost},
  };
  return hosts;
}

QString DecodeUtf8(const QByteArray& bytes, bool* ok) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  QString text = decoder(bytes);
  *ok = !decoder.hasError();
  return text;
}

QString ServerAddressFilePath() {
  return paths::DataFolder() + QStringLiteral("/server_address_setting.json");
}

QString ServerListCheckerAddress(const QString& checkerUrl, const QString& ver,
                                 const QString& user) {
  QString address = checkerUrl;
  if (!ver.isEmpty()) address += QStringLiteral("?ver=") + ver;
  if (!user.isEmpty())
    address += (ver.isEmpty() ? QStringLiteral("?user=") : QStringLiteral("&user=")) + user;
  return address;
}

bool UpdateServerAddressFile(const QString& user) {
  LoadServerAddressFile();
  AppState& app = App();
  const QString checker = update::Config().serverListCheckerUrl;
  if (checker.isEmpty()) return false;
  const QString path = ServerAddressFilePath();
  const JsonValue current = update::Config().serverList;
  const QString ver = VerOf(current);

  http::Options options;
  options.caFile = update::Config().serverListCaFile;
  const QString address = ServerListCheckerAddress(checker, ver, user);
  const http::Response r = http::Get(
      address, http::Limits{kCheckerTimeoutMs, kCheckerTimeoutMs, kServerListMaxBytes}, options);
  if (!r.answered) {
    eventlog::Write(QStringLiteral("server list not refreshed: ") + r.error);
    return false;
  }
  if (r.status != 200) return false;
  bool utf8 = false;
  const JsonValue answer = ParseJson(DecodeUtf8(r.body, &utf8));
  const JsonObject* o = answer.Object();
  const JsonValue* success = o ? o->Find(QStringLiteral("success")) : nullptr;
  if (!success || success->kind() != JsonValue::Kind::Boolean || !success->Boolean()) return true;
  // Only a list replaces the list: an answer without one must not empty the file.
  const JsonValue* data = o->Find(QStringLiteral("data"));
  if (!data || data->kind() != JsonValue::Kind::Object) return true;

  const bool listSigned = SignatureHolds(o->Find(QStringLiteral("sig")), *data);
  const QString replayed = listSigned && !r.verifiedTls ? Replayed(*data, current) : QString();
  const bool authentic = r.verifiedTls || (listSigned && replayed.isEmpty());
  const QString change = HostChange(current, *data, app);
  if (!change.isEmpty() && !authentic) {
    eventlog::Write(
        replayed.isEmpty()
            ? QStringLiteral("server list not taken: it would change %1, and it came neither over "
                             "https with a checked certificate nor signed with the update key")
                  .arg(change)
            : QStringLiteral("server list not taken: ") + replayed);
    return true;
  }
  const JsonValue taken = authentic ? *data : WithVerOf(*data, current);
  if (!WriteUTF8(path, JsonToString(taken))) return true;
  update::Config().serverList = taken;
  bool numbered = false;
  const qint64 takenVer = VerOf(taken).toLongLong(&numbered);
  if (authentic && numbered) update::NoteTrustedListVersion(takenVer);
  return true;
}

void LoadServerAddressFile() {
  QString path = ServerAddressFilePath();
  // Until this user has a list of their own, the one installed beside the program counts (the
  // program's folder is read-only then, so every refreshed list goes to the data folder).
  if (!FileExists(path)) path = paths::AppFolder() + QStringLiteral("/server_address_setting.json");
  update::Config().serverList = FileExists(path) ? ParseJson(ReadUTF8(path)) : JsonValue();
}

QString HostIn(const JsonValue& list, const QString& name) {
  const JsonObject* o = list.Object();
  const JsonValue* servers = o ? o->Find(QStringLiteral("servers")) : nullptr;
  const JsonArray* entries = servers ? servers->Array() : nullptr;
  if (!entries) return QString();
  for (int i = 1; i <= entries->Count(); ++i) {
    const JsonObject* entry = entries->Item(i).Object();
    if (!entry) continue;
    const JsonValue* entryName = entry->Find(QStringLiteral("name"));
    if (!entryName || entryName->ToText() != name) continue;
    const JsonValue* host = entry->Find(QStringLiteral("host"));
    return host ? host->ToText() : QString();
  }
  return QString();
}

QString GetServerHost(const QString& name) { return HostIn(update::Config().serverList, name); }

bool FileExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

QString ReadUTF8(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    MsgBox(QStringLiteral("파일 읽기 중 오류 발생: ") + f.errorString());
    return QString();
  }
  bool ok = false;
  const QString text = DecodeUtf8(f.readAll(), &ok);
  if (!ok) {
    MsgBox(QStringLiteral("파일 읽기 중 오류 발생: ") + QStringLiteral("not valid UTF-8 text"));
    return QString();
  }
  return text;
}

bool WriteUTF8(const QString& path, const QString& text) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly) || f.write("\xEF\xBB\xBF") != 3 || f.write(text.toUtf8()) < 0 ||
      !f.commit()) {
    MsgBox(QStringLiteral("파일 저장 중 오류 발생: ") + f.errorString());
    return false;
  }
  return true;
}
