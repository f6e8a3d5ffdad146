// Reports on a read replica: two private servers of their own, the second replicating the first
// through its binary log. A report reads the replica; a charge made in the program goes to the
// primary and reaches the report through replication.
#include "controls/HCTerm.h"
#include "customers/fBFill_Save.h"
#include "db/DbState.h"
#include "db/ReportReads.h"
#include "db/modMySQL_Func.h"
#include "grid/SpreadGrid.h"
#include "platform/AppState.h"
#include "reports/fRBalanceCheck.h"
#include "reports/fRUseList.h"
#include "support/PrivateServer.h"
#include "support/ScriptedPrompt.h"
#include "support/TcpProxy.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <mysql.h>

namespace {

using Server = testdb::PrivateServer;

// Waits until the replica answers the statement with the value.
bool WaitFor(Server& s, const QString& sql, const QString& value) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 20000) {
    if (s.Value(sql) == value) return true;
    QThread::msleep(50);
  }
  return false;
}

TEST(ReplicaTest, ReportsReadTheReplicaAndChargesReachThemThroughReplication) {
  QTemporaryDir base;
  Server primary(base.path() + QStringLiteral("/primary"),
                 QStringLiteral("--log-bin=primary-bin --server-id=1 --binlog-format=ROW"));
  Server replica(base.path() + QStringLiteral("/replica"),
                 QStringLiteral("--server-id=2 --read-only=1 --skip-slave-start"));

  // Replicate everything from here on: the schema, the rows, the program's charges.
  primary.Exec(
      QStringLiteral("CREATE USER IF NOT EXISTS 'repl'@'127.0.0.1' IDENTIFIED BY 'repl';"
                     "GRANT REPLICATION SLAVE ON *.* TO 'repl'@'127.0.0.1'; RESET MASTER"));
  QFile schema(testdb::SchemaFile(QStringLiteral("sms_sk.sql")));
  ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
  primary.Exec(QString::fromUtf8(schema.readAll()));
  replica.Exec(QStringLiteral("CHANGE MASTER TO MASTER_HOST='127.0.0.1', MASTER_PORT=%1, "
                              "MASTER_USER='repl', MASTER_PASSWORD='repl', "
                              "MASTER_LOG_FILE='primary-bin.000001', MASTER_LOG_POS=4; START SLAVE")
                   .arg(primary.Port()));
  primary.Exec(QStringLiteral(
      "INSERT INTO sms_sk.smsuser (userid, username, restcnt, iwolcnt) VALUES ('cust', '복제상사', "
      "100, 100)"));
  ASSERT_TRUE(
      WaitFor(replica, QStringLiteral("SELECT COUNT(*) FROM sms_sk.smsuser"), QStringLiteral("1")))
      << replica.Value(QStringLiteral("SELECT 1")).toStdString();

  App().appTitle = QStringLiteral("Sendora");
  App().staff.userId = QStringLiteral("staff1");
  App().staff.userName = QStringLiteral("복제");
  ScriptedPrompt prompt;
  ASSERT_TRUE(DBInit(QStringLiteral("127.0.0.1"), QLatin1String(testdb::kSmsUser),
                     QLatin1String(testdb::kSmsPassword), QStringLiteral("sms_sk"), QString(), -1,
                     QStringLiteral("euckr"), primary.Port()));
  ASSERT_TRUE(DBInitReports(QStringLiteral("127.0.0.1"), replica.Port()));

  // A row only the replica holds shows that the report reads there.
  replica.Exec(QStringLiteral(
      "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM) VALUES ('cust', '20260101100000')"));
  const auto ledgerTotal = [] {
    fRUseList ledger;
    ledger.htDate->SetText1(QStringLiteral("2026-01-01"));
    ledger.SetFormMode(QStringLiteral("cust"));
    return ledger.spSum->Value(4, 1);
  };
  EXPECT_EQ(ledgerTotal(), QStringLiteral("99"));

  // A charge in the program goes to the primary and comes back to the report.
  {
    fBFill_Save charge;
    charge.SetFormMode(QStringLiteral("cust"), 1, nullptr, 0);
    charge.cmbMoney->setCurrentIndex(0);  // 682 messages
    emit charge.cmbMoney->activated(0);
    QMetaObject::invokeMethod(charge.btnSave, "click");
    EXPECT_EQ(charge.result(), QDialog::Accepted);
  }
  EXPECT_EQ(primary.Value(QStringLiteral("SELECT restcnt FROM sms_sk.smsuser")),
            QStringLiteral("782"));
  ASSERT_TRUE(
      WaitFor(replica, QStringLiteral("SELECT COUNT(*) FROM sms_sk.smsfill"), QStringLiteral("1")));
  EXPECT_EQ(ledgerTotal(), QStringLiteral("781"));
  // Nothing was written to the replica by the program.
  EXPECT_EQ(replica.Value(QStringLiteral("SELECT restcnt FROM sms_sk.smsuser")),
            QStringLiteral("782"));
  EXPECT_TRUE(prompt.Messages().empty()) << prompt.MessageTexts().join(u'|').toStdString();
}

