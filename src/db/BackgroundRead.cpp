#include "db/BackgroundRead.h"

#include "db/DbState.h"
#include "db/SqlLog.h"
#include "platform/Clock.h"
#include "platform/Cp949.h"
#include "platform/Prompt.h"

#include <QEventLoop>

#include <atomic>
#include <memory>
#include <thread>

namespace {

ReadWatcher* g_watcher = nullptr;
bool g_stopped = false;
bool g_running = false;

// Where and as whom the statement runs, taken before the worker owns the session.
struct Target {
  cMySQL::Endpoint endpoint;
  QString socket, user, password, caFile;
  bool requireTls = false;
  long connection = 0;
};

Target TargetOf(const cMySQL& session) {
  Target t;
  t.endpoint = session.Identity().endpoint;
  if (t.endpoint.host.isEmpty()) t.endpoint = {session.host, session.port};
  t.socket = session.unix_socket;
  t.user = session.user;
  t.password = session.password;
  t.requireTls = session.RequireTls;
  t.caFile = session.TlsCaFile;
  t.connection = session.thread_id();
  return t;
}

// KILL QUERY from a connection of the same account: the statement ends, its connection (and
// with it the session) stays. Quiet: the read's own end says what happened.
void KillQuery(const Target& t) {
  cMySQL killer;
  killer.Bookkeeping = false;
  killer.ConnectTimeoutSeconds = 2;
  killer.ReadTimeoutSeconds = 2;
  killer.WriteTimeoutSeconds = 2;
  killer.RequireTls = t.requireTls;
  killer.TlsCaFile = t.caFile;
  if (!killer.real_connect(t.endpoint.host, t.user, t.password, QString(), t.endpoint.port,
                           t.socket, 0, true, QString()))
    return;
  killer.query(QStringLiteral("KILL QUERY ") + QString::number(t.connection), true);
}

}  // namespace

ScopedReadWatcher::ScopedReadWatcher(ReadWatcher* watcher) : m_previous(g_watcher) {
  g_watcher = watcher;
}

ScopedReadWatcher::~ScopedReadWatcher() { g_watcher = m_previous; }

bool DBReadStopped() { return g_stopped; }

void ClearReadStopped() { g_stopped = false; }

int OpenWatched(cMySQL* session, RecordsetPtr& rs, const QString& sql, bool quiet) {
  g_stopped = false;
  // Text the code page cannot hold is refused before anything is sent, with the session's own
  // message: nothing to wait for.
  QByteArray bytes;
  if (!g_watcher || !session || !cp949::Encode(sql, bytes)) return OpenOn(session, rs, sql, quiet);
  if (g_running) {
    // The session is the worker's until its read is over.
    MsgInfo(QStringLiteral("진행 중인 조회가 끝난 뒤 다시 조회하세요."));
    return -1;
  }
  g_running = true;
  ReadWatcher* watcher = g_watcher;
  const Target target = TargetOf(*session);
  const std::int64_t start = clock_::TickMs();

  struct Shared {
    std::atomic<bool> done{false};
    RecordsetPtr rs;
    int rows = 0;
  };
  auto shared = std::make_shared<Shared>();
  QEventLoop loop;
  std::thread worker([session, sql, shared, &loop] {
    shared->rs = session->query(sql, true);
    shared->rows = session->affected_rows();
    shared->done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  std::thread killer;
  watcher->ReadRunning([&] {
    if (g_stopped || shared->done) return;
    g_stopped = true;
    killer = std::thread(KillQuery, target);
  });
  // Run even when the worker is already done: what it posted to this thread (a change of
  // host after a reconnect) is delivered before its quit.
  loop.exec();
  worker.join();
  if (killer.joinable()) killer.join();
  watcher->ReadOver();
  g_running = false;

  int rows = shared->rows;
  rs = std::move(shared->rs);
  SQLLogFull(sql, QString::number(rows), clock_::TickMs() - start);
  session->free_result();
  if (g_stopped) {
    rs.reset();
    return -1;
  }
  if (rows < 0 && !quiet)
    MsgBox(cMySQL::StatementErrorText(session->err_no(), session->err_description(), sql),
           MsgButtons::Ok, MsgIcon::Critical);
  return rows;
}
