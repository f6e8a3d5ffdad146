#pragma once
// One client connection to a MySQL/MariaDB server. Statements go in as text, results come back
// as disconnected text recordsets. A lost connection is repaired once per statement; errors are
// shown through the prompt seam unless the caller asks for quiet.

#include "db/Recordset.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>

struct st_mysql;
struct st_mysql_res;

// Raised by the operations that let a failure reach their caller (as the old class raised it).
struct MySqlError : std::runtime_error {
  MySqlError(long number, QString source, QString description)
      : std::runtime_error(description.toStdString()),
        number(number),
        source(std::move(source)),
        description(std::move(description)) {}
  long number;
  QString source;
  QString description;
};

using RecordsetPtr = std::unique_ptr<Recordset>;

class cMySQL {
 public:
  // Error numbers of the client library that the session treats specially.
  static constexpr long kServerGone = 2006;
  static constexpr long kServerLost = 2013;
  static constexpr long kServerUnreachable = 2003;
  static constexpr long kCannotConnect = 2002;
  static constexpr long kDeadlock = 1213;
  // Our own number for a statement refused because the code page cannot hold a character.
  static constexpr long kUnrepresentableText = 29001;

  cMySQL();
  ~cMySQL();
  cMySQL(const cMySQL&) = delete;
  cMySQL& operator=(const cMySQL&) = delete;

  void DoMemFree(bool value) { m_doMemFree = value; }

  bool real_connect(const QString& host, const QString& user, const QString& password,
                    const QString& database, int port, const QString& socket,
                    unsigned long clientFlags, bool quiet, const QString& charset);
  // Rows changed by the last statement, rows of the last SELECT, -1 after a failed statement.
  int affected_rows() const { return m_affectedRows; }
  // nullptr for statements without a result and for failures (see affected_rows).
  RecordsetPtr query(const QString& sql, bool quiet = false);
  // Like query, without the reconnect and deadlock retries.
  RecordsetPtr real_query(const QString& sql);

  void create_db(const QString& name);
  void debug_push(const QString& debug);
  void dump_debug_info();
  bool eof() const { return m_lastEof; }
  long err_no() const;
  QString err_description() const;
  QString escape_string(const QString& text) const;
  void free_result();
  QString get_client_info() const;
  QString get_host_info() const;
  int get_proto_info() const;
  QString get_server_info() const;
  QString info() const;
  int insert_id() const;
  void Kill(long connectionId);
  RecordsetPtr list_dbs(const QString& wildcard = QString());
  RecordsetPtr list_fields(const QString& table, const QString& wildcard = QString());
  RecordsetPtr list_processes();
  RecordsetPtr list_tables(const QString& wildcard = QString());
  int num_fields() const { return m_lastFields; }
  int num_rows() const { return m_lastRows; }
  void ping();
  void Refresh(unsigned int options);
  void select_db(const QString& database);
  void shutdown();
  QString stat();
  long thread_id() const;
  int thread_safe() const;
  bool connected() const { return m_connected; }

  // Transactions on this connection. A connection lost inside one ends it (the server rolls it
  // back); nothing of it is ever sent again on the new connection.
  enum class CommitResult { Committed, Failed, Unknown };
  bool BeginTrans();
  // Unknown: the connection broke while the COMMIT was on its way; the session has reconnected
  // and the old connection is gone, so the data now tells the outcome.
  CommitResult CommitTrans();
  void RollbackTrans();
  bool InTransaction() const { return m_inTransaction; }
  // The last failed statement failed because the connection was lost (2006, 2013).
  bool LastFailureWasLostConnection() const { return m_lastLost; }

  // Plain properties; real_connect fills them.
  QString user;
  QString password;
  QString host;
  QString db;
  QString unix_socket;
  unsigned long ClientFlags = 0;
  int port = 0;

  // Settings read by the next real_connect. The compressed protocol pays on a slow line and
  // costs on a fast local one. The timeouts end a dead network in an error box.
  bool Compress = true;
  unsigned int ConnectTimeoutSeconds = 15;
  unsigned int ReadTimeoutSeconds = 60;
  unsigned int WriteTimeoutSeconds = 60;
  // A change sent on a connection idle this long is preceded by a ping, so that a connection
  // the server dropped meanwhile is replaced before the change, not after it failed.
  int IdleCheckMs = 1000;

 private:
  RecordsetPtr Run(const QString& sql, bool quiet, bool retries, const char* procedure);
  bool Reconnect();
  void EndOldConnection(long id, const QString& clientAddress);
  QString QuietValue(const QString& sql);
  void EnsureAliveForChange();
  RecordsetPtr Failed();
  bool IsRead(const QString& sql) const;
  RecordsetPtr BuildRecordset(st_mysql_res* result);
  RecordsetPtr ListResult(st_mysql_res* result, const char* operation);
  RecordsetPtr OpenRs(const QString& sql, int& rowCount);
  int ExecSql(const QString& sql);
  static void CloseRs(RecordsetPtr& rs);
  [[noreturn]] void Raise(const char* operation) const;
  bool Encode(const QString& text, QByteArray& out, bool quiet);
  void ConnectionBookkeeping();
  void ApplyCharset();

  st_mysql* m_mysql = nullptr;
  bool m_connected = false;
  QString m_charset;
  bool m_quiet = false;
  bool m_doMemFree = false;
  bool m_busy = false;
  int m_affectedRows = 0;
  int m_lastRows = 0;
  int m_lastFields = 0;
  bool m_lastEof = true;
  bool m_inTransaction = false;
  bool m_lastLost = false;
  std::int64_t m_lastActivityMs = 0;
  // The client address (host:port) the server lists for this connection: proof that a process
  // with the old id is still ours after a reconnect.
  QString m_clientAddress;
};
