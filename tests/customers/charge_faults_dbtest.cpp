// The charge under faults: lost connections before, during and after its COMMIT, an idle
// connection the server dropped, a server restart, amounts beyond the columns, lax servers.
#include "controls/HCText.h"
#include "customers/ChargeDialogSupport.h"
#include "customers/fBFill_Save.h"
#include "db/DbState.h"
#include "db/modMySQL_Func.h"
#include "platform/AppState.h"
#include "support/ScriptedPrompt.h"
#include "support/TcpProxy.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

const QString kAmountTooLarge = QStringLiteral(
    "입금액이 너무 큽니다.\n\n한 번에 등록할 수 있는 입금액은 "
    "-2,147,483,648원부터 2,147,483,647원까지입니다.");

class ChargeFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    Admin().Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsuser (userid, username, restcnt, regdate, hpno) VALUES"
        " ('cust', '충전상사', 100, '2025-01-01', '02-1')"));
    App().appTitle = QStringLiteral("Sendora");
    SetDefaultPromptTitle(App().appTitle);
    App().staff.userId = QStringLiteral("staff1");
    App().staff.userName = QStringLiteral("박직원");
  }
  void TearDown() override { DBSetCompression(true); }

  void Connect(int port) { ASSERT_TRUE(testdb::ConnectSms(port)); }

  // A fresh administrator connection: a restart ends the old one.
  testdb::Admin& Admin() {
    if (!m_admin) m_admin = std::make_unique<testdb::Admin>();
    return *m_admin;
  }

  QString Balance() {
    return Admin().Value(QStringLiteral("SELECT restcnt FROM sms_sk.smsuser WHERE userid='cust'"));
  }
  QString Charges() { return Admin().Value(QStringLiteral("SELECT COUNT(*) FROM sms_sk.smsfill")); }
  long SessionId() {
    return Admin()
        .Value(QStringLiteral(
            "SELECT MAX(ID) FROM information_schema.PROCESSLIST WHERE USER = 'sms_cvemp'"))
        .toLong();
  }
  void WaitGone(long id) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000 &&
           Admin().Value(
               QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = %1")
                   .arg(id)) != QLatin1String("0"))
      QThread::msleep(20);
  }

  std::unique_ptr<testdb::Admin> m_admin;
  ScriptedPrompt m_prompt;
};

TEST_F(ChargeFaultTest, ChargeAfterTheIdleConnectionWasKilledSucceedsOnce) {
  Connect(testdb::Port());
  auto dlg = OpenChargeWithAmount(QStringLiteral("cust"), QStringLiteral("16500"));
  const long old = SessionId();
  Admin().Exec(QStringLiteral("KILL %1").arg(old));
  WaitGone(old);
  QTest::qWait(1100);  // idle past the check's threshold, as a staff member typing would be
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
  EXPECT_EQ(Charges(), QStringLiteral("1"));
  EXPECT_EQ(Balance(), QStringLiteral("782"));
}

TEST_F(ChargeFaultTest, ServerRestartBetweenTwoChargesLosesNeither) {
  Connect(testdb::Port());
  auto first = OpenChargeWithAmount(QStringLiteral("cust"), QStringLiteral("16500"));
  QTest::mouseClick(first->btnSave, Qt::LeftButton);
  ASSERT_EQ(first->result(), QDialog::Accepted);

  m_admin.reset();
  testdb::RestartServer();
  auto second = OpenChargeWithAmount(QStringLiteral("cust"), QStringLiteral("27500"));
  QTest::qWait(1100);
  QTest::mouseClick(second->btnSave, Qt::LeftButton);
  EXPECT_EQ(second->result(), QDialog::Accepted);
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
  EXPECT_EQ(Charges(), QStringLiteral("2"));
  EXPECT_EQ(Balance(), QString::number(100 + 682 + 1136));
}

TEST_F(ChargeFaultTest, ConnectionCutBeforeTheCommitSavesNothing) {
  DBSetCompression(false);  // the proxy looks for the statement's text
  for (const char* pattern : {"INSERT INTO smsfill", "UPDATE smsuser", "COMMIT"}) {
    SCOPED_TRACE(pattern);
    testdb::TcpProxy proxy(testdb::Port());
    Connect(proxy.Port());
    m_prompt.Clear();
    const QString before = Balance();
    const int chargesBefore = Charges().toInt();
    auto dlg = OpenChargeWithAmount(QStringLiteral("cust"), QStringLiteral("16500"));
    proxy.CutBefore(pattern);
    QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
    EXPECT_EQ(proxy.Cuts(), 1);
    EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kLostNotSaved});
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(Charges().toInt(), chargesBefore);
    EXPECT_EQ(Balance(), before);
    // The same dialog saves once the line is back, exactly once.
    m_prompt.Clear();
    QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(Charges().toInt(), chargesBefore + 1);
    EXPECT_EQ(Balance().toInt(), before.toInt() + 682);
  }
}

