// The real login dialog on the offscreen platform against the private server.
#include "app/AppState.h"
#include "db/modMySQL_Func.h"
#include "login/frmLogin.h"
#include "platform/MacAddress.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

int g_endedWith = -1;
void RecordEnd(int code) { g_endedWith = code; }

const QString kMac = QStringLiteral("02AB34CD56EF");
const QString kRefused = QStringLiteral(
    "개발자 및 퇴사자는 로그인 할 수 없습니다.\n\n혹은 암호가 잘못되었습니다. 다시 시도하십시오");
const QString kNotAllowed = QStringLiteral("허용되지 않은 컴퓨터입니다. 관리자에게 문의바랍니다.");
const QString kHours = QStringLiteral("허용된 작성시간은 08:00 ~ 19:00입니다.\n");

class LoginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    settings::SetRoot(m_settings.path());
    m_admin.Exec(
        QStringLiteral("INSERT INTO cv_inhouse.`user` (id, password2, name, level, jangbu_user, "
                       "hidden, sale_user) VALUES"
                       " ('staff3', SHA1('pw3'), '박직원', 3, 0, 0, 1),"
                       " ('boss', SHA1('pw0'), '대표', 0, 0, 0, 1),"
                       " ('quote', SHA1('a''b\\\\c'), '인용', 3, 0, 0, 1),"
                       " ('ghost', SHA1('pwh'), '퇴사자', 3, 0, 1, 1),"
                       " ('nosale', SHA1('pwn'), '회계', 3, 0, 0, 0)"));
    App().appTitle = QStringLiteral("Sendora");
    App().inHouseDbHost = testdb::Host();
    App().inHouseDbPort = testdb::Port();
    App().staff = LoggedInStaff();
    netif::SetMacSourceOverride([] { return kMac; });
    g_endedWith = -1;
    process::SetEndProcessOverride(&RecordEnd);
    SetClock(QStringLiteral("2026-12-08 10:00:00"));
  }
  void TearDown() override {
    DBClose_MYSQL();
    netif::SetMacSourceOverride(nullptr);
    process::SetEndProcessOverride(nullptr);
    m_admin.Exec(QStringLiteral("SET GLOBAL init_connect = ''"));
  }

  void Register(const QString& user, const QString& mac, int block = 0) {
    m_admin.Exec(
        QStringLiteral(
            "INSERT INTO cv_inhouse.user_mac (user_id, mac_addr, block) VALUES ('%1', '%2', %3)")
            .arg(user, mac)
            .arg(block));
  }
  // The program's accounts see this time as the server's now().
  void SetClock(const QString& when) {
    m_admin.Exec(
        QStringLiteral("SET GLOBAL init_connect = 'SET timestamp = UNIX_TIMESTAMP(''%1'')'")
            .arg(when));
  }
  void Remember(const QString& password) {
    settings::SaveSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                          QStringLiteral("issave_passwd"),
                          password.isNull() ? QStringLiteral("0") : QStringLiteral("1"));
    settings::SaveSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                          QStringLiteral("passwd"), password);
  }
  QString Stored(const char* key) {
    return settings::GetSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                                QLatin1String(key), QStringLiteral("<none>"));
  }

  // Shows the dialog and lets its first activation run.
  std::unique_ptr<frmLogin> Open() {
    auto dlg = std::make_unique<frmLogin>();
    dlg->show();
    QTest::qWait(100);  // the dialog may already have closed itself again
    return dlg;
  }

  void TypePasswordAndOk(frmLogin& dlg, const QString& password) {
    dlg.txtPassword->clear();
    QTest::keyClicks(dlg.txtPassword, password);
    QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
  }

  QTemporaryDir m_settings;
  testdb::Admin m_admin;
  ScriptedPrompt m_prompt;
};

TEST_F(LoginTest, OnlyARegisteredUnblockedWorkstationGetsIn) {
  const struct {
    const char* name;
    QString registeredMac;
    int block;
    bool allowed;
  } cases[] = {
      {"unregistered", QStringLiteral("0A0B0C0D0E0F"), 0, false},
      {"blocked", kMac, 1, false},
      {"registered", kMac, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_admin.Exec(QStringLiteral("DELETE FROM cv_inhouse.user_mac"));
    Register(QStringLiteral("staff3"), c.registeredMac, c.block);
    m_prompt.Clear();
    g_endedWith = -1;
    auto dlg = Open();
    if (c.allowed) {
      EXPECT_TRUE(m_prompt.Records().empty());
      EXPECT_EQ(dlg->txtUserName->text(), QStringLiteral("staff3"));
      EXPECT_FALSE(dlg->txtUserName->isEnabled());
      EXPECT_EQ(g_endedWith, -1);
      EXPECT_TRUE(dlg->isVisible());
    } else {
      EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kNotAllowed});
      EXPECT_EQ(m_prompt.Messages()[0].icon, MsgIcon::Information);
      EXPECT_EQ(g_endedWith, 0);
      EXPECT_FALSE(dlg->LoginSucceeded);
    }
  }
}

