#include "db/cMySQL.h"

#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/Cp949.h"
#include "platform/ProfileIni.h"
#include "platform/Prompt.h"

#include <QFile>
#include <QThread>

#include <mysql.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned long kCompress = 32;  // CLIENT_COMPRESS
// Every connection sets its own rules, whatever the server's defaults or init_connect say:
// strict, so that a value too long or too large for its column is an error and never stored cut
// or clamped (no ONLY_FULL_GROUP_BY: the report statements group loosely); autocommit, so a
// saved change never waits for a COMMIT that no one sends; and REPEATABLE READ, so that no read
// sees another connection's uncommitted rows.
constexpr const char* kSessionRules =
    "SET SESSION sql_mode = 'STRICT_ALL_TABLES,ERROR_FOR_DIVISION_BY_ZERO,NO_ENGINE_SUBSTITUTION',"
    " SESSION autocommit = 1, SESSION completion_type = 'NO_CHAIN'";
constexpr const char* kSessionIsolation = "SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ";
constexpr long kUnknownThread = 1094;

QByteArray Bytes(const QString& text) { return cp949::EncodeLossy(text); }
const char* OrNull(const QByteArray& bytes) {
  return bytes.isEmpty() ? nullptr : bytes.constData();
}

QString FromLibrary(const char* text) {
  return text ? cp949::Decode(text, std::strlen(text)) : QString();
}

QString FriendlyConnectText(long number, bool tls) {
  QString text = QStringLiteral("데이터베이스 서버에 접속할 수 없습니다.");
  if (tls && number == cMySQL::kTlsFailed) {
    text += QStringLiteral(
        "\n\n보안 연결(TLS)을 맺지 못했습니다. 서버가 TLS를 쓰는지, 서버 인증서가 sendora.ini에 "
        "적힌 CA 파일(CaFile)로 확인되는지, 접속 주소가 인증서의 이름과 같은지 확인하세요.");
  }
  // This client library reports a refused or unreachable TCP server as 2002 where the old one
  // said 2003; both mean the same to the user.
  if (number == cMySQL::kServerUnreachable || number == cMySQL::kCannotConnect) {
    text += QStringLiteral(
        "\n\n인터넷이 연결되어 있는지 확인 해 주세요.\n\n"
        "인터넷이 연결되어 있다면 방화벽이나 각종 스파이웨어 차단 프로그램이 가동중인지 확인해 "
        "주세요.\n관련 프로그램이 데이터베이스 접속을 방해하는 경우 일 수도 있습니다.");
  }
  return text;
}

// The bytes of a value up to its first NUL, without trailing blanks. A blank (0x20) is never the
// second byte of a double-byte character, so trimming bytes is safe.
std::size_t SignificantLength(const char* data, unsigned long length) {
  const void* nul = std::memchr(data, 0, length);
  std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : length;
  while (n > 0 && data[n - 1] == ' ') --n;
  return n;
}

}  // namespace

cMySQL::cMySQL() {
  m_mysql = mysql_init(nullptr);
  if (!m_mysql)
    throw MySqlError(512, QStringLiteral("cMysql::Initialize"),
                     QStringLiteral("Cannot Initialize a mysql record::Fatal"));
}

cMySQL::~cMySQL() {
  if (m_mysql) mysql_close(m_mysql);
}

