#include "support/TestDb.h"

#include "db/modMySQL_Func.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

namespace testdb {

namespace {
QString Env(const char* name) {
  const QString v = qEnvironmentVariable(name);
  if (v.isEmpty()) {
    ADD_FAILURE() << name << " is not set: run the tests through the project's test command";
  }
  return v;
}
}  // namespace

QString Host() {
  const QString h = qEnvironmentVariable("SENDORA_TEST_DB_HOST");
  return h.isEmpty() ? QStringLiteral("127.0.0.1") : h;
}
int Port() { return Env("SENDORA_TEST_DB_PORT").toInt(); }
QString Socket() { return Env("SENDORA_TEST_DB_SOCKET"); }

bool ConnectSms(int port) {
  return DBInit(Host(), QLatin1String(kSmsUser), QLatin1String(kSmsPassword),
                QStringLiteral("sms_sk"), QString(), -1, QStringLiteral("euckr"), port);
}

Admin::Admin(const char* database) {
  m_mysql = mysql_init(nullptr);
  const QByteArray socket = Socket().toLocal8Bit();
  if (!mysql_real_connect(m_mysql, nullptr, "root", nullptr, database, 0, socket.constData(),
                          CLIENT_MULTI_STATEMENTS)) {
    ADD_FAILURE() << "cannot reach the test server at " << socket.constData() << ": "
                  << mysql_error(m_mysql);
    return;
  }
  mysql_set_character_set(m_mysql, "utf8mb4");
}

Admin::~Admin() {
  if (m_mysql) mysql_close(m_mysql);
}

void Admin::Exec(const QString& sql) {
  const QByteArray bytes = sql.toUtf8();
  if (mysql_real_query(m_mysql, bytes.constData(), bytes.size()) != 0) {
    ADD_FAILURE() << "admin statement failed: " << mysql_error(m_mysql) << "\n"
                  << bytes.left(400).constData();
    return;
  }
  // Drain every result of a multi-statement text.
  do {
    if (MYSQL_RES* res = mysql_store_result(m_mysql)) mysql_free_result(res);
    if (mysql_errno(m_mysql) != 0) {
      ADD_FAILURE() << "admin statement failed: " << mysql_error(m_mysql);
      return;
    }
  } while (mysql_next_result(m_mysql) == 0);
  if (mysql_errno(m_mysql) != 0)
    ADD_FAILURE() << "admin statement failed: " << mysql_error(m_mysql);
}

QStringList Admin::Column(const QString& sql) {
  QStringList out;
  const QByteArray bytes = sql.toUtf8();
  if (mysql_real_query(m_mysql, bytes.constData(), bytes.size()) != 0) {
    ADD_FAILURE() << "admin query failed: " << mysql_error(m_mysql) << "\n" << bytes.constData();
    return out;
  }
  MYSQL_RES* res = mysql_store_result(m_mysql);
  if (!res) return out;
  while (MYSQL_ROW row = mysql_fetch_row(res)) {
    unsigned long* len = mysql_fetch_lengths(res);
    out << (row[0] ? QString::fromUtf8(row[0], static_cast<qsizetype>(len[0])) : QString());
  }
  mysql_free_result(res);
  return out;
}

QString Admin::Value(const QString& sql) {
  const QStringList c = Column(sql);
  return c.isEmpty() ? QString() : c.first();
}

void Admin::ExecFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot read " << path.toStdString();
    return;
  }
  Exec(QString::fromUtf8(f.readAll()));
}

unsigned long Admin::ThreadId() const { return mysql_thread_id(m_mysql); }

QString SchemaFile(const QString& name) {
  return QStringLiteral(SENDORA_SCHEMA_DIR) + QLatin1Char('/') + name;
}

void ResetDatabases() {
  Admin admin;
  admin.Exec(
      QStringLiteral("SET GLOBAL init_connect = ''; SET GLOBAL sql_mode = DEFAULT; "
                     "DROP DATABASE IF EXISTS sms_sk; "
                     "DROP DATABASE IF EXISTS cv_inhouse"));
  admin.ExecFile(SchemaFile(QStringLiteral("sms_sk.sql")));
  admin.ExecFile(SchemaFile(QStringLiteral("cv_inhouse.sql")));
}

void RestartServer() {
  const QString dir = Env("SENDORA_TEST_DB_DIR");
  const QString script = QStringLiteral(SENDORA_SCHEMA_DIR "/../scripts/dbserver.sh");
  ASSERT_EQ(QProcess::execute(QStringLiteral("bash"), {script, QStringLiteral("stop"), dir}), 0);
  ASSERT_EQ(QProcess::execute(QStringLiteral("bash"),
                              {script, QStringLiteral("start"), dir, QString::number(Port())}),
            0);
}

}  // namespace testdb
