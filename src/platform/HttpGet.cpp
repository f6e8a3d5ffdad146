#include "platform/HttpGet.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace http {
namespace {

// Qt stops reading the socket while this much is waiting for us.
constexpr qint64 kReadBuffer = 64 * 1024;

struct Outcome {
  bool ok = false;
  int status = 0;
  bool verifiedTls = false;
  QString error;
};

// One GET with the limits; every chunk of the body goes to sink. ok when the transfer completed
// with a status. With required (not 0) any other final status ends the transfer as soon as it is
// known, and sink sees nothing of that answer; without, the caller decides which ones it takes.
Outcome Run(const QString& url, const Limits& limits, const Options& options, int required,
            const std::function<bool(const QByteArray&)>& sink) {
  Outcome out;
  const QUrl parsed(url);
  if (!parsed.isValid() || parsed.host().isEmpty()) {
    out.error = QStringLiteral("not an address: ") + url;
    return out;
  }
  QNetworkRequest request{parsed};
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setTransferTimeout(limits.idleMs);
  if (!options.userAgent.isEmpty())
    request.setHeader(QNetworkRequest::UserAgentHeader, options.userAgent);
  if (!options.caFile.isEmpty()) {
    const QList<QSslCertificate> cas = QSslCertificate::fromPath(options.caFile);
    // An empty list would mean the system's certificates: a file that gives none trusts nobody.
    if (cas.isEmpty()) {
      out.error = QStringLiteral("no certificate in ") + options.caFile;
      return out;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setCaCertificates(cas);
    request.setSslConfiguration(tls);
  }

  QNetworkAccessManager manager;
  std::unique_ptr<QNetworkReply> reply(manager.get(request));
  reply->setReadBufferSize(kReadBuffer);
  QEventLoop loop;
  QString stopped;  // why we ended the transfer ourselves
  qint64 received = 0;
  bool encrypted = false;
  const auto stop = [&](const QString& why) {
    if (stopped.isEmpty()) stopped = why;
    reply->abort();
  };
  // With a required status, the body of any other answer is not for the sink: a redirect's is
  // passed over (Qt follows it, or the final status says no), any other ends the transfer.
  const auto notForSink = [&] {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (required == 0 || status == required) return false;
    if (status / 100 != 3 && stopped.isEmpty()) {
      stopped = QStringLiteral("status %1").arg(status);
      // Ended once Qt has dealt with the status itself: aborting inside that trips it up.
      QMetaObject::invokeMethod(reply.get(), &QNetworkReply::abort, Qt::QueuedConnection);
    }
    return true;
  };
  const auto take = [&] {
    while (stopped.isEmpty() && reply->bytesAvailable() > 0) {
      const QByteArray chunk = reply->read(kReadBuffer);
      received += chunk.size();
      if (received > limits.maxBytes)
        stop(QStringLiteral("answer longer than %1 bytes").arg(limits.maxBytes));
      else if (!notForSink() && !sink(chunk))
        stop(QStringLiteral("the answer could not be kept"));
    }
  };
  QObject::connect(reply.get(), &QNetworkReply::encrypted, &loop, [&] { encrypted = true; });
  QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
    if (notForSink()) return;
    bool known = false;
    const qint64 declared = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
    if (known && declared > limits.maxBytes)
      stop(QStringLiteral("answer of %1 bytes, longer than %2").arg(declared).arg(limits.maxBytes));
  });
  QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, take);
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
    stop(QStringLiteral("no complete answer within %1 ms").arg(limits.deadlineMs));
  });
  deadline.start(limits.deadlineMs);
  if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
  take();

  out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QNetworkReply::NetworkError error = reply->error();
  if (!stopped.isEmpty()) {
    out.error = stopped;
  } else if (out.status == 0 ||
             (error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)) {
    // A transport failure (refused, timed out, cut off, certificate refused): no usable answer.
    out.error = reply->errorString();
  } else {
    out.ok = true;
    out.verifiedTls = encrypted && reply->url().scheme() == QLatin1String("https");
  }
  reply->abort();
  return out;
}

}  // namespace

Response Get(const QString& url, const Limits& limits, const Options& options) {
  Response r;
  const Outcome o = Run(url, limits, options, 0, [&](const QByteArray& chunk) {
    r.body += chunk;
    return true;
  });
  r.answered = o.ok;
  r.status = o.status;
  r.verifiedTls = o.verifiedTls;
  r.error = o.error;
  if (!o.ok) r.body.clear();
  return r;
}

bool GetStreamed(const QString& url, const Limits& limits,
                 const std::function<bool(const QByteArray&)>& sink, QString* error) {
  const Outcome o = Run(url, limits, Options(), 200, sink);
  if (o.ok && o.status != 200) {
    *error = QStringLiteral("status %1").arg(o.status);
    return false;
  }
  if (!o.ok) *error = o.error;
  return o.ok;
}

}  // namespace http
