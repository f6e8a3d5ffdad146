// The charge dialog with real widgets against the private server.
#include "controls/HCText.h"
#include "customers/ChargeDialogSupport.h"
#include "customers/fBFill_Save.h"
#include "db/modMySQL_Func.h"
#include "platform/AppState.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDb.h"
#include "support/Typing.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

class FillSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsuser (userid, username, restcnt, regdate, hpno) VALUES"
        " ('cust', '충전상사', 100, '2025-01-01', '02-1'), ('dup', '하나', 10, '2025-01-01', ''),"
        " ('dup', '둘', 20, '2025-01-01', '')"));
    Login(QStringLiteral("staff3"), QStringLiteral("2026-12-08 10:00:00"));
  }
  void TearDown() override { m_admin.Exec(QStringLiteral("SET GLOBAL init_connect = ''")); }

  // A fresh session under the given server clock, as after a start of the program.
  void Login(const QString& staff, const QString& serverTime) {
    m_admin.Exec(
        QStringLiteral("SET GLOBAL init_connect = 'SET timestamp = UNIX_TIMESTAMP(''%1'')'")
            .arg(serverTime));
    App().appTitle = QStringLiteral("Sendora");
    SetDefaultPromptTitle(App().appTitle);
    App().staff.userId = staff;
    App().staff.userName = QStringLiteral("박직원");
    ASSERT_TRUE(testdb::ConnectSms());
  }

  std::unique_ptr<fBFill_Save> Open(const QString& id, int mode = 1, int code = 0) {
    auto dlg = std::make_unique<fBFill_Save>();
    dlg->SetFormMode(id, mode, nullptr, code);
    dlg->show();
    dlg->activateWindow();
    QTest::qWait(50);  // the first activation, which may close the dialog again
    return dlg;
  }

  QString Balance(const char* id = "cust") {
    return m_admin.Value(
        QStringLiteral("SELECT SUM(restcnt) FROM sms_sk.smsuser WHERE userid = '%1'")
            .arg(QLatin1String(id)));
  }
  QString Charges() { return m_admin.Value(QStringLiteral("SELECT COUNT(*) FROM sms_sk.smsfill")); }

  testdb::Admin m_admin;
  ScriptedPrompt m_prompt;
};

TEST_F(FillSaveTest, EveryListAmountGivesItsCount) {
  auto dlg = Open(QStringLiteral("cust"));
  EXPECT_EQ(dlg->windowTitle(), QStringLiteral("등록 - 『신규등록』"));
  EXPECT_EQ(dlg->cmbMoney->currentText(), QString());
  EXPECT_EQ(dlg->lblUnit->text(), QStringLiteral("(24.2원)"));
  const char* counts[] = {"682",  "1136", "1364", "2182", "2500",
                          "3450", "4400", "5556", "5834", "11112"};
  const char* units[] = {"24.2", "24.2", "24.2", "24.2", "22", "22", "22", "19.8", "19.8", "19.8"};
  ASSERT_EQ(dlg->cmbMoney->count(), 10);
  for (int i = 0; i < 10; ++i) {
    dlg->cmbMoney->setCurrentIndex(i);
    emit dlg->cmbMoney->activated(i);
    EXPECT_EQ(dlg->htField[3]->Text(), QLatin1String(counts[i])) << i;
    EXPECT_EQ(dlg->lblUnit->text(), QStringLiteral("(%1원)").arg(QLatin1String(units[i])));
  }
  EXPECT_EQ(dlg->htField[3]->txtBox->text(), QStringLiteral("11,112"));
}

TEST_F(FillSaveTest, TypedAmountsAreFormattedAndCounted) {
  auto dlg = Open(QStringLiteral("cust"));
  const struct {
    const char* typed;
    const char* shown;
    const char* count;
  } cases[] = {{"54999", "54,999", "2273"},
               {"55000", "55,000", "2500"},
               {"100000", "100,000", "4545"},
               {"110000", "110,000", "5556"},
               {"220000", "220,000", "11112"},
               {"-16500", "-16,500", "-682"},
               {"abc", "abc", "0"}};
  for (const auto& c : cases) {
    EnterAmount(*dlg, QLatin1String(c.typed));
    EXPECT_EQ(dlg->cmbMoney->currentText(), QLatin1String(c.shown)) << c.typed;
    EXPECT_EQ(dlg->htField[3]->Text(), QLatin1String(c.count)) << c.typed;
  }
}