bool cMySQL::real_connect(const QString& host_, const QString& user_, const QString& password_,
                          const QString& database, int port_, const QString& socket,
                          unsigned long clientFlags, bool quiet, const QString& charset) {
  if (!host_.isEmpty()) m_hostList = host_;
  if (!user_.isEmpty()) user = user_;
  if (!password_.isEmpty()) password = password_;
  if (!database.isEmpty()) db = database;
  if (!socket.isEmpty()) unix_socket = socket;
  // 3306 is the library default: storing nothing lets a reconnect fall back to it.
  if (port_ != 3306) port = port_;
  m_defaultPort = port_;
  ClientFlags = Compress ? clientFlags | kCompress : clientFlags & ~kCompress;
  if (!charset.isEmpty()) m_charset = charset;
  m_quiet = quiet;
  m_inTransaction = false;

  m_endpoints = ParseHostList(m_hostList, port_);
  const std::vector<Endpoint>& endpoints = m_endpoints;
  const std::size_t n = std::max<std::size_t>(endpoints.size(), 1);
  long number = 0;
  QString description;
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t i = (m_nextEndpoint + k) % n;
    const Endpoint e = endpoints.empty() ? Endpoint{QString(), port_} : endpoints[i];
    if (!ConnectTo(e, number, description)) continue;
    m_nextEndpoint = i;
    host = e.host;
    const QString now =
        endpoints.size() > 1 ? e.host + QLatin1Char(':') + QString::number(e.port) : m_hostList;
    const bool moved = !m_currentHost.isEmpty() && now != m_currentHost;
    m_currentHost = now;
    if (moved && HostChanged) HostChanged(now);
    return true;
  }
  if (!m_quiet) {
    MsgBox(QStringLiteral("Error ") + QString::number(number) + QLatin1Char(' ') + description,
           MsgButtons::Ok, MsgIcon::Critical);
  }
  m_affectedRows = -1;
  return false;
}

std::vector<cMySQL::Endpoint> cMySQL::ParseHostList(const QString& hosts, int defaultPort) {
  std::vector<Endpoint> out;
  for (QString item : hosts.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    item = item.trimmed();
    if (item.isEmpty()) continue;
    Endpoint e{item, defaultPort};
    // [v6]:port, host:port; a bare IPv6 address (several colons) has no port.
    if (item.startsWith(QLatin1Char('['))) {
      const qsizetype close = item.indexOf(QLatin1Char(']'));
      e.host = item.mid(1, close - 1);
      if (close >= 0 && item.mid(close + 1, 1) == QLatin1String(":"))
        e.port = item.mid(close + 2).toInt();
    } else if (item.count(QLatin1Char(':')) == 1) {
      bool ok = false;
      const int p = item.section(QLatin1Char(':'), 1).toInt(&ok);
      e.host = item.section(QLatin1Char(':'), 0, 0);
      if (ok && p > 0 && p < 65536) e.port = p;
    }
    out.push_back(e);
  }
  return out;
}

QString cMySQL::CurrentHost() const { return m_currentHost; }

