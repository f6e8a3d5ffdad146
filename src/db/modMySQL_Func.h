#pragma once
// The query helpers: the only way windows reach the databases. Each SMS helper times its
// statement and writes the SQL log; the in-house helpers serve the login and are not logged.

#include "db/Recordset.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

using RecordsetPtr = std::unique_ptr<Recordset>;

bool DBInit(const QString& host, const QString& user, const QString& password,
            const QString& database, const QString& alternateHost, int logLevel,
            const QString& charset, int port = 3306, const QString& socket = QString());
// Row count of the SELECT, -1 when it failed (rs is then empty). rs stands on its first row.
int DBOpenRecordset(RecordsetPtr& rs, const QString& sql);
QString DBGetValue(const QString& sql);
int DBExecute(const QString& sql, bool quiet = false);
int DBInsertId();
int DBGetCount(const QString& table, const QString& condition);
// rowFilter, when given, chooses the rows of the table before their column is trimmed; the
// condition then applies to the trimmed column alone.
int DBGetCountTrim(const QString& table, const QString& column, const QString& condition,
                   const QString& rowFilter = QString());
bool DBCheckDuplicate(const QString& table, const QString& column, const QString& value,
                      const QString& extra, bool ask, const QString& label, const QString& display,
                      bool trim);
QString DBEscape(const QString& text);
// A typed value as an SQL text literal: DBEscape between single quotes.
QString DBQuoted(const QString& text);
void DBCloseRecordset(RecordsetPtr& rs);

// Sessions opened from now on use the compressed protocol or not (the deployment decides).
void DBSetCompression(bool on);
// Which server a session talks to; each has TLS settings of its own.
enum class DbServer { Sms, InHouse, Reports };
// TLS required, the server's certificate verified against the CA file (empty: the system's CAs).
struct DbTls {
  bool required = false;
  QString caFile;
};
// Sessions to that server opened from now on use these settings.
void DBSetTls(DbServer server, const DbTls& tls);

// A transaction on the writing session: DBExecute and DBInsertId run inside it until Commit.
// Leaving the scope without a Commit rolls it back.
class DBTransaction {
 public:
  enum class Outcome { Committed, Failed, Unknown };
  DBTransaction() = default;
  ~DBTransaction();
  DBTransaction(const DBTransaction&) = delete;
  DBTransaction& operator=(const DBTransaction&) = delete;

  bool Begin();
  // Unknown: the connection broke while the COMMIT was on its way; DBSettledValue tells what
  // was recorded once that can be proven.
  Outcome Commit();
  // Ends the transaction; an error box a statement of it raised is shown after that.
  void Rollback();
  // The last statement failed because the connection was lost; the transaction is gone, and
  // nothing of it was recorded.
  bool Lost() const;
  // The last statement or the COMMIT met a deadlock or a cluster's certification conflict: the
  // whole transaction was rolled back, and may be tried again from its start.
  bool Conflicted() const;
};

// Where the SMS session is connected now (the host as configured, or host:port of a list).
QString DBCurrentHost();
// Called whenever the SMS session moved to another host of its list; nullptr to stop.
void DBOnHostChanged(std::function<void(const QString& host)> changed);
// Conflicts the SMS session has met (and its callers retried).
int DBConflictCount();

// One value read on the writing session (never a replica, which may lag), and only once every
// connection the session lost is proven gone, so that nothing still on its way can change the
// answer afterwards. Nothing when that cannot be proven yet or the read fails; never a box.
std::optional<QString> DBSettledValue(const QString& sql);
QString VarToStr(const QVariant& value);

bool DBInit_MYSQL(const QString& host, const QString& user, const QString& password,
                  const QString& database, bool quiet, int port = 3306);
int DBOpenRecordset_MYSQL(RecordsetPtr& rs, const QString& sql);
void DBClose_MYSQL();
bool DBIsOpen_MYSQL();
