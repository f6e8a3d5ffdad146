// Reports on a read replica: two private servers of their own, the second replicating the first
// through its binary log. A report reads the replica; a charge made in the program goes to the
// primary and reaches the report through replication.
#include "app/AppState.h"
#include "controls/HCTerm.h"
#include "customers/fBFill_Save.h"
#include "db/ReportReads.h"
#include "db/modMySQL_Func.h"
#include "grid/SpreadGrid.h"
#include "reports/fRUseList.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <mysql.h>

namespace {

const QString kScript = QStringLiteral(SENDORA_SCHEMA_DIR "/../scripts/dbserver.sh");

QString Run(const QStringList& args, const QString& extra = QString()) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("SENDORA_DB_EXTRA_ARGS"), extra);
  p.setProcessEnvironment(env);
  p.start(QStringLiteral("bash"), QStringList{kScript} + args);
  p.waitForFinished(120000);
  EXPECT_EQ(p.exitCode(), 0) << args.join(u' ').toStdString() << "\n"
                             << p.readAllStandardError().toStdString();
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// One private server of this test, stopped again at the end.
struct Server {
  Server(const QString& dir, const QString& extra) : dir(dir) {
    port = Run({QStringLiteral("free-port"), QString::number(testdb::Port() + 400)}).toInt();
    Run({QStringLiteral("start"), dir, QString::number(port)}, extra);
    socket = Run({QStringLiteral("socket"), dir});
    m = mysql_init(nullptr);
    if (!mysql_real_connect(m, nullptr, "root", nullptr, nullptr, 0, socket.toUtf8().constData(),
                            CLIENT_MULTI_STATEMENTS))
      ADD_FAILURE() << mysql_error(m);
    mysql_set_character_set(m, "utf8mb4");
  }
  ~Server() {
    mysql_close(m);
    Run({QStringLiteral("stop"), dir});
  }
  void Exec(const QString& sql) {
    const QByteArray b = sql.toUtf8();
    if (mysql_real_query(m, b.constData(), static_cast<unsigned long>(b.size())) != 0) {
      ADD_FAILURE() << mysql_error(m) << "\n" << b.left(300).constData();
      return;
    }
    do {
      if (MYSQL_RES* r = mysql_store_result(m)) mysql_free_result(r);
    } while (mysql_next_result(m) == 0);
  }
  QString Value(const QString& sql) {
    const QByteArray b = sql.toUtf8();
    if (mysql_real_query(m, b.constData(), static_cast<unsigned long>(b.size())) != 0) return {};
    MYSQL_RES* r = mysql_store_result(m);
    QString v;
    if (MYSQL_ROW row = r ? mysql_fetch_row(r) : nullptr; row && row[0])
      v = QString::fromUtf8(row[0]);
    if (r) mysql_free_result(r);
    return v;
  }
  QString dir;
  int port = 0;
  QString socket;
  MYSQL* m = nullptr;
};

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
                   .arg(primary.port));
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
                     QStringLiteral("euckr"), primary.port));
  ASSERT_TRUE(DBInitReports(QStringLiteral("127.0.0.1"), replica.port));

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

}  // namespace