bool cMySQL::ConnectTo(const Endpoint& endpoint, long& number, QString& description) {
  if (m_mysql) mysql_close(m_mysql);
  m_mysql = mysql_init(nullptr);
  m_connected = false;
  mysql_options(m_mysql, MYSQL_OPT_CONNECT_TIMEOUT, &ConnectTimeoutSeconds);
  mysql_options(m_mysql, MYSQL_OPT_READ_TIMEOUT, &ReadTimeoutSeconds);
  mysql_options(m_mysql, MYSQL_OPT_WRITE_TIMEOUT, &WriteTimeoutSeconds);
  // Run on every connect, reconnects included, after the server's own init_connect.
  mysql_options(m_mysql, MYSQL_INIT_COMMAND, kSessionRules);
  mysql_options(m_mysql, MYSQL_INIT_COMMAND, kSessionIsolation);
  // Every text crosses the connection in code page 949, so the connection says so from the
  // handshake on; sessions with their own character set may still change it below.
  mysql_options(m_mysql, MYSQL_SET_CHARSET_NAME, "euckr");
  const QByteArray ca = QFile::encodeName(TlsCaFile);
  if (RequireTls) {
    const my_bool on = 1;
    mysql_optionsv(m_mysql, MYSQL_OPT_SSL_ENFORCE, &on);
    mysql_optionsv(m_mysql, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &on);
    if (!ca.isEmpty()) mysql_optionsv(m_mysql, MYSQL_OPT_SSL_CA, ca.constData());
  }

  const QByteArray h = Bytes(endpoint.host), u = Bytes(user), p = Bytes(password), d = Bytes(db),
                   s = Bytes(unix_socket);
  if (!mysql_real_connect(m_mysql, OrNull(h), OrNull(u), p.constData(), OrNull(d),
                          static_cast<unsigned int>(endpoint.port), OrNull(s), ClientFlags)) {
    number = static_cast<long>(mysql_errno(m_mysql));
    description = FromLibrary(mysql_error(m_mysql)) + QStringLiteral("\n\n") +
                  FriendlyConnectText(number, RequireTls);
    return false;
  }
  m_connected = true;
  m_lastActivityMs = clock_::TickMs();
  m_identity = ConnectionIdentity{static_cast<long>(mysql_thread_id(m_mysql)), QString(), 0, false,
                                  endpoint};
  // Who the server is and since when, in one round trip. A cluster node names itself by its
  // incoming address, the name its peers list it under, and takes work only while it is part
  // of the primary component. A server without the cluster variables answers the short form.
  const QString identity = QStringLiteral(
      "SELECT CONCAT(@@hostname, ':', @@port), UNIX_TIMESTAMP() - VARIABLE_VALUE%1"
      " FROM information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME = 'UPTIME'");
  std::optional<QStringList> row = QuietRow(identity.arg(
      QStringLiteral(", @@wsrep_on, @@wsrep_node_incoming_address, (SELECT VARIABLE_VALUE FROM "
                     "information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME = 'WSREP_READY')")));
  if (!row) row = QuietRow(identity.arg(QString()));
  if (row && row->size() >= 2) {
    m_identity.server = row->at(0);
    m_identity.started = row->at(1).toLongLong();
  }
  if (row && row->size() == 5 && row->at(2) == QLatin1String("1")) {
    m_identity.galera = true;
    if (row->at(3) != QLatin1String("AUTO")) m_identity.server = row->at(3);
    if (row->at(4) != QLatin1String("ON")) {
      number = kNodeNotReady;
      description =
          QStringLiteral("%1:%2: 클러스터 노드가 아직 작업을 받을 준비가 되지 않았습니다.")
              .arg(endpoint.host)
              .arg(endpoint.port);
      mysql_close(m_mysql);
      m_mysql = mysql_init(nullptr);
      m_connected = false;
      m_identity = {};
      return false;
    }
  }
  if (Bookkeeping) ConnectionBookkeeping();
  ApplyCharset();
  return true;
}

std::optional<QStringList> cMySQL::QuietRow(const QString& sql) {
  const QByteArray bytes = Bytes(sql);
  if (!m_connected ||
      mysql_real_query(m_mysql, bytes.constData(), static_cast<unsigned long>(bytes.size())) != 0)
    return std::nullopt;
  MYSQL_RES* result = mysql_store_result(m_mysql);
  if (!result) return std::nullopt;
  QStringList values;
  if (MYSQL_ROW row = mysql_fetch_row(result)) {
    const unsigned long* len = mysql_fetch_lengths(result);
    for (unsigned int i = 0; i < mysql_num_fields(result); ++i)
      values << (row[i] ? cp949::Decode(row[i], len[i]) : QString());
  }
  mysql_free_result(result);
  return values;
}

QString cMySQL::QuietValue(const QString& sql) {
  const auto row = QuietRow(sql);
  return row && !row->isEmpty() ? row->first() : QString();
}

void cMySQL::ConnectionBookkeeping() {
  // LPID keeps the newest connection id of this account on this machine, LPID2 the one before.
  const QString file = paths::DataFolder() + QStringLiteral("/config.ini");
  const QString previous = profile::GetString(QStringLiteral("LPID"), user, QString(), 100, file);
  profile::WriteString(QStringLiteral("LPID2"), user, previous, file);
  profile::WriteString(QStringLiteral("LPID"), user, QString::number(mysql_thread_id(m_mysql)),
                       file);
}

void cMySQL::ApplyCharset() {
  if (m_charset.isEmpty()) return;
  int rows = 0;
  RecordsetPtr rs = OpenRs(QStringLiteral("SHOW VARIABLES LIKE 'version'"), rows);
  const QString version = rs && rows > 0 ? rs->Fields(1) : QString();
  CloseRs(rs);
  // Servers before 5 know no "set names"; every later one (5.x, 10.x, 11.x) does.
  const int major = version.section(QLatin1Char('.'), 0, 0).toInt();
  if (major < 5) return;
  rs = OpenRs(QStringLiteral("SHOW VARIABLES like 'character_set_client'"), rows);
  const bool differs = rs && rows > 0 && rs->Fields(1) != m_charset;
  CloseRs(rs);
  if (differs) ExecSql(QStringLiteral("set names ") + m_charset);
}