// A COMMIT whose answer never came back. What the dialog says must agree with the data once
// every packet still in the network has arrived, and saving again must never count twice.
TEST_F(ChargeFaultTest, CutCommitIsSettledOnlyOnProof) {
  DBSetCompression(false);
  const QString socketPath =
      QDir::tempPath() +
      QStringLiteral("/sendora-charge-%1.sock").arg(QCoreApplication::applicationPid());
  enum class Said { Saved, NotSaved, Unconfirmed };
  const struct {
    const char* name;
    bool socket;
    bool hold;        // the COMMIT is held in the network, delivered after the check
    bool answerLost;  // the COMMIT reached the server, its answer did not come back
    int refusals;     // connections refused right after the break
    int fakedKills;   // KILLs the network swallows (the old connection lingers)
    Said said;
  } cases[] = {
      {"answer lost, normal reconnect", false, false, true, 0, 0, Said::Saved},
      {"first reconnect refused", false, true, false, 1, 0, Said::NotSaved},
      {"commit held and released after the check", false, true, false, 0, 0, Said::NotSaved},
      {"socket session, commit held", true, true, false, 0, 0, Said::NotSaved},
      {"socket session, answer lost", true, false, true, 0, 0, Said::Saved},
      {"wait for the old connection exhausted", false, true, false, 0, 2, Said::Unconfirmed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto proxy = c.socket ? std::make_unique<testdb::TcpProxy>(socketPath, testdb::Socket())
                          : std::make_unique<testdb::TcpProxy>(testdb::Port());
    if (c.socket) {
      ASSERT_TRUE(DBInit(QStringLiteral("localhost"), QLatin1String(testdb::kSmsUser),
                         QLatin1String(testdb::kSmsPassword), QStringLiteral("sms_sk"), QString(),
                         -1, QStringLiteral("euckr"), 0, socketPath));
    } else {
      Connect(proxy->Port());
    }
    Db().sessions[0]->OldConnectionWaitMs = 500;
    m_prompt.Clear();
    const int balanceBefore = Balance().toInt();
    const int chargesBefore = Charges().toInt();
    auto dlg = OpenChargeWithAmount(QStringLiteral("cust"), QStringLiteral("16500"));
    const long oldId = Db().sessions[0]->Identity().id;
    if (c.hold) proxy->Hold("COMMIT");
    if (c.answerLost) proxy->CutAfter("COMMIT");
    if (c.fakedKills) proxy->AnswerOkInstead("KILL", c.fakedKills);
    proxy->RefuseNext(c.refusals);
    QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
    EXPECT_EQ(proxy->Faked(), c.fakedKills);

    const QStringList texts = m_prompt.MessageTexts();
    ASSERT_EQ(texts.size(), 1) << texts.join(u'|').toStdString();
    Said said = Said::Unconfirmed;
    if (texts[0].contains(QStringLiteral("정상적으로 저장되었습니다")))
      said = Said::Saved;
    else if (texts[0] == kLostNotSaved)
      said = Said::NotSaved;
    EXPECT_EQ(said, c.said) << texts[0].toStdString();
    EXPECT_EQ(dlg->btnSave->isEnabled(), said != Said::Unconfirmed);
    EXPECT_EQ(dlg->btnCheck->isVisible(), said == Said::Unconfirmed);

    // Everything still in the network arrives now.
    proxy->ReleaseHeld();
    WaitGone(oldId);
    const bool recorded = Charges().toInt() == chargesBefore + 1;
    if (said == Said::Unconfirmed) {
      // The details are still there, and checking again settles it on proof.
      m_prompt.Clear();
      QTest::mouseClick(dlg->btnCheck, Qt::LeftButton);
      ASSERT_EQ(m_prompt.MessageTexts().size(), 1);
      said = m_prompt.MessageTexts()[0] == kLostNotSaved ? Said::NotSaved : Said::Saved;
    }
    EXPECT_EQ(said == Said::Saved, recorded) << "the dialog's word against the data";
    EXPECT_EQ(dlg->result() == QDialog::Accepted, said == Said::Saved);
    if (said == Said::NotSaved) {
      m_prompt.Clear();
      QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
      EXPECT_EQ(dlg->result(), QDialog::Accepted);
    }
    // Exactly one charge, and its raise with it.
    EXPECT_EQ(Charges().toInt(), chargesBefore + 1);
    EXPECT_EQ(Balance().toInt(), balanceBefore + 682);
  }
}

TEST_F(ChargeFaultTest, SettlingNeverTakesAnotherChargeWithTheSameCodeForOurs) {
  DBSetCompression(false);
  testdb::TcpProxy proxy(testdb::Port());
  Connect(proxy.Port());
  Db().sessions[0]->OldConnectionWaitMs = 300;
  auto dlg = OpenChargeWithAmount(QStringLiteral("cust"), QStringLiteral("16500"));
  const long oldId = Db().sessions[0]->Identity().id;
  proxy.Hold("COMMIT");
  proxy.AnswerOkInstead("KILL", 2);
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  ASSERT_TRUE(dlg->btnCheck->isVisible());
  // The old connection ends without its COMMIT, and the same code goes to another member's
  // charge of another customer, as after a crash that hands an auto-increment value out again.
  Admin().Exec(QStringLiteral("KILL %1").arg(oldId));
  WaitGone(oldId);
  Admin().Exec(
      QStringLiteral("INSERT INTO sms_sk.smsuser (userid, username, restcnt, regdate, hpno) VALUES"
                     " ('other', '남의상사', 0, '2025-01-01', '02-2');"
                     "INSERT INTO sms_sk.smsfill (code, reguser, userid, regtime, regtype, casecnt,"
                     " casemoney, bigo) VALUES (%1, 'staff2', 'other', '20261208090000', 0, 682,"
                     " 16500, '')")
          .arg(dlg->ChargeCode()));
  m_prompt.Clear();
  QTest::mouseClick(dlg->btnCheck, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kLostNotSaved});
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_EQ(
      Admin().Value(QStringLiteral("SELECT COUNT(*) FROM sms_sk.smsfill WHERE userid = 'cust'")),
      QStringLiteral("1"));
  EXPECT_EQ(Balance(), QStringLiteral("782"));
}

