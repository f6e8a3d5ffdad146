#include "app/UpdateManifest.h"

#include "app/json.h"

#include <QList>
#include <QRegularExpression>

#include <sodium.h>

namespace update {
namespace {

bool SodiumReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

const unsigned char* Bytes(const QByteArray& b) {
  return reinterpret_cast<const unsigned char*>(b.constData());
}

bool IsHex(const QByteArray& text, int digits) {
  static const QRegularExpression hex(QStringLiteral("^[0-9a-f]*$"));
  return text.size() == digits && hex.match(QString::fromLatin1(text)).hasMatch();
}

// A whole number without sign or leading zeros, up to max.
bool Count(const QByteArray& text, qint64 max, qint64* value) {
  static const QRegularExpression digits(QStringLiteral("^(0|[1-9][0-9]{0,17})$"));
  if (!digits.match(QString::fromLatin1(text)).hasMatch()) return false;
  *value = text.toLongLong();
  return *value <= max;
}

}  // namespace

bool IsPublicKey(const QString& publicKeyHex) {
  return IsHex(publicKeyHex.toLower().toLatin1(), 2 * crypto_sign_PUBLICKEYBYTES);
}

bool VerifySignature(const QByteArray& data, const QByteArray& signature,
                     const QString& publicKeyHex) {
  if (!SodiumReady() || !IsPublicKey(publicKeyHex) || signature.size() != crypto_sign_BYTES)
    return false;
  const QByteArray key = QByteArray::fromHex(publicKeyHex.toLatin1());
  return crypto_sign_verify_detached(Bytes(signature), Bytes(data),
                                     static_cast<unsigned long long>(data.size()), Bytes(key)) == 0;
}

bool SignatureFromHex(const QByteArray& hex, QByteArray* signature) {
  if (!IsHex(hex.toLower(), 2 * crypto_sign_BYTES)) return false;
  *signature = QByteArray::fromHex(hex);
  return true;
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
  crypto_sign_detached(reinterpret_cast<unsigned char*>(sig.data()), nullptr, Bytes(data),
                       static_cast<unsigned long long>(data.size()), Bytes(secretKey));
  return sig;
}

bool IsPlainFileName(const QString& name) {
  static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-][A-Za-z0-9._-]{0,99}$"));
  return plain.match(name).hasMatch();
}

QByteArray ManifestLine(const QString& name, qint64 revision, qint64 size,
                        const QByteArray& sha256Hex, const QDateTime& expires) {
  return QByteArray(kManifestTag) + ' ' + name.toLatin1() + ' ' + QByteArray::number(revision) +
         ' ' + QByteArray::number(size) + ' ' + sha256Hex + ' ' +
         expires.toUTC().toString(Qt::ISODate).toLatin1();
}

QByteArray SignedManifestText(const QByteArray& line, const QByteArray& secretKey) {
  return line + "\nsig " + Sign(line, secretKey).toHex() + '\n';
}

bool ParseManifest(const QByteArray& text, Manifest* out, QString* why) {
  const auto fail = [why](const char* reason) {
    *why = QString::fromLatin1(reason);
    return false;
  };
  if (text.size() > kManifestMaxBytes) return fail("manifest too long");
  QList<QByteArray> lines = text.split('\n');
  for (QByteArray& l : lines)
    if (l.endsWith('\r')) l.chop(1);
  while (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  if (lines.isEmpty() || lines.size() > 2) return fail("not a manifest");
  const QList<QByteArray> f = lines[0].split(' ');
  Manifest m;
  m.line = lines[0];
  if (f.size() != 6 || f[0] != kManifestTag) return fail("not a manifest");
  m.name = QString::fromLatin1(f[1]);
  if (!IsPlainFileName(m.name)) return fail("manifest names no plain file");
  if (!Count(f[2], 2147483647, &m.revision) || m.revision < 1)
    return fail("manifest revision is no number");
  if (!Count(f[3], qint64(1) << 40, &m.size)) return fail("manifest size is no number");
  if (!IsHex(f[4], 64)) return fail("manifest SHA-256 is not 64 hex digits");
  m.sha256 = f[4];
  m.expires = QDateTime::fromString(QString::fromLatin1(f[5]), Qt::ISODate);
  if (!m.expires.isValid() || !f[5].endsWith('Z')) return fail("manifest expiry is no UTC time");
  if (lines.size() == 2) {
    if (!lines[1].startsWith("sig ") || !SignatureFromHex(lines[1].mid(4), &m.signature))
      return fail("manifest signature line is malformed");
  }
  *out = m;
  return true;
}

bool CheckManifest(const Manifest& m, const QString& name, const QString& publicKeyHex,
                   const QDateTime& now, QString* why) {
  if (!publicKeyHex.isEmpty() && !VerifySignature(m.line, m.signature, publicKeyHex)) {
    *why = m.signature.isEmpty() ? QStringLiteral("manifest is not signed")
                                 : QStringLiteral("manifest signature does not match the key");
    return false;
  }
  if (m.name != name) {
    *why = QStringLiteral("manifest is for %1, not %2").arg(m.name, name);
    return false;
  }
  if (m.expires <= now) {
    *why = QStringLiteral("manifest expired at ") + m.expires.toString(Qt::ISODate);
    return false;
  }
  return true;
}

QByteArray ServerListMessage(const JsonValue& list) {
  return QByteArrayLiteral("sendora-serverlist-1\n") + JsonToString(list).toUtf8();
}

}  // namespace update
