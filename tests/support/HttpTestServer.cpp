#include "support/HttpTestServer.h"

#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <memory>

HttpTestServer::HttpTestServer() {
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

QByteArray HttpTestServer::Answer(const QByteArray& target, bool* hang) {
  QMutexLocker lock(&m_mutex);
  m_targets << QString::fromLatin1(target);
  const QString path = QUrl::fromPercentEncoding(target.split('?').value(0));
  const auto it = m_replies.constFind(path);
  Reply reply = it == m_replies.cend() ? Reply{404, QByteArrayLiteral("not found")} : *it;
  *hang = reply.hang;
  const qint64 length = reply.declaredLength >= 0 ? reply.declaredLength : reply.body.size();
  return QByteArrayLiteral("HTTP/1.1 ") + QByteArray::number(reply.status) +
         QByteArrayLiteral(" X\r\nContent-Type: application/octet-stream\r\nContent-Length: ") +
         QByteArray::number(length) + QByteArrayLiteral("\r\nConnection: close\r\n\r\n") +
         reply.body;
}

void HttpTestServer::run() {
  QTcpServer server;
  if (!server.listen(QHostAddress::LocalHost, 0)) {
    m_ready.set_value(0);
    return;
  }
  QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
    while (QTcpSocket* socket = server.nextPendingConnection()) {
      auto request = std::make_shared<QByteArray>();
      auto answered = std::make_shared<bool>(false);
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request, answered] {
        if (*answered) return;
        request->append(socket->readAll());
        if (!request->contains("\r\n\r\n")) return;
        *answered = true;
        const QByteArray target = request->left(request->indexOf("\r\n")).split(' ').value(1);
        bool hang = false;
        const QByteArray answer = Answer(target, &hang);
        if (hang) return;
        socket->write(answer);
        socket->disconnectFromHost();
      });
    }
  });
  m_ready.set_value(server.serverPort());
  exec();
}
