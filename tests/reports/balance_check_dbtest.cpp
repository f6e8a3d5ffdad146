// Balance reconciliation against the private server: one snapshot while charges are committed
// beside it, nothing at all when one read fails, IDs shared by several customer rows.
#include "controls/HCText.h"
#include "db/DbState.h"
#include "reports/ReportTestSupport.h"
#include "reports/fRBalanceCheck.h"
#include "support/TcpProxy.h"

#include <QPushButton>
#include <QTest>

#include <atomic>
#include <thread>

namespace {

const QString kFailureText = QStringLiteral("잔액대사 자료를 읽지 못해 결과를 표시하지 않습니다.");

class BalanceCheckReadTest : public ReportTest {
 protected:
  void TearDown() override {
    m_admin.Exec(QStringLiteral("SET GLOBAL init_connect = ''"));
    DBSetCompression(true);
    ReportTest::TearDown();
  }

  QStringList SumRow(const fRBalanceCheck& w) const { return Row(*w.spSum, 1, 3, 5); }
};

// Twenty customers, each charged 50,000 and with 2,000 SMS sent: stored 48,000, all in balance.
// The SMS make the gateway reads take a moment, between the charges and the customers.
void InsertBalancedCustomers(testdb::Admin& admin) {
  admin.Exec(QStringLiteral(
      "INSERT INTO sms_sk.smsuser (userid, username, restcnt) SELECT CONCAT('c', LPAD(seq, 2, "
      "'0')), CONCAT('고객', seq), 48000 FROM sms_sk.seq_1_to_20;"
      "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo) "
      "SELECT 's', CONCAT('c', LPAD(seq, 2, '0')), '20261101100000', 0, 50000, 0, '' FROM "
      "sms_sk.seq_1_to_20;"
      "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) SELECT CONCAT('c', LPAD(1 + seq % 20, "
      "2, '0')), '20261102100000' FROM sms_sk.seq_1_to_40000"));
}

// Charges the customers in proper transactions on a connection of its own until stopped.
class Charger {
 public:
  Charger() {
    m_mysql = mysql_init(nullptr);
    if (!mysql_real_connect(m_mysql, nullptr, "root", nullptr, "sms_sk", 0,
                            testdb::Socket().toUtf8().constData(), 0))
      ADD_FAILURE() << mysql_error(m_mysql);
    m_thread = std::thread([this] { Loop(); });
  }
  ~Charger() {
    Stop();
    mysql_close(m_mysql);
  }
  void Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
  }
  int Committed() const { return m_committed.load(); }

 private:
  void Loop() {
    for (int i = 0; !m_stop; ++i) {
      const QByteArray id = "c" + QByteArray::number(1 + i % 20).rightJustified(2, '0');
      const QByteArray steps[] = {
          "START TRANSACTION",
          "INSERT INTO smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo) "
          "VALUES ('t', '" +
              id + "', '20261208090000', 0, 10, 0, '')",
          "UPDATE smsuser SET restcnt = restcnt + 10 WHERE userid = '" + id + "'", "COMMIT"};
      for (const QByteArray& sql : steps) {
        if (mysql_real_query(m_mysql, sql.constData(), static_cast<unsigned long>(sql.size()))) {
          ADD_FAILURE() << mysql_error(m_mysql);
          return;
        }
      }
      ++m_committed;
    }
  }

  MYSQL* m_mysql = nullptr;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_committed{0};
  std::thread m_thread;
};

TEST_F(BalanceCheckReadTest, ChargesCommittedWhileItReadsNeverShowAsDifferences) {
  InsertBalancedCustomers(m_admin);
  fRBalanceCheck w;
  w.show();
  Charger charger;
  QTest::qWait(50);
  int differing = 0, before = 0;
  for (int run = 0; run < 30; ++run) {
    w.Query();
    differing += w.spList->MaxRows();
    EXPECT_EQ(w.spList->MaxRows(), 0)
        << "run " << run << ": " << w.spList->GetText(1, 1).toStdString() << " differs by "
        << w.spList->GetText(5, 1).toStdString();
    // The charges really go on while the window reads.
    EXPECT_GT(charger.Committed(), before) << "run " << run;
    before = charger.Committed();
  }
  charger.Stop();
  EXPECT_EQ(differing, 0);
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
  // Every charge also raised its balance, so the final state is in balance too.
  w.Query();
  EXPECT_EQ(w.spList->MaxRows(), 0);
}

TEST_F(BalanceCheckReadTest, AnyFailedReadShowsNoRowsAndOneMessage) {
  // drift: charged 100, 10 SMS, stored 80: -10. The rename makes one of the five reads fail.
  m_admin.Exec(QStringLiteral(
      "INSERT INTO sms_sk.smsuser (userid, username, restcnt) VALUES ('drift', '어긋남', 80);"
      "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo) "
      "VALUES ('s', 'drift', '20261101100000', 0, 100, 0, '');"
      "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) SELECT 'drift', '20261102100000' FROM "
      "sms_sk.seq_1_to_10"));
  fRBalanceCheck w;
  w.show();
  for (const char* table :
       {"smsfill", "telink_sms", "tbl_msg_hist", "tbl_submit_queue", "smsuser"}) {
    SCOPED_TRACE(table);
    w.Query();
    ASSERT_EQ(Column(*w.spList, 1), QStringList{QStringLiteral("drift")});
    ASSERT_EQ(SumRow(w),
              (QStringList{QStringLiteral("80"), QStringLiteral("90"), QStringLiteral("-10")}));
    m_prompt.Clear();

    m_admin.Exec(QStringLiteral("RENAME TABLE sms_sk.%1 TO sms_sk.away").arg(QLatin1String(table)));
    w.Query();
    EXPECT_EQ(w.spList->MaxRows(), 0);
    EXPECT_EQ(SumRow(w), (QStringList{QString(), QString(), QString()}));
    const QStringList texts = m_prompt.MessageTexts();
    ASSERT_EQ(texts.size(), 1) << texts.join(u'|').toStdString();
    EXPECT_TRUE(texts[0].startsWith(kFailureText)) << texts[0].toStdString();
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Error 1146"))) << texts[0].toStdString();
    EXPECT_FALSE(NoticeShown());
    m_admin.Exec(QStringLiteral("RENAME TABLE sms_sk.away TO sms_sk.%1").arg(QLatin1String(table)));

    // The failed snapshot was ended: the session's next reads see changes made since.
    m_admin.Exec(QStringLiteral("UPDATE sms_sk.smsuser SET bigo = '%1'").arg(QLatin1String(table)));
    EXPECT_EQ(DBGetValue(QStringLiteral("SELECT bigo FROM smsuser WHERE userid = 'drift'")),
              QLatin1String(table));
  }
}

