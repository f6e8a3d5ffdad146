#include "db/ReportReads.h"

#include "db/DbState.h"
#include "db/SqlLog.h"
#include "db/cMySQL.h"
#include "platform/Clock.h"
#include "platform/Cp949.h"
#include "platform/Prompt.h"

namespace {

const QString kBegin = QStringLiteral("START TRANSACTION WITH CONSISTENT SNAPSHOT, READ ONLY");
const QString kCommit = QStringLiteral("COMMIT");
const QString kRollback = QStringLiteral("ROLLBACK");
// A lost replica and a connection replaced midway: after that a snapshot gives up.
constexpr int kMaxRestarts = 2;

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

// The report session failed because its server is gone and could not be reached again (a
// reconnect that worked would have sent the statement again).
bool ReplicaLost(const cMySQL* session, int rows) {
  return rows < 0 && session && session == Db().reports.get() &&
         session->LastFailureWasLostConnection();
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
  if (!reports || !Encodable(sql)) return Logged(reports ? reports : SmsReader(), rs, sql, false);
  const int rows = Logged(reports, rs, sql, true);
  if (rows >= 0) return rows;
  if (ReplicaLost(reports, rows)) {
    FallBackToSms();
    return Logged(SmsReader(), rs, sql, false);
  }
  // Any other failure keeps the replica and shows the session's usual box.
  MsgBox(ErrorBoxText(reports->err_no(), reports->err_description(), QStringLiteral("query"),
                      QStringLiteral("cMySQL")) +
             QStringLiteral("\n\n") + sql,
         MsgButtons::Ok, MsgIcon::Critical);
  return rows;
}

DBReportSnapshot::~DBReportSnapshot() {
  if (m_open) End(kRollback);
}

bool DBReportSnapshot::Begin() {
  m_reads.clear();
  m_ok = true;
  m_restarts = 0;
  m_errorNumber = 0;
  m_errorText.clear();
  m_failedSql.clear();
  return Start();
}

bool DBReportSnapshot::Start() {
  m_open = false;
  cMySQL* reports = Db().reports.get();
  m_session = reports ? reports : SmsReader();
  if (!m_session)
    return Fail(0, QStringLiteral("데이터베이스에 연결되어 있지 않습니다."), QString());
  // A second START TRANSACTION would commit the change the session has under way.
  if (m_session->InTransaction())
    return Fail(0, QStringLiteral("진행 중인 저장 작업이 끝난 뒤 다시 조회하세요."), kBegin);
  RecordsetPtr none;
  // On the replica a read goes first: a dead one then costs one connect attempt, where the
  // transaction's start would try twice (to replace the idle connection, then to resend).
  QString sent = m_session == reports ? QStringLiteral("SELECT 1") : kBegin;
  int rows = Logged(m_session, none, sent, true);
  if (rows >= 0 && sent != kBegin) rows = Logged(m_session, none, sent = kBegin, true);
  if (rows < 0) {
    if (ReplicaLost(m_session, rows)) {
      m_session = nullptr;
      FallBackToSms();
      return Restart();
    }
    return Fail(m_session->err_no(), m_session->err_description(), sent);
  }
  m_open = true;
  m_connectionId = m_session->thread_id();
  // After a restart the earlier statements are read again inside the new snapshot.
  const int restarts = m_restarts;
  for (Read& read : m_reads) {
    if (!Run(read)) return false;
    if (m_restarts != restarts) return true;  // that restart has read them all
  }
  return true;
}

bool DBReportSnapshot::Run(Read& read) {
  RecordsetPtr& rs = *read.rs;
  if (char32_t bad = 0; !Encodable(read.sql, &bad)) {
    rs.reset();
    return Fail(cMySQL::kUnrepresentableText,
                QStringLiteral("데이터베이스에 보낼 수 없는 문자가 들어 있습니다: 「%1」")
                    .arg(QString::fromUcs4(&bad, 1)),
                read.sql);
  }
  read.rows = Logged(m_session, rs, read.sql, true);
  if (read.rows >= 0 && m_session->thread_id() == m_connectionId) return true;
  rs.reset();
  if (read.rows >= 0) {
    // The session replaced a lost connection and read this statement again on the new one,
    // outside the snapshot: everything is read again.
    return Restart();
  }
  if (ReplicaLost(m_session, read.rows)) {
    m_open = false;  // the transaction ended with its connection
    m_session = nullptr;
    FallBackToSms();
    return Restart();
  }
  return Fail(m_session->err_no(), m_session->err_description(), read.sql);
}

bool DBReportSnapshot::Restart() {
  if (m_open) End(kRollback);
  if (++m_restarts > kMaxRestarts)
    return Fail(cMySQL::kServerLost,
                QStringLiteral("연결이 거듭 끊겨 한 시점의 자료를 읽지 못했습니다."), QString());
  return Start();
}

int DBReportSnapshot::Open(RecordsetPtr& rs, const QString& sql) {
  rs.reset();
  if (!m_ok) return -1;
  if (!m_open) {
    Fail(0, QStringLiteral("읽기 트랜잭션이 시작되지 않았습니다."), sql);
    return -1;
  }
  m_reads.push_back(Read{&rs, sql, -1});
  if (!Run(m_reads.back())) return -1;
  return m_reads.back().rows;
}

bool DBReportSnapshot::Commit() {
  // A read-only snapshot has nothing to lose: when only its COMMIT fails, the rows stand.
  if (m_open) End(m_ok ? kCommit : kRollback);
  return m_ok;
}

bool DBReportSnapshot::Fail(long number, const QString& text, const QString& sql) {
  if (m_ok) {
    m_errorNumber = number;
    m_errorText = text;
    m_failedSql = sql;
  }
  m_ok = false;
  for (Read& read : m_reads) read.rs->reset();
  // A lost connection took its transaction along; anything sent now would only reconnect.
  if (m_open && m_session && !m_session->LastFailureWasLostConnection()) End(kRollback);
  m_open = false;
  return false;
}

void DBReportSnapshot::End(const QString& sql) {
  m_open = false;
  RecordsetPtr none;
  Logged(m_session, none, sql, true);
}
