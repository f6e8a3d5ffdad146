#include "platform/HttpGet.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace http {
namespace {

QNetworkRequest MakeRequest(const QString& url, int idleMs, const QByteArray& userAgent) {
  QNetworkRequest request{QUrl(url)};
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setTransferTimeout(idleMs);
  if (!userAgent.isEmpty()) request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
  return request;
}

int StatusOf(const QNetworkReply& reply) {
  return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

}  // namespace

Response Get(const QString& url, int idleMs, qint64 maxBytes, const QByteArray& userAgent) {
  Response out;
  const QUrl parsed(url);
  if (!parsed.isValid() || parsed.host().isEmpty()) return out;
  QNetworkAccessManager manager;
  std::unique_ptr<QNetworkReply> reply(manager.get(MakeRequest(url, idleMs, userAgent)));
  QEventLoop loop;
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  if (maxBytes >= 0) {
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
      out.body += reply->read(maxBytes - out.body.size());
      if (out.body.size() >= maxBytes) loop.quit();
    });
  }
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  out.status = StatusOf(*reply);
  out.answered = out.status != 0;
  const bool cut = maxBytes >= 0 && out.body.size() >= maxBytes;
  if (!cut) {
    if (reply->error() != QNetworkReply::NoError &&
        reply->error() < QNetworkReply::ContentAccessDenied) {
      // A transport failure (refused, timed out, cut off): no usable answer.
      out.answered = false;
    }
    out.body += maxBytes >= 0 ? reply->read(maxBytes - out.body.size()) : reply->readAll();
  }
  reply->abort();
  return out;
}

bool GetToFile(const QString& url, const QString& path, int idleMs) {
  const QUrl parsed(url);
  if (!parsed.isValid() || parsed.host().isEmpty()) return false;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QNetworkAccessManager manager;
  std::unique_ptr<QNetworkReply> reply(manager.get(MakeRequest(url, idleMs, QByteArray())));
  QEventLoop loop;
  bool written = true;
  QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
    const QByteArray chunk = reply->readAll();
    if (file.write(chunk) != chunk.size()) written = false;
  });
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  const QByteArray rest = reply->readAll();
  if (file.write(rest) != rest.size()) written = false;
  const bool ok = written && reply->error() == QNetworkReply::NoError && StatusOf(*reply) == 200;
  return file.flush() && ok;
}

}  // namespace http
