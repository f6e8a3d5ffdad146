#include "login/StaffPassword.h"

#include "platform/Cp949.h"

#include <QCryptographicHash>

namespace staffpw {

QByteArray Digest(const QString& password) {
  QByteArray bytes;
  if (!cp949::Encode(password, bytes)) return QByteArray();
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

bool Matches(const QString& stored, const QByteArray& digest) {
  return IsDigest(digest) && stored.compare(QLatin1String(digest), Qt::CaseInsensitive) == 0;
}

bool IsDigest(const QByteArray& text) {
  if (text.size() != 40) return false;
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

}  // namespace staffpw