// A second server stands in for the replica, behind a proxy that can go silent. Its rows differ
// from the SMS database's, so a report shows where it read: 'drift' is in balance there (stored
// 100, charged 100) and 30 short in the SMS database (stored 70).
class ReplicaFallbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    App().appTitle = QStringLiteral("Sendora");
    SetDefaultPromptTitle(App().appTitle);
    App().staff.userId = QStringLiteral("corvane");
    m_reports = std::make_unique<Server>(m_base.path() + QStringLiteral("/reports"), QString());
    QFile schema(testdb::SchemaFile(QStringLiteral("sms_sk.sql")));
    ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
    m_reports->Exec(QString::fromUtf8(schema.readAll()));
    const QString rows = QStringLiteral(
        "INSERT INTO sms_sk.smsuser (userid, username, restcnt) VALUES ('drift', '%1', %2);"
        "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo) "
        "VALUES ('s', 'drift', '20261101100000', 0, 100, 0, '')");
    m_reports->Exec(rows.arg(QStringLiteral("복제상사")).arg(100));
    m_admin.Exec(rows.arg(QStringLiteral("주서버상사")).arg(70));
    m_proxy = std::make_unique<testdb::TcpProxy>(m_reports->Port());

    ASSERT_TRUE(testdb::ConnectSms());
    ASSERT_TRUE(DBInitReports(QStringLiteral("127.0.0.1"), m_proxy->Port()));
  }
  void TearDown() override {
    Db().reports.reset();
    m_proxy.reset();
    m_reports.reset();
  }

  // Ends the report session's connection on the server, then lets nothing through: a reconnect
  // reaches the proxy and waits there for an answer that never comes.
  void SilenceReports() {
    const long id = Db().reports->thread_id();
    m_reports->Exec(QStringLiteral("KILL %1").arg(id));
    ASSERT_TRUE(WaitFor(*m_reports,
                        QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST "
                                       "WHERE ID = %1")
                            .arg(id),
                        QStringLiteral("0")));
    // The proxy passes the closed connection on, and the session's next change finds it idle
    // long enough to be checked first.
    QThread::msleep(1500);
    m_proxy->Silence(true);
  }

  static QStringList Column(const fRBalanceCheck& w) {
    QStringList ids;
    for (int row = 1; row <= w.spList->MaxRows(); ++row) ids << w.spList->GetText(1, row);
    return ids;
  }

  static QString Name() {
    RecordsetPtr rs;
    const int rows = DBOpenReportRecordset(rs, QStringLiteral("SELECT username FROM smsuser"));
    return rows == 1 ? rs->Fields(0) : QStringLiteral("rows: %1").arg(rows);
  }

  const QString kFallBack = QStringLiteral(
      "보고서 서버에 연결할 수 없어 지금부터 보고서를 SMS 데이터베이스에서 조회합니다.");
  QTemporaryDir m_base;
  std::unique_ptr<Server> m_reports;
  std::unique_ptr<testdb::TcpProxy> m_proxy;
  testdb::Admin m_admin;
  ScriptedPrompt m_prompt;
};

