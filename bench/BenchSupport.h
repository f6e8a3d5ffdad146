#pragma once
// What the database benchmarks share: the administrator connection that prepares the data, and
// the baseline every figure is measured against, a bare C-API store-and-fetch loop.

#include <QByteArray>
#include <QElapsedTimer>

#include <mysql.h>

#include <cstdio>
#include <cstdlib>

namespace bench {

// The benchmark server named by the environment (scripts/bench.sh sets it); ends the program
// with a hint when it is missing.
struct Server {
  QByteArray port;
  QByteArray socket;
};
inline Server ServerFromEnvironment() {
  Server s{qgetenv("SENDORA_BENCH_DB_PORT"), qgetenv("SENDORA_BENCH_DB_SOCKET")};
  if (s.port.isEmpty() || s.socket.isEmpty()) {
    std::fprintf(stderr,
                 "set SENDORA_BENCH_DB_PORT and SENDORA_BENCH_DB_SOCKET (scripts/bench.sh does)\n");
    std::exit(2);
  }
  return s;
}

inline MYSQL* ConnectRoot(const QByteArray& socket) {
  MYSQL* m = mysql_init(nullptr);
  if (!mysql_real_connect(m, nullptr, "root", nullptr, nullptr, 0, socket.constData(),
                          CLIENT_MULTI_STATEMENTS)) {
    std::fprintf(stderr, "cannot connect as root: %s\n", mysql_error(m));
    std::exit(1);
  }
  mysql_set_character_set(m, "utf8mb4");
  return m;
}

// Runs one or more statements; any error ends the benchmark.
inline void Exec(MYSQL* m, const QByteArray& sql) {
  if (mysql_real_query(m, sql.constData(), static_cast<unsigned long>(sql.size())) != 0) {
    std::fprintf(stderr, "%s\n%s\n", mysql_error(m), sql.left(300).constData());
    std::exit(1);
  }
  do {
    if (MYSQL_RES* r = mysql_store_result(m)) mysql_free_result(r);
  } while (mysql_next_result(m) == 0);
}

inline int Count(MYSQL* m, const QByteArray& table) {
  const QByteArray sql = "SELECT COUNT(*) FROM " + table;
  if (mysql_real_query(m, sql.constData(), static_cast<unsigned long>(sql.size())) != 0) return 0;
  MYSQL_RES* r = mysql_store_result(m);
  const int n = r ? std::atoi(mysql_fetch_row(r)[0]) : 0;
  if (r) mysql_free_result(r);
  return n;
}

// Milliseconds from sending the statement to the last row fetched, on a connection like the
// program's (code page 949; compressed unless flags say otherwise). bytes: the field data read.
inline double BareStoreFetch(const QByteArray& port, const char* database, const QByteArray& sql,
                             std::size_t& bytes, unsigned long flags = CLIENT_COMPRESS) {
  MYSQL* m = mysql_init(nullptr);
  mysql_options(m, MYSQL_SET_CHARSET_NAME, "euckr");
  if (!mysql_real_connect(m, "127.0.0.1", "bench", "bench", database, port.toUInt(), nullptr,
                          flags)) {
    std::fprintf(stderr, "bare connect: %s\n", mysql_error(m));
    std::exit(1);
  }
  QElapsedTimer t;
  t.start();
  mysql_real_query(m, sql.constData(), static_cast<unsigned long>(sql.size()));
  MYSQL_RES* res = mysql_store_result(m);
  const unsigned int cols = res ? mysql_num_fields(res) : 0;
  bytes = 0;
  while (MYSQL_ROW row = res ? mysql_fetch_row(res) : nullptr) {
    const unsigned long* len = mysql_fetch_lengths(res);
    for (unsigned int i = 0; i < cols; ++i)
      if (row[i]) bytes += len[i];
  }
  if (res) mysql_free_result(res);
  const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
  mysql_close(m);
  return ms;
}

}  // namespace bench
