#pragma once
// The server list: "server_address_setting.json" in the data folder (paths::DataFolder), refreshed
// from the checker service at start-up and looked up by entry name. Failures are silent: the
// built-in hosts stay.

#include <QString>

#include <span>

class JsonValue;
struct AppState;

// The checker GET gives up after this long, however the answer trickles in, and refuses an answer
// longer than this.
inline constexpr int kCheckerTimeoutMs = 4000;
inline constexpr qint64 kServerListMaxBytes = 1024 * 1024;

// The entries that decide a host of this program, each with the process-wide host it replaces.
extern const QString kUpdateServerEntry;
extern const QString kInHouseDbEntry;
struct ListedHost {
  const QString& entry;
  QString AppState::*host;
};
std::span<const ListedHost> ListedHosts();

QString ServerAddressFilePath();
// The checker address with the list's version and the user appended as they are.
QString ServerListCheckerAddress(const QString& checkerUrl, const QString& ver,
                                 const QString& user);
// Loads the file (LoadServerAddressFile), then asks the checker (CheckerUrl of the deployment;
// empty: no request) and, when it answers with success, rewrites the file and the loaded list. An
// answer that would change the update server or the staff database host (compared with the file, or
// with the configured hosts where the file names none) is taken only when it is authentic: it came
// over https with a checked certificate, or it carries the update key's signature ("sig" beside
// "data") and its "ver" is not below the highest taken as authentic before (a replay). Only an
// authentic answer changes "ver": any other is written with the file's. A refused answer is logged
// and leaves the file as it was. Called before the list's hosts are applied. True when it answered
// with status 200.
bool UpdateServerAddressFile(const QString& user);
// Replaces the in-memory list with the file's content (nothing when there is no file).
void LoadServerAddressFile();
// The host of the first entry of "servers" named exactly name; empty when there is none.
QString GetServerHost(const QString& name);
// The same in a given list.
QString HostIn(const JsonValue& list, const QString& name);

bool FileExists(const QString& path);
// UTF-8 with an optional byte-order mark; ok false when the bytes are not UTF-8.
QString DecodeUtf8(const QByteArray& bytes, bool* ok);
// The whole file as UTF-8 (a leading byte-order mark is accepted); empty after the read-error box.
QString ReadUTF8(const QString& path);
// Writes the byte-order mark and the text; the old file is replaced only once the new one is
// complete. False after the write-error box.
bool WriteUTF8(const QString& path, const QString& text);
