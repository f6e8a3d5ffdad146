#pragma once
// A small HTTP/1.1 server on 127.0.0.1 with its own thread, so that it answers while the test's
// thread blocks (in a synchronous GET, or waiting for a started program). Paths are matched
// after percent-decoding, without the query part. Given a certificate and key (PEM files) it
// speaks https instead.

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThread>

#include <future>

class HttpTestServer final : public QThread {
 public:
  struct Reply {
    int status = 200;
    QByteArray body;
    bool hang = false;           // read the request, never answer
    qint64 declaredLength = -1;  // a Content-Length other than the body's: a cut-off transfer
    int dripMs = 0;              // the body one byte at a time, this long apart
    bool endless = false;        // no length, and data for as long as the client reads
    QByteArray location{};       // a Location header (for a redirect)
  };

  HttpTestServer();
  HttpTestServer(const QString& certificateFile, const QString& keyFile);
  ~HttpTestServer() override;

  quint16 Port() const { return m_port; }
  QString HostPort() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
  QString Url(const QString& path) const {
    return (m_certificate.isEmpty() ? QStringLiteral("http://") : QStringLiteral("https://")) +
           HostPort() + path;
  }

  void Set(const QString& path, const Reply& reply);
  void Set(const QString& path, const QByteArray& body) { Set(path, Reply{200, body}); }
  void Remove(const QString& path);
  // Request targets as received (path and query, still percent-encoded), in order.
  QStringList Targets() const;
  // Decoded paths of the requests, in order.
  QStringList Paths() const;
  void ClearLog();

 protected:
  void run() override;

 private:
  Reply Find(const QByteArray& target);

  mutable QMutex m_mutex;
  QHash<QString, Reply> m_replies;
  QStringList m_targets;
  QString m_certificate, m_key;
  quint16 m_port = 0;
  std::promise<quint16> m_ready;
};
