#pragma once
// Plain HTTP(S) GETs for start-up, which runs before any window: each call blocks until the
// answer is in, the server has been silent too long, the whole request has taken too long, or
// the body has grown past its cap. A server that drips or never stops cannot hold start-up or
// fill the memory.

#include <QByteArray>
#include <QString>

#include <functional>

namespace http {

struct Limits {
  int deadlineMs = 4000;  // the whole request, from the first byte sent to the last received
  int idleMs = 4000;      // no data for this long
  // A longer body (or a longer Content-Length) is refused.
  qint64 maxBytes = 1024 * 1024;
};

struct Options {
  QByteArray userAgent;
  // PEM certificates that alone are trusted for https; empty: the system's certificates.
  QString caFile;
};

struct Response {
  bool answered = false;  // a complete answer with an HTTP status
  int status = 0;
  QByteArray body;
  // The answer came over https with a certificate that was checked (the whole way, redirects
  // included).
  bool verifiedTls = false;
  QString error;  // why there is no answer, for the log
};

Response Get(const QString& url, const Limits& limits, const Options& options = Options());

// The body of a 200 answer handed to sink chunk by chunk (sink false: stop, failure); false with
// the reason on any other status, a broken, cut-off, too long or too slow transfer.
bool GetStreamed(const QString& url, const Limits& limits,
                 const std::function<bool(const QByteArray& chunk)>& sink, QString* error);

}  // namespace http
