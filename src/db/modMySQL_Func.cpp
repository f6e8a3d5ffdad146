#include "db/modMySQL_Func.h"

#include "db/DbState.h"
#include "db/SqlLog.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "platform/Numbers.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QThread>

#include <functional>
#include <optional>

DbState& Db() {
  static DbState state;
  return state;
}

std::unique_ptr<cMySQL> NewSession(DbServer server) {
  auto session = std::make_unique<cMySQL>();
  session->Compress = Db().compress;
  const DbTls& tls = Db().tls[static_cast<int>(server)];
  session->RequireTls = tls.required;
  session->TlsCaFile = tls.caFile;
  return session;
}

void DBSetTls(DbServer server, const DbTls& tls) { Db().tls[static_cast<int>(server)] = tls; }

cMySQL* Reader() { return Db().sessions[Db().readIndex].get(); }

namespace {

cMySQL* Writer() { return Db().sessions[0].get(); }

// Statements issued before DBInit (or after it failed) find no session: they fail quietly, as a
// statement on a dead connection would, instead of crashing.
RecordsetPtr Select(cMySQL* session, const QString& sql, int& rows, bool quiet = false) {
  if (!session) {
    rows = -1;
    return nullptr;
  }
  RecordsetPtr rs = session->query(sql, quiet);
  rows = session->affected_rows();
  return rs;
}

// The first column of the first row, logged; nothing when the statement failed (the session
// has shown why), empty text when it found no row.
std::optional<QString> FirstValue(cMySQL* session, const QString& sql) {
  const std::int64_t start = clock_::TickMs();
  int rows = 0;
  RecordsetPtr rs = Select(session, sql, rows);
  const QString value = rs && !rs->Eof() ? rs->Fields(0) : QString();
  SQLLogFull(sql, value, clock_::TickMs() - start);
  DBCloseRecordset(rs);
  if (session) session->free_result();
  if (rows < 0) return std::nullopt;
  return value;
}

}  // namespace

bool DBInit(const QString& host, const QString& user, const QString& password,
            const QString& database, const QString& alternateHost, int logLevel,
            const QString& charset, int port, const QString& socket) {
  DbState& db = Db();
  bool result = false;
  try {
    db.readIndex = 0;
    db.logLevel = logLevel;
    db.reports.reset();
    db.sessions[0] = NewSession(DbServer::Sms);
    db.sessions[0]->HostChanged = [](const QString& now) {
      const auto tell = [now] {
        if (Db().hostChanged) Db().hostChanged(now);
      };
      // A read on a worker thread may be the one that reconnected.
      QCoreApplication* app = QCoreApplication::instance();
      if (!app || QThread::currentThread() == app->thread())
        tell();
      else
        QMetaObject::invokeMethod(app, tell, Qt::QueuedConnection);
    };
    result = db.sessions[0]->real_connect(host, user, password, database, port, socket, 0, false,
                                          charset);

    const QDate today = clock_::LocalNow().date();
    SQLLogSetDay(today);
    db.slowThresholdSeconds = numbers::LeadingNumber(settings::GetSetting(
        AppTitle(), QStringLiteral("Config"), QStringLiteral("SQLSlowTime"), QStringLiteral("3")));
    SQLLogMaintainFolder(today);
    db.currentDatabase = database;

    if (!alternateHost.isEmpty() && alternateHost != host) {
      db.readIndex = 1;
      db.sessions[1] = NewSession(DbServer::Sms);
      result = db.sessions[1]->real_connect(alternateHost, user, password, database, port,
                                            QString(), 0, false, QString());
    }
  } catch (const MySqlError& e) {
    MsgError(e.number, e.description, QStringLiteral("DBInit"), QStringLiteral("modMySQL_Func"));
  }
  return result;
}

int OpenOn(cMySQL* session, RecordsetPtr& rs, const QString& sql, bool quiet) {
  const std::int64_t start = clock_::TickMs();
  int rows = 0;
  rs = Select(session, sql, rows, quiet);
  SQLLogFull(sql, QString::number(rows), clock_::TickMs() - start);
  if (session) session->free_result();
  return rows;
}

