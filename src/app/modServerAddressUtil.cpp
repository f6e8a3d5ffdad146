#include "app/modServerAddressUtil.h"

#include "app/AppState.h"
#include "app/json.h"
#include "platform/AppPaths.h"
#include "platform/EventLog.h"
#include "platform/HttpGet.h"
#include "platform/Prompt.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

// UTF-8 with an optional byte-order mark; ok false when the bytes are not UTF-8.
QString DecodeUtf8(const QByteArray& bytes, bool* ok) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  QString text = decoder(bytes);
  *ok = !decoder.hasError();
  return text;
}

QString VerOf(const JsonValue& list) {
  if (const JsonObject* o = list.Object()) {
    if (const JsonValue* ver = o->Find(QStringLiteral("ver"))) return ver->ToText();
  }
  return QString();
}

}  // namespace

QString ServerAddressFilePath() {
  return paths::AppFolder() + QStringLiteral("/server_address_setting.json");
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
  const QString checker = App().serverListCheckerUrl;
  if (checker.isEmpty()) return false;
  const QString path = ServerAddressFilePath();
  QString ver;
  if (FileExists(path)) ver = VerOf(ParseJson(ReadUTF8(path)));

  const http::Response r =
      http::Get(ServerListCheckerAddress(checker, ver, user),
                http::Limits{kCheckerTimeoutMs, kCheckerTimeoutMs, kServerListMaxBytes});
  if (!r.answered) {
    eventlog::Write(QStringLiteral("server list not refreshed: ") + r.error);
    return false;
  }
  if (r.status != 200) return false;
  bool utf8 = false;
  const JsonValue answer = ParseJson(DecodeUtf8(r.body, &utf8));
  const JsonObject* o = answer.Object();
  const JsonValue* success = o ? o->Find(QStringLiteral("success")) : nullptr;
  if (success && success->kind() == JsonValue::Kind::Boolean && success->Boolean()) {
    // Only a list replaces the list: an answer without one must not empty the file.
    const JsonValue* data = o->Find(QStringLiteral("data"));
    if (data && data->kind() == JsonValue::Kind::Object) WriteUTF8(path, JsonToString(*data));
  }
  return true;
}

void LoadServerAddressFile() {
  const QString path = ServerAddressFilePath();
  if (FileExists(path)) App().serverList = ParseJson(ReadUTF8(path));
}

QString GetServerHost(const QString& name) {
  const JsonObject* list = App().serverList.Object();
  const JsonValue* servers = list ? list->Find(QStringLiteral("servers")) : nullptr;
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