bool cMySQL::Encode(const QString& text, QByteArray& out, bool quiet) {
  char32_t bad = 0;
  if (cp949::Encode(text, out, &bad)) return true;
  m_affectedRows = -1;
  if (!quiet) {
    const QString ch = QString::fromUcs4(&bad, 1);
    const QString code =
        QString::number(static_cast<uint>(bad), 16).toUpper().rightJustified(4, u'0');
    MsgBox(QStringLiteral("데이터베이스에 저장할 수 없는 문자가 들어 있습니다: 「%1」 (U+%2)\n\n"
                          "이 문자를 지우거나 다른 문자로 바꾼 뒤 다시 시도하세요. "
                          "요청한 작업은 실행되지 않았습니다.")
               .arg(ch, code),
           MsgButtons::Ok, MsgIcon::Exclamation);
  }
  return false;
}

bool cMySQL::IsRead(const QString& sql) const {
  qsizetype i = 0;
  const qsizetype n = sql.size();
  for (;;) {
    while (i < n && (sql[i].isSpace() || sql[i] == QLatin1Char('('))) ++i;
    if (sql.mid(i, 2) == QLatin1String("/*")) {
      const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
      i = end < 0 ? n : end + 2;
    } else if (sql.mid(i, 2) == QLatin1String("--") || sql.mid(i, 1) == QLatin1String("#")) {
      const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
      i = end < 0 ? n : end + 1;
    } else {
      break;
    }
  }
  qsizetype j = i;
  while (j < n && sql[j].isLetter()) ++j;
  const QString word = sql.mid(i, j - i).toUpper();
  return word == QLatin1String("SELECT") || word == QLatin1String("SHOW") ||
         word == QLatin1String("DESCRIBE") || word == QLatin1String("DESC") ||
         word == QLatin1String("EXPLAIN");
}

void cMySQL::LoseConnection() {
  // Whatever the old connection was doing may still happen until it is proven gone.
  if (m_connected && m_identity.id > 0) m_unresolved.push_back(m_identity);
  if (m_mysql) mysql_close(m_mysql);
  m_mysql = mysql_init(nullptr);
  m_connected = false;
  m_identity = {};
}

bool cMySQL::Reconnect(bool quiet) {
  LoseConnection();
  const bool wasQuiet = m_quiet;
  m_quiet = m_quiet || quiet;
  // The host that broke is tried last.
  m_nextEndpoint = (m_nextEndpoint + 1) % std::max<std::size_t>(m_endpoints.size(), 1);
  const bool ok = real_connect(m_hostList, user, password, db, m_defaultPort, unix_socket, 0,
                               m_quiet, m_charset);
  m_quiet = wasQuiet;
  if (ok) ResolveOldConnections(false);
  return ok;
}

bool cMySQL::ResolveOldConnections(bool otherNodes) {
  if (m_unresolved.empty()) return true;
  if (!m_connected && !Reconnect(true)) return false;
  std::erase_if(m_unresolved, [this, otherNodes](const ConnectionIdentity& old) {
    return EndOldConnection(old, otherNodes) != OldConnectionEnd::GaveUp;
  });
  return m_unresolved.empty();
}

