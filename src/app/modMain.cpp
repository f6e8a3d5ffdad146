#include "app/modMain.h"

#include "app/Deployment.h"
#include "app/StartupNetwork.h"
#include "app/modWinver.h"
#include "db/ReportReads.h"
#include "db/modMySQL_Func.h"
#include "login/frmLogin.h"
#include "mainwindow/FrmMain.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Hoverlet.h"
#include "platform/OsVersion.h"
#include "platform/Process.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"
#include "platform/SingleInstance.h"
#include "print/cFpPreview.h"

#include <QDir>
#include <QFileInfo>

#include <exception>
#include <memory>

namespace {

constexpr const char* kSmsUser = "sms_cvemp";
constexpr const char* kSmsPassword = "kelpo362.5180";
constexpr const char* kSmsDatabase = "sms_sk";

}  // namespace

int Main() {
  AppState& app = App();
  app.appTitle = kAppName;
  app.companySettingsName = QStringLiteral("Corvane");
  SetDefaultPromptTitle(app.appTitle);
  SetHoverletLauncher(&LaunchHoverlet);

  // Held for the life of the process; the system drops it if the process dies.
  static std::unique_ptr<SingleInstanceLock> instance;
  instance = std::make_unique<SingleInstanceLock>(settings::Root(), app.appTitle);
  if (!instance->TryAcquire()) {
    MsgInfo(QStringLiteral("이미 프로그램이 실행 중입니다."));
    return 0;
  }

  ApplyDeployment(LoadDeployment(paths::AppFolder()));
  RunStartupNetworkSteps();
  // The update check hands over to the file-replacement program by ending here.
  int code = 0;
  if (process::EndRequested(&code)) return code;

  IsRunningInIDE(QStringLiteral("Sendora_MySQL"));

  if (!InitApp()) {
    MsgInfo(QStringLiteral("프로그램 초기화에 실패하여 종료합니다."));
    DestroyApp();
    return 1;
  }

  app.stylingEnabled = true;

  bool loggedIn = false;
  {
    frmLogin login;
    ShowModal(login);
    loggedIn = login.LoginSucceeded;
  }
  // Cancel and an unregistered computer end the process from inside the dialog.
  if (process::EndRequested(&code)) return code;
  if (!loggedIn) {
    DestroyApp();
    return 0;
  }

  NoteWindowShown(*ShowMainWindow());
  return kMainWindowShown;
}

bool InitApp() {
  AppState& app = App();
  app.osTypeCode = GetOSTypeCode();
  CreatePrintPreview(app.appTitle);
  if (!DBInit(app.smsDbHost, QLatin1String(kSmsUser), QLatin1String(kSmsPassword),
              QLatin1String(kSmsDatabase), QString(), -1, QStringLiteral("euckr"), app.smsDbPort))
    return false;
  // Without its replica (the session has said why) the reports read the SMS database.
  if (!app.reportDbHost.isEmpty()) DBInitReports(app.reportDbHost, app.reportDbPort);
  return true;
}

FrmMain* ShowMainWindow() {
  auto* main = new FrmMain;
  QObject::connect(main, &FrmMain::Closing, &DestroyApp);
  main->show();
  return main;
}

void DestroyApp() {
  try {
    DBClose_MYSQL();
    ReleasePrintPreview();
  } catch (const std::exception& e) {
    MsgError(0, QString::fromLocal8Bit(e.what()), QStringLiteral("DestroyApp"),
             QStringLiteral("modMain"));
  }
}

bool IsRunningInIDE(const QString& projectName) {
  AppState& app = App();
  app.developmentMode = false;
  const QString module = ModuleFileName().left(255);
  const QFileInfo info(module);
  // A build has no separate development host: an executable named after the project that runs
  // from the build's own output folder is the developer's copy.
  if (info.completeBaseName().toUpper() == projectName.toUpper() &&
      QDir::cleanPath(info.absolutePath()) ==
          QDir::cleanPath(QStringLiteral(SENDORA_BUILD_BIN_DIR))) {
    app.developmentMode = true;
  }
  return app.developmentMode;
}
