#pragma once
// The update chain's own settings: the deployment's [Update] and [ServerList] sections, and the
// server list file as last loaded. Only start-up and the update programs read them.

#include "app/UpdateLimits.h"
#include "app/json.h"

#include <QString>

namespace update {

struct Settings {
  QString scheme = QStringLiteral("http");
  QString publicKey;           // hex Ed25519 key; when set, downloads must carry its signature
  bool allowUnsigned = false;  // without a key: take unsigned updates (warned at every start)
  DownloadLimits limits;       // [Update] MaxDownloadMB and DownloadTimeoutSec
  QString baseAddress;         // kept once the update check has built it
  QString serverListCheckerUrl;
  QString serverListCaFile;  // empty: the system's certificates
  JsonValue serverList;      // the server list file as last loaded; nothing until then
};

Settings& Config();

}  // namespace update
