// The customer search of the main window over 100,000 customers: from sending the statement to
// the filled grid, against a bare C-API store-and-fetch loop of the same statement.
//
//   bench_customer_search_bench   (SENDORA_BENCH_DB_PORT and SENDORA_BENCH_DB_SOCKET name the
//   server)
#include "BenchSupport.h"
#include "customers/CustomerSearch.h"
#include "db/modMySQL_Func.h"
#include "grid/SpreadGrid.h"
#include "mainwindow/FrmMain.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <mysql.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kCustomers = 100000;
constexpr const char* kDb = "sendora_bench_sms";

void Prepare(const QByteArray& socket) {
  using bench::Exec;
  MYSQL* m = bench::ConnectRoot(socket);
  Exec(m, "CREATE USER IF NOT EXISTS 'bench'@'127.0.0.1' IDENTIFIED BY 'bench'");
  Exec(m, QByteArray("GRANT SELECT ON ") + kDb + ".* TO 'bench'@'127.0.0.1'");
  const int have = bench::Count(m, QByteArray(kDb) + ".smsuser");
  if (have != kCustomers) {
    std::printf("filling %d customers...\n", kCustomers);
    QFile schema(QStringLiteral(SENDORA_SCHEMA_DIR "/sms_sk.sql"));
    if (!schema.open(QIODevice::ReadOnly)) std::exit(1);
    QByteArray sql = schema.readAll();
    sql.replace("sms_sk", kDb);
    Exec(m, QByteArray("DROP DATABASE IF EXISTS ") + kDb);
    Exec(m, sql);
    Exec(
        m,
        QByteArray("INSERT INTO ") + kDb +
            ".smsuser (userid, userpw, user_passwd, username, restcnt, regdate, bigo, hpno, "
            "reguser)"
            " SELECT CONCAT('cust', seq), 'zhpkw--374', SHA1('4826'),"
            " CONCAT(ELT(1 + seq % 8, '가나', '다라', '마바', '사아', '자차', '카타', '파하', "
            "'똠방'), '상사 ', seq),"
            " seq % 5000, DATE('2024-01-01') + INTERVAL (seq % 700) DAY, CONCAT('메모 ', seq % 97),"
            " CONCAT('010-', LPAD(seq % 10000, 4, '0'), '-', LPAD(seq * 7 % 10000, 4, '0')), "
            "'staff1'"
            " FROM seq_1_to_100000");
    Exec(m, QByteArray("INSERT INTO ") + kDb +
                ".certified_telno (userid, telno, creator_name, bigo)"
                " SELECT CONCAT('cust', seq), CONCAT('010', LPAD(seq, 8, '0')), '직원', ''"
                " FROM seq_1_to_100000 WHERE seq % 3 = 0");
  }
  mysql_close(m);
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
  App().staff.userId = QStringLiteral("staff1");  // may list every customer

  Prepare(socket);
  if (!DBInit(QStringLiteral("127.0.0.1"), QStringLiteral("bench"), QStringLiteral("bench"),
              QLatin1String(kDb), QString(), -1, QStringLiteral("euckr"), port.toInt()))
    return 1;

  const QByteArray sql = CustomerSearchSql(QString()).toLatin1();
  FrmMain window;
  window.show();
  double bestBare = 1e18, bestOurs = 1e18;
  for (int round = 0; round < 3; ++round) {
    std::size_t bytes = 0;
    bestBare = std::min(bestBare, bench::BareStoreFetch(port, kDb, sql, bytes));
    QElapsedTimer t;
    t.start();
    window.btnQuery_Click();
    bestOurs = std::min(bestOurs, static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  std::printf("customers listed: %d (blank search, best of 3, same compressed connection)\n",
              window.spList->MaxRows());
  std::printf("bare store+fetch:      %9.1f ms\n", bestBare);
  std::printf("search to filled grid: %9.1f ms\n", bestOurs);
  std::printf("ratio:                 %9.2f (goal <= 2)\n", bestOurs / bestBare);
  return 0;
}
