// VerProbeV1: the update checker the launcher runs and waits for.
// Usage: VerProbeV1 <revision>;<program file name>   (run in the application folder)
// When the update server has a newer revision of the program, it is downloaded as
// "New_" + name beside it, with the manifest it was checked against as "New_" + name +
// ".manifest"; nothing is left otherwise (the launcher removes an earlier copy before it runs
// the checker). Exit code 0 unless something failed; the launcher hands on a new copy only
// after 0.
#include "app/StartupNetwork.h"
#include "app/UpdateRecord.h"
#include "app/UpdateSettings.h"
#include "app/UpdateTransfer.h"
#include "app/modServerAddressUtil.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "platform/VersionArg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

int Refuse(int code, const QString& why) {
  eventlog::Write(why);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerVersionQuery(argc, argv)) return 0;
  // A console program: a message it would show goes to the event log (see Prompts()).
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  const QString argument = args.join(u' ');
  const int semicolon = argument.indexOf(u';');
  const QString name = argument.mid(semicolon + 1);
  bool revisionOk = false;
  const qint64 revision = argument.left(semicolon).toLongLong(&revisionOk);
  if (semicolon < 0 || !revisionOk || !update::IsPlainFileName(name)) {
    std::fprintf(stderr, "usage: VerProbeV1 <revision>;<program file name>\n");
    return 2;
  }

  // The launcher starts it in the application folder; the same settings and server list apply.
  const QString folder = QDir::currentPath();
  paths::SetAppFolder(folder);
  ApplyDeployment(LoadDeployment(folder));
  LoadServerAddressFile();
  ApplyServerListHosts();
  AppState& state = App();
  if (state.updateServerHost.isEmpty()) return 0;
  QString trustNote;
  const update::Trust trust =
      update::TrustOf(update::Config().publicKey, update::Config().allowUnsigned, &trustNote);
  if (trust == update::Trust::Off) return Refuse(0, trustNote);

  const QString target = folder + QStringLiteral("/New_") + name;

  const QString base = update::UpdateBaseAddress(update::Config().scheme, state.updateServerHost);
  const bool isSigned = trust == update::Trust::Signed;
  update::Offer offer;
  QString why;
  if (!update::FindOffer(base, name, trust, update::Config().publicKey, &offer, &why))
    return Refuse(3, QStringLiteral("update of ") + name +
                         (isSigned ? QStringLiteral(" refused: ") : QStringLiteral(": ")) + why);
  if (offer.revision <= revision) return 0;
  const QString rollback = isSigned ? update::Rollback(name, offer.revision) : QString();
  if (!rollback.isEmpty())
    return Refuse(5, QStringLiteral("update of ") + name + QStringLiteral(" refused: ") + rollback);
  if (offer.revision <= update::FailedRevision(name))
    return Refuse(0, QStringLiteral("revision %1 of %2 failed to start before; not tried again")
                         .arg(offer.revision)
                         .arg(name));
  if (isSigned) update::NoteTrustedRevision(name, offer.revision);
  QByteArray sha256;
  if (!update::InstallDownload(base + name, target, isSigned ? &offer.manifest : nullptr,
                               update::Config().limits, {}, &why, &sha256))
    return Refuse(4, QStringLiteral("update of ") + name + QStringLiteral(" failed: ") + why);
  // Unsigned: the launcher learns the promised revision and the bytes from a line made here.
  const QByteArray manifestText =
      isSigned ? offer.manifestText
               : update::ManifestLine(name, offer.revision, QFileInfo(target).size(), sha256,
                                      clock_::LocalNow().addDays(1)) +
                     '\n';
  if (!update::InstallText(target + QStringLiteral(".manifest"), manifestText, &why)) {
    QFile::remove(target);
    return Refuse(4, QStringLiteral("update of ") + name + QStringLiteral(" failed: ") + why);
  }
  return 0;
}
