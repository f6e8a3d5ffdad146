// sendora-sign: the key pair, the signed manifests of the programs put on the update server, and
// the signature of the server list. See Usage() and the README's "Security" section.
#include "app/UpdateManifest.h"
#include "app/UpdateTransfer.h"
#include "app/json.h"
#include "app/mdlFile.h"
#include "app/modServerAddressUtil.h"
#include "platform/SafeFile.h"
#include "platform/VersionArg.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

constexpr int kDefaultValidDays = 30;

int Usage() {
  std::fprintf(
      stderr,
      "usage: sendora-sign keygen SECRET-FILE\n"
      "         makes a key pair: the secret key goes to SECRET-FILE (created with mode 0600;\n"
      "         an existing file is never overwritten), the public key is printed for\n"
      "         [Update] PublicKey in sendora.ini.\n"
      "       sendora-sign sign [--days N] [--check-version] SECRET-FILE REVISION FILE...\n"
      "         writes FILE.manifest next to each FILE: the line\n"
      "           sendora-manifest-1 NAME REVISION SIZE SHA256 EXPIRES\n"
      "         (NAME the file's name, EXPIRES N days from now in UTC, default %d) and the line\n"
      "           sig <Ed25519 signature of the first line, 128 hex digits>\n"
      "         Put FILE and FILE.manifest on the update server. REVISION must be what FILE\n"
      "         answers to --version; sign again before EXPIRES, or clients stop updating.\n"
      "         FILE is never run unless --check-version asks for it: then each FILE is run\n"
      "         with --version here, beside the secret key, and refused when it answers\n"
      "         another revision.\n"
      "         Also writes FILE.sig (the signature of the bytes) for programs older than\n"
      "         manifests.\n"
      "       sendora-sign sign-list SECRET-FILE LIST.json\n"
      "         prints the signature of the server list (and writes it to LIST.json.sig); the\n"
      "         checker service answers {\"success\": true, \"data\": <LIST.json>, \"sig\": "
      "\"<it>\"}.\n"
      "       sendora-sign --version\n",
      kDefaultValidDays);
  return 2;
}

int Error(const QString& text) {
  std::fprintf(stderr, "sendora-sign: %s\n", qPrintable(text));
  return 1;
}

bool ReadFile(const QString& path, QByteArray* out) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  *out = f.readAll();
  return true;
}

// Empty when written; else why not.
QString WriteFile(const QString& path, const QByteArray& data) {
  QString why;
  return update::InstallText(path, data, &why) ? QString() : why;
}

bool ReadSecret(const QString& path, QByteArray* secret) {
  return ReadFile(path, secret) && !update::Sign("probe", *secret).isEmpty();
}

int Keygen(const QString& path) {
  QString publicKey;
  QByteArray secret;
  update::GenerateKeyPair(&publicKey, &secret);
  QString error;
  if (!safefile::CreateExclusive(path, secret, 0600, &error))
    return Error(error + QStringLiteral(" (an existing key is never overwritten)"));
  std::printf("%s\n", qPrintable(publicKey));
  return 0;
}

int SignPrograms(QStringList args) {
  int days = kDefaultValidDays;
  bool checkVersion = false;
  for (;;) {
    if (args.value(0) == QLatin1String("--days")) {
      bool ok = false;
      days = args.value(1).toInt(&ok);
      if (!ok || days < 1) return Usage();
      args = args.mid(2);
    } else if (args.value(0) == QLatin1String("--check-version")) {
      checkVersion = true;
      args = args.mid(1);
    } else {
      break;
    }
  }
  if (args.size() < 3) return Usage();
  QByteArray secret;
  if (!ReadSecret(args[0], &secret)) return Error(args[0] + QStringLiteral(": not a secret key"));
  bool ok = false;
  const qint64 revision = args[1].toLongLong(&ok);
  if (!ok || revision < 1 || revision > 2147483647)
    return Error(args[1] + QStringLiteral(": not a revision"));
  const QDateTime expires = QDateTime::currentDateTimeUtc().addDays(days);
  for (const QString& path : args.mid(2)) {
    const QString name = QFileInfo(path).fileName();
    if (!update::IsPlainFileName(name))
      return Error(name + QStringLiteral(": only letters, digits, '.', '_' and '-' are served"));
    QByteArray bytes;
    if (!ReadFile(path, &bytes)) return Error(path + QStringLiteral(": cannot be read"));
    // A build that answers another revision, or nothing, would be swapped in and straight back
    // out; but whatever runs here runs beside the secret key, so only on request.
    const QString version = checkVersion ? GetFileVer(path) : QString();
    if (checkVersion && version.isEmpty())
      return Error(path + QStringLiteral(" gives no version with --version"));
    if (checkVersion && update::RevisionNumber(version) != revision)
      return Error(QStringLiteral("%1 answers revision %2, not %3")
                       .arg(path, update::RevisionOf(version))
                       .arg(revision));
    const QByteArray line = update::ManifestLine(
        name, revision, bytes.size(),
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(), expires);
    QString why =
        WriteFile(path + QStringLiteral(".manifest"), update::SignedManifestText(line, secret));
    if (why.isEmpty()) why = WriteFile(path + QStringLiteral(".sig"), update::Sign(bytes, secret));
    if (!why.isEmpty())
      return Error(path + QStringLiteral(": the signature files cannot be written: ") + why);
    std::printf("%s\n", line.constData());
  }
  return 0;
}

int SignList(const QString& secretPath, const QString& listPath) {
  QByteArray secret, bytes;
  if (!ReadSecret(secretPath, &secret))
    return Error(secretPath + QStringLiteral(": not a secret key"));
  if (!ReadFile(listPath, &bytes)) return Error(listPath + QStringLiteral(": cannot be read"));
  bool utf8 = false;
  const JsonValue list = ParseJson(DecodeUtf8(bytes, &utf8));
  if (!utf8 || list.kind() != JsonValue::Kind::Object || !JsonLastError().isEmpty())
    return Error(listPath + QStringLiteral(": not a JSON object in UTF-8: ") + JsonLastError());
  const QByteArray hex = update::Sign(update::ServerListMessage(list), secret).toHex();
  if (const QString why = WriteFile(listPath + QStringLiteral(".sig"), hex + '\n'); !why.isEmpty())
    return Error(listPath + QStringLiteral(".sig: cannot be written: ") + why);
  std::printf("%s\n", hex.constData());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerVersionQuery(argc, argv)) return 0;
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  if (args.size() == 2 && args[0] == QLatin1String("keygen")) return Keygen(args[1]);
  if (!args.isEmpty() && args[0] == QLatin1String("sign")) return SignPrograms(args.mid(1));
  if (args.size() == 3 && args[0] == QLatin1String("sign-list")) return SignList(args[1], args[2]);
  return Usage();
}
