#include "support/PrivateServer.h"

#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

namespace testdb {

QString PrivateServer::Script(const QStringList& args, const QString& extraOptions) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("SENDORA_DB_EXTRA_ARGS"), extraOptions);
  p.setProcessEnvironment(env);
  p.start(QStringLiteral("bash"),
          QStringList{QStringLiteral(SENDORA_SCHEMA_DIR "/../scripts/dbserver.sh")} + args);
  p.waitForFinished(120000);
  EXPECT_EQ(p.exitCode(), 0) << args.join(u' ').toStdString() << "\n"
                             << p.readAllStandardError().toStdString();
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

PrivateServer::PrivateServer(const QString& dir, const QString& extraOptions) : m_dir(dir) {
  m_port = Script({QStringLiteral("free-port"), QString::number(testdb::Port() + 400)}).toInt();
  Script({QStringLiteral("start"), dir, QString::number(m_port)}, extraOptions);
  m_socket = Script({QStringLiteral("socket"), dir});
  m_mysql = mysql_init(nullptr);
  if (!mysql_real_connect(m_mysql, nullptr, "root", nullptr, nullptr, 0,
                          m_socket.toUtf8().constData(), CLIENT_MULTI_STATEMENTS))
    ADD_FAILURE() << mysql_error(m_mysql);
  mysql_set_character_set(m_mysql, "utf8mb4");
}

PrivateServer::~PrivateServer() { Stop(); }

void PrivateServer::Stop() {
  if (!m_mysql) return;
  mysql_close(m_mysql);
  m_mysql = nullptr;
  Script({QStringLiteral("stop"), m_dir});
}

void PrivateServer::Exec(const QString& sql) {
  const QByteArray b = sql.toUtf8();
  if (mysql_real_query(m_mysql, b.constData(), static_cast<unsigned long>(b.size())) != 0) {
    ADD_FAILURE() << mysql_error(m_mysql) << "\n" << b.left(300).constData();
    return;
  }
  do {
    if (MYSQL_RES* r = mysql_store_result(m_mysql)) mysql_free_result(r);
  } while (mysql_next_result(m_mysql) == 0);
}

QString PrivateServer::Value(const QString& sql) {
  const QByteArray b = sql.toUtf8();
  if (mysql_real_query(m_mysql, b.constData(), static_cast<unsigned long>(b.size())) != 0)
    return {};
  MYSQL_RES* r = mysql_store_result(m_mysql);
  QString v;
  if (MYSQL_ROW row = r ? mysql_fetch_row(r) : nullptr; row && row[0])
    v = QString::fromUtf8(row[0]);
  if (r) mysql_free_result(r);
  return v;
}

}  // namespace testdb
