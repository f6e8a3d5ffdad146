#pragma once
// What the update check fetches and how: the base address, the version-information files, and
// program downloads that replace a file only when they are complete and, with a key configured,
// signed.

#include <QByteArray>
#include <QString>

namespace update {

// Reading a version-information file gives up after this long without data; a program download
// after this long without progress.
inline constexpr int kReadTimeoutMs = 4000;
inline constexpr int kDownloadIdleTimeoutMs = 15000;
// Only this much of a version-information file is read.
inline constexpr int kVersionInfoBytes = 20;

// scheme + "://" + host + "/download/자동업데이트_v1/"
QString UpdateBaseAddress(const QString& scheme, const QString& host);
// The file name up to its last dot (the whole name without one), then "_lastver.txt".
QString VersionInfoFileName(const QString& programFileName);
// The last dot-separated part of a version text ("1.0.0.37" gives "37").
QString RevisionOf(const QString& version);
// The leading number of a text as a floating-point value (0 when it starts with none).
double LeadingNumber(const QString& text);
// A version-information body as a whole number; false when it is no number.
bool WholeNumber(const QString& text, long long* value);

// The read-address routine: at most the first 20 bytes of a 200 answer's body, empty on any
// failure.
QString ReadUrlHead(const QString& url);
// The download routine, for programs: the body goes to a temporary name beside dest; when a
// public key is given, url + ".sig" must be a valid detached signature of it; only then is the
// file made executable and renamed over dest. A failed or partial download leaves dest as it was.
bool DownloadFile(const QString& url, const QString& dest, const QString& publicKeyHex);

// Ed25519 detached signatures (64 bytes) with a 32-byte public key given as 64 hex digits.
bool VerifySignature(const QByteArray& data, const QByteArray& signature,
                     const QString& publicKeyHex);
// For the signing tool and the tests: a new key pair (public key as hex) and a signature.
void GenerateKeyPair(QString* publicKeyHex, QByteArray* secretKey);
QByteArray Sign(const QByteArray& data, const QByteArray& secretKey);

}  // namespace update