int DBOpenRecordset(RecordsetPtr& rs, const QString& sql) { return OpenWatched(Reader(), rs, sql); }

QString DBGetValue(const QString& sql) { return FirstValue(Reader(), sql).value_or(QString()); }

int DBExecute(const QString& sql, bool quiet) {
  const std::int64_t start = clock_::TickMs();
  int affected = -1;
  if (cMySQL* session = Writer()) {
    RecordsetPtr rs = session->query(sql, quiet);
    affected = session->affected_rows();
    DBCloseRecordset(rs);
  }
  SQLLogExec(sql, QString::number(affected), clock_::TickMs() - start);
  return affected < 0 ? 0 : affected;
}

int DBInsertId() {
  const std::int64_t start = clock_::TickMs();
  const int id = Writer() ? Writer()->insert_id() : 0;
  SQLLogExec(QStringLiteral("insert_id()"), QString::number(id), clock_::TickMs() - start);
  return id;
}

namespace {

QString CountSql(const QString& table, const QString& condition) {
  QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + table;
  if (!condition.isEmpty()) sql += QStringLiteral(" WHERE ") + condition;
  return sql;
}

QString CountTrimSql(const QString& table, const QString& column, const QString& condition,
                     const QString& rowFilter) {
  QString sql = QStringLiteral("SELECT COUNT(*) FROM(SELECT TRIM(") + column +
                QStringLiteral(") AS ") + column + QStringLiteral(" FROM ") + table;
  if (!rowFilter.isEmpty()) sql += QStringLiteral(" WHERE ") + rowFilter;
  sql += QStringLiteral(") AS s");
  if (!condition.isEmpty()) sql += QStringLiteral(" WHERE s.") + condition;
  return sql;
}

// A count, or nothing when its statement failed (the session has shown why).
std::optional<int> CountOrFailure(const QString& sql) {
  const std::optional<QString> value = FirstValue(Reader(), sql);
  if (!value) return std::nullopt;
  return value->toInt();
}

}  // namespace

int DBGetCount(const QString& table, const QString& condition) {
  return DBGetValue(CountSql(table, condition)).toInt();
}

int DBGetCountTrim(const QString& table, const QString& column, const QString& condition,
                   const QString& rowFilter) {
  return DBGetValue(CountTrimSql(table, column, condition, rowFilter)).toInt();
}

bool DBCheckDuplicate(const QString& table, const QString& column, const QString& value,
                      const QString& extra, bool ask, const QString& label, const QString& display,
                      bool trim) {
  const QString match = column + QStringLiteral("='") + DBEscape(value) + QLatin1Char('\'');
  // Trimmed, the extra condition chooses the rows inside the subquery, where its columns exist.
  const std::optional<int> count =
      trim ? CountOrFailure(CountTrimSql(table, column, match, extra))
           : CountOrFailure(CountSql(
                 table, extra.isEmpty() ? match : match + QStringLiteral(" AND ") + extra));
  // A count that failed cannot clear the value: stop, as for a duplicate.
  if (!count) return true;
  if (*count == 0) return false;
  if (!ask) return true;
  const QString shown = display.isEmpty() ? value : display;
  const bool registerAnyway =
      MsgYesNo(QStringLiteral("『") + shown + QStringLiteral("』는 이미 등록된 ") + label +
                   QStringLiteral("입니다.\n\n그래도, 등록하시겠습니까?"),
               QStringLiteral("동일 ") + label + QStringLiteral(" 발견"), false);
  return !registerAnyway;
}

QString DBEscape(const QString& text) {
  QString out = text;
  const qsizetype nul = out.indexOf(QChar(u'\0'));
  if (nul >= 0) out.truncate(nul);
  out.replace(QLatin1Char('\''), QLatin1String("''"));
  out.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  return out;
}

QString DBQuoted(const QString& text) {
  return QLatin1Char('\'') + DBEscape(text) + QLatin1Char('\'');
}

void DBCloseRecordset(RecordsetPtr& rs) {
  if (rs && rs->State() == Recordset::adStateOpen) rs->Close();
  rs.reset();
}

void DBSetCompression(bool on) { Db().compress = on; }

