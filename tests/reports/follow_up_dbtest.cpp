// Balance reconciliation and the low-balance follow-up with real windows against the private
// server; expected figures worked out by hand from the inserted rows.
#include "controls/HCText.h"
#include "customers/fBFill_Save.h"
#include "reports/ReportTestSupport.h"
#include "reports/fRBalanceCheck.h"
#include "reports/fRLowBalance.h"
#include "reports/fRUseList.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {

class BalanceCheckTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    // match: 100 - 10 - 3 x 2 = 84, stored 84. high: the same history, stored 89.
    // queued: 50 - 3 x 3 queued = 41, stored 50. carry: 500 carried over, stored 0.
    // carryok: 300 carried over and stored.
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsuser (userid, username, restcnt, iwolcnt) VALUES"
        " ('match', '일치상사', 84, 0), ('high', '초과상사', 89, 0), ('queued', '대기상사', 50, 0),"
        " ('carry', '이월상사', 0, 500), ('carryok', '이월일치', 300, 300);"
        "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)"
        " VALUES ('s', 'match', '20261101100000', 0, 100, 2420, ''),"
        " ('s', 'high', '20261101100000', 0, 60, 0, ''), ('s', 'high', '20261105093000', 1, 40, 0, "
        "''),"
        " ('s', 'queued', '20261102100000', 0, 50, 1210, '');"
        "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) SELECT 'match', '20261103100000' "
        "FROM "
        "sms_sk.seq_1_to_10;"
        "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) SELECT 'high', CONCAT('2026110', "
        "seq % 5 + 1, '100000') FROM sms_sk.seq_1_to_10;"
        "INSERT INTO sms_sk.tbl_msg_hist (ETC_CHAR_1, RESERVED_DTTM) VALUES"
        " ('match', '20261104100000'), ('match', '20261104110000'),"
        " ('high', '20261104100000'), ('high', '20261107120000');"
        "INSERT INTO sms_sk.tbl_submit_queue (ETC_CHAR_1, RESERVED_DTTM) VALUES"
        " ('queued', '20261210100000'), ('queued', '20261211100000'), ('queued', "
        "'20261212100000')"));
  }
};

TEST_F(BalanceCheckTest, ListsOnlyTheDriftedBalancesLargestFirst) {
  fRBalanceCheck w;
  w.show();
  QTest::mouseClick(w.btnQuery, Qt::LeftButton);
  EXPECT_EQ(Column(*w.spList, 1), (QStringList{QStringLiteral("carry"), QStringLiteral("queued"),
                                               QStringLiteral("high")}));
  EXPECT_EQ(Row(*w.spList, 1, 2, 5), (QStringList{QStringLiteral("이월상사"), QStringLiteral("0"),
                                                  QStringLiteral("500"), QStringLiteral("-500")}));
  EXPECT_EQ(Row(*w.spList, 2, 3, 5),
            (QStringList{QStringLiteral("50"), QStringLiteral("41"), QStringLiteral("9")}));
  EXPECT_EQ(
      Row(*w.spList, 3, 3, 7),
      (QStringList{QStringLiteral("89"), QStringLiteral("84"), QStringLiteral("5"),
                   QStringLiteral("2026-11-05 09:30:00"), QStringLiteral("2026-11-07 12:00:00")}));
  // Queued MMS are not sending that happened: no last sending time from them.
  EXPECT_EQ(w.spList->GetText(7, 2), QString());
  EXPECT_EQ(Row(*w.spSum, 1, 2, 5), (QStringList{QStringLiteral("[합 계]"), QStringLiteral("139"),
                                                 QStringLiteral("625"), QStringLiteral("-486")}));
  EXPECT_FALSE(NoticeShown());
}

TEST_F(BalanceCheckTest, OneCustomerAndTheLedgerOnADoubleClick) {
  fRBalanceCheck w;
  w.show();
  w.htField->SetText(QStringLiteral("match"));
  QTest::mouseClick(w.btnQuery, Qt::LeftButton);
  EXPECT_EQ(w.spList->MaxRows(), 0);
  EXPECT_TRUE(NoticeShown());

  w.htField->SetText(QStringLiteral("high"));
  QTest::mouseClick(w.btnQuery, Qt::LeftButton);
  ASSERT_EQ(Column(*w.spList, 1), QStringList{QStringLiteral("high")});
  // The ledger of that customer totals its history.
  QString total;
  m_prompt.ModalNext([&total](QDialog& d) {
    auto& ledger = dynamic_cast<fRUseList&>(d);
    ledger.htDate->SetText1(QStringLiteral("2026-11-01"));
    ledger.Query();
    total = ledger.spSum->Value(4, 1);
    return int(QDialog::Rejected);
  });
  QTest::mouseDClick(w.spList->CellArea(), Qt::LeftButton, {}, w.spList->CellRect(1, 1).center());
  EXPECT_TRUE(m_prompt.AllAnswersUsed());
  EXPECT_EQ(total, QStringLiteral("84"));
}

class LowBalanceTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    App().staff.userId = QStringLiteral("staff1");  // may charge on any day
    // Today is 2026-12-08; the last 30 days are 2026-11-09 .. 2026-12-08.
    // dry: 300 left, 60 SMS + 10 MMS = 90 units in 30 days (3 a day): 100 days.
    // fast: 50 left, 300 SMS (10 a day): 5 days. neg: -20 left, 30 SMS: 0 days.
    // idle: 10 left, its only SMS on 2026-11-08, outside: no estimate. edge: 999, unused.
    // full: 1,000, not below the threshold.
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsuser (userid, username, restcnt, hpno) VALUES"
        " ('dry', '마름상사', 300, '0212345678'), ('fast', '빠름상사', 50, ''),"
        " ('neg', '음수상사', -20, ''), ('idle', '쉼상사', 10, ''), ('edge', '경계상사', 999, ''),"
        " ('full', '가득상사', 1000, '');"
        "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)"
        " VALUES ('s', 'dry', '20261101100000', 0, 682, 16500, ''),"
        " ('s', 'dry', '20261120100000', 0, 1364, 33000, '');"
        "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) SELECT 'dry', CONCAT('202611', 10 + "
        "seq % 20, '100000') FROM sms_sk.seq_1_to_60;"
        "INSERT INTO sms_sk.tbl_msg_hist (ETC_CHAR_1, RESERVED_DTTM) SELECT 'dry', "
        "'20261109000000' FROM sms_sk.seq_1_to_10;"
        "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) SELECT 'fast', CONCAT('202612', "
        "LPAD(1 + seq % 8, 2, '0'), '235959') FROM sms_sk.seq_1_to_300;"
        "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) SELECT 'neg', '20261201100000' FROM "
        "sms_sk.seq_1_to_30;"
        "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) VALUES ('idle', '20261108235959')"));
  }
};

TEST_F(LowBalanceTest, BelowTheThresholdSortedByDaysLeft) {
  fRLowBalance w;
  w.show();
  EXPECT_EQ(w.htField->txtBox->text(), QStringLiteral("1,000"));
  QTest::mouseClick(w.btnQuery, Qt::LeftButton);
  EXPECT_EQ(Column(*w.spList, 1),
            (QStringList{QStringLiteral("neg"), QStringLiteral("fast"), QStringLiteral("dry"),
                         QStringLiteral("idle"), QStringLiteral("edge")}));
  EXPECT_EQ(Column(*w.spList, 5), (QStringList{QStringLiteral("0"), QStringLiteral("5"),
                                               QStringLiteral("100"), QString(), QString()}));
  EXPECT_EQ(Column(*w.spList, 4),
            (QStringList{QStringLiteral("1.0"), QStringLiteral("10.0"), QStringLiteral("3.0"),
                         QStringLiteral("0.0"), QStringLiteral("0.0")}));
  EXPECT_EQ(Row(*w.spList, 3, 6, 8),
            (QStringList{QStringLiteral("2026-11-20"), QStringLiteral("33,000"),
                         QStringLiteral("02-1234-5678")}));

  // The threshold's edge: 1,000 itself is not below 1,000; 1,001 takes it in.
  w.htField->SetText(QStringLiteral("1001"));
  QTest::mouseClick(w.btnQuery, Qt::LeftButton);
  EXPECT_TRUE(Column(*w.spList, 1).contains(QStringLiteral("full")));
  w.htField->SetText(QStringLiteral("-20"));
  QTest::mouseClick(w.btnQuery, Qt::LeftButton);
  EXPECT_EQ(w.spList->MaxRows(), 0);
  EXPECT_TRUE(NoticeShown());
}

TEST_F(LowBalanceTest, DoubleClickChargesAndTheRowFollows) {
  fRLowBalance w;
  w.show();
  QTest::mouseClick(w.btnQuery, Qt::LeftButton);
  ASSERT_EQ(w.spList->GetText(1, 2), QStringLiteral("fast"));
  m_prompt.ModalNext([](QDialog& d) {
    auto& charge = dynamic_cast<fBFill_Save&>(d);
    EXPECT_EQ(charge.htField[0]->Text(), QStringLiteral("fast"));
    charge.cmbMoney->setCurrentIndex(0);  // 16,500 won: 682 messages
    emit charge.cmbMoney->activated(0);
    QMetaObject::invokeMethod(charge.btnSave, "click");
    return charge.result();
  });
  QTest::mouseDClick(w.spList->CellArea(), Qt::LeftButton, {}, w.spList->CellRect(1, 2).center());
  EXPECT_TRUE(m_prompt.AllAnswersUsed());
  EXPECT_EQ(m_admin.Value(QStringLiteral("SELECT restcnt FROM sms_sk.smsuser WHERE userid='fast'")),
            QStringLiteral("732"));
  // 732 left at 10 a day; the last charge is today's.
  EXPECT_EQ(Row(*w.spList, 2, 1, 6),
            (QStringList{QStringLiteral("fast"), QStringLiteral("빠름상사"), QStringLiteral("732"),
                         QStringLiteral("10.0"), QStringLiteral("73"),
                         QDate::currentDate().toString(Qt::ISODate)}));
}

}  // namespace
