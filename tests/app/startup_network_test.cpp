// Steps 3 to 6 of start-up together: the hosts the server list names replace the built-in ones,
// and neither a missing nor a silent server holds start-up beyond the timeouts.
#include "app/StartupNetwork.h"
#include "app/UpdateManifest.h"
#include "app/UpdateSettings.h"
#include "app/UpdateTransfer.h"
#include "app/modServerAddressUtil.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/EventLog.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"
#include "support/HttpTestServer.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <QFile>
#include <QTemporaryDir>
#include <utility>

namespace {

const QString kChecker = QStringLiteral("/serverinfo/server-address-checker.php");

class StartupNetworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    paths::SetAppFolder(m_dir.path());
    // Signed lists taken here are remembered here.
    settings::SetRoot(m_settings.path());
    update::Config().serverList = JsonValue();
    Deployment d;
    d.inHouseDbHost = QStringLiteral("10.0.0.1");
    ApplyDeployment(d);
  }
  void TearDown() override { ApplyDeployment(Deployment()); }

  QTemporaryDir m_dir;
  QTemporaryDir m_settings;
  HttpTestServer m_server;
  ScriptedPrompt m_prompt;
};

TEST_F(StartupNetworkTest, NothingConfiguredAsksNobodyAndSaysNothing) {
  QElapsedTimer t;
  t.start();
  RunStartupNetworkSteps();
  EXPECT_LT(t.elapsed(), 1000);
  EXPECT_TRUE(App().updateServerHost.isEmpty());
  EXPECT_EQ(App().inHouseDbHost, QStringLiteral("10.0.0.1"));
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_FALSE(process::EndRequested());
}

