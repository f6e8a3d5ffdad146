#include "app/StartupNetwork.h"

#include "app/UpdateRecord.h"
#include "app/UpdateSettings.h"
#include "app/UpdateTransfer.h"
#include "app/modAutoUpdateV1_Launcher.h"
#include "app/modServerAddressUtil.h"
#include "db/modMySQL_Func.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/EventLog.h"
#include "platform/Prompt.h"

void ApplyDeployment(const Deployment& deployment) {
  AppState& app = App();
  app.updateServerHost = deployment.updateServerHost;
  update::Config().scheme = deployment.updateScheme;
  update::Config().publicKey = deployment.updatePublicKey;
  update::Config().allowUnsigned = deployment.updateAllowUnsigned;
  update::Config().limits =
      update::DownloadLimits{qint64(deployment.updateMaxDownloadMB) * 1024 * 1024,
                             deployment.updateDownloadTimeoutSec * 1000};
  app.inHouseDbHost = deployment.inHouseDbHost;
  app.inHouseDbPort = deployment.inHouseDbPort;
  app.smsDbHost = deployment.smsDbHost;
  app.smsDbPort = deployment.smsDbPort;
  DBSetCompression(deployment.databaseCompression);
  DBSetTls(DbServer::Sms, deployment.smsDbTls);
  DBSetTls(DbServer::InHouse, deployment.inHouseDbTls);
  DBSetTls(DbServer::Reports, deployment.reportDbTls);
  update::Config().serverListCheckerUrl = deployment.serverListCheckerUrl;
  update::Config().serverListCaFile = deployment.serverListCaFile;
  app.reportDbHost = deployment.reportDbHost;
  app.reportDbPort = deployment.reportDbPort;
}

void ApplyServerListHosts() {
  AppState& app = App();
  for (const ListedHost& listed : ListedHosts()) {
    const QString host = GetServerHost(listed.entry);
    if (!host.isEmpty()) app.*listed.host = host;
  }
}

void ShowUpdateNotice() {
  const QString notice = update::TakeNotice();
  if (!notice.isEmpty()) MsgBox(notice, MsgButtons::Ok, MsgIcon::Exclamation);
}

void RunStartupNetworkSteps() {
  ShowUpdateNotice();
  UpdateServerAddressFile(QString());
  ApplyServerListHosts();
  // An installation without an update server starts without asking one.
  if (App().updateServerHost.isEmpty()) return;
  if (paths::IsPackagedInstall()) {
    eventlog::Write(
        QStringLiteral("packaged install: updates come from the package manager; "
                       "the update check is skipped"));
    return;
  }
  QString note;
  const update::Trust trust =
      update::TrustOf(update::Config().publicKey, update::Config().allowUnsigned, &note);
  if (!note.isEmpty()) eventlog::Write(note);
  if (trust == update::Trust::Off) return;
  bool skipSelfUpdate = false;
  RunAutoUpdate(skipSelfUpdate);
}
