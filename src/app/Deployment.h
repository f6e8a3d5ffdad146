#pragma once
// Deployment values: where the servers of this installation are. They come from "sendora.ini" in
// the application folder; every value missing there keeps its built-in default.

#include "app/UpdateLimits.h"
#include "db/modMySQL_Func.h"

#include <QString>

struct Deployment {
  QString smsDbHost = QStringLiteral("127.0.0.1");
  int smsDbPort = 3306;
  QString inHouseDbHost = QStringLiteral("127.0.0.1");
  int inHouseDbPort = 3306;
  // No built-in update server: without one (here or in the server list) there is no update check.
  QString updateServerHost;
  QString updateScheme = QStringLiteral("http");  // "http" or "https"
  QString updatePublicKey;
  // Without a key nothing is downloaded unless the deployment says so in as many words.
  bool updateAllowUnsigned = false;
  int updateMaxDownloadMB = update::kDefaultMaxDownloadMB;
  int updateDownloadTimeoutSec = update::kDefaultDownloadTimeoutSec;
  QString serverListCheckerUrl;
  // Certificates trusted for an https server-list address instead of the system's; a relative
  // path is taken from the application folder.
  QString serverListCaFile;
  // A read replica of the SMS database for the report windows; empty: they read the SMS database.
  QString reportDbHost;
  int reportDbPort = 3306;
  // The compressed protocol pays on a slow line; on a fast local network it only costs.
  bool databaseCompression = true;
  // TLS per database server ([SmsDb], [InHouseDb], [ReportDb]: Tls=1, CaFile=; a relative CA
  // file is taken from the application folder).
  DbTls smsDbTls, inHouseDbTls, reportDbTls;
};

Deployment LoadDeployment(const QString& appFolder);
