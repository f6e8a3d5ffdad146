// The limits of every start-up request: a server that drips holds it no longer than its deadline,
// one that never stops sending costs no more than the size cap, in time and in memory.
#include "platform/HttpGet.h"
#include "support/HttpTestServer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>

namespace {

// Resident memory of this process in kB.
qint64 ResidentKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong();
  return 0;
}

struct LimitCase {
  const char* name;
  HttpTestServer::Reply reply;
  http::Limits limits;
  bool answered;
  const char* error;  // the start of the reason when not answered
  int maxMs;          // the call ends within this
};

TEST(HttpLimits, EveryRequestEndsWithinItsDeadlineAndCap) {
  HttpTestServer server;
  const QByteArray hundred(100, 'a');
  HttpTestServer::Reply drip{200, hundred};
  drip.dripMs = 500;  // a byte every half second: never idle long enough for the idle timeout
  HttpTestServer::Reply endless{200, {}};
  endless.endless = true;
  HttpTestServer::Reply hang{200, {}, true};
  const LimitCase cases[] = {
      {"drip_hits_the_deadline", drip, {2000, 4000, 1000}, false, "no complete answer", 3000},
      {"endless_hits_the_cap", endless, {4000, 4000, 1024 * 1024}, false, "answer longer", 3000},
      {"declared_length_over_cap_refused_at_once",
       {200, "short", false, 100 * 1024 * 1024},
       {4000, 4000, 1024},
       false,
       "answer of 104857600 bytes",
       1000},
      {"silent_hits_the_idle_timeout", hang, {4000, 1000, 1024}, false, "", 2500},
      {"exactly_the_cap_is_taken", {200, hundred}, {4000, 4000, 100}, true, "", 1000},
      {"one_byte_more_is_not", {200, hundred + 'b'}, {4000, 4000, 100}, false, "answer", 1000},
  };
  for (const LimitCase& c : cases) {
    SCOPED_TRACE(c.name);
    server.Set(QStringLiteral("/x"), c.reply);
    QElapsedTimer t;
    t.start();
    const http::Response r = http::Get(server.Url(QStringLiteral("/x")), c.limits);
    EXPECT_LT(t.elapsed(), c.maxMs);
    EXPECT_EQ(r.answered, c.answered) << r.error.toStdString();
    if (!c.answered) {
      EXPECT_TRUE(r.error.startsWith(QLatin1String(c.error))) << r.error.toStdString();
    }
    EXPECT_EQ(r.body.size(), c.answered ? c.limits.maxBytes : 0);
  }
}

TEST(HttpLimits, EndlessAnswerKeepsMemoryBounded) {
  HttpTestServer server;
  HttpTestServer::Reply endless{200, {}};
  endless.endless = true;
  server.Set(QStringLiteral("/x"), endless);
  const qint64 before = ResidentKb();
  qint64 streamed = 0;
  QString error;
  EXPECT_FALSE(http::GetStreamed(
      server.Url(QStringLiteral("/x")), http::Limits{3000, 3000, 8 * 1024 * 1024},
      [&](const QByteArray& chunk) {
        streamed += chunk.size();
        return true;
      },
      &error));
  EXPECT_TRUE(error.startsWith(QStringLiteral("answer longer than"))) << error.toStdString();
  EXPECT_LE(streamed, 8 * 1024 * 1024);
  const http::Response r =
      http::Get(server.Url(QStringLiteral("/x")), http::Limits{3000, 3000, 1024 * 1024});
  EXPECT_FALSE(r.answered);
  // Without the caps this reads for the whole deadline, hundreds of megabytes on loopback.
  EXPECT_LT(ResidentKb() - before, 64 * 1024);
}

TEST(HttpLimits, StreamedDownloadNeedsStatus200) {
  HttpTestServer server;
  // An error page is never handed on as the download, however long it is.
  const struct {
    const char* name;
    HttpTestServer::Reply reply;
    const char* error;
  } refused[] = {
      {"not_found", {404, "not here"}, "status 404"},
      {"server_error_longer_than_the_cap", {500, QByteArray(300 * 1024, 'e')}, "status 500"},
  };
  QString error;
  for (const auto& c : refused) {
    SCOPED_TRACE(c.name);
    server.Set(QStringLiteral("/gone"), c.reply);
    qint64 handedOn = 0;
    error.clear();
    EXPECT_FALSE(http::GetStreamed(
        server.Url(QStringLiteral("/gone")), http::Limits{2000, 2000, 200 * 1024},
        [&](const QByteArray& chunk) {
          handedOn += chunk.size();
          return true;
        },
        &error));
    EXPECT_EQ(error, QLatin1String(c.error));
    EXPECT_EQ(handedOn, 0);
  }
  // A redirect is followed to the download.
  HttpTestServer::Reply moved{302, "see elsewhere"};
  moved.location = server.Url(QStringLiteral("/file")).toLatin1();
  server.Set(QStringLiteral("/moved"), moved);
  server.Set(QStringLiteral("/file"), QByteArray("the file"));
  QByteArray got;
  EXPECT_TRUE(http::GetStreamed(
      server.Url(QStringLiteral("/moved")), http::Limits{2000, 2000, 100},
      [&](const QByteArray& chunk) {
        got += chunk;
        return true;
      },
      &error))
      << error.toStdString();
  EXPECT_EQ(got, QByteArray("the file"));
  // A sink that cannot keep the data ends the transfer.
  server.Set(QStringLiteral("/ok"), QByteArray(50, 'x'));
  EXPECT_FALSE(http::GetStreamed(
      server.Url(QStringLiteral("/ok")), http::Limits{2000, 2000, 100},
      [](const QByteArray&) { return false; }, &error));
  EXPECT_EQ(error, QStringLiteral("the answer could not be kept"));
}

}  // namespace