TEST_F(ChargeFaultTest, NoRowLockIsHeldWhileARefusedChargeIsExplained) {
  Admin().Exec(
      QStringLiteral("SET GLOBAL sql_mode = ''; "
                     "UPDATE sms_sk.smsuser SET restcnt = 2147483000"));
  Connect(testdb::Port());
  auto dlg = OpenChargeWithAmount(QStringLiteral("cust"), QStringLiteral("16500"));
  // Another member charging the same customer while the boxes are up must not wait on us.
  QStringList changedWhileShown;
  m_prompt.WhileMessageShown([&changedWhileShown](const QString& text) {
    MYSQL* m = mysql_init(nullptr);
    if (!mysql_real_connect(m, nullptr, "root", nullptr, "sms_sk", 0,
                            testdb::Socket().toLocal8Bit().constData(), CLIENT_MULTI_STATEMENTS)) {
      ADD_FAILURE() << mysql_error(m);
    } else if (mysql_query(m, "SET SESSION innodb_lock_wait_timeout = 1") != 0 ||
               mysql_query(m, "UPDATE smsuser SET restcnt = restcnt - 1 WHERE userid = 'cust'") !=
                   0) {
      ADD_FAILURE() << "blocked while \"" << text.left(40).toStdString()
                    << "\" was shown: " << mysql_error(m);
    } else {
      changedWhileShown << text;
    }
    mysql_close(m);
  });
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  const QStringList texts = m_prompt.MessageTexts();
  ASSERT_EQ(texts.size(), 2) << texts.join(u'|').toStdString();
  EXPECT_TRUE(texts[0].contains(QStringLiteral("UPDATE smsuser SET restcnt")));
  EXPECT_EQ(texts[1],
            QStringLiteral("데이터 처리중 문제가 발생하였습니다. 다시 처리하여 주시기 바랍니다."));
  EXPECT_EQ(changedWhileShown.size(), 2);
  EXPECT_EQ(Charges(), QStringLiteral("0"));
  EXPECT_EQ(Balance(), QStringLiteral("2147482998"));
}

TEST_F(ChargeFaultTest, AmountsBeyondTheColumnsAreRefusedBeforeAnythingIsWritten) {
  const struct {
    const char* amount;
    bool refused;
  } amounts[] = {{"9999999999", true},
                 {"2147483648", true},
                 {"-2147483649", true},
                 {"99999999999999999999999999999999999999", true},
                 {"-99999999999999999999999999999", true},
                 {"2147483647", false}};
  for (const char* mode : {"", "STRICT_TRANS_TABLES"}) {
    SCOPED_TRACE(std::string("server sql_mode '") + mode + "'");
    Admin().Exec(QStringLiteral("SET GLOBAL sql_mode = '%1'").arg(QLatin1String(mode)));
    Connect(testdb::Port());
    for (const auto& a : amounts) {
      SCOPED_TRACE(a.amount);
      Admin().Exec(
          QStringLiteral("DELETE FROM sms_sk.smsfill; UPDATE sms_sk.smsuser SET restcnt = 100"));
      m_prompt.Clear();
      auto dlg = OpenChargeWithAmount(QStringLiteral("cust"), QLatin1String(a.amount));
      QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
      if (a.refused) {
        EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kAmountTooLarge});
        EXPECT_EQ(Charges(), QStringLiteral("0"));
        EXPECT_EQ(Balance(), QStringLiteral("100"));
      } else {
        EXPECT_EQ(dlg->result(), QDialog::Accepted);
        EXPECT_EQ(Admin().Value(QStringLiteral("SELECT casemoney FROM sms_sk.smsfill")),
                  QStringLiteral("2147483647"));
        EXPECT_EQ(
            Balance().toLongLong(),
            100 + Admin().Value(QStringLiteral("SELECT casecnt FROM sms_sk.smsfill")).toLongLong());
      }
    }
  }
}

}  // namespace