TEST_F(FillSaveTest, SaveWritesTheChargeAndRaisesTheBalance) {
  auto dlg = Open(QStringLiteral("cust"));
  EnterAmount(*dlg, QStringLiteral("52800"));
  dlg->htField[4]->txtBox->setFocus();
  TypeText(dlg->htField[4]->txtBox, QStringLiteral("입금 'A' \\ 확인 똠"));
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_EQ(Balance(), QStringLiteral("2282"));
  EXPECT_EQ(m_admin.Value(QStringLiteral("SELECT CONCAT_WS('|', reguser, userid, regtime, regtype, "
                                         "casecnt, casemoney, bigo) FROM sms_sk.smsfill")),
            QStringLiteral("staff3|cust|20261208100000|0|2182|52800|입금 'A' \\ 확인 똠"));
  EXPECT_EQ(QString::number(dlg->ChargeCode()),
            m_admin.Value(QStringLiteral("SELECT code FROM sms_sk.smsfill")));
  ASSERT_EQ(m_prompt.Records().size(), 1u);
  EXPECT_EQ(m_prompt.Records()[0].kind, PromptRecord::Kind::Hoverlet);
}

TEST_F(FillSaveTest, NegativeAmountLowersTheBalance) {
  auto dlg = Open(QStringLiteral("cust"));
  EnterAmount(*dlg, QStringLiteral("-16500"));
  QTest::keyClick(dlg.get(), Qt::Key_F2);
  EXPECT_EQ(Balance(), QStringLiteral("-582"));
  EXPECT_EQ(
      m_admin.Value(QStringLiteral("SELECT CONCAT(casecnt, '/', casemoney) FROM sms_sk.smsfill")),
      QStringLiteral("-682/-16500"));
}

TEST_F(FillSaveTest, MissingAmountAndZeroCountStopTheSave) {
  auto dlg = Open(QStringLiteral("cust"));
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EnterAmount(*dlg, QStringLiteral("abc"));
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(),
            (QStringList{QStringLiteral("입금액이 입력되지 않았습니다."),
                         QStringLiteral("[등록건수]은(는) 필수 입력 사항입니다.")}));
  EXPECT_EQ(Charges(), QStringLiteral("0"));
  EXPECT_TRUE(dlg->isVisible());
}

TEST_F(FillSaveTest, SaturdayRuleOnTheServersDate) {
  const struct {
    const char* staff;
    const char* serverTime;
    bool allowed;
  } cases[] = {
      {"staff3", "2026-12-11 10:00:00", true},   // Friday, listed
      {"clerk3", "2026-12-11 10:00:00", false},  // Friday, not listed
      {"clerk3", "2026-12-12 10:00:00", true},   // Saturday
      {"staff8", "2026-12-13 10:00:00", true},   // Sunday, listed
      {"clerk3", "2026-12-13 23:59:59", false},  // Sunday
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.staff) + " " + c.serverTime);
    Login(QLatin1String(c.staff), QLatin1String(c.serverTime));
    m_prompt.Clear();
    auto dlg = Open(QStringLiteral("cust"));
    EXPECT_EQ(dlg->isVisible(), c.allowed);
    if (c.allowed) {
      EXPECT_TRUE(m_prompt.Records().empty());
    } else {
      ASSERT_EQ(m_prompt.Messages().size(), 1u);
      EXPECT_EQ(m_prompt.Messages()[0].text, QStringLiteral("충전 권한이 없습니다."));
      EXPECT_EQ(m_prompt.Messages()[0].icon, MsgIcon::None);
      EXPECT_EQ(m_prompt.Messages()[0].title, QStringLiteral("Sendora"));
    }
  }
}

TEST_F(FillSaveTest, ChargeIsTakenBackWhenTheBalanceMissesItsRow) {
  auto dlg = Open(QStringLiteral("nobody"));
  EnterAmount(*dlg, QStringLiteral("16500"));
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral(
                "데이터 처리중 문제가 발생하였습니다. 다시 처리하여 주시기 바랍니다.")});
  EXPECT_EQ(Charges(), QStringLiteral("0"));
  EXPECT_TRUE(dlg->isVisible());

  // Two accounts under one ID: the raise hits both, so it is rolled back with the charge.
  m_prompt.Clear();
  auto dup = Open(QStringLiteral("dup"));
  EnterAmount(*dup, QStringLiteral("16500"));
  QTest::mouseClick(dup->btnSave, Qt::LeftButton);
  EXPECT_EQ(Balance("dup"), QStringLiteral("30"));
  EXPECT_EQ(Charges(), QStringLiteral("0"));
}

