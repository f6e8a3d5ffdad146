#pragma once
// One client connection to a MySQL/MariaDB server. Statements go in as text, results come back
// as disconnected text recordsets. A lost connection is repaired once per statement; errors are
// shown through the prompt seam unless the caller asks for quiet.

#include "db/Recordset.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

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
  static constexpr long kTlsFailed = 2026;
  // Our own number for a cluster node that answered but is not ready for work.
  static constexpr long kNodeNotReady = 29002;
  // A cluster node outside the primary component ("not yet prepared for application use").
  static constexpr long kNodeRefuses = 1047;
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
  // The standard box of a failed statement, with the statement under it.
  static QString StatementErrorText(long number, const QString& description, const QString& sql);

  // Transactions on this connection. A connection lost inside one ends it (the server rolls it
  // back); nothing of it is ever sent again on the new connection.
  enum class CommitResult { Committed, Failed, Unknown };
  bool BeginTrans();
  // Unknown: the connection broke while the COMMIT was on its way. The data tells the outcome
  // only once ResolveOldConnections has proven the old connection gone.
  CommitResult CommitTrans();
  void RollbackTrans();
  bool InTransaction() const { return m_inTransaction; }
  // The last failed statement failed because the connection was lost (2006, 2013).
  bool LastFailureWasLostConnection() const { return m_lastLost; }

  // A connection the session lost is not over until the server says so: a COMMIT held up in
  // the network may still arrive on it. Within one server lifetime ids are never handed out
  // twice, so the id with the server's start time names it, over TCP or a socket alike.
  struct Endpoint {
    QString host;
    int port = 0;
  };
  struct ConnectionIdentity {
    long id = 0;
    QString server;            // host:port as the server names itself
    std::int64_t started = 0;  // the server's start, seconds since the epoch; 0 unknown
    bool galera = false;       // a node of a cluster; server is then its incoming address
    Endpoint endpoint;         // where the session reached it
  };
  enum class OldConnectionEnd { Gone, NotFound, GaveUp };
  // Reconnects when needed and ends every connection the session lost; true when each one is
  // proven gone, so that what the data says now is final. Never shows a box.
  // otherNodes false: only what this server can prove at once (a reconnect does not wait on a
  // cluster node that may hang; the settling read asks for everything).
  bool ResolveOldConnections(bool otherNodes = true);
  bool HasUnresolvedConnections() const { return !m_unresolved.empty(); }
  const ConnectionIdentity& Identity() const { return m_identity; }
  // The last failed statement was refused by a deadlock, or a cluster's certification conflict:
  // the whole transaction was rolled back.
  bool LastFailureWasConflict() const { return m_lastConflict; }
  // How many such conflicts this session has seen.
  int ConflictsSeen() const { return m_conflicts; }

  // The host may be a list, "host[:port],host[:port],...": the session connects to the first
  // that answers and is ready (a cluster node outside the primary component is not), and after
  // a lost connection moves on to the next. A host without a port takes the port argument.
  static std::vector<Endpoint> ParseHostList(const QString& hosts, int defaultPort);
  // Where the session is now: the host as given for a single host, else host:port.
  QString CurrentHost() const;
  // Called after each connect that reached another host than the one before.
  std::function<void(const QString& host)> HostChanged;

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
  // TLS required, with the server's certificate (and name) verified against the CA file (PEM;
  // empty: the system's CAs). Off, the connection is what the server and library agree on.
  bool RequireTls = false;
  QString TlsCaFile;
  // A change sent on a connection idle this long is preceded by a ping, so that a connection
  // the server dropped meanwhile is replaced before the change, not after it failed.
  int IdleCheckMs = 1000;
  // How long the end of a lost connection is waited for after the KILL before giving up.
  int OldConnectionWaitMs = 5000;
  // Off for a side connection that only ends another's statement or connection: the account's
  // connection records (LPID) keep naming the session's own connections.
  bool Bookkeeping = true;

 private:
  RecordsetPtr Run(const QString& sql, bool quiet, bool retries, const char* procedure);
  bool ConnectTo(const Endpoint& endpoint, long& number, QString& description);
  bool Reconnect(bool quiet);
  OldConnectionEnd EndOldConnection(const ConnectionIdentity& old, bool otherNodes = true);
  OldConnectionEnd EndOnOtherNode(const ConnectionIdentity& old);
  void LoseConnection();
  std::optional<QStringList> QuietRow(const QString& sql);
  QString QuietValue(const QString& sql);
  void ShowDeferredError();
  // True when it had to replace the connection (or tried to).
  bool EnsureAliveForChange();
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
  QString m_hostList;
  int m_defaultPort = 0;
  std::vector<Endpoint> m_endpoints;  // m_hostList parsed
  std::size_t m_nextEndpoint = 0;
  QString m_currentHost;
  bool m_lastConflict = false;
  int m_conflicts = 0;
  ConnectionIdentity m_identity;
  std::vector<ConnectionIdentity> m_unresolved;
  // Inside a transaction an error box waits until the transaction is over: a person reading it
  // must not hold other staff's row locks.
  std::optional<QString> m_deferredError;
};
