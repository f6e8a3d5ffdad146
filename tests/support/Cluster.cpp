#include "support/Cluster.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <mysql.h>

#include <csignal>

namespace testdb {

namespace {
const QString kScripts = QStringLiteral(SENDORA_SCHEMA_DIR "/../scripts/");

MYSQL* RootOn(const QString& socket) {
  MYSQL* m = mysql_init(nullptr);
  const unsigned int timeout = 3;
  mysql_options(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
  mysql_options(m, MYSQL_OPT_READ_TIMEOUT, &timeout);
  if (!mysql_real_connect(m, nullptr, "root", nullptr, nullptr, 0, socket.toUtf8().constData(),
                          CLIENT_MULTI_STATEMENTS)) {
    mysql_close(m);
    return nullptr;
  }
  mysql_set_character_set(m, "utf8mb4");
  return m;
}
}  // namespace

QString Cluster::Run(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("bash"), QStringList{kScripts + QStringLiteral("cluster.sh")} + args);
  p.waitForFinished(240000);
  EXPECT_EQ(p.exitCode(), 0) << args.join(u' ').toStdString() << "\n"
                             << p.readAllStandardError().toStdString();
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

Cluster& Cluster::Up() {
  static Cluster cluster;
  if (cluster.m_dir.isEmpty()) {
    cluster.m_dir = qEnvironmentVariable("SENDORA_TEST_CLUSTER_DIR");
    if (cluster.m_dir.isEmpty()) ADD_FAILURE() << "SENDORA_TEST_CLUSTER_DIR is not set";
  }
  const QStringList ports =
      cluster.Run({QStringLiteral("start"), cluster.m_dir}).split(u' ', Qt::SkipEmptyParts);
  EXPECT_EQ(ports.size(), 3);
  for (int i = 0; i < 3 && i < ports.size(); ++i) cluster.m_ports[i] = ports[i].toInt();
  for (int n = 1; n <= 3; ++n) EXPECT_TRUE(cluster.WaitSynced(n, 3)) << "node " << n;
  return cluster;
}

QString Cluster::HostList(int first) const {
  QStringList hosts;
  for (int k = 0; k < 3; ++k)
    hosts << QStringLiteral("127.0.0.1:%1").arg(m_ports[(first - 1 + k) % 3]);
  return hosts.join(u',');
}

void Cluster::Exec(int node, const QString& sql) {
  const QString socket = Run({QStringLiteral("socket"), m_dir, QString::number(node)});
  MYSQL* m = RootOn(socket);
  ASSERT_TRUE(m) << "node " << node << " does not answer";
  const QByteArray b = sql.toUtf8();
  if (mysql_real_query(m, b.constData(), static_cast<unsigned long>(b.size())) != 0)
    ADD_FAILURE() << mysql_error(m) << "\n" << b.left(300).constData();
  else
    for (int rc = 0; rc == 0;) {
      if (MYSQL_RES* r = mysql_store_result(m)) mysql_free_result(r);
      rc = mysql_next_result(m);
      if (rc > 0) ADD_FAILURE() << "node " << node << ": " << mysql_error(m);
    }
  mysql_close(m);
}

QString Cluster::Value(int node, const QString& sql) {
  const QString socket = Run({QStringLiteral("socket"), m_dir, QString::number(node)});
  MYSQL* m = RootOn(socket);
  if (!m) return QString();
  QString v;
  const QByteArray b = sql.toUtf8();
  if (mysql_real_query(m, b.constData(), static_cast<unsigned long>(b.size())) == 0) {
    MYSQL_RES* r = mysql_store_result(m);
    if (MYSQL_ROW row = r ? mysql_fetch_row(r) : nullptr; row && row[0])
      v = QString::fromUtf8(row[0]);
    if (r) mysql_free_result(r);
  }
  mysql_close(m);
  return v;
}

void Cluster::Signal(int node, int signal) {
  const int pid = Run({QStringLiteral("pid"), m_dir, QString::number(node)}).toInt();
  ASSERT_GT(pid, 0);
  ::kill(pid, signal);
  if (signal == SIGKILL) {
    for (int i = 0; i < 250 && ::kill(pid, 0) == 0; ++i) QThread::msleep(20);
  }
}

bool Cluster::WaitSynced(int node, int size, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < timeoutMs) {
    if (Value(node, QStringLiteral("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS "
                                   "WHERE VARIABLE_NAME = 'WSREP_CLUSTER_SIZE'")) ==
            QString::number(size) &&
        Value(node, QStringLiteral("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS "
                                   "WHERE VARIABLE_NAME = 'WSREP_READY'")) == QLatin1String("ON"))
      return true;
    QThread::msleep(200);
  }
  return false;
}

void Cluster::StartNode(int node) {
  Run({QStringLiteral("start-node"), m_dir, QString::number(node)});
}

}  // namespace testdb
