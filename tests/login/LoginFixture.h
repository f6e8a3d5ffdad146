#pragma once
// The real login dialog on the offscreen platform against the private server: the members, the
// workstation and the settings folder every login test starts from.
#include "db/modMySQL_Func.h"
#include "login/frmLogin.h"
#include "platform/AppState.h"
#include "platform/MacAddress.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDb.h"
#include "support/Typing.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace logintest {

inline int g_endedWith = -1;
inline void RecordEnd(int code) { g_endedWith = code; }

inline const QString kMac = QStringLiteral("02AB34CD56EF");
inline const QString kRefused = QStringLiteral(
    "개발자 및 퇴사자는 로그인 할 수 없습니다.\n\n혹은 암호가 잘못되었습니다. 다시 시도하십시오");
inline const QString kNotAllowed =
    QStringLiteral("허용되지 않은 컴퓨터입니다. 관리자에게 문의바랍니다.");
inline const QString kHours = QStringLiteral("허용된 작성시간은 08:00 ~ 19:00입니다.\n");

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
  // What older versions wrote when the box was checked: the password itself.
  void Remember(const QString& password) {
    SaveConfig("issave_passwd", password.isNull() ? QStringLiteral("0") : QStringLiteral("1"));
    SaveConfig("passwd", password);
  }
  void SaveConfig(const char* key, const QString& value) {
    settings::SaveSetting(QStringLiteral("Sendora"), QStringLiteral("Config"), QLatin1String(key),
                          value);
  }
  QString Stored(const char* key) {
    return settings::GetSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                                QLatin1String(key), QStringLiteral("<none>"));
  }
  // The settings file as it lies on disk.
  QByteArray SettingsFile() {
    QFile f(m_settings.path() + QStringLiteral("/sendora.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // The digest the old login statement compared, computed by the server over the code page 949
  // bytes the login connection carried.
  QString ServerDigest(const QString& password) {
    return m_admin.Value(
        QStringLiteral("SELECT SHA1(CONVERT(%1 USING euckr))").arg(Literal(password)));
  }
  // A UTF-8 text as an SQL literal that survives any quote or backslash in it.
  static QString Literal(const QString& text) {
    return QStringLiteral("_utf8mb4 X'") + QString::fromLatin1(text.toUtf8().toHex()) +
           QLatin1Char('\'');
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
    TypeText(dlg.txtPassword, password);
    QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
  }

  QTemporaryDir m_settings;
  testdb::Admin m_admin;
  ScriptedPrompt m_prompt;
};

}  // namespace logintest