cMySQL::OldConnectionEnd cMySQL::EndOldConnection(const ConnectionIdentity& old, bool otherNodes) {
  // Another node of a cluster: its ids mean nothing here.
  if (old.galera && old.server != m_identity.server)
    return otherNodes ? EndOnOtherNode(old) : OldConnectionEnd::GaveUp;
  const QString probe =
      QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = %1")
          .arg(old.id);
  const QString listed = QuietValue(probe);
  if (listed == QLatin1String("0")) return OldConnectionEnd::NotFound;
  if (listed != QLatin1String("1")) return OldConnectionEnd::GaveUp;
  // A process with that id is ours only within the same server lifetime: after a restart the
  // ids start again (the old connection ended with the restart), and another server's ids say
  // nothing about it. Start times are read to the second, so they may differ by one.
  const ConnectionIdentity& now = m_identity;
  if (old.started == 0 || now.started == 0 || old.server.isEmpty() || old.server != now.server)
    return OldConnectionEnd::GaveUp;
  if (std::llabs(old.started - now.started) > 1 || now.id <= old.id)
    return OldConnectionEnd::NotFound;
  try {
    Kill(old.id);
  } catch (const MySqlError& e) {
    if (e.number == kUnknownThread) return OldConnectionEnd::NotFound;
  }
  // A KILL only asks; the connection is over when the server no longer lists it, and only then
  // has whatever it was doing finished one way or the other.
  const std::int64_t until = clock_::TickMs() + OldConnectionWaitMs;
  for (;;) {
    const QString still = QuietValue(probe);
    if (still == QLatin1String("0")) return OldConnectionEnd::Gone;
    if (still != QLatin1String("1") || clock_::TickMs() >= until) return OldConnectionEnd::GaveUp;
    QThread::msleep(20);
  }
}

cMySQL::OldConnectionEnd cMySQL::EndOnOtherNode(const ConnectionIdentity& old) {
  if (!m_identity.galera) return OldConnectionEnd::GaveUp;
  // A node outside the primary component commits nothing more: what it had sent to the cluster
  // before it left is applied everywhere, and the causal read sees it.
  const auto members =
      QuietRow(QStringLiteral("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS"
                              " WHERE VARIABLE_NAME = 'WSREP_INCOMING_ADDRESSES'"));
  if (!members || members->isEmpty()) return OldConnectionEnd::GaveUp;
  if (!members->first().split(QLatin1Char(',')).contains(old.server))
    return OldConnectionEnd::NotFound;
  // Still a member: the old connection is ended on its own node.
  cMySQL there;
  there.Bookkeeping = false;
  there.Compress = Compress;
  there.RequireTls = RequireTls;
  there.TlsCaFile = TlsCaFile;
  there.ConnectTimeoutSeconds = std::min(ConnectTimeoutSeconds, 3u);
  there.ReadTimeoutSeconds = std::min(ReadTimeoutSeconds, 3u);
  there.WriteTimeoutSeconds = std::min(WriteTimeoutSeconds, 3u);
  there.OldConnectionWaitMs = OldConnectionWaitMs;
  const QString endpoint =
      old.endpoint.host + QLatin1Char(':') + QString::number(old.endpoint.port);
  if (!there.real_connect(endpoint, user, password, db, old.endpoint.port, QString(), 0, true,
                          QString()) ||
      there.m_identity.server != old.server)
    return OldConnectionEnd::GaveUp;
  return there.EndOldConnection(old);
}

bool cMySQL::EnsureAliveForChange() {
  if (m_inTransaction || !m_connected) return false;
  if (clock_::TickMs() - m_lastActivityMs < IdleCheckMs) return false;
  // The server may have closed the connection while it was idle (wait_timeout, a KILL, a
  // restart); the change would then fail although the server never saw it.
  const bool dropped = mysql_ping(m_mysql) != 0;
  // Quietly: when the server is really gone, the change itself fails next and says so once.
  if (dropped) Reconnect(true);
  m_lastActivityMs = clock_::TickMs();
  return dropped;
}

bool cMySQL::BeginTrans() {
  Run(QStringLiteral("START TRANSACTION"), false, true, "query");
  m_inTransaction = m_affectedRows >= 0;
  return m_inTransaction;
}

cMySQL::CommitResult cMySQL::CommitTrans() {
  if (!m_inTransaction) return CommitResult::Failed;
  Run(QStringLiteral("COMMIT"), false, true, "query");
  if (m_affectedRows >= 0) {
    m_inTransaction = false;
    return CommitResult::Committed;
  }
  if (m_lastLost) return CommitResult::Unknown;
  // A refused COMMIT may leave the transaction open: end it before anyone reads a box.
  RollbackTrans();
  return CommitResult::Failed;
}

void cMySQL::RollbackTrans() {
  if (m_inTransaction) Run(QStringLiteral("ROLLBACK"), true, true, "query");
  m_inTransaction = false;
  ShowDeferredError();
}

