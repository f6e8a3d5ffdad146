#include "db/modMySQL_Func.h"

#include "app/AppState.h"
#include "db/DbState.h"
#include "db/SqlLog.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"

DbState& Db() {
  static DbState state;
  return state;
}

namespace {

cMySQL* Reader() { return Db().sessions[Db().readIndex].get(); }
cMySQL* Writer() { return Db().sessions[0].get(); }

// Statements issued before DBInit (or after it failed) find no session: they fail quietly, as a
// statement on a dead connection would, instead of crashing.
RecordsetPtr Select(cMySQL* session, const QString& sql, int& rows) {
  if (!session) {
    rows = -1;
    return nullptr;
  }
  RecordsetPtr rs = session->query(sql, false);
  rows = session->affected_rows();
  return rs;
}

}  // namespace

bool DBInit(const QString& host, const QString& user, const QString& password,
            const QString& database, const QString& alternateHost, int logLevel,
            const QString& charset, int port) {
  DbState& db = Db();
  bool result = false;
  try {
    db.readIndex = 0;
    db.logLevel = logLevel;
    db.sessions[0] = std::make_unique<cMySQL>();
    result = db.sessions[0]->real_connect(host, user, password, database, port, QString(), 0, false,
                                          charset);

    const QDate today = clock_::LocalNow().date();
    SQLLogSetDay(today);
    db.slowThresholdSeconds = LeadingNumber(settings::GetSetting(
        AppTitle(), QStringLiteral("Config"), QStringLiteral("SQLSlowTime"), QStringLiteral("3")));
    SQLLogMaintainFolder(today);
    db.currentDatabase = database;

    if (!alternateHost.isEmpty() && alternateHost != host) {
      db.readIndex = 1;
      db.sessions[1] = std::make_unique<cMySQL>();
      result = db.sessions[1]->real_connect(alternateHost, user, password, database, port,
                                            QString(), 0, false, QString());
    }
  } catch (const MySqlError& e) {
    MsgError(e.number, e.description, QStringLiteral("DBInit"), QStringLiteral("modMySQL_Func"));
  }
  return result;
}

int DBOpenRecordset(RecordsetPtr& rs, const QString& sql) {
  const std::int64_t start = clock_::TickMs();
  int rows = 0;
  rs = Select(Reader(), sql, rows);
  SQLLogFull(sql, QString::number(rows), clock_::TickMs() - start);
  if (Reader()) Reader()->free_result();
  return rows;
}

QString DBGetValue(const QString& sql) {
  const std::int64_t start = clock_::TickMs();
  int rows = 0;
  RecordsetPtr rs = Select(Reader(), sql, rows);
  const QString value = rs && !rs->Eof() ? rs->Fields(0) : QString();
  SQLLogFull(sql, value, clock_::TickMs() - start);
  DBCloseRecordset(rs);
  if (Reader()) Reader()->free_result();
  return value;
}

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

int DBGetCount(const QString& table, const QString& condition) {
  QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + table;
  if (!condition.isEmpty()) sql += QStringLiteral(" WHERE ") + condition;
  return DBGetValue(sql).toInt();
}

int DBGetCountTrim(const QString& table, const QString& column, const QString& condition) {
  QString sql = QStringLiteral("SELECT COUNT(*) FROM(SELECT TRIM(") + column +
                QStringLiteral(") AS ") + column + QStringLiteral(" FROM ") + table +
                QStringLiteral(") AS s");
  if (!condition.isEmpty()) sql += QStringLiteral(" WHERE s.") + condition;
  return DBGetValue(sql).toInt();
}

bool DBCheckDuplicate(const QString& table, const QString& column, const QString& value,
                      const QString& extra, bool ask, const QString& label, const QString& display,
                      bool trim) {
  QString condition = column + QStringLiteral("='") + DBEscape(value) + QLatin1Char('\'');
  if (!extra.isEmpty()) condition += QStringLiteral(" AND ") + extra;
  const int count = trim ? DBGetCountTrim(table, column, condition) : DBGetCount(table, condition);
  if (count == 0) return false;
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

QString VarToStr(const QVariant& value) { return value.isNull() ? QString() : value.toString(); }

bool DBInit_MYSQL(const QString& host, const QString& user, const QString& password,
                  const QString& database, bool quiet, int port) {
  DbState& db = Db();
  if (db.inHouseOpen) return true;
  db.inHouse = std::make_unique<cMySQL>();
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
