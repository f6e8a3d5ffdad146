// The real login dialog on the offscreen platform against the private server, on a session bus
// with no secret store on it: a remembered password is kept as its digest in the settings file.
#include "login/LoginFixture.h"
#include "support/PrivateSessionBus.h"

namespace {

using namespace logintest;

// Before main: the secret store is looked for on this bus, which has none, never on the
// desktop's; without it, on no bus at all.
const PrivateSessionBus& g_bus = SessionBusBeforeMain();

class NoSecretStore : public ::testing::Environment {
 public:
  void SetUp() override { EXPECT_TRUE(g_bus.Started()) << "dbus-daemon could not be started"; }
};
[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new NoSecretStore);

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
  } cases[] = {{"staff3", "wrong"},
               {"ghost", "pwh"},
               {"nosale", "pwn"},
               {"staff3", "pw3' OR '1'='1"},
               // a character code page 949 cannot hold: no stored digest can match it
               {"staff3", "pw3们"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.password);
    m_admin.Exec(QStringLiteral("DELETE FROM cv_inhouse.user_mac"));
    Register(QLatin1String(c.user), kMac);
    m_prompt.Clear();
    auto dlg = Open();
    const QString password = QString::fromUtf8(c.password);
    TypePasswordAndOk(*dlg, password);
    ASSERT_EQ(m_prompt.Messages().size(), 1u);
    EXPECT_EQ(m_prompt.Messages()[0].text, kRefused);
    EXPECT_EQ(m_prompt.Messages()[0].title, QStringLiteral("로그인"));
    EXPECT_EQ(m_prompt.Messages()[0].icon, MsgIcon::None);
    EXPECT_FALSE(dlg->LoginSucceeded);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->txtPassword->selectedText(), password);  // ready for retyping
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

TEST_F(LoginTest, PasswordKeptInClearByAnOlderVersionLogsInAndIsReplacedByItsDigest) {
  Register(QStringLiteral("staff3"), kMac);
  Remember(QStringLiteral("pw3"));
  auto dlg = Open();
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_TRUE(dlg->LoginSucceeded);
  EXPECT_TRUE(dlg->chkpwdSave->isChecked());
  EXPECT_EQ(App().staff.userId, QStringLiteral("staff3"));
  EXPECT_EQ(Stored("passwd"), QStringLiteral("<none>"));
  EXPECT_EQ(Stored("passwd_digest"), ServerDigest(QStringLiteral("pw3")));
  EXPECT_FALSE(SettingsFile().contains("pw3"));
}

TEST_F(LoginTest, RememberedDigestLogsInWithoutAKey) {
  Register(QStringLiteral("boss"), kMac);
  SaveConfig("issave_passwd", QStringLiteral("1"));
  SaveConfig("passwd_digest", ServerDigest(QStringLiteral("pw0")));
  auto dlg = Open();
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_TRUE(dlg->LoginSucceeded);
  EXPECT_EQ(App().staff.userId, QStringLiteral("boss"));
  EXPECT_TRUE(dlg->txtPassword->text().isEmpty());
}

TEST_F(LoginTest, TypedPasswordReplacesARememberedDigest) {
  // The password was changed since it was remembered.
  Register(QStringLiteral("staff3"), kMac);
  SaveConfig("issave_passwd", QStringLiteral("1"));
  SaveConfig("passwd_digest", ServerDigest(QStringLiteral("old-pw3")));
  auto dlg = Open();
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kRefused});
  ASSERT_FALSE(dlg->LoginSucceeded);
  EXPECT_FALSE(dlg->txtPassword->placeholderText().isEmpty());
  m_prompt.Clear();
  QTest::keyClicks(dlg->txtPassword, QStringLiteral("pw3"));
  EXPECT_TRUE(dlg->txtPassword->placeholderText().isEmpty());
  QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_TRUE(dlg->LoginSucceeded);
}

TEST_F(LoginTest, RememberingFollowsTheCheckBoxAtOnce) {
  Register(QStringLiteral("staff3"), kMac);
  auto dlg = Open();
  QTest::keyClicks(dlg->txtPassword, QStringLiteral("typed"));
  QTest::mouseClick(dlg->chkpwdSave, Qt::LeftButton);
  EXPECT_EQ(Stored("issave_passwd"), QStringLiteral("1"));
  EXPECT_EQ(Stored("passwd"), QStringLiteral("<none>"));
  EXPECT_EQ(Stored("passwd_digest"), ServerDigest(QStringLiteral("typed")));
  EXPECT_FALSE(SettingsFile().contains("typed"));
  QTest::mouseClick(dlg->chkpwdSave, Qt::LeftButton);
  EXPECT_EQ(Stored("issave_passwd"), QStringLiteral("0"));
  EXPECT_EQ(Stored("passwd_digest"), QStringLiteral("<none>"));
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
  TypeText(dlg->txtPassword, QStringLiteral("newpw한"));
  dlg->cmdCancel->setFocus();  // leaves the box
  EXPECT_EQ(Stored("passwd_digest"), ServerDigest(QStringLiteral("newpw한")));
  EXPECT_EQ(Stored("passwd"), QStringLiteral("<none>"));
  EXPECT_FALSE(SettingsFile().contains("newpw"));
}

