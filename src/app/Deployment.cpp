#include "app/Deployment.h"

#include "platform/ProfileIni.h"

#include <QDir>

namespace {
QString Read(const QString& file, const char* section, const char* key, const QString& def) {
  const QString v =
      profile::GetString(QLatin1String(section), QLatin1String(key), QString(), 256, file)
          .trimmed();
  return v.isEmpty() ? def : v;
}

// A whole number from min up to max; anything else keeps the default.
int ReadInt(const QString& file, const char* section, const char* key, int min, int max, int def) {
  bool ok = false;
  const int n = Read(file, section, key, QString()).toInt(&ok);
  return ok && n >= min && n <= max ? n : def;
}

int ReadPort(const QString& file, const char* section, int def) {
  return ReadInt(file, section, "Port", 1, 65535, def);
}

// CaFile of the section; a relative path is taken from the application folder.
QString ReadCaFile(const QString& file, const QString& appFolder, const char* section) {
  const QString ca = Read(file, section, "CaFile", QString());
  return ca.isEmpty() ? QString() : QDir(appFolder).absoluteFilePath(ca);
}

DbTls ReadTls(const QString& file, const QString& appFolder, const char* section) {
  DbTls tls;
  tls.required = Read(file, section, "Tls", QStringLiteral("0")) == QLatin1String("1");
  tls.caFile = ReadCaFile(file, appFolder, section);
  return tls;
}
}  // namespace

Deployment LoadDeployment(const QString& appFolder) {
  const QString file = appFolder + QStringLiteral("/sendora.ini");
  Deployment d;
  d.smsDbHost = Read(file, "SmsDb", "Host", d.smsDbHost);
  d.smsDbPort = ReadPort(file, "SmsDb", d.smsDbPort);
  d.inHouseDbHost = Read(file, "InHouseDb", "Host", d.inHouseDbHost);
  d.inHouseDbPort = ReadPort(file, "InHouseDb", d.inHouseDbPort);
  d.updateServerHost = Read(file, "Update", "Host", d.updateServerHost);
  const QString scheme = Read(file, "Update", "Scheme", d.updateScheme).toLower();
  d.updateScheme = scheme == QLatin1String("https") ? scheme : d.updateScheme;
  d.updatePublicKey = Read(file, "Update", "PublicKey", d.updatePublicKey);
  d.updateAllowUnsigned = Read(file, "Update", "AllowUnsigned", QString()) == QLatin1String("1");
  d.updateMaxDownloadMB =
      ReadInt(file, "Update", "MaxDownloadMB", 1, 100000, d.updateMaxDownloadMB);
  d.updateDownloadTimeoutSec =
      ReadInt(file, "Update", "DownloadTimeoutSec", 1, 100000, d.updateDownloadTimeoutSec);
  d.serverListCheckerUrl = Read(file, "ServerList", "CheckerUrl", d.serverListCheckerUrl);
  d.serverListCaFile = ReadCaFile(file, appFolder, "ServerList");
  d.reportDbHost = Read(file, "ReportDb", "Host", QString());
  d.reportDbPort = ReadPort(file, "ReportDb", d.reportDbPort);
  const QString compress = Read(file, "Database", "Compress", QStringLiteral("1"));
  d.databaseCompression = compress != QLatin1String("0");
  d.smsDbTls = ReadTls(file, appFolder, "SmsDb");
  d.inHouseDbTls = ReadTls(file, appFolder, "InHouseDb");
  d.reportDbTls = ReadTls(file, appFolder, "ReportDb");
  return d;
}
