#pragma once
// What the update check fetches and how: the base address, the version information, the signed
// manifests, and program downloads that are installed only when complete, within their limits
// and, with a key configured, exactly the bytes the manifest names.

#include "app/UpdateLimits.h"
#include "app/UpdateManifest.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace update {

// Version information and manifests: the whole request within this time; version information
// at most this long (a manifest at most kManifestMaxBytes).
inline constexpr int kReadTimeoutMs = 4000;
inline constexpr int kSmallAnswerBytes = 512;
// A program download gives up after this long without data; its overall limit and size cap are
// the deployment's (DownloadLimits).
inline constexpr int kDownloadIdleTimeoutMs = 15000;
// Only this much of a version-information file counts.
inline constexpr int kVersionInfoBytes = 20;

// How far this installation trusts what the update server sends.
enum class Trust {
  Off,       // no key (and no opt-in), or a key that is no key: nothing is downloaded or run
  Signed,    // manifests and downloads must carry the key's signature
  Unsigned,  // [Update] AllowUnsigned=1 without a key: taken as served
};
// The trust of the settings; why: the log line that says so (empty when signed).
Trust TrustOf(const QString& publicKeyHex, bool allowUnsigned, QString* why);

// scheme + "://" + host + "/download/자동업데이트_v1/"
QString UpdateBaseAddress(const QString& scheme, const QString& host);
// The file name up to its last dot (the whole name without one), then "_lastver.txt".
QString VersionInfoFileName(const QString& programFileName);
// The last dot-separated part of a version text ("1.0.0.37" gives "37").
QString RevisionOf(const QString& version);
// That part as a number; 0 when it is no number above 0.
qint64 RevisionNumber(const QString& version);
// A version-information body as a whole number; false when it is no number.
bool WholeNumber(const QString& text, long long* value);
// The revision a program file answers to --version; 0 when it is missing or gives no answer.
qint64 InstalledRevision(const QString& path);

// The read-address routine: the first 20 bytes of a 200 answer's body, empty on any failure.
QString ReadUrlHead(const QString& url);
// fileUrl + ".manifest", read and checked (CheckManifest) for name at the local clock's now.
// unreadable: no manifest came (no answer, not found, not a manifest), as opposed to one that
// was refused.
bool FetchManifest(const QString& fileUrl, const QString& name, const QString& publicKeyHex,
                   Manifest* out, QByteArray* text, QString* why, bool* unreadable = nullptr);

// What the update server offers for a program.
struct Offer {
  qint64 revision = 0;
  Manifest manifest;        // Signed: the checked manifest that names the revision
  QByteArray manifestText;  // and its text as read
};
// Asks the update server at base what it offers for name (trust Signed or Unsigned). Signed:
// name's manifest, read and checked (FetchManifest); Unsigned: the version-information file, a
// whole number. False with why when there is nothing to take; unreadable as for FetchManifest.
bool FindOffer(const QString& base, const QString& name, Trust trust, const QString& publicKeyHex,
               Offer* offer, QString* why, bool* unreadable = nullptr);
// Why a signed revision of name is refused as older than one trusted before (a rollback); empty
// when it is not.
QString Rollback(const QString& name, qint64 revision);

// The download routine, for programs: the body goes to a new file beside dest (never through a
// link, never over an existing file); with expected, its size and SHA-256 must be the manifest's,
// read back through the same descriptor. check, when given, sees the finished file (made
// executable) before it is renamed over dest. A failed, refused or partial download leaves dest
// as it was. sha256: the digest of what was installed.
bool InstallDownload(const QString& url, const QString& dest, const Manifest* expected,
                     const DownloadLimits& limits,
                     const std::function<bool(const QString& file, QString* why)>& check,
                     QString* why, QByteArray* sha256 = nullptr);
// Writes text to a new file and renames it over dest (mode 0644).
bool InstallText(const QString& dest, const QByteArray& text, QString* why);

}  // namespace update
