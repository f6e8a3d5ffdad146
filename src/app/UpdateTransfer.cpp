#include "app/UpdateTransfer.h"

#include "platform/HttpGet.h"

#include <QFile>
#include <QRegularExpression>

#include <sodium.h>

#include <cmath>
#include <cstdio>

namespace update {
namespace {

bool SodiumReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

// Moves from over to; on this platform a rename replaces the target in one step.
bool ReplaceFile(const QString& from, const QString& to) {
  return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

}  // namespace

QString UpdateBaseAddress(const QString& scheme, const QString& host) {
  return scheme + QStringLiteral("://") + host + QStringLiteral("/download/자동업데이트_v1/");
}

QString VersionInfoFileName(const QString& programFileName) {
  const int dot = programFileName.lastIndexOf(u'.');
  return (dot < 0 ? programFileName : programFileName.left(dot)) + QStringLiteral("_lastver.txt");
}

QString RevisionOf(const QString& version) { return version.mid(version.lastIndexOf(u'.') + 1); }

double LeadingNumber(const QString& text) {
  static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)"));
  const QRegularExpressionMatch m = number.match(text);
  return m.hasMatch() ? m.captured(0).trimmed().toDouble() : 0.0;
}

bool WholeNumber(const QString& text, long long* value) {
  bool ok = false;
  const double d = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(d) || std::fabs(d) > 2147483647.0) return false;
  *value = static_cast<long long>(std::nearbyint(d));
  return true;
}

QString ReadUrlHead(const QString& url) {
  const http::Response r =
      http::Get(url, kReadTimeoutMs, kVersionInfoBytes, QByteArrayLiteral("VB OpenUrl"));
  if (!r.answered || r.status != 200) return QString();
  return QString::fromLatin1(r.body.left(kVersionInfoBytes));
}

bool DownloadFile(const QString& url, const QString& dest, const QString& publicKeyHex) {
  const QString part = dest + QStringLiteral(".part");
  const auto fail = [&] {
    QFile::remove(part);
    return false;
  };
  if (!http::GetToFile(url, part, kDownloadIdleTimeoutMs)) return fail();
  if (!publicKeyHex.isEmpty()) {
    const http::Response sig = http::Get(url + QStringLiteral(".sig"), kReadTimeoutMs);
    QFile f(part);
    if (!sig.answered || sig.status != 200 || !f.open(QIODevice::ReadOnly)) return fail();
    if (!VerifySignature(f.readAll(), sig.body, publicKeyHex)) return fail();
  }
  QFile::setPermissions(part, QFile::permissions(part) | QFile::ExeOwner | QFile::ExeGroup |
                                  QFile::ExeOther | QFile::ReadOwner);
  if (!ReplaceFile(part, dest)) return fail();
  return true;
}

bool VerifySignature(const QByteArray& data, const QByteArray& signature,
                     const QString& publicKeyHex) {
  const QByteArray key = QByteArray::fromHex(publicKeyHex.toLatin1());
  if (!SodiumReady() || key.size() != crypto_sign_PUBLICKEYBYTES ||
      publicKeyHex.size() != 2 * crypto_sign_PUBLICKEYBYTES ||
      signature.size() != crypto_sign_BYTES)
    return false;
  return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.constData()),
                                     reinterpret_cast<const unsigned char*>(data.constData()),
                                     static_cast<unsigned long long>(data.size()),
                                     reinterpret_cast<const unsigned char*>(key.constData())) == 0;
}

void GenerateKeyPair(QString* publicKeyHex, QByteArray* secretKey) {
  QByteArray pk(crypto_sign_PUBLICKEYBYTES, '\0');
  QByteArray sk(crypto_sign_SECRETKEYBYTES, '\0');
  if (SodiumReady())
    crypto_sign_keypair(reinterpret_cast<unsigned char*>(pk.data()),
                        reinterpret_cast<unsigned char*>(sk.data()));
  *publicKeyHex = QString::fromLatin1(pk.toHex());
  *secretKey = sk;
}

QByteArray Sign(const QByteArray& data, const QByteArray& secretKey) {
  QByteArray sig(crypto_sign_BYTES, '\0');
  if (!SodiumReady() || secretKey.size() != crypto_sign_SECRETKEYBYTES) return QByteArray();
  crypto_sign_detached(reinterpret_cast<unsigned char*>(sig.data()), nullptr,
                       reinterpret_cast<const unsigned char*>(data.constData()),
                       static_cast<unsigned long long>(data.size()),
                       reinterpret_cast<const unsigned char*>(secretKey.constData()));
  return sig;
}

}  // namespace update
