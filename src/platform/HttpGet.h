#pragma once
// Plain HTTP(S) GETs for start-up, which runs before any window: each call blocks until the
// answer is in or a timeout has passed, so a dead network never holds start-up for long.

#include <QByteArray>
#include <QString>

namespace http {

struct Response {
  bool answered = false;  // an HTTP status line arrived
  int status = 0;
  QByteArray body;
};

// One GET. Gives up when nothing arrives for idleMs; maxBytes >= 0 stops reading after that
// many bytes of the body (what was read is kept).
Response Get(const QString& url, int idleMs, qint64 maxBytes = -1,
             const QByteArray& userAgent = QByteArray());
// The body of a 200 answer written to path (created or truncated); false on any other status,
// on a broken or incomplete transfer, or when the file cannot be written.
bool GetToFile(const QString& url, const QString& path, int idleMs);

}  // namespace http
