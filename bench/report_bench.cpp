// The report windows on production-size gateway tables: 10,000,000 SMS over 1,000 customers and
// 1,000,000 MMS. Times the usage ledger of one customer over 7 days and over a year, and the
// usage summary of one customer over a year by day, each from the statement to the filled grid,
// against a bare C-API store-and-fetch loop of the same statement; prints EXPLAIN's access type
// of every table each statement reads.
//
//   bench_report_bench   (SENDORA_BENCH_DB_PORT and SENDORA_BENCH_DB_SOCKET name the server)
#include "BenchSupport.h"
#include "controls/HCTerm.h"
#include "controls/HCText.h"
#include "db/modMySQL_Func.h"
#include "grid/SpreadGrid.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "platform/Cp949.h"
#include "platform/SettingsStore.h"
#include "reports/FollowUpSql.h"
#include "reports/ReportSql.h"
#include "reports/SummaryWindow.h"
#include "reports/fRBalanceCheck.h"
#include "reports/fRUseList.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <mysql.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr const char* kDb = "sendora_bench_rep";
constexpr int kSms = 10000000;
constexpr int kMms = 1000000;
// Times are spread over the year before this day.
const QDate kToday(2026, 12, 8);

void Prepare(const QByteArray& socket) {
  using bench::Exec;
  MYSQL* m = bench::ConnectRoot(socket);
  Exec(m, "CREATE USER IF NOT EXISTS 'bench'@'127.0.0.1' IDENTIFIED BY 'bench'");
  Exec(m, QByteArray("GRANT SELECT ON ") + kDb + ".* TO 'bench'@'127.0.0.1'");
  if (bench::Count(m, QByteArray(kDb) + ".telink_sms") == kSms) {
    mysql_close(m);
    return;
  }
  QFile schema(QStringLiteral(SENDORA_SCHEMA_DIR "/sms_sk.sql"));
  if (!schema.open(QIODevice::ReadOnly)) std::exit(1);
  QByteArray sql = schema.readAll();
  sql.replace("sms_sk", kDb);
  Exec(m, QByteArray("DROP DATABASE IF EXISTS ") + kDb);
  Exec(m, sql);
  const QByteArray db(kDb);
  std::printf("filling 1,000 customers, 10,000,000 SMS and 1,000,000 MMS (a few minutes)...\n");
  std::fflush(stdout);
  QElapsedTimer t;
  t.start();
  Exec(m, "INSERT INTO " + db +
              ".smsuser (userid, username, restcnt, iwolcnt) SELECT CONCAT('cust', seq), "
              "CONCAT('고객', seq), 0, seq % 3 * 1000 FROM seq_1_to_1000");
  Exec(m, "INSERT INTO " + db +
              ".smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)"
              " SELECT 'staff1', CONCAT('cust', 1 + seq % 1000),"
              " DATE_FORMAT(TIMESTAMP('2025-12-08') + INTERVAL (seq * 7919 % 31536000) SECOND,"
              " '%Y%m%d%H%i%s'), seq % 3, 682, 16500, '' FROM seq_1_to_50000");
  // The sequence order by customer would give the index an easy, sorted load; the rows arrive
  // in time order instead, as a gateway writes them.
  for (int chunk = 0; chunk < 10; ++chunk) {
    const QByteArray from = QByteArray::number(chunk * (kSms / 10) + 1);
    const QByteArray to = QByteArray::number((chunk + 1) * (kSms / 10));
    Exec(m, "INSERT INTO " + db +
                ".telink_sms (SND_PHN_ID, RCV_PHN_ID, WRT_DTTM, RSLT_VAL)"
                " SELECT CONCAT('cust', 1 + seq * 7 % 1000), '01012345678',"
                " DATE_FORMAT(TIMESTAMP('2025-12-08') + INTERVAL (seq * 31536 DIV 10000) SECOND,"
                " '%Y%m%d%H%i%s'), ELT(1 + seq % 4, 99, -100, 3, NULL)"
                " FROM seq_" +
                from + "_to_" + to);
  }
  Exec(m, "INSERT INTO " + db +
              ".tbl_msg_hist (ETC_CHAR_1, RESERVED_DTTM)"
              " SELECT CONCAT('cust', 1 + seq * 7 % 1000),"
              " DATE_FORMAT(TIMESTAMP('2025-12-08') + INTERVAL (seq * 31536 DIV 1000) SECOND,"
              " '%Y%m%d%H%i%s') FROM seq_1_to_1000000");
  Exec(m, "INSERT INTO " + db +
              ".tbl_submit_queue (ETC_CHAR_1, RESERVED_DTTM)"
              " SELECT CONCAT('cust', seq % 1000 + 1), '20261210090000' FROM seq_1_to_500");
  Exec(m, "ANALYZE TABLE " + db + ".telink_sms, " + db + ".tbl_msg_hist, " + db + ".smsfill");
  std::printf("filled in %.0f s\n", t.elapsed() / 1000.0);
  mysql_close(m);
}