namespace {
// Changes of a transaction are logged like any DBExecute.
bool LoggedRun(const QString& sql, const std::function<bool(cMySQL&)>& run) {
  const std::int64_t start = clock_::TickMs();
  cMySQL* session = Writer();
  const bool ok = session && run(*session);
  SQLLogExec(sql, QString::number(session ? session->affected_rows() : -1),
             clock_::TickMs() - start);
  return ok;
}
}  // namespace

DBTransaction::~DBTransaction() { Rollback(); }

bool DBTransaction::Begin() {
  return LoggedRun(QStringLiteral("START TRANSACTION"), [](cMySQL& s) { return s.BeginTrans(); });
}

DBTransaction::Outcome DBTransaction::Commit() {
  cMySQL::CommitResult result = cMySQL::CommitResult::Failed;
  LoggedRun(QStringLiteral("COMMIT"), [&result](cMySQL& s) {
    result = s.CommitTrans();
    return result == cMySQL::CommitResult::Committed;
  });
  switch (result) {
    case cMySQL::CommitResult::Committed:
      return Outcome::Committed;
    case cMySQL::CommitResult::Unknown:
      return Outcome::Unknown;
    default:
      return Outcome::Failed;
  }
}

void DBTransaction::Rollback() {
  cMySQL* session = Writer();
  if (!session || !session->InTransaction()) return;
  LoggedRun(QStringLiteral("ROLLBACK"), [](cMySQL& s) {
    s.RollbackTrans();
    return true;
  });
}

bool DBTransaction::Lost() const { return Writer() && Writer()->LastFailureWasLostConnection(); }

bool DBTransaction::Conflicted() const { return Writer() && Writer()->LastFailureWasConflict(); }

QString DBCurrentHost() { return Writer() ? Writer()->CurrentHost() : QString(); }

void DBOnHostChanged(std::function<void(const QString& host)> changed) {
  Db().hostChanged = std::move(changed);
}

int DBConflictCount() { return Writer() ? Writer()->ConflictsSeen() : 0; }

std::optional<QString> DBSettledValue(const QString& sql) {
  cMySQL* session = Writer();
  if (!session || !session->ResolveOldConnections()) return std::nullopt;
  const std::int64_t start = clock_::TickMs();
  // A cluster node answers only after it has applied everything committed before the read.
  const bool causal = session->Identity().galera;
  const long connection = session->Identity().id;
  if (causal) session->query(QStringLiteral("SET SESSION wsrep_sync_wait = 1"), true);
  RecordsetPtr rs = session->query(sql, true);
  // A read that had to reconnect was not causal, and left a connection of its own behind: it
  // does not count.
  const int rows = session->Identity().id == connection ? session->affected_rows() : -1;
  if (causal) session->query(QStringLiteral("SET SESSION wsrep_sync_wait = 0"), true);
  std::optional<QString> value;
  if (rows >= 0) value = rs && !rs->Eof() ? rs->Fields(0) : QString();
  SQLLogFull(sql, value.value_or(QStringLiteral("-1")), clock_::TickMs() - start);
  DBCloseRecordset(rs);
  return value;
}

QString VarToStr(const QVariant& value) { return value.isNull() ? QString() : value.toString(); }

bool DBInit_MYSQL(const QString& host, const QString& user, const QString& password,
                  const QString& database, bool quiet, int port) {
  DbState& db = Db();
  if (db.inHouseOpen) return true;
  db.inHouse = NewSession(DbServer::InHouse);
  db.inHouseOpen = db.inHouse->real_connect(host, user, password, database, port, QString(), 0,
                                            quiet, QString());
  if (!db.inHouseOpen) db.inHouse.reset();
  return db.inHouseOpen;
}

int DBOpenRecordset_MYSQL(RecordsetPtr& rs, const QString& sql) {
  int rows = -1;
  rs = Select(Db().inHouseOpen ? Db().inHouse.get() : nullptr, sql, rows);
  if (rs && rs->RecordCount() > 0) rs->MoveFirst();
  return rows;
}

void DBClose_MYSQL() {
  DbState& db = Db();
  if (!db.inHouseOpen) return;
  db.inHouse.reset();
  db.inHouseOpen = false;
}

bool DBIsOpen_MYSQL() { return Db().inHouseOpen; }
