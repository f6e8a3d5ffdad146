// A stand-in for the main program in the update tests: the same start-up steps before the
// database (deployment, server list, update check), then it notes that it ran and ends, so that
// the whole update chain can be followed without a database.
#include "app/StartupNetwork.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Process.h"
#include "platform/Prompt.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc == 2 && QByteArray(argv[1]) == "--version") {
    std::puts(STANDIN_VERSION);
    return 0;
  }
  QApplication application(argc, argv);
  AppState& app = App();
  app.appTitle = QStringLiteral("Sendora");
  app.fileVersion = QStringLiteral(STANDIN_VERSION);
  SetDefaultPromptTitle(app.appTitle);

  ApplyDeployment(LoadDeployment(paths::AppFolder()));
  RunStartupNetworkSteps();
  int code = 0;
  if (process::EndRequested(&code)) return code;

  QFile started(paths::AppFolder() + QStringLiteral("/started.txt"));
  if (!started.open(QIODevice::WriteOnly | QIODevice::Append)) return 1;
  started.write(QByteArrayLiteral("started " STANDIN_VERSION "\n"));
  return 0;
}
