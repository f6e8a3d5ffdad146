#include "app/UpdateTransfer.h"

#include "app/UpdateRecord.h"
#include "app/mdlFile.h"
#include "platform/Clock.h"
#include "platform/HttpGet.h"
#include "platform/SafeFile.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace update {
namespace {

http::Limits SmallAnswer(qint64 maxBytes) {
  return http::Limits{kReadTimeoutMs, kReadTimeoutMs, maxBytes};
}

}  // namespace

Trust TrustOf(const QString& publicKeyHex, bool allowUnsigned, QString* why) {
  why->clear();
  if (!publicKeyHex.isEmpty()) {
    if (IsPublicKey(publicKeyHex)) return Trust::Signed;
    *why = QStringLiteral("update check off: [Update] PublicKey is not 64 hex digits");
    return Trust::Off;
  }
  if (allowUnsigned) {
    *why = QStringLiteral(
        "WARNING: updates are not signature-checked ([Update] AllowUnsigned=1): whoever answers "
        "for the update server can run programs here; set [Update] PublicKey");
    return Trust::Unsigned;
  }
  *why = QStringLiteral(
      "update check off: no [Update] PublicKey in sendora.ini (set the key that signs the "
      "updates, see README \"Security\")");
  return Trust::Off;
}

QString UpdateBaseAddress(const QString& scheme, const QString& host) {
  return scheme + QStringLiteral("://") + host + QStringLiteral("/download/자동업데이트_v1/");
}

QString VersionInfoFileName(const QString& programFileName) {
  const int dot = programFileName.lastIndexOf(u'.');
  return (dot < 0 ? programFileName : programFileName.left(dot)) + QStringLiteral("_lastver.txt");
}

QString RevisionOf(const QString& version) { return version.mid(version.lastIndexOf(u'.') + 1); }

bool WholeNumber(const QString& text, long long* value) {
  bool ok = false;
  const double d = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(d) || std::fabs(d) > 2147483647.0) return false;
  *value = static_cast<long long>(std::nearbyint(d));
  return true;
}

qint64 RevisionNumber(const QString& version) {
  bool ok = false;
  const qint64 revision = RevisionOf(version).toLongLong(&ok);
  return ok && revision > 0 ? revision : 0;
}

qint64 InstalledRevision(const QString& path) { return RevisionNumber(GetFileVer(path)); }

QString ReadUrlHead(const QString& url) {
  http::Options options;
  options.userAgent = QByteArrayLiteral("VB OpenUrl");
  const http::Response r = http::Get(url, SmallAnswer(kSmallAnswerBytes), options);
  if (!r.answered || r.status != 200) return QString();
  return QString::fromLatin1(r.body.left(kVersionInfoBytes));
}

bool FetchManifest(const QString& fileUrl, const QString& name, const QString& publicKeyHex,
                   Manifest* out, QByteArray* text, QString* why, bool* unreadable) {
  const QString url = fileUrl + QStringLiteral(".manifest");
  if (unreadable) *unreadable = true;
  const http::Response r = http::Get(url, SmallAnswer(kManifestMaxBytes));
  if (!r.answered || r.status != 200) {
    *why = url + QStringLiteral(": ") +
           (r.answered ? QStringLiteral("status %1").arg(r.status) : r.error);
    return false;
  }
  if (!ParseManifest(r.body, out, why)) {
    *why = url + QStringLiteral(": ") + *why;
    return false;
  }
  if (unreadable) *unreadable = false;
  if (!CheckManifest(*out, name, publicKeyHex, clock_::LocalNow(), why)) {
    *why = url + QStringLiteral(": ") + *why;
    return false;
  }
  *text = r.body;
  return true;
}

bool FindOffer(const QString& base, const QString& name, Trust trust, const QString& publicKeyHex,
               Offer* offer, QString* why, bool* unreadable) {
  if (trust == Trust::Signed) {
    if (!FetchManifest(base + name, name, publicKeyHex, &offer->manifest, &offer->manifestText, why,
                       unreadable))
      return false;
    offer->revision = offer->manifest.revision;
    return true;
  }
  if (unreadable) *unreadable = true;
  long long newest = 0;
  // A body that is no number cannot be compared either: treated like no answer.
  if (!WholeNumber(ReadUrlHead(base + VersionInfoFileName(name)).trimmed(), &newest)) {
    *why = QStringLiteral("the version information cannot be read");
    return false;
  }
  if (unreadable) *unreadable = false;
  offer->revision = newest;
  return true;
}

QString Rollback(const QString& name, qint64 revision) {
  const qint64 trusted = TrustedRevision(name);
  if (revision >= trusted) return QString();
  return QStringLiteral("revision %1 is older than %2, trusted before (a rollback)")
      .arg(revision)
      .arg(trusted);
}

bool InstallDownload(const QString& url, const QString& dest, const Manifest* expected,
                     const DownloadLimits& limits,
                     const std::function<bool(const QString& file, QString* why)>& check,
                     QString* why, QByteArray* sha256) {
  const QFileInfo target(dest);
  safefile::TempFile file(target.absolutePath(), target.fileName());
  if (!file.IsOpen()) {
    *why = file.Error();
    return false;
  }
  http::Limits http{limits.deadlineMs, kDownloadIdleTimeoutMs, limits.maxBytes};
  // A manifest says how long the file is: nothing longer is accepted.
  if (expected) http.maxBytes = std::min(http.maxBytes, expected->size);
  QString error;
  if (!http::GetStreamed(
          url, http, [&](const QByteArray& chunk) { return file.Write(chunk); }, &error)) {
    *why = url + QStringLiteral(": ") + (file.Error().isEmpty() ? error : file.Error());
    return false;
  }
  // What is checked is read back through the descriptor that is renamed into place.
  QCryptographicHash digest(QCryptographicHash::Sha256);
  if (!file.FinishWriting() ||
      !file.ReadBack([&](const QByteArray& chunk) { digest.addData(chunk); })) {
    *why = file.Error();
    return false;
  }
  const QByteArray got = digest.result().toHex();
  if (expected && (file.Size() != expected->size || got != expected->sha256)) {
    *why = url + QStringLiteral(": %1 bytes with SHA-256 %2, not the manifest's %3 bytes with %4")
                     .arg(file.Size())
                     .arg(QString::fromLatin1(got))
                     .arg(expected->size)
                     .arg(QString::fromLatin1(expected->sha256));
    return false;
  }
  if (!file.SetMode(0755)) {
    *why = file.Error();
    return false;
  }
  if (check && !check(file.Path(), why)) return false;
  if (!file.Commit(target.fileName())) {
    *why = file.Error();
    return false;
  }
  if (sha256) *sha256 = got;
  return true;
}

bool InstallText(const QString& dest, const QByteArray& text, QString* why) {
  const QFileInfo target(dest);
  safefile::TempFile file(target.absolutePath(), target.fileName());
  if (!file.Write(text) || !file.SetMode(0644) || !file.Commit(target.fileName())) {
    *why = file.Error();
    return false;
  }
  return true;
}

}  // namespace update