RecordsetPtr cMySQL::query(const QString& sql, bool quiet) {
  return Run(sql, quiet, true, "query");
}

RecordsetPtr cMySQL::real_query(const QString& sql) { return Run(sql, false, false, "real_query"); }

RecordsetPtr cMySQL::Run(const QString& sql, bool quiet, bool retries, const char* procedure) {
  QByteArray bytes;
  if (!Encode(sql, bytes, quiet)) return nullptr;

  // When the idle check has just had to reconnect, that was this statement's one try: a server
  // that is gone costs one connect wait, not two.
  bool reconnected = retries && !IsRead(sql) && EnsureAliveForChange();
  int deadlockRetries = 0;
  for (;;) {
    m_busy = !retries;
    const int rc =
        mysql_real_query(m_mysql, bytes.constData(), static_cast<unsigned long>(bytes.size()));
    m_busy = false;
    m_lastActivityMs = clock_::TickMs();
    if (rc == 0) {
      m_lastLost = false;
      m_lastConflict = false;
      // Rows are decoded as they arrive, while the server is still sending the next ones.
      if (MYSQL_RES* result = mysql_use_result(m_mysql)) {
        RecordsetPtr rs = BuildRecordset(result);
        const bool complete = mysql_errno(m_mysql) == 0;
        mysql_free_result(result);
        if (complete) {
          m_affectedRows = m_lastRows;
          return rs;
        }
        rs.reset();  // the line broke in the middle of the rows: an error like any other
      }
      if (mysql_field_count(m_mysql) == 0) {
        m_affectedRows = static_cast<int>(static_cast<std::uint32_t>(mysql_affected_rows(m_mysql)));
        m_lastRows = 0;
        m_lastFields = 0;
        return nullptr;
      }
      // A result was announced but could not be read: an error like any other below.
    }

    const long number = static_cast<long>(mysql_errno(m_mysql));
    QString description = FromLibrary(mysql_error(m_mysql));
    m_affectedRows = -1;
    if (!retries)
      throw MySqlError(number, QStringLiteral("cMysql::") + QLatin1String(procedure), description);

    // A cluster node that left the primary component refuses every statement: it is as good
    // as gone, and the session moves on to the next node.
    const bool lost = number == kServerLost || number == kServerGone || number == kNodeRefuses;
    m_lastLost = lost;
    m_lastConflict = number == kDeadlock;
    if (m_lastConflict) ++m_conflicts;
    if (lost && m_inTransaction) {
      // The server rolls the open transaction back with its connection, unless the COMMIT is
      // still on its way: the old connection stays unresolved until proven gone. The caller
      // tells the outcome, so no box here, not even for a failed reconnect.
      m_inTransaction = false;
      Reconnect(true);
      ShowDeferredError();  // an earlier statement's error, if any
      m_lastLost = true;    // the reconnect ran statements of its own
      return Failed();
    }
    if (lost && !reconnected) {
      // 2013 means the statement was on its way or running when the line broke: a change may
      // already be done, so it is not sent a second time (a charge must never count twice).
      // Opening a transaction has no effect worth keeping either.
      const bool resend = number == kServerGone || number == kNodeRefuses || IsRead(sql) ||
                          sql.startsWith(QLatin1String("START TRANSACTION"));
      if (!Reconnect(quiet)) return Failed();
      reconnected = true;
      if (resend) continue;
      description += QStringLiteral(
          "\n\n연결이 끊겨 이 작업이 실행되었는지 확인할 수 없습니다. "
          "다시 실행하기 전에 저장된 내용을 먼저 확인하세요.");
    } else if (number == kDeadlock && !m_inTransaction && user == QLatin1String("tavelin4417") &&
               deadlockRetries < 5) {
      QThread::msleep(500);
      if (!Reconnect(quiet)) return Failed();
      ++deadlockRetries;
      continue;
    }

    if (m_lastConflict && m_inTransaction) {
      // The conflict rolled the whole transaction back and released its locks; the caller
      // tries it again or says so.
      m_inTransaction = false;
      ShowDeferredError();
    } else if (!quiet) {
      const QString box = StatementErrorText(number, description, sql);
      if (!m_inTransaction)
        MsgBox(box, MsgButtons::Ok, MsgIcon::Critical);
      else if (!m_deferredError)
        m_deferredError = box;
    }
    m_lastLost = lost;
    return Failed();
  }
}

