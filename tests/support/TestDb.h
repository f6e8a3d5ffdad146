#pragma once
// The private MariaDB server that the test command starts. Its address comes from the
// environment (SENDORA_TEST_DB_HOST, SENDORA_TEST_DB_PORT, SENDORA_TEST_DB_SOCKET); a missing
// server fails the test, it never skips it.

#include <QString>
#include <QStringList>

#include <mysql.h>

namespace testdb {

QString Host();  // for the program's accounts (TCP on loopback)
int Port();
QString Socket();  // for the administrator connection

// Account data of the program (the same values the schema files create).
inline constexpr const char* kSmsUser = "sms_cvemp";
inline constexpr const char* kSmsPassword = "kelpo362.5180";
inline constexpr const char* kInHouseUser = "cv_inhouse";
inline constexpr const char* kInHousePassword = "vorn5830";

// A root connection over the socket, outside the code under test, to prepare and inspect data.
class Admin {
 public:
  explicit Admin(const char* database = nullptr);
  ~Admin();
  Admin(const Admin&) = delete;
  Admin& operator=(const Admin&) = delete;

  // Runs one or more statements (UTF-8 text, sent as utf8mb4); fails the test on error.
  void Exec(const QString& sql);
  // First column of the first row, UTF-8 decoded; empty when there is no row.
  QString Value(const QString& sql);
  QStringList Column(const QString& sql);
  void ExecFile(const QString& path);
  unsigned long ThreadId() const;
  MYSQL* Raw() { return m_mysql; }

 private:
  MYSQL* m_mysql = nullptr;
};

// Drops and re-creates both databases from the schema files; also clears init_connect.
void ResetDatabases();

// Opens the program's SMS session (DBInit) as the program's account on the test server, or on a
// proxy in front of it at port. False when it could not.
bool ConnectSms(int port = Port());

QString SchemaFile(const QString& name);

// Stops the test server and starts it again on the same port and data (every connection ends;
// ids start again from low numbers).
void RestartServer();

}  // namespace testdb
