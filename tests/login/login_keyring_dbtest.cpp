// The login's remembered password with a real secret store: gnome-keyring-daemon on a private
// session bus. The password goes to the keyring, never to the settings file.
#include "login/LoginFixture.h"
#include "platform/SecretStore.h"
#include "support/PrivateKeyring.h"
#include "support/PrivateSessionBus.h"

namespace {

using namespace logintest;

// Before main: the store is looked for on this bus, never on the desktop's.
[[maybe_unused]] const PrivateSessionBus& g_bus = SessionBusBeforeMain();

class KeyringLoginTest : public LoginTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SharedTestKeyring());
    LoginTest::SetUp();
    Register(QStringLiteral("staff3"), kMac);
    ASSERT_TRUE(secrets::Remove(QStringLiteral("Sendora"), QStringLiteral("passwd")));
  }
  secrets::Entry InKeyring() {
    return secrets::Read(QStringLiteral("Sendora"), QStringLiteral("passwd"));
  }
};

TEST_F(KeyringLoginTest, CheckingTheBoxPutsThePasswordInTheKeyringAndUncheckingTakesItOut) {
  auto dlg = Open();
  TypeText(dlg->txtPassword, QStringLiteral("typed비번"));
  QTest::mouseClick(dlg->chkpwdSave, Qt::LeftButton);
  EXPECT_EQ(Stored("issave_passwd"), QStringLiteral("1"));
  EXPECT_EQ(InKeyring().text, QStringLiteral("typed비번"));
  EXPECT_EQ(Stored("passwd"), QStringLiteral("<none>"));
  EXPECT_EQ(Stored("passwd_digest"), QStringLiteral("<none>"));
  EXPECT_FALSE(SettingsFile().contains("typed"));
  QTest::mouseClick(dlg->chkpwdSave, Qt::LeftButton);
  EXPECT_EQ(Stored("issave_passwd"), QStringLiteral("0"));
  EXPECT_EQ(InKeyring().status, secrets::Status::NotFound);
}

TEST_F(KeyringLoginTest, PasswordInTheKeyringLogsInWithoutAKey) {
  ASSERT_TRUE(
      secrets::Write(QStringLiteral("Sendora"), QStringLiteral("passwd"), QStringLiteral("pw3")));
  SaveConfig("issave_passwd", QStringLiteral("1"));
  auto dlg = Open();
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_TRUE(dlg->LoginSucceeded);
  EXPECT_EQ(App().staff.userId, QStringLiteral("staff3"));
}

TEST_F(KeyringLoginTest, KeyringEntryIsNotUsedWhileTheBoxIsUnchecked) {
  // Left behind when the box was unchecked while the keyring did not answer.
  ASSERT_TRUE(
      secrets::Write(QStringLiteral("Sendora"), QStringLiteral("passwd"), QStringLiteral("pw3")));
  SaveConfig("issave_passwd", QStringLiteral("0"));
  auto dlg = Open();
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_FALSE(dlg->LoginSucceeded);
  EXPECT_TRUE(dlg->txtPassword->text().isEmpty());
}

TEST_F(KeyringLoginTest, PasswordKeptInClearByAnOlderVersionMovesToTheKeyring) {
  Remember(QStringLiteral("pw3"));
  auto dlg = Open();
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_TRUE(dlg->LoginSucceeded);
  EXPECT_EQ(InKeyring().text, QStringLiteral("pw3"));
  EXPECT_EQ(Stored("passwd"), QStringLiteral("<none>"));
  EXPECT_EQ(Stored("passwd_digest"), QStringLiteral("<none>"));
  EXPECT_FALSE(SettingsFile().contains("pw3"));
}

// While the keyring does not answer, only the digest is kept.
TEST_F(KeyringLoginTest, KeyringThatDoesNotAnswerGetsOnlyTheDigestKept) {
  auto dlg = Open();
  QTest::keyClicks(dlg->txtPassword, QStringLiteral("pw3"));
  SharedTestKeyring()->Pause();
  QTest::mouseClick(dlg->chkpwdSave, Qt::LeftButton);
  SharedTestKeyring()->Resume();
  EXPECT_EQ(Stored("issave_passwd"), QStringLiteral("1"));
  EXPECT_EQ(Stored("passwd_digest"), ServerDigest(QStringLiteral("pw3")));
  EXPECT_FALSE(SettingsFile().contains("pw3"));
  // The unanswered write is let finish before the next test.
  EXPECT_TRUE(
      QTest::qWaitFor([this] { return InKeyring().status != secrets::Status::NoStore; }, 10000));
}

// A digest is kept only when the keyring did not take the password, and dropped whenever it did:
// with both there, the digest is the newer.
TEST_F(KeyringLoginTest, DigestIsNewerThanAKeyringEntry) {
  ASSERT_TRUE(secrets::Write(QStringLiteral("Sendora"), QStringLiteral("passwd"),
                             QStringLiteral("old-pw3")));
  SaveConfig("issave_passwd", QStringLiteral("1"));
  SaveConfig("passwd_digest", ServerDigest(QStringLiteral("pw3")));
  auto dlg = Open();
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_TRUE(dlg->LoginSucceeded);
}

}  // namespace