// The access type of every table of the statement, as EXPLAIN gives it.
void PrintAccess(const QByteArray& port, const QByteArray& sql) {
  MYSQL* m = mysql_init(nullptr);
  mysql_options(m, MYSQL_SET_CHARSET_NAME, "euckr");
  if (!mysql_real_connect(m, "127.0.0.1", "bench", "bench", kDb, port.toUInt(), nullptr, 0)) return;
  const QByteArray explain = "EXPLAIN " + sql;
  if (mysql_real_query(m, explain.constData(), static_cast<unsigned long>(explain.size())) == 0) {
    MYSQL_RES* r = mysql_store_result(m);
    std::printf("  EXPLAIN:");
    while (MYSQL_ROW row = r ? mysql_fetch_row(r) : nullptr)
      std::printf(" %s=%s(%s)", row[2] ? row[2] : "-", row[3] ? row[3] : "-",
                  row[5] ? row[5] : "-");
    std::printf("\n");
    if (r) mysql_free_result(r);
  }
  mysql_close(m);
}

struct Figures {
  double bare = 1e18;
  double ours = 1e18;
  int rows = 0;
};

Figures Measure(const QByteArray& port, const QByteArray& sql, const std::function<int()>& run) {
  Figures f;
  for (int round = 0; round < 5; ++round) {
    std::size_t bytes = 0;
    f.bare = std::min(f.bare, bench::BareStoreFetch(port, kDb, sql, bytes));
    QElapsedTimer t;
    t.start();
    f.rows = run();
    f.ours = std::min(f.ours, static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  return f;
}

void Report(const char* name, const Figures& f, double limitMs) {
  std::printf("%-34s rows %5d  bare %8.1f ms  window %8.1f ms  ratio %5.2f (goal <= 2)", name,
              f.rows, f.bare, f.ours, f.ours / f.bare);
  if (limitMs > 0) std::printf("  (goal < %.0f ms)", limitMs);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const auto [port, socket] = bench::ServerFromEnvironment();
  QTemporaryDir appDir, settingsDir;
  paths::SetAppFolder(appDir.path());
  settings::SetRoot(settingsDir.path());
  App().appTitle = QStringLiteral("SendoraBench");
  clock_::SetLocalNowOverride([] { return QDateTime(kToday, QTime(12, 0)); });

  Prepare(socket);
  if (!DBInit(QStringLiteral("127.0.0.1"), QStringLiteral("bench"), QStringLiteral("bench"),
              QLatin1String(kDb), QString(), -1, QStringLiteral("euckr"), port.toInt()))
    return 1;

  // A customer with a typical share of the traffic: 10,000 SMS and 1,000 MMS in the year.
  const QString customer = QStringLiteral("cust500");
  std::printf("customer %s; SMS 10,000,000 in all, about 10,000 of them its own\n",
              qPrintable(customer));

  fRUseList ledger;
  const auto ledgerRun = [&](const QDate& from) {
    ledger.htDate->SetText1(from.toString(Qt::ISODate));
    ledger.htDate->SetText2(kToday.toString(Qt::ISODate));
    return [&ledger, &customer] {
      ledger.SetFormMode(customer);
      return ledger.spList->MaxRows();
    };
  };
  const QDate week = kToday.addDays(-7), year = kToday.addYears(-1);

  const QByteArray weekSql = cp949::EncodeLossy(UseListSql(customer, week, kToday));
  std::printf("\nusage ledger, 7 days\n");
  PrintAccess(port, weekSql);
  Report("ledger 7 days", Measure(port, weekSql, ledgerRun(week)), 200);

  const QByteArray yearSql = cp949::EncodeLossy(UseListSql(customer, year, kToday));
  std::printf("\nusage ledger, 1 year\n");
  PrintAccess(port, yearSql);
  Report("ledger 1 year", Measure(port, yearSql, ledgerRun(year)), 0);

  fRSumUse summary;
  summary.cmbBranch->setCurrentIndex(2);
  summary.htField->SetText(customer);
  summary.htDate->SetText1(year.toString(Qt::ISODate));
  summary.htDate->SetText2(kToday.toString(Qt::ISODate));
  const QByteArray sumSql = cp949::EncodeLossy(SumSql(SumKind::Use, 2, customer, year, kToday));
  std::printf("\nusage summary by day, 1 year\n");
  PrintAccess(port, sumSql);
  Report("usage summary by day, 1 year",
         Measure(port, sumSql,
                 [&summary] {
                   summary.Query();
                   return summary.spList->MaxRows();
                 }),
         0);

  // Balance reconciliation over every customer: five grouped statements, merged in the program.
  QList<QByteArray> balanceSql{cp949::EncodeLossy(BalanceChargesSql(QString()))};
  for (int table = 0; table < 3; ++table)
    balanceSql << cp949::EncodeLossy(BalanceSendingSql(table, QString()));
  balanceSql << cp949::EncodeLossy(BalanceCustomersSql(QString()));
  std::printf("\nbalance reconciliation, all 1,000 customers\n");
  for (const QByteArray& sql : balanceSql) PrintAccess(port, sql);
  fRBalanceCheck reconciliation;
  Figures f;
  for (int round = 0; round < 5; ++round) {
    double bare = 0;
    for (const QByteArray& sql : balanceSql) {
      std::size_t bytes = 0;
      bare += bench::BareStoreFetch(port, kDb, sql, bytes);
    }
    f.bare = std::min(f.bare, bare);
    QElapsedTimer t;
    t.start();
    reconciliation.Query();
    f.ours = std::min(f.ours, static_cast<double>(t.nsecsElapsed()) / 1e6);
    f.rows = reconciliation.spList->MaxRows();
  }
  std::printf("%-34s rows %5d  bare %8.1f ms  window %8.1f ms  ratio %5.2f (goal <= 1.5)\n",
              "reconciliation (5 statements)", f.rows, f.bare, f.ours, f.ours / f.bare);
  return 0;
}
