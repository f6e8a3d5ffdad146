#pragma once
// A private server of one test, beside the one the test command starts: its own data folder
// and port, started through scripts/dbserver.sh with extra server options, stopped at the end.

#include <QString>

#include <mysql.h>

namespace testdb {

class PrivateServer {
 public:
  PrivateServer(const QString& dir, const QString& extraOptions);
  ~PrivateServer();
  PrivateServer(const PrivateServer&) = delete;
  PrivateServer& operator=(const PrivateServer&) = delete;

  // Stops the server now (the destructor then does nothing).
  void Stop();
  // Root statements over the socket (UTF-8, several at once); failures fail the test.
  void Exec(const QString& sql);
  // First column of the first row; empty when there is none or the statement failed.
  QString Value(const QString& sql);

  const QString& Dir() const { return m_dir; }
  int Port() const { return m_port; }
  const QString& Socket() const { return m_socket; }

  // Runs scripts/dbserver.sh with the arguments; its standard output, trimmed.
  static QString Script(const QStringList& args, const QString& extraOptions = QString());

 private:
  QString m_dir;
  int m_port = 0;
  QString m_socket;
  MYSQL* m_mysql = nullptr;
};

}  // namespace testdb
