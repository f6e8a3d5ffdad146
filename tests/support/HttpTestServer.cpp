#include "support/HttpTestServer.h"

#include <QFile>
#include <QMutexLocker>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <memory>

HttpTestServer::HttpTestServer() {
  start();
  m_port = m_ready.get_future().get();
}

HttpTestServer::HttpTestServer(const QString& certificateFile, const QString& keyFile)
    : m_certificate(certificateFile), m_key(keyFile) {
  start();
  m_port = m_ready.get_future().get();
}

HttpTestServer::~HttpTestServer() {
  quit();
  wait();
}

void HttpTestServer::Set(const QString& path, const Reply& reply) {
  QMutexLocker lock(&m_mutex);
  m_replies.insert(path, reply);
}

void HttpTestServer::Remove(const QString& path) {
  QMutexLocker lock(&m_mutex);
  m_replies.remove(path);
}

QStringList HttpTestServer::Targets() const {
  QMutexLocker lock(&m_mutex);
  return m_targets;
}

QStringList HttpTestServer::Paths() const {
  QStringList out;
  for (const QString& t : Targets())
    out << QUrl::fromPercentEncoding(t.section(u'?', 0, 0).toUtf8());
  return out;
}

void HttpTestServer::ClearLog() {
  QMutexLocker lock(&m_mutex);
  m_targets.clear();
}

HttpTestServer::Reply HttpTestServer::Find(const QByteArray& target) {
  QMutexLocker lock(&m_mutex);
  m_targets << QString::fromLatin1(target);
  const QString path = QUrl::fromPercentEncoding(target.split('?').value(0));
  const auto it = m_replies.constFind(path);
  return it == m_replies.cend() ? Reply{404, QByteArrayLiteral("not found")} : *it;
}

namespace {

QByteArray Head(const HttpTestServer::Reply& reply) {
  QByteArray head = QByteArrayLiteral("HTTP/1.1 ") + QByteArray::number(reply.status) +
                    QByteArrayLiteral(" X\r\nContent-Type: application/octet-stream\r\n");
  if (!reply.endless) {
    const qint64 length = reply.declaredLength >= 0 ? reply.declaredLength : reply.body.size();
    head += QByteArrayLiteral("Content-Length: ") + QByteArray::number(length) +
            QByteArrayLiteral("\r\n");
  }
  if (!reply.location.isEmpty())
    head += QByteArrayLiteral("Location: ") + reply.location + QByteArrayLiteral("\r\n");
  return head + QByteArrayLiteral("Connection: close\r\n\r\n");
}

// Keeps the socket's send buffer filled until the client goes away.
void SendForever(QTcpSocket* socket) {
  const QByteArray chunk(64 * 1024, 'x');
  const auto refill = [socket, chunk] {
    while (socket->state() == QAbstractSocket::ConnectedState &&
           socket->bytesToWrite() < 4 * chunk.size())
      socket->write(chunk);
  };
  QObject::connect(socket, &QTcpSocket::bytesWritten, socket, refill);
  refill();
}

void Drip(QTcpSocket* socket, const QByteArray& body, int everyMs) {
  auto* timer = new QTimer(socket);
  auto sent = std::make_shared<qsizetype>(0);
  QObject::connect(timer, &QTimer::timeout, socket, [socket, body, sent, timer] {
    if (*sent >= body.size()) {
      timer->stop();
      socket->disconnectFromHost();
      return;
    }
    socket->write(body.mid((*sent)++, 1));
  });
  timer->start(everyMs);
}

}  // namespace

void HttpTestServer::run() {
  std::unique_ptr<QTcpServer> server;
  if (m_certificate.isEmpty()) {
    server = std::make_unique<QTcpServer>();
  } else {
    auto tls = std::make_unique<QSslServer>();
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificateChain(QSslCertificate::fromPath(m_certificate));
    QFile key(m_key);
    if (key.open(QIODevice::ReadOnly)) {
      const QByteArray pem = key.readAll();
      QSslKey parsed(pem, QSsl::Ec);
      config.setPrivateKey(parsed.isNull() ? QSslKey(pem, QSsl::Rsa) : parsed);
    }
    tls->setSslConfiguration(config);
    server = std::move(tls);
  }
  if (!server->listen(QHostAddress::LocalHost, 0)) {
    m_ready.set_value(0);
    return;
  }
  QTcpServer* listener = server.get();
  QObject::connect(listener, &QTcpServer::pendingConnectionAvailable, listener, [this, listener] {
    while (QTcpSocket* socket = listener->nextPendingConnection()) {
      auto request = std::make_shared<QByteArray>();
      auto answered = std::make_shared<bool>(false);
      QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request, answered] {
        if (*answered) return;
        request->append(socket->readAll());
        if (!request->contains("\r\n\r\n")) return;
        *answered = true;
        const Reply reply = Find(request->left(request->indexOf("\r\n")).split(' ').value(1));
        if (reply.hang) return;
        socket->write(Head(reply));
        if (reply.endless) {
          SendForever(socket);
        } else if (reply.dripMs > 0) {
          Drip(socket, reply.body, reply.dripMs);
        } else {
          socket->write(reply.body);
          socket->disconnectFromHost();
        }
      });
    }
  });
  m_ready.set_value(listener->serverPort());
  exec();
}