QString cMySQL::StatementErrorText(long number, const QString& description, const QString& sql) {
  return ErrorBoxText(number, description, QStringLiteral("query"), QStringLiteral("cMySQL")) +
         QStringLiteral("\n\n") + sql;
}

void cMySQL::ShowDeferredError() {
  if (!m_deferredError) return;
  const QString box = *m_deferredError;
  m_deferredError.reset();
  MsgBox(box, MsgButtons::Ok, MsgIcon::Critical);
}

RecordsetPtr cMySQL::Failed() {
  // A reconnect runs statements of its own; the caller must still see this one as failed.
  m_affectedRows = -1;
  return nullptr;
}

RecordsetPtr cMySQL::BuildRecordset(st_mysql_res* result) {
  auto rs = std::make_unique<Recordset>();
  const unsigned int columns = mysql_num_fields(result);
  MYSQL_FIELD* fields = mysql_fetch_fields(result);

  // Two columns of one name become table.name, so that both stay reachable by name.
  struct Column {
    QString name;
    QString table;
    bool renamed = false;
    int length = 0;
  };
  std::vector<Column> cols(columns);
  for (unsigned int i = 0; i < columns; ++i) {
    cols[i].name = cp949::Decode(fields[i].name, fields[i].name_length);
    cols[i].table = cp949::Decode(fields[i].table, fields[i].table_length);
    cols[i].length = static_cast<int>(fields[i].length);
    int same = 0;
    for (unsigned int j = 0; j < i; ++j) {
      if (cols[j].name != cols[i].name) continue;
      ++same;
      if (!cols[j].renamed) {
        cols[j].name = cols[j].table + QLatin1Char('.') + cols[j].name;
        cols[j].renamed = true;
      }
    }
    if (same > 0) {
      cols[i].name = cols[i].table + QLatin1Char('.') + cols[i].name;
      cols[i].renamed = true;
    }
  }
  for (const Column& c : cols) rs->AppendField(c.name, c.length);
  rs->Open();

  // A streamed result does not know its size: the buffers grow as rows come and give back what
  // they took too much at the end.
  std::vector<char>& bytes = rs->ByteBuffer();
  std::size_t rows = 0;
  while (MYSQL_ROW row = mysql_fetch_row(result)) {
    const unsigned long* len = mysql_fetch_lengths(result);
    for (unsigned int i = 0; i < columns; ++i) {
      if (row[i]) bytes.insert(bytes.end(), row[i], row[i] + SignificantLength(row[i], len[i]));
      rs->EndCell();
    }
    rs->EndRow();
    ++rows;
  }
  rs->ShrinkToFit();
  m_lastRows = static_cast<int>(static_cast<std::uint32_t>(rows));
  m_lastFields = static_cast<int>(columns);
  m_lastEof = true;
  rs->MoveFirst();
  return rs;
}

RecordsetPtr cMySQL::OpenRs(const QString& sql, int& rowCount) {
  RecordsetPtr rs = query(sql, false);
  rowCount = affected_rows();
  return rs;
}

int cMySQL::ExecSql(const QString& sql) {
  RecordsetPtr rs = query(sql, false);
  const int n = affected_rows();
  CloseRs(rs);
  return n;
}

void cMySQL::CloseRs(RecordsetPtr& rs) {
  if (rs && rs->State() == Recordset::adStateOpen) rs->Close();
  rs.reset();
}

void cMySQL::Raise(const char* operation) const {
  throw MySqlError(static_cast<long>(mysql_errno(m_mysql)),
                   QStringLiteral("cMysql::") + QLatin1String(operation),
                   FromLibrary(mysql_error(m_mysql)));
}

void cMySQL::create_db(const QString& name) {
  const QByteArray sql = Bytes(QStringLiteral("CREATE DATABASE `") + name + QLatin1Char('`'));
  if (mysql_real_query(m_mysql, sql.constData(), static_cast<unsigned long>(sql.size())) != 0)
    Raise("create_db");
}