TEST_F(LoginTest, WrongPasswordHiddenAndNonSalesMembersGetTheSameRefusal) {
  const struct {
    const char* user;
    const char* password;
  } cases[] = {
      {"staff3", "wrong"}, {"ghost", "pwh"}, {"nosale", "pwn"}, {"staff3", "pw3' OR '1'='1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.user);
    m_admin.Exec(QStringLiteral("DELETE FROM cv_inhouse.user_mac"));
    Register(QLatin1String(c.user), kMac);
    m_prompt.Clear();
    auto dlg = Open();
    TypePasswordAndOk(*dlg, QLatin1String(c.password));
    ASSERT_EQ(m_prompt.Messages().size(), 1u);
    EXPECT_EQ(m_prompt.Messages()[0].text, kRefused);
    EXPECT_EQ(m_prompt.Messages()[0].title, QStringLiteral("로그인"));
    EXPECT_EQ(m_prompt.Messages()[0].icon, MsgIcon::None);
    EXPECT_FALSE(dlg->LoginSucceeded);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->txtPassword->selectedText(), QLatin1String(c.password));  // ready for retyping
    EXPECT_FALSE(DBIsOpen_MYSQL());
    EXPECT_TRUE(App().staff.userId.isEmpty());
  }
}

TEST_F(LoginTest, PasswordWithQuoteAndBackslashMatchesItsStoredDigest) {
  Register(QStringLiteral("quote"), kMac);
  auto dlg = Open();
  TypePasswordAndOk(*dlg, QStringLiteral("a'b\\c"));
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_TRUE(dlg->LoginSucceeded);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_FALSE(DBIsOpen_MYSQL());
  EXPECT_EQ(App().staff.userId, QStringLiteral("quote"));
  EXPECT_EQ(App().staff.userName, QStringLiteral("인용"));
  EXPECT_EQ(App().staff.level, 3);
  EXPECT_EQ(App().staff.loginTime, QStringLiteral("2026-12-08 10:00:00"));
}

TEST_F(LoginTest, OfficeHoursFollowTheServersClock) {
  const struct {
    const char* user;
    const char* password;
    const char* serverTime;
    bool allowed;
  } cases[] = {
      {"staff3", "pw3", "2026-12-08 07:59:59", false},
      {"staff3", "pw3", "2026-12-08 08:00:00", true},
      {"staff3", "pw3", "2026-12-08 19:00:59", true},
      {"staff3", "pw3", "2026-12-08 19:01:00", false},
      {"boss", "pw0", "2026-12-08 03:00:00", true},
      {"boss", "pw0", "2026-12-08 23:59:00", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.user) + " at " + c.serverTime);
    m_admin.Exec(QStringLiteral("DELETE FROM cv_inhouse.user_mac"));
    Register(QLatin1String(c.user), kMac);
    SetClock(QLatin1String(c.serverTime));
    DBClose_MYSQL();
    m_prompt.Clear();
    auto dlg = Open();
    TypePasswordAndOk(*dlg, QLatin1String(c.password));
    EXPECT_EQ(dlg->LoginSucceeded, c.allowed);
    EXPECT_EQ(App().staff.loginTime, QLatin1String(c.serverTime));
    if (c.allowed) {
      EXPECT_TRUE(m_prompt.Records().empty());
      EXPECT_FALSE(dlg->isVisible());
    } else {
      EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kHours});
      EXPECT_TRUE(dlg->isVisible());
      EXPECT_TRUE(DBIsOpen_MYSQL());  // kept for the next attempt
    }
  }
}

TEST_F(LoginTest, RememberedPasswordLogsInWithoutAKey) {
  Register(QStringLiteral("staff3"), kMac);
  Remember(QStringLiteral("pw3"));
  auto dlg = Open();
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_TRUE(dlg->LoginSucceeded);
  EXPECT_TRUE(dlg->chkpwdSave->isChecked());
  EXPECT_EQ(App().staff.userId, QStringLiteral("staff3"));
}

TEST_F(LoginTest, RememberingFollowsTheCheckBoxAtOnce) {
  Register(QStringLiteral("staff3"), kMac);
  auto dlg = Open();
  QTest::keyClicks(dlg->txtPassword, QStringLiteral("typed"));
  QTest::mouseClick(dlg->chkpwdSave, Qt::LeftButton);
  EXPECT_EQ(Stored("issave_passwd"), QStringLiteral("1"));
  EXPECT_EQ(Stored("passwd"), QStringLiteral("typed"));
  QTest::mouseClick(dlg->chkpwdSave, Qt::LeftButton);
  EXPECT_EQ(Stored("issave_passwd"), QStringLiteral("0"));
  EXPECT_EQ(Stored("passwd"), QString());
  EXPECT_FALSE(dlg->LoginSucceeded);
}

TEST_F(LoginTest, EditedPasswordIsSavedWhenLeavingTheBox) {
  Register(QStringLiteral("staff3"), kMac);
  Remember(QString());  // nothing remembered yet, so no automatic login
  settings::SaveSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                        QStringLiteral("issave_passwd"), QStringLiteral("1"));
  auto dlg = Open();
  dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
  dlg->txtPassword->setFocus();
  QTest::keyClicks(dlg->txtPassword, QStringLiteral("newpw"));
  dlg->cmdCancel->setFocus();  // leaves the box
  EXPECT_EQ(Stored("passwd"), QStringLiteral("newpw"));
}

TEST_F(LoginTest, CancelEndsTheProcess) {
  Register(QStringLiteral("staff3"), kMac);
  auto dlg = Open();
  QTest::mouseClick(dlg->cmdCancel, Qt::LeftButton);
  EXPECT_EQ(g_endedWith, 0);
  EXPECT_FALSE(dlg->LoginSucceeded);
  EXPECT_FALSE(dlg->isVisible());

  g_endedWith = -1;
  auto again = Open();
  QTest::keyClick(again.get(), Qt::Key_Escape);
  EXPECT_EQ(g_endedWith, 0);
}

}  // namespace