TEST_F(StartupNetworkTest, ServerListHostsReplaceTheBuiltInOnes) {
  struct Case {
    const char* name;
    QByteArray servers;
    QString inHouse;
  };
  const Case cases[] = {
      {"named", "{\"name\": \"사내메신저DB서버\", \"host\": \"192.0.2.7\"}",
       QStringLiteral("192.0.2.7")},
      {"empty_host_keeps_default", "{\"name\": \"사내메신저DB서버\", \"host\": \"\"}",
       QStringLiteral("10.0.0.1")},
      {"other_spelling", "{\"name\": \"사내메신저DB 서버\", \"host\": \"192.0.2.7\"}",
       QStringLiteral("10.0.0.1")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    App().inHouseDbHost = QStringLiteral("10.0.0.1");
    update::Config().serverListCheckerUrl = m_server.Url(kChecker);
    // A list that moves the staff database must be signed with the update key.
    const QByteArray data = "{\"ver\": 2, \"servers\": [" + c.servers + "]}";
    QByteArray secret;
    update::GenerateKeyPair(&update::Config().publicKey, &secret);
    const QByteArray sig =
        update::Sign(update::ServerListMessage(ParseJson(QString::fromUtf8(data))), secret).toHex();
    m_server.Set(kChecker, "{\"success\": true, \"data\": " + data + ", \"sig\": \"" + sig + "\"}");
    RunStartupNetworkSteps();
    EXPECT_EQ(App().inHouseDbHost, c.inHouse);
    EXPECT_TRUE(App().updateServerHost.isEmpty());
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(StartupNetworkTest, AnUnreadableServerListIsReadAndReportedOnce) {
  // Code page 949 bytes where UTF-8 belongs.
  QFile f(ServerAddressFilePath());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("{\"ver\": \"\xC7\xD1\"}");
  f.close();
  update::Config().serverListCheckerUrl = m_server.Url(kChecker);
  m_server.Set(kChecker, QByteArrayLiteral("{\"success\": false}"));
  RunStartupNetworkSteps();
  ASSERT_EQ(m_prompt.MessageTexts().size(), 1);
  EXPECT_TRUE(m_prompt.MessageTexts()[0].startsWith(QStringLiteral("파일 읽기 중 오류 발생: ")));
  EXPECT_EQ(App().inHouseDbHost, QStringLiteral("10.0.0.1"));
}

TEST_F(StartupNetworkTest, SilentServersCostNoMoreThanTheirTimeouts) {
  // The checker names the update server; both accept the connection and never answer.
  HttpTestServer silent;
  silent.Set(kChecker, HttpTestServer::Reply{200, {}, true});
  silent.Set(QStringLiteral("/download/자동업데이트_v1/VerProbeV1.manifest"),
             HttpTestServer::Reply{200, {}, true});
  update::Config().serverListCheckerUrl = silent.Url(kChecker);
  QByteArray secret;
  update::GenerateKeyPair(&update::Config().publicKey, &secret);
  ASSERT_TRUE(
      WriteUTF8(ServerAddressFilePath(),
                QStringLiteral("{\"ver\": 1, \"servers\": [{\"name\": \"자동업데이트_런처\", "
                               "\"host\": \"") +
                    silent.HostPort() + QStringLiteral("\"}]}")));
  QElapsedTimer t;
  t.start();
  RunStartupNetworkSteps();
  EXPECT_LT(t.elapsed(), kCheckerTimeoutMs + update::kReadTimeoutMs + 3000);
  EXPECT_EQ(App().updateServerHost, silent.HostPort());
  EXPECT_EQ(silent.Paths().size(), 2);
  // The update check could not read the version information: the message, then start-up goes on.
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral("VerProbeV1의 최신버전 정보를 읽어올 수 없습니다!")});
  EXPECT_FALSE(process::EndRequested());
}

TEST_F(StartupNetworkTest, DrippingOrEndlessServersCostNoMoreThanTheirDeadlines) {
  // Both the checker and the update server answer: one byte every half second (never idle long
  // enough for an idle timeout), or data without end.
  HttpTestServer::Reply drip{200, QByteArray(200, ' ')};
  drip.dripMs = 500;
  HttpTestServer::Reply endless{200, {}};
  endless.endless = true;
  for (const auto& [name, reply] : {std::pair{"drip", drip}, std::pair{"endless", endless}}) {
    SCOPED_TRACE(name);
    HttpTestServer hostile;
    hostile.Set(kChecker, reply);
    hostile.Set(QStringLiteral("/download/자동업데이트_v1/VerProbeV1.manifest"), reply);
    update::Config().serverListCheckerUrl = hostile.Url(kChecker);
    ASSERT_TRUE(
        WriteUTF8(ServerAddressFilePath(),
                  QStringLiteral("{\"ver\": 1, \"servers\": [{\"name\": \"자동업데이트_런처\", "
                                 "\"host\": \"") +
                      hostile.HostPort() + QStringLiteral("\"}]}")));
    QByteArray secret;
    update::GenerateKeyPair(&update::Config().publicKey, &secret);
    m_prompt.Clear();
    QElapsedTimer t;
    t.start();
    RunStartupNetworkSteps();
    EXPECT_LT(t.elapsed(), kCheckerTimeoutMs + update::kReadTimeoutMs + 1000);
    EXPECT_EQ(hostile.Paths().size(), 2);
    EXPECT_EQ(m_prompt.MessageTexts(),
              QStringList{QStringLiteral("VerProbeV1의 최신버전 정보를 읽어올 수 없습니다!")});
    EXPECT_FALSE(process::EndRequested());
  }
}

TEST_F(StartupNetworkTest, APackagedInstallLeavesUpdatesToThePackageManager) {
  // A packaged install writes its log to the user's data folder.
  QTemporaryDir xdg;
  const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", xdg.path().toLocal8Bit());
  QFile marker(m_dir.filePath(QLatin1String(paths::kPackagedMarker)));
  ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
  marker.close();
  Deployment d;
  d.updateServerHost = m_server.HostPort();
  QByteArray secret;
  update::GenerateKeyPair(&d.updatePublicKey, &secret);
  ApplyDeployment(d);

  RunStartupNetworkSteps();

  EXPECT_EQ(m_server.Paths(), QStringList());
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_FALSE(process::EndRequested());
  QFile log(eventlog::FilePath());
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(log.readAll()).count(QStringLiteral("package manager")), 1);
  qputenv("XDG_DATA_HOME", savedXdg);
}

}  // namespace
