// sendora-sign: the key pair and the signatures of the programs put on the update server.
//   sendora-sign keygen SECRET-FILE      writes the secret key, prints the public key for
//                                        [Update] PublicKey
//   sendora-sign sign SECRET-FILE FILE...  writes FILE.sig next to each FILE
#include "app/UpdateTransfer.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: sendora-sign keygen SECRET-FILE\n"
               "       sendora-sign sign SECRET-FILE FILE...\n");
  return 2;
}

bool WriteFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  if (args.size() == 2 && args[0] == QLatin1String("keygen")) {
    QString publicKey;
    QByteArray secret;
    update::GenerateKeyPair(&publicKey, &secret);
    if (!WriteFile(args[1], secret)) return 1;
    QFile::setPermissions(args[1], QFile::ReadOwner | QFile::WriteOwner);
    std::printf("%s\n", qPrintable(publicKey));
    return 0;
  }
  if (args.size() >= 3 && args[0] == QLatin1String("sign")) {
    QFile keyFile(args[1]);
    if (!keyFile.open(QIODevice::ReadOnly)) return 1;
    const QByteArray secret = keyFile.readAll();
    for (const QString& path : args.mid(2)) {
      QFile f(path);
      if (!f.open(QIODevice::ReadOnly)) return 1;
      const QByteArray sig = update::Sign(f.readAll(), secret);
      if (sig.isEmpty() || !WriteFile(path + QStringLiteral(".sig"), sig)) return 1;
    }
    return 0;
  }
  return Usage();
}
