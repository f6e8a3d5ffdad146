// The real program started as its own process: single instance, a database that cannot be
// reached, and a clean start against the private server.
#include "app/UpdateManifest.h"
#include "app/UpdateTransfer.h"
#include "app/modServerAddressUtil.h"
#include "login/modCorvaneDBConsts.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "support/HttpTestServer.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct RunResult {
  int exitCode = -1;
  QStringList transcript;
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override { testdb::ResetDatabases(); }

  void WriteDeployment(int port) {
    QFile f(m_app.path() + QStringLiteral("/sendora.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("[SmsDb]\r\nHost=%1\r\nPort=%2\r\n[InHouseDb]\r\nHost=%1\r\nPort=%2\r\n")
                .arg(testdb::Host())
                .arg(port)
                .toUtf8());
  }

  // keepRunningMs > 0: the program is expected to stay up (its main window open) that long; it
  // is then ended and still-running is reported as exit code -2.
  RunResult Start(int keepRunningMs = 0) {
    const QString transcript = m_app.path() + QStringLiteral("/prompts.txt");
    QFile::remove(transcript);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SENDORA_APP_DIR"), m_app.path());
    env.insert(QStringLiteral("SENDORA_SETTINGS_DIR"), m_settings.path());
    env.insert(QStringLiteral("SENDORA_PROMPT_TRANSCRIPT"), transcript);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // No session bus: the login must not reach the desktop's secret store.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + m_app.path() + QStringLiteral("/no-bus"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(SENDORA_BIN_DIR "/Sendora"), {});
    RunResult run;
    if (keepRunningMs > 0) {
      if (!p.waitForFinished(keepRunningMs)) {
        run.exitCode = -2;
        p.kill();
        p.waitForFinished(10000);
      } else {
        run.exitCode = p.exitCode();
      }
    } else if (!p.waitForFinished(60000)) {
      p.kill();
      ADD_FAILURE() << "the program did not end";
      return run;
    } else {
      run.exitCode = p.exitCode();
    }
    QFile f(transcript);
    if (f.open(QIODevice::ReadOnly))
      run.transcript = QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts);
    return run;
  }

  QTemporaryDir m_app;
  QTemporaryDir m_settings;
};

TEST_F(StartupTest, SecondInstanceIsRefusedBeforeTouchingTheDatabase) {
  WriteDeployment(testdb::Port());
  SingleInstanceLock first(m_settings.path(), QStringLiteral("Sendora"));
  ASSERT_TRUE(first.TryAcquire());
  const RunResult run = Start();
  EXPECT_EQ(run.transcript,
            QStringList{QStringLiteral("message\tSendora\t이미 프로그램이 실행 중입니다.")});
  EXPECT_FALSE(QFile::exists(m_app.path() + QStringLiteral("/config.ini")));  // no connection made
  EXPECT_FALSE(QDir(m_app.path() + QStringLiteral("/log")).exists());
}

TEST_F(StartupTest, UnreachableDatabaseShowsTheErrorThenEnds) {
  WriteDeployment(1);
  const RunResult run = Start();
  EXPECT_EQ(run.exitCode, 1);
  ASSERT_EQ(run.transcript.size(), 2) << run.transcript.join(u'\n').toStdString();
  EXPECT_TRUE(run.transcript[0].startsWith(QStringLiteral("message\tSendora\tError 200")));
  EXPECT_TRUE(run.transcript[0].contains(QStringLiteral("인터넷이 연결되어 있는지")));
  EXPECT_EQ(run.transcript[1],
            QStringLiteral("message\tSendora\t프로그램 초기화에 실패하여 종료합니다."));
}

TEST_F(StartupTest, StartsAgainstTheDatabaseAndShowsTheLogin) {
  WriteDeployment(testdb::Port());
  const RunResult run = Start();
  // This computer is not registered yet: the login says so and the process ends.
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.transcript,
            (QStringList{QStringLiteral("modal\t로그인\tfrmLogin"),
                         QStringLiteral("message\tSendora\t허용되지 않은 컴퓨터입니다. "
                                        "관리자에게 문의바랍니다.")}));
  QFile ini(m_app.path() + QStringLiteral("/config.ini"));
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  const QByteArray ids = ini.readAll();
  EXPECT_TRUE(ids.contains("sms_cvemp=")) << ids.constData();
  EXPECT_TRUE(ids.contains("cv_inhouse=")) << ids.constData();
  EXPECT_TRUE(QDir(m_app.path() + QStringLiteral("/log")).exists());
}

