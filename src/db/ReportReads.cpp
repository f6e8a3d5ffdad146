#include "db/ReportReads.h"

#include "db/BackgroundRead.h"
#include "db/DbState.h"
#include "db/SqlLog.h"
#include "db/cMySQL.h"
#include "platform/Clock.h"
#include "platform/Cp949.h"
#include "platform/Prompt.h"

namespace {

const QString kBegin = QStringLiteral("START TRANSACTION WITH CONSISTENT SNAPSHOT, READ ONLY");
// A lost replica and a connection replaced midway: after that a snapshot gives up.
constexpr int kMaxRestarts = 2;

// The report session failed because its server is gone and could not be reached again (a
// reconnect that worked would have sent the read again).
bool ReplicaLost(const cMySQL* session) {
  return session && session == Db().reports.get() && session->LastFailureWasLostConnection() &&
         !session->connected();
}

// One message and one short wait instead of an error box and a connect timeout per statement:
// from now on every report reads the SMS database.
void FallBackToSms() {
  Db().reports.reset();
  MsgBox(QStringLiteral("보고서 서버에 연결할 수 없어 지금부터 보고서를 SMS 데이터베이스에서 "
                        "조회합니다."),
         MsgButtons::Ok, MsgIcon::Exclamation);
}

bool Encodable(const QString& sql, char32_t* bad = nullptr) {
  QByteArray bytes;
  return cp949::Encode(sql, bytes, bad);
}

void End(cMySQL* session, const QString& sql) {
  RecordsetPtr none;
  OpenOn(session, none, sql, true);
}

}  // namespace

bool DBInitReports(const QString& host, int port) {
  DbState& db = Db();
  db.reports.reset();
  cMySQL* main = db.sessions[0].get();
  if (!main) return false;
  auto session = NewSession(DbServer::Reports);
  session->ConnectTimeoutSeconds = kReportConnectTimeoutSeconds;
  // The same account as the SMS session; the replica refuses writes of its own (read_only), and
  // the program only ever sends SELECTs here. Quiet, and so are the session's later reconnects:
  // a replica that cannot be reached is told once, here or by the fall-back.
  if (!session->real_connect(host, main->user, main->password, main->db, port, QString(), 0, true,
                             QStringLiteral("euckr"))) {
    MsgBox(QStringLiteral("보고서 서버(%1:%2)에 연결할 수 없어 보고서를 SMS 데이터베이스에서 "
                          "조회합니다.\n\nError %3 (%4)")
               .arg(host)
               .arg(port)
               .arg(session->err_no())
               .arg(session->err_description()),
           MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
  }
  db.reports = std::move(session);
  return true;
}

int DBOpenReportRecordset(RecordsetPtr& rs, const QString& sql) {
  cMySQL* reports = Db().reports.get();
  // Text the code page cannot hold is refused before it is sent; the session says so itself.
  if (!reports || !Encodable(sql)) return OpenWatched(reports ? reports : Reader(), rs, sql);
  const int rows = OpenWatched(reports, rs, sql, true);
  if (rows >= 0 || DBReadStopped()) return rows;
  if (ReplicaLost(reports)) {
    FallBackToSms();
    return OpenWatched(Reader(), rs, sql);
  }
  // Any other failure keeps the replica and shows the session's usual box.
  MsgBox(cMySQL::StatementErrorText(reports->err_no(), reports->err_description(), sql),
         MsgButtons::Ok, MsgIcon::Critical);
  return rows;
}

bool DBReadSnapshot(const QStringList& statements, std::vector<RecordsetPtr>& out,
                    DBSnapshotError& error) {
  ClearReadStopped();
  out.clear();
  const auto fail = [&](long number, const QString& text, const QString& sql) {
    out.clear();
    error = DBSnapshotError{number, text, sql};
    return false;
  };
  for (const QString& sql : statements) {
    if (char32_t bad = 0; !Encodable(sql, &bad))
      return fail(cMySQL::kUnrepresentableText,
                  QStringLiteral("데이터베이스에 보낼 수 없는 문자가 들어 있습니다: 「%1」")
                      .arg(QString::fromUcs4(&bad, 1)),
                  sql);
  }
  for (int attempt = 0; attempt <= kMaxRestarts; ++attempt) {
    out.clear();
    cMySQL* session = Db().reports ? Db().reports.get() : Reader();
    if (!session) return fail(0, QStringLiteral("데이터베이스에 연결되어 있지 않습니다."), {});
    // A second START TRANSACTION would commit the change the session has under way.
    if (session->InTransaction())
      return fail(0, QStringLiteral("진행 중인 저장 작업이 끝난 뒤 다시 조회하세요."), kBegin);
    RecordsetPtr none;
    if (OpenOn(session, none, kBegin, true) < 0) {
      if (ReplicaLost(session)) {
        FallBackToSms();
        continue;
      }
      return fail(session->err_no(), session->err_description(), kBegin);
    }
    const long connection = session->thread_id();
    bool again = false;
    for (const QString& sql : statements) {
      RecordsetPtr rs;
      const int rows = OpenWatched(session, rs, sql, true);
      if (DBReadStopped()) {
        End(session, QStringLiteral("ROLLBACK"));
        return fail(0, QString(), sql);
      }
      if (rows >= 0 && session->thread_id() == connection) {
        out.push_back(std::move(rs));
        continue;
      }
      if (rows >= 0 || ReplicaLost(session)) {
        // The read was sent again on a new connection, outside the snapshot, or the replica is
        // gone (and with it this session): everything is read again.
        if (rows < 0) FallBackToSms();
        again = true;
        break;
      }
      const DBSnapshotError why{session->err_no(), session->err_description(), sql};
      // A lost connection took its transaction along; anything sent now would only reconnect.
      if (!session->LastFailureWasLostConnection()) End(session, QStringLiteral("ROLLBACK"));
      return fail(why.number, why.text, why.sql);
    }
    // The snapshot's transaction ended with its connection; nothing is left to end.
    if (again) continue;
    // A read-only snapshot has nothing to lose: when only its COMMIT fails, the rows stand.
    End(session, QStringLiteral("COMMIT"));
    return true;
  }
  return fail(cMySQL::kServerLost,
              QStringLiteral("연결이 거듭 끊겨 한 시점의 자료를 읽지 못했습니다."), QString());
}
