// DBOpenRecordset over a million rows of eight text columns (Hangul and ASCII) against a bare
// C-API store-and-fetch loop of the same statement, once over compressed connections and once
// over uncompressed ones.
//
//   bench_recordset_bench   (SENDORA_BENCH_DB_PORT and SENDORA_BENCH_DB_SOCKET name the server)
#include "BenchSupport.h"
#include "db/modMySQL_Func.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <mysql.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kRows = 1000000;
constexpr const char* kSql = "SELECT c1, c2, c3, c4, c5, c6, c7, c8 FROM sendora_bench.rs";

void Prepare(MYSQL* m) {
  using bench::Exec;
  Exec(m, "CREATE DATABASE IF NOT EXISTS sendora_bench CHARACTER SET euckr");
  Exec(m, "CREATE USER IF NOT EXISTS 'bench'@'127.0.0.1' IDENTIFIED BY 'bench'");
  Exec(m, "GRANT SELECT ON sendora_bench.* TO 'bench'@'127.0.0.1'");
  Exec(m,
       "CREATE TABLE IF NOT EXISTS sendora_bench.rs (id INT PRIMARY KEY, c1 VARCHAR(20),"
       " c2 VARCHAR(30), c3 VARCHAR(20), c4 VARCHAR(12), c5 CHAR(14), c6 VARCHAR(60),"
       " c7 VARCHAR(30), c8 VARCHAR(40)) CHARACTER SET euckr ENGINE=InnoDB");
  const int have = bench::Count(m, "sendora_bench.rs");
  if (have == kRows) return;
  std::printf("filling %d rows...\n", kRows);
  Exec(m, "TRUNCATE sendora_bench.rs");
  Exec(m,
       "INSERT INTO sendora_bench.rs SELECT seq, CONCAT('user', seq),"
       " CONCAT(ELT(1 + seq % 6, '가나', '다라마', '똠방', '사아자', '차카타파', '하늘'), '상사 ', "
       "seq % 997),"
       " CONCAT('010-', LPAD(seq % 10000, 4, '0'), '-', LPAD(seq * 7 % 10000, 4, '0')),"
       " seq * 13 % 100000,"
       " DATE_FORMAT(TIMESTAMP('2025-06-01') + INTERVAL seq MINUTE, '%Y%m%d%H%i%s'),"
       " CONCAT('월 정액 충전 고객 메모 ', seq % 31, '번 문의'),"
       " CONCAT('memo text ', seq % 1234),"
       " CONCAT('mixed 혼합 ', seq)"
       " FROM sendora_bench.seq_1_to_1000000");
}

double Ours(std::size_t& memory, int& rows) {
  QElapsedTimer t;
  t.start();
  RecordsetPtr rs;
  rows = DBOpenRecordset(rs, QString::fromLatin1(kSql));
  const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
  memory = rs ? rs->MemoryBytes() : 0;
  DBCloseRecordset(rs);
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const auto [port, socket] = bench::ServerFromEnvironment();
  QTemporaryDir appDir, settingsDir;
  paths::SetAppFolder(appDir.path());
  settings::SetRoot(settingsDir.path());
  App().appTitle = QStringLiteral("SendoraBench");

  MYSQL* root = bench::ConnectRoot(socket);
  Prepare(root);
  mysql_close(root);

  std::printf("rows: 1,000,000 x 8 text columns; best of 3 runs each, taken in turns\n");
  // Each mode against the bare fetch over a connection of the same mode.
  for (const bool compress : {true, false}) {
    DBSetCompression(compress);
    if (!DBInit(QStringLiteral("127.0.0.1"), QStringLiteral("bench"), QStringLiteral("bench"),
                QStringLiteral("sendora_bench"), QString(), -1, QStringLiteral("euckr"),
                port.toInt()))
      return 1;
    const unsigned long flags = compress ? CLIENT_COMPRESS : 0;
    double bestBare = 1e18, bestOurs = 1e18;
    std::size_t rawBytes = 0, memory = 0;
    int rows = 0;
    for (int round = 0; round < 3; ++round) {
      bestBare = std::min(bestBare, bench::BareStoreFetch(port, nullptr, kSql, rawBytes, flags));
      bestOurs = std::min(bestOurs, Ours(memory, rows));
    }
    std::printf("\n%s protocol (%d rows)\n", compress ? "compressed" : "uncompressed", rows);
    std::printf("  bare store+fetch:  %9.1f ms\n", bestBare);
    std::printf("  DBOpenRecordset:   %9.1f ms\n", bestOurs);
    std::printf("  ratio:             %9.2f (goal <= 1.30)\n", bestOurs / bestBare);
    if (!compress) {
      std::printf("raw result data:   %9.1f MB (field bytes in code page 949)\n",
                  rawBytes / 1048576.0);
      std::printf("recordset memory:  %9.1f MB (bytes as the server sent them + cell offsets)\n",
                  memory / 1048576.0);
    }
  }
  return 0;
}