TEST_F(ReplicaFallbackTest, AStoppedReplicaIsToldOnceAndLaterReportsReadTheSmsDatabase) {
  EXPECT_EQ(Name(), QStringLiteral("복제상사"));
  m_reports->Stop();
  for (int statement = 1; statement <= 2; ++statement) {
    SCOPED_TRACE(statement);
    EXPECT_EQ(Name(), QStringLiteral("주서버상사"));
    EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kFallBack});
  }
  EXPECT_EQ(Db().reports, nullptr);
}

TEST_F(ReplicaFallbackTest, ASilentReplicaCostsOneShortWaitAndTheSnapshotIsReadAgainHere) {
  fRBalanceCheck w;
  w.show();
  w.Query();
  EXPECT_EQ(w.spList->MaxRows(), 0);  // in balance on the replica
  SilenceReports();

  QElapsedTimer t;
  t.start();
  w.Query();
  // One connect attempt with the report session's own short timeout (the default is 15 s).
  EXPECT_LT(t.elapsed(), 1000 * static_cast<int>(kReportConnectTimeoutSeconds + 3));
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kFallBack});
  EXPECT_EQ(Column(w), QStringList{QStringLiteral("drift")});
  EXPECT_EQ(w.spList->GetText(5, 1), QStringLiteral("-30"));

  t.restart();
  w.Query();
  EXPECT_LT(t.elapsed(), 1000 * static_cast<int>(kReportConnectTimeoutSeconds));
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kFallBack});
  EXPECT_EQ(Column(w), QStringList{QStringLiteral("drift")});
}

TEST_F(ReplicaFallbackTest, AStatementErrorOnTheReplicaIsShownAndKeepsIt) {
  m_reports->Exec(QStringLiteral("RENAME TABLE sms_sk.smsuser TO sms_sk.away"));
  EXPECT_EQ(Name(), QStringLiteral("rows: -1"));
  const std::vector<PromptRecord> box = m_prompt.Messages();
  ASSERT_EQ(box.size(), 1u);
  EXPECT_TRUE(box[0].text.startsWith(QStringLiteral("Error 1146 ("))) << box[0].text.toStdString();
  EXPECT_TRUE(box[0].text.endsWith(QStringLiteral("\n\nSELECT username FROM smsuser")));
  EXPECT_EQ(box[0].icon, MsgIcon::Critical);
  ASSERT_NE(Db().reports, nullptr);

  // The reconciliation says it once too, and keeps the replica.
  fRBalanceCheck w;
  w.show();
  m_prompt.Clear();
  w.Query();
  ASSERT_EQ(m_prompt.MessageTexts().size(), 1);
  EXPECT_TRUE(m_prompt.MessageTexts()[0].startsWith(
      QStringLiteral("잔액대사 자료를 읽지 못해 결과를 표시하지 않습니다.")));
  ASSERT_NE(Db().reports, nullptr);

  m_reports->Exec(QStringLiteral("RENAME TABLE sms_sk.away TO sms_sk.smsuser"));
  m_prompt.Clear();
  EXPECT_EQ(Name(), QStringLiteral("복제상사"));
  w.Query();
  EXPECT_EQ(w.spList->MaxRows(), 0);
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
}

}  // namespace

namespace {

// A line that breaks just as the snapshot starts costs a reconnect, not the replica: the start
// is sent again on the new connection and the reports stay on the replica.
TEST_F(ReplicaFallbackTest, ABreakAtTheSnapshotsStartKeepsTheReplica) {
  DBSetCompression(false);  // the proxy looks for the statement's text
  ASSERT_TRUE(DBInitReports(QStringLiteral("127.0.0.1"), m_proxy->Port()));
  DBSetCompression(true);
  fRBalanceCheck w;
  w.show();
  m_proxy->CutBefore("START TRANSACTION WITH CONSISTENT SNAPSHOT");
  w.Query();
  EXPECT_EQ(m_proxy->Cuts(), 1);
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
  EXPECT_NE(Db().reports, nullptr);
  EXPECT_EQ(w.spList->MaxRows(), 0);  // in balance on the replica
  EXPECT_EQ(Name(), QStringLiteral("복제상사"));
}

}  // namespace