TEST_F(BalanceCheckReadTest, AConnectionReplacedMidwayReadsEverythingAgain) {
  // The program's session goes through a proxy that breaks it before the MMS read; the new
  // connection first records a charge of 5 for 'cut' (init_connect), after the snapshot began.
  m_admin.Exec(QStringLiteral(
      "INSERT INTO sms_sk.smsuser (userid, username, restcnt) VALUES ('cut', '끊김상사', 100);"
      "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo) "
      "VALUES ('s', 'cut', '20261101100000', 0, 100, 0, '')"));
  testdb::TcpProxy proxy(testdb::Port());
  DBSetCompression(false);  // the proxy looks for the statement's text
  ASSERT_TRUE(testdb::ConnectSms(proxy.Port()));
  m_admin.Exec(QStringLiteral(
      "SET GLOBAL init_connect = \"INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, "
      "casecnt, casemoney, bigo) VALUES ('t', 'cut', '20261208090000', 0, 5, 0, ''); UPDATE "
      "sms_sk.smsuser SET restcnt = restcnt + 5 WHERE userid = 'cut'\""));
  fRBalanceCheck w;
  w.show();
  proxy.CutBefore("FROM tbl_msg_hist");
  w.Query();
  EXPECT_EQ(proxy.Cuts(), 1);
  EXPECT_EQ(m_admin.Value(QStringLiteral("SELECT restcnt FROM sms_sk.smsuser")),
            QStringLiteral("105"));
  EXPECT_EQ(w.spList->MaxRows(), 0) << w.spList->GetText(5, 1).toStdString();
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
}

TEST_F(BalanceCheckReadTest, RowsSharingAnIdAreComparedTogetherInOneMarkedRow) {
  // shared / 'SHARED ': stored 30 + 50 = 80; carried 10 + 20, charged 100, 12 SMS and 2 MMS:
  // 30 + 100 - 12 - 6 = 112; -32. pair / PAIR: stored 40 + 60 = 100 = its charge: in balance,
  // though each row alone is not. solo: stored 5, no history: 5.
  m_admin.Exec(QStringLiteral(
      "INSERT INTO sms_sk.smsuser (userid, username, restcnt, iwolcnt) VALUES"
      " ('shared', '공유일상사', 30, 10), ('pair', '짝일', 40, 0), ('solo', '혼자', 5, 0),"
      " ('SHARED ', '공유이상사', 50, 20), ('PAIR', '짝이', 60, 0);"
      "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo) "
      "VALUES ('s', 'shared', '20261101100000', 0, 60, 0, ''),"
      " ('s', 'Shared', '20261103100000', 0, 40, 0, ''), ('s', 'pair', '20261101100000', 0, 100, "
      "0, '');"
      "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) SELECT 'Shared', '20261102100000' "
      "FROM sms_sk.seq_1_to_12;"
      "INSERT INTO sms_sk.tbl_msg_hist (ETC_CHAR_1, RESERVED_DTTM) VALUES"
      " ('shared', '20261104100000'), ('SHARED', '20261105100000')"));
  fRBalanceCheck w;
  w.show();
  const QStringList shared{QStringLiteral("shared"),
                           QStringLiteral("[공유 ID 2건] 공유일상사, 공유이상사"),
                           QStringLiteral("80"),
                           QStringLiteral("112"),
                           QStringLiteral("-32"),
                           QStringLiteral("2026-11-03 10:00:00"),
                           QStringLiteral("2026-11-05 10:00:00")};
  w.Query();
  ASSERT_EQ(Column(*w.spList, 1), (QStringList{QStringLiteral("shared"), QStringLiteral("solo")}));
  EXPECT_EQ(Row(*w.spList, 1, 1, 7), shared);
  EXPECT_EQ(Row(*w.spList, 2, 2, 5), (QStringList{QStringLiteral("혼자"), QStringLiteral("5"),
                                                  QStringLiteral("0"), QStringLiteral("5")}));
  EXPECT_EQ(SumRow(w),
            (QStringList{QStringLiteral("85"), QStringLiteral("112"), QStringLiteral("-27")}));

  // One ID asked for: both of its rows, still one row; a shared ID in balance, none.
  w.htField->SetText(QStringLiteral("SHARED"));
  w.Query();
  ASSERT_EQ(w.spList->MaxRows(), 1);
  EXPECT_EQ(Row(*w.spList, 1, 1, 7), shared);
  w.htField->SetText(QStringLiteral("pair"));
  w.Query();
  EXPECT_EQ(w.spList->MaxRows(), 0);
  EXPECT_TRUE(NoticeShown());
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
}

}  // namespace