void cMySQL::debug_push(const QString& debug) {
  const QByteArray d = Bytes(debug);
  mysql_debug(d.constData());
}

void cMySQL::dump_debug_info() {
  if (mysql_dump_debug_info(m_mysql) != 0) Raise("dump_debug_info");
}

long cMySQL::err_no() const { return static_cast<long>(mysql_errno(m_mysql)); }
QString cMySQL::err_description() const { return FromLibrary(mysql_error(m_mysql)); }

QString cMySQL::escape_string(const QString& text) const {
  const QByteArray in = Bytes(text);
  QByteArray out(in.size() * 2 + 1, '\0');
  const unsigned long n = mysql_real_escape_string(m_mysql, out.data(), in.constData(),
                                                   static_cast<unsigned long>(in.size()));
  return cp949::Decode(out.constData(), n);
}

// Results are released as soon as their rows are in the recordset, so there is nothing left to
// free here; the switch is kept for callers that set it.
void cMySQL::free_result() {}

QString cMySQL::get_client_info() const { return FromLibrary(mysql_get_client_info()); }
QString cMySQL::get_host_info() const { return FromLibrary(mysql_get_host_info(m_mysql)); }
int cMySQL::get_proto_info() const { return static_cast<int>(mysql_get_proto_info(m_mysql)); }
QString cMySQL::get_server_info() const { return FromLibrary(mysql_get_server_info(m_mysql)); }
QString cMySQL::info() const { return FromLibrary(mysql_info(m_mysql)); }

int cMySQL::insert_id() const {
  return static_cast<int>(static_cast<std::uint32_t>(mysql_insert_id(m_mysql)));
}

void cMySQL::Kill(long connectionId) {
  const QByteArray sql = "KILL " + QByteArray::number(static_cast<qlonglong>(connectionId));
  if (mysql_real_query(m_mysql, sql.constData(), static_cast<unsigned long>(sql.size())) != 0)
    Raise("Kill");
}

RecordsetPtr cMySQL::ListResult(st_mysql_res* result, const char* operation) {
  if (!result) Raise(operation);
  RecordsetPtr rs = BuildRecordset(result);
  mysql_free_result(result);
  return rs;
}

RecordsetPtr cMySQL::list_dbs(const QString& wildcard) {
  const QByteArray w = Bytes(wildcard);
  return ListResult(mysql_list_dbs(m_mysql, OrNull(w)), "list_dbs");
}

RecordsetPtr cMySQL::list_fields(const QString& table, const QString& wildcard) {
  const QByteArray t = Bytes(table), w = Bytes(wildcard);
  return ListResult(mysql_list_fields(m_mysql, t.constData(), OrNull(w)), "list_fields");
}

RecordsetPtr cMySQL::list_processes() {
  return ListResult(mysql_list_processes(m_mysql), "list_processes");
}

RecordsetPtr cMySQL::list_tables(const QString& wildcard) {
  const QByteArray w = Bytes(wildcard);
  return ListResult(mysql_list_tables(m_mysql, OrNull(w)), "list_tables");
}

void cMySQL::ping() {
  if (m_busy) return;
  if (mysql_ping(m_mysql) != 0) Raise("ping");
}

void cMySQL::Refresh(unsigned int options) {
  if (mysql_refresh(m_mysql, options) != 0) Raise("refresh");
}

void cMySQL::select_db(const QString& database) {
  const QByteArray d = Bytes(database);
  if (mysql_select_db(m_mysql, d.constData()) != 0) Raise("select_db");
  db = database;
}

void cMySQL::shutdown() {
  if (mysql_shutdown(m_mysql, SHUTDOWN_DEFAULT) != 0) Raise("shutdown");
}

QString cMySQL::stat() {
  const char* s = mysql_stat(m_mysql);
  if (!s || mysql_errno(m_mysql) != 0) Raise("stat");
  return FromLibrary(s);
}

long cMySQL::thread_id() const { return static_cast<long>(mysql_thread_id(m_mysql)); }
int cMySQL::thread_safe() const { return static_cast<int>(mysql_thread_safe()); }