// The digests the old statement's SHA1('…') put in the column: over the code page 949 bytes,
// compared without regard to case.
TEST_F(LoginTest, PasswordsStoredByTheOldLoginStillMatch) {
  const struct {
    const char* name;
    const char* password;
    const char* stored;  // %1: the password as a literal
  } cases[] = {
      {"ascii", "Pass word 9", "SHA1(CONVERT(%1 USING euckr))"},
      {"hangul", "비밀번호7", "SHA1(CONVERT(%1 USING euckr))"},
      {"outside KS X 1001", "똠방각하", "SHA1(CONVERT(%1 USING euckr))"},
      {"quote and backslash", "a'b\\c\"", "SHA1(CONVERT(%1 USING euckr))"},
      {"upper-case hex", "비밀Pw", "UPPER(SHA1(CONVERT(%1 USING euckr)))"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString password = QString::fromUtf8(c.password);
    // The server itself must hold every character, or the case proves nothing.
    ASSERT_FALSE(
        m_admin.Value(QStringLiteral("SELECT CONVERT(%1 USING euckr)").arg(Literal(password)))
            .contains(QLatin1Char('?')));
    m_admin.Exec(QStringLiteral("DELETE FROM cv_inhouse.user_mac; DELETE FROM cv_inhouse.`user` "
                                "WHERE id = 'old'; INSERT INTO cv_inhouse.`user` (id, password2, "
                                "name, level, sale_user) VALUES ('old', %1, '예전', 0, 1)")
                     .arg(QString::fromLatin1(c.stored).arg(Literal(password))));
    Register(QStringLiteral("old"), kMac);
    m_prompt.Clear();
    App().staff = LoggedInStaff();
    auto dlg = Open();
    TypePasswordAndOk(*dlg, password);
    EXPECT_TRUE(m_prompt.Records().empty());
    EXPECT_TRUE(dlg->LoginSucceeded);
    EXPECT_EQ(App().staff.userId, QStringLiteral("old"));
  }
}

// With the server's general log on, nothing the login sends holds the password, in either
// encoding, nor the digest that the column holds. The log table keeps a statement as UTF-8 text
// (bytes that are not become \x escapes); the log file keeps the bytes as they came. Both are
// searched.
TEST_F(LoginTest, TheServerNeverSeesThePassword) {
  const struct {
    const char* name;
    const char* typed;     // nullptr: the remembered digest of `password` logs in
    const char* password;  // what the column was made from
    bool succeeds;
  } cases[] = {
      {"ascii", "Gx7pass9", "Gx7pass9", true},
      {"hangul", "Gx7비밀번호", "Gx7비밀번호", true},
      {"wrong", "Qz9틀린암호", "Gx7비밀번호", false},
      {"remembered", nullptr, "Rm4저장암호", true},
  };
  const QString dataDir = m_admin.Value(QStringLiteral("SELECT @@datadir"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString password = QString::fromUtf8(c.password);
    const QString typed = c.typed ? QString::fromUtf8(c.typed) : password;
    m_admin.Exec(QStringLiteral("DELETE FROM cv_inhouse.user_mac; DELETE FROM cv_inhouse.`user` "
                                "WHERE id = 'logged'; INSERT INTO cv_inhouse.`user` (id, "
                                "password2, name, level, sale_user) VALUES ('logged', "
                                "SHA1(CONVERT(%1 USING euckr)), '기록', 0, 1)")
                     .arg(Literal(password)));
    Register(QStringLiteral("logged"), kMac);
    if (!c.typed) {
      SaveConfig("issave_passwd", QStringLiteral("1"));
      SaveConfig("passwd_digest", ServerDigest(password));
    }
    m_prompt.Clear();
    const QString logFile = dataDir + QStringLiteral("login-%1.log").arg(QLatin1String(c.name));
    m_admin.Exec(QStringLiteral("SET GLOBAL general_log = 0; SET GLOBAL log_output = 'TABLE,FILE'; "
                                "SET GLOBAL general_log_file = '%1'; "
                                "TRUNCATE TABLE mysql.general_log; SET GLOBAL general_log = 1")
                     .arg(logFile));
    auto dlg = Open();
    if (c.typed) TypePasswordAndOk(*dlg, typed);
    m_admin.Exec(QStringLiteral("SET GLOBAL general_log = 0"));
    settings::DeleteSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                            QStringLiteral("passwd_digest"));
    EXPECT_EQ(dlg->LoginSucceeded, c.succeeds);

    // Both logs hold the login statement, so they would hold the password if it were sent.
    EXPECT_EQ(m_admin.Value(QStringLiteral(
                  "SELECT COUNT(*) FROM mysql.general_log WHERE user_host LIKE 'cv_inhouse[%' "
                  "AND argument LIKE '%FROM `user`%logged%'")),
              QStringLiteral("1"));
    QFile file(logFile);  // the test server runs on this machine
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << logFile.toStdString();
    const QByteArray fileBytes = file.readAll();
    EXPECT_TRUE(fileBytes.contains("WHERE `id` = 'logged'"));
    const QString digest = ServerDigest(typed);
    const QList<QByteArray> needles{
        QByteArray::fromHex(
            m_admin.Value(QStringLiteral("SELECT HEX(CONVERT(%1 USING euckr))").arg(Literal(typed)))
                .toLatin1()),
        typed.toUtf8(),
        digest.toLatin1(),
        digest.toUpper().toLatin1(),
    };
    for (const QByteArray& needle : needles) {
      SCOPED_TRACE(needle.toHex().toStdString());
      EXPECT_EQ(m_admin.Value(QStringLiteral("SELECT COUNT(*) FROM mysql.general_log WHERE "
                                             "INSTR(CAST(argument AS BINARY), X'%1') > 0")
                                  .arg(QLatin1String(needle.toHex()))),
                QStringLiteral("0"));
      EXPECT_FALSE(fileBytes.contains(needle));
    }
  }
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