TEST_F(FillSaveTest, MissedRaiseLeavesNothingEvenWhereRowsCannotBeDeleted) {
  // The charge is rolled back, not deleted: a server that refuses deletes changes nothing.
  m_admin.Exec(
      QStringLiteral("CREATE TRIGGER sms_sk.keep_fill BEFORE DELETE ON sms_sk.smsfill FOR EACH ROW"
                     " SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'"));
  auto dlg = Open(QStringLiteral("nobody"));
  EnterAmount(*dlg, QStringLiteral("16500"));
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral(
                "데이터 처리중 문제가 발생하였습니다. 다시 처리하여 주시기 바랍니다.")});
  EXPECT_EQ(Charges(), QStringLiteral("0"));
  EXPECT_TRUE(dlg->isVisible());
}

TEST_F(FillSaveTest, ShownChargeCannotBeSaved) {
  m_admin.Exec(QStringLiteral(
      "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)"
      " VALUES ('staff1', 'cust', '20260102030405', 0, 682, 16500, '메모')"));
  const int code = m_admin.Value(QStringLiteral("SELECT code FROM sms_sk.smsfill")).toInt();
  auto dlg = Open(QString(), 2, code);
  EXPECT_EQ(dlg->windowTitle(), QStringLiteral("등록 - 『수정』"));
  EXPECT_EQ(dlg->htField[0]->Text(), QStringLiteral("cust"));
  EXPECT_EQ(dlg->htField[1]->Text(), QStringLiteral("staff1"));
  EXPECT_EQ(dlg->mtDate->text(), QStringLiteral("2026-01-02"));
  EXPECT_EQ(dlg->htField[2]->Text(), QStringLiteral("03:04:05"));
  EXPECT_EQ(dlg->htField[4]->Text(), QStringLiteral("메모"));
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral("수정은 안됩니다. 개발팀으로 연락주세요.")});
  EXPECT_EQ(Charges(), QStringLiteral("1"));
}

TEST_F(FillSaveTest, MemoTheCodePageCannotHoldWritesNothing) {
  auto dlg = Open(QStringLiteral("cust"));
  EnterAmount(*dlg, QStringLiteral("16500"));
  dlg->htField[4]->txtBox->setFocus();
  TypeText(dlg->htField[4]->txtBox, QStringLiteral("감사 🙏"));
  QTest::mouseClick(dlg->btnSave, Qt::LeftButton);
  const QStringList texts = m_prompt.MessageTexts();
  ASSERT_EQ(texts.size(), 2);
  EXPECT_TRUE(texts[0].contains(QStringLiteral("🙏")));
  EXPECT_EQ(Charges(), QStringLiteral("0"));
  EXPECT_EQ(Balance(), QStringLiteral("100"));
}

// Run as a child process by the concurrency test: charges one customer many times.
TEST(FillSaveChild, DISABLED_ChargeManyTimes) {
  App().appTitle = QStringLiteral("Sendora");
  App().staff.userId = QStringLiteral("staff1");
  App().staff.userName = QStringLiteral("동시");
  ASSERT_TRUE(testdb::ConnectSms());
  ScriptedPrompt prompt;
  for (int i = 0; i < 200; ++i) {
    fBFill_Save dlg;
    dlg.SetFormMode(QStringLiteral("cust"), 1);
    dlg.cmbMoney->setCurrentIndex(0);  // 16,500
    emit dlg.cmbMoney->activated(0);
    QMetaObject::invokeMethod(dlg.btnSave, "click");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
  }
  EXPECT_EQ(prompt.Messages().size(), 0u);
}

TEST_F(FillSaveTest, TwoSessionsChargingAtOnceEndWithTheExactBalance) {
  QProcess a, b;
  for (QProcess* p : {&a, &b}) {
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start(QCoreApplication::applicationFilePath(),
             {QStringLiteral("--gtest_also_run_disabled_tests"),
              QStringLiteral("--gtest_filter=FillSaveChild.DISABLED_ChargeManyTimes")});
  }
  for (QProcess* p : {&a, &b}) {
    ASSERT_TRUE(p->waitForFinished(120000));
    EXPECT_EQ(p->exitCode(), 0);
  }
  EXPECT_EQ(Charges(), QStringLiteral("400"));
  EXPECT_EQ(Balance(), QString::number(100 + 400 * 682));
}

}  // namespace
