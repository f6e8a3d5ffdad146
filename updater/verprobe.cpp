// VerProbeV1: the update checker the launcher runs and waits for.
// Usage: VerProbeV1 <revision>;<program file name>   (run in the application folder)
// When the update server has a newer revision of the program, it is downloaded as
// "New_" + name beside it; nothing is left there otherwise.
#include "app/AppState.h"
#include "app/StartupNetwork.h"
#include "app/UpdateTransfer.h"
#include "app/modServerAddressUtil.h"
#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc == 2 && QByteArray(argv[1]) == "--version") {
    std::puts(SENDORA_FILE_VERSION);
    return 0;
  }
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  const QString argument = args.join(u' ');
  const int semicolon = argument.indexOf(u';');
  const QString name = argument.mid(semicolon + 1);
  bool revisionOk = false;
  const double revision = argument.left(semicolon).toDouble(&revisionOk);
  if (semicolon < 0 || !revisionOk || name.isEmpty() || name.contains(u'/')) {
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

  // A copy left by an earlier, interrupted run is never handed on.
  const QString target = folder + QStringLiteral("/New_") + name;
  QFile::remove(target);

  const QString base = update::UpdateBaseAddress(state.updateScheme, state.updateServerHost);
  long long newest = 0;
  if (!update::WholeNumber(update::ReadUrlHead(base + update::VersionInfoFileName(name)).trimmed(),
                           &newest))
    return 3;
  if (revision >= static_cast<double>(newest)) return 0;
  return update::DownloadFile(base + name, target, state.updatePublicKey) ? 0 : 4;
}
