#pragma once
// The query helpers: the only way windows reach the databases. Each SMS helper times its
// statement and writes the SQL log; the in-house helpers serve the login and are not logged.

#include "db/Recordset.h"

#include <QString>
#include <QVariant>

#include <memory>

using RecordsetPtr = std::unique_ptr<Recordset>;

bool DBInit(const QString& host, const QString& user, const QString& password,
            const QString& database, const QString& alternateHost, int logLevel,
            const QString& charset, int port = 3306);
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
  // Unknown: the connection broke while the COMMIT was on its way. The session has reconnected
  // and the old connection has ended, so a read through Value tells what was recorded.
  Outcome Commit();
  void Rollback();
  // The last statement failed because the connection was lost; the transaction is gone, and
  // nothing of it was recorded.
  bool Lost() const;
  // One value read on the writing session (a read replica may lag behind it).
  QString Value(const QString& sql) const;
};
QString VarToStr(const QVariant& value);

bool DBInit_MYSQL(const QString& host, const QString& user, const QString& password,
                  const QString& database, bool quiet, int port = 3306);
int DBOpenRecordset_MYSQL(RecordsetPtr& rs, const QString& sql);
void DBClose_MYSQL();
bool DBIsOpen_MYSQL();
