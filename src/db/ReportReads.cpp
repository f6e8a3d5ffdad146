#include "db/ReportReads.h"

#include "db/DbState.h"
#include "db/SqlLog.h"
#include "db/cMySQL.h"
#include "platform/Clock.h"

namespace {

cMySQL* SmsReader() { return Db().sessions[Db().readIndex].get(); }

// Timed and logged like DBOpenRecordset.
int Logged(cMySQL* session, RecordsetPtr& rs, const QString& sql, bool quiet) {
  const std::int64_t start = clock_::TickMs();
  int rows = -1;
  rs.reset();
  if (session) {
    rs = session->query(sql, quiet);
    rows = session->affected_rows();
  }
  SQLLogFull(sql, QString::number(rows), clock_::TickMs() - start);
  return rows;
}

}  // namespace

bool DBInitReports(const QString& host, int port) {
  DbState& db = Db();
  cMySQL* main = db.sessions[0].get();
  if (!main) return false;
  auto session = std::make_unique<cMySQL>();
  session->Compress = db.compress;
  // The same account as the SMS session; the replica refuses writes of its own (read_only), and
  // the program only ever sends SELECTs here.
  if (!session->real_connect(host, main->user, main->password, main->db, port, QString(), 0, false,
                             QStringLiteral("euckr")))
    return false;
  db.reports = std::move(session);
  return true;
}

int DBOpenReportRecordset(RecordsetPtr& rs, const QString& sql) {
  cMySQL* reports = Db().reports.get();
  return Logged(reports ? reports : SmsReader(), rs, sql, false);
}
