#pragma once
// What the update key signs. A program on the update server comes with "<file>.manifest": one
// line that names the file, its revision, its size, its SHA-256 and until when the line holds,
// and a second line with the Ed25519 signature of the first:
//
//   sendora-manifest-1 Sendora 37 31457280 <64 hex digits> 2025-07-01T00:00:00Z
//   sig <128 hex digits>
//
// A signature therefore binds name, revision and bytes together: a signed helper cannot be
// served under another name, an older build cannot be served as newer, and a line that is not
// re-signed in time stops counting. The server list is signed with the same key over its written
// form, behind a different first line, so neither signature can stand in for the other.

#include <QByteArray>
#include <QDateTime>
#include <QString>

class JsonValue;

namespace update {

// Ed25519 detached signatures (64 bytes) with a 32-byte public key given as 64 hex digits.
bool IsPublicKey(const QString& publicKeyHex);
bool VerifySignature(const QByteArray& data, const QByteArray& signature,
                     const QString& publicKeyHex);
// A signature as it is written, 128 hex digits (either case); false for anything else.
bool SignatureFromHex(const QByteArray& hex, QByteArray* signature);
// For the signing tool and the tests: a new key pair (public key as hex) and a signature.
void GenerateKeyPair(QString* publicKeyHex, QByteArray* secretKey);
QByteArray Sign(const QByteArray& data, const QByteArray& secretKey);

inline constexpr char kManifestTag[] = "sendora-manifest-1";
// A manifest is never longer than this.
inline constexpr int kManifestMaxBytes = 512;

struct Manifest {
  QString name;
  qint64 revision = 0;
  qint64 size = 0;
  QByteArray sha256;     // 64 lower-case hex digits
  QDateTime expires;     // UTC
  QByteArray line;       // the signed line as it was read
  QByteArray signature;  // empty when the text carried none
};

// A program file name as the update server serves it: letters, digits, '.', '_', '-'.
bool IsPlainFileName(const QString& name);
QByteArray ManifestLine(const QString& name, qint64 revision, qint64 size,
                        const QByteArray& sha256Hex, const QDateTime& expires);
// The line, then its signature line.
QByteArray SignedManifestText(const QByteArray& line, const QByteArray& secretKey);
// False, with the reason, when the text is not a manifest.
bool ParseManifest(const QByteArray& text, Manifest* out, QString* why);
// What a program checks before it acts on a manifest for name: the signature under the key
// (no key: not checked), the name, and that it has not expired at now.
bool CheckManifest(const Manifest& m, const QString& name, const QString& publicKeyHex,
                   const QDateTime& now, QString* why);

// The bytes a server-list signature covers: a fixed first line, then the list as the program
// writes it (JsonToString), so the layout it was served in does not matter.
QByteArray ServerListMessage(const JsonValue& list);

}  // namespace update