TEST_F(StartupTest, DrippingServersHoldTheLoginNoLongerThanTheirDeadlines) {
  // The time to the login with nothing to ask, then with a checker and an update server that
  // answer one byte every half second: the difference is at most the two requests' deadlines.
  WriteDeployment(testdb::Port());
  QElapsedTimer t;
  t.start();
  ASSERT_EQ(Start().transcript.value(0), QStringLiteral("modal\t로그인\tfrmLogin"));
  const qint64 quiet = t.elapsed();

  HttpTestServer hostile;
  HttpTestServer::Reply drip{200, QByteArray(200, ' ')};
  drip.dripMs = 500;
  hostile.Set(QStringLiteral("/checker"), drip);
  hostile.Set(QStringLiteral("/download/자동업데이트_v1/VerProbeV1.manifest"), drip);
  QString publicKey;
  QByteArray secret;
  update::GenerateKeyPair(&publicKey, &secret);
  QFile ini(m_app.path() + QStringLiteral("/sendora.ini"));
  ASSERT_TRUE(ini.open(QIODevice::Append));
  ini.write(("[Update]\r\nHost=" + hostile.HostPort() + "\r\nPublicKey=" + publicKey +
             "\r\n[ServerList]\r\nCheckerUrl=" + hostile.Url(QStringLiteral("/checker")) + "\r\n")
                .toUtf8());
  ini.close();
  t.restart();
  const RunResult run = Start();
  const qint64 held = t.elapsed() - quiet;
  EXPECT_EQ(run.transcript.value(1), QStringLiteral("modal\t로그인\tfrmLogin"))
      << run.transcript.join(u'\n').toStdString();
  EXPECT_LT(held, kCheckerTimeoutMs + update::kReadTimeoutMs + 1000);
  EXPECT_EQ(hostile.Paths().size(), 2);
}

TEST_F(StartupTest, RegisteredWorkstationWithRememberedPasswordGetsThrough) {
  const QString mac = GetMyMacAddress();
  ASSERT_FALSE(mac.isEmpty()) << "this machine has no network adapter to register";
  testdb::Admin admin;
  admin.Exec(
      QStringLiteral(
          "INSERT INTO cv_inhouse.`user` (id, password2, name, level, jangbu_user, hidden, "
          "sale_user)"
          " VALUES ('boss', SHA1('secret'), '대표', 0, 0, 0, 1);"
          "INSERT INTO cv_inhouse.user_mac (user_id, mac_addr, block) VALUES ('boss', '%1', 0)")
          .arg(mac));
  settings::SetRoot(m_settings.path());
  settings::SaveSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                        QStringLiteral("issave_passwd"), QStringLiteral("1"));
  settings::SaveSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                        QStringLiteral("passwd"), QStringLiteral("secret"));
  WriteDeployment(testdb::Port());
  // Past the login the customer list stays open until the user closes it.
  const RunResult run = Start(3000);
  EXPECT_EQ(run.exitCode, -2);
  const QStringList expected{QStringLiteral("modal\t로그인\tfrmLogin"),
                             QStringLiteral("window\tSendora Ver.%1 (HOST: %2)  *대표\tFrmMain")
                                 .arg(QStringLiteral(SENDORA_VERSION), testdb::Host())};
  EXPECT_EQ(run.transcript, expected);
  // Without a secret store the password in clear became its digest.
  EXPECT_EQ(settings::GetSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                                 QStringLiteral("passwd"), QStringLiteral("<none>")),
            QStringLiteral("<none>"));
  // The lock went with the killed process: the next start is not refused.
  EXPECT_EQ(Start(3000).transcript, expected);
}

}  // namespace
