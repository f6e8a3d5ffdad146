// The update keys of the deployment settings file.
#include "app/Deployment.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

struct UpdateKeysCase {
  const char* name;
  QByteArray ini;  // empty: no file
  QString host, scheme, key;
};

TEST(Deployment, UpdateKeys) {
  const UpdateKeysCase cases[] = {
      {"no_file", {}, {}, QStringLiteral("http"), {}},
      {"empty_host", "[Update]\r\nHost=\r\n", {}, QStringLiteral("http"), {}},
      {"https_any_case", "[update]\r\nhost=upd.example:8443\r\nScheme=HTTPS\r\nPublicKey=ab12\r\n",
       QStringLiteral("upd.example:8443"), QStringLiteral("https"), QStringLiteral("ab12")},
      {"unknown_scheme_is_http",
       "[Update]\r\nHost=h\r\nScheme=ftp\r\n",
       QStringLiteral("h"),
       QStringLiteral("http"),
       {}},
  };
  for (const UpdateKeysCase& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    if (!c.ini.isEmpty()) {
      QFile f(dir.path() + QStringLiteral("/sendora.ini"));
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(c.ini);
    }
    const Deployment d = LoadDeployment(dir.path());
    EXPECT_EQ(d.updateServerHost, c.host);
    EXPECT_EQ(d.updateScheme, c.scheme);
    EXPECT_EQ(d.updatePublicKey, c.key);
  }
}

TEST(Deployment, TlsKeysPerDatabaseServer) {
  QTemporaryDir dir;
  QFile f(dir.path() + QStringLiteral("/sendora.ini"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      "[SmsDb]\r\nHost=db1\r\nTls=1\r\nCaFile=certs/office-ca.pem\r\n"
      "[InHouseDb]\r\nTls=1\r\nCaFile=/etc/ssl/staff-ca.pem\r\n"
      "[ReportDb]\r\nHost=replica\r\nTls=0\r\nCaFile=x.pem\r\n");
  f.close();
  const Deployment d = LoadDeployment(dir.path());
  EXPECT_TRUE(d.smsDbTls.required);
  EXPECT_EQ(d.smsDbTls.caFile, dir.path() + QStringLiteral("/certs/office-ca.pem"));
  EXPECT_TRUE(d.inHouseDbTls.required);
  EXPECT_EQ(d.inHouseDbTls.caFile, QStringLiteral("/etc/ssl/staff-ca.pem"));
  EXPECT_FALSE(d.reportDbTls.required);
  // No file, no TLS: today's plain connections.
  QTemporaryDir empty;
  EXPECT_FALSE(LoadDeployment(empty.path()).smsDbTls.required);
}

TEST(Deployment, UpdateOptInAndLimits) {
  struct Case {
    const char* name;
    QByteArray ini;
    bool allowUnsigned;
    int maxMB, timeoutSec;
    QString caFile;  // relative to the folder ("" none)
  };
  const Case cases[] = {
      {"defaults", "[Update]\r\nHost=h\r\n", false, 200, 120, {}},
      {"opt_in_only_as_1",
       "[Update]\r\nAllowUnsigned=yes\r\nMaxDownloadMB=0\r\nDownloadTimeoutSec=-5\r\n",
       false,
       200,
       120,
       {}},
      {"opt_in_and_limits",
       "[Update]\r\nAllowUnsigned=1\r\nMaxDownloadMB=50\r\nDownloadTimeoutSec=600\r\n"
       "[ServerList]\r\nCaFile=certs/office.pem\r\n",
       true, 50, 600, QStringLiteral("/certs/office.pem")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir dir;
    QFile f(dir.path() + QStringLiteral("/sendora.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(c.ini);
    f.close();
    const Deployment d = LoadDeployment(dir.path());
    EXPECT_EQ(d.updateAllowUnsigned, c.allowUnsigned);
    EXPECT_EQ(d.updateMaxDownloadMB, c.maxMB);
    EXPECT_EQ(d.updateDownloadTimeoutSec, c.timeoutSec);
    EXPECT_EQ(d.serverListCaFile, c.caFile.isEmpty() ? QString() : dir.path() + c.caFile);
  }
}

}  // namespace
