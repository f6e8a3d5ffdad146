#include "app/modAutoUpdateV1_Launcher.h"

#include "app/AppState.h"
#include "app/UpdateTransfer.h"
#include "app/mdlFile.h"
#include "app/modServerAddressUtil.h"
#include "platform/AppPaths.h"
#include "platform/Process.h"
#include "platform/Prompt.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <exception>

namespace {

const QString kModule = QStringLiteral("modAutoUpdateV1_Launcher");

QString CheckerName() { return QStringLiteral("VerProbeV1") + paths::ExeSuffix(); }
QString SwapperName() { return QStringLiteral("swapfiles") + paths::ExeSuffix(); }
QString InAppFolder(const QString& name) { return paths::AppFolder() + u'/' + name; }

}  // namespace

QString ApplicationFileName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

bool AutoUpdaterSelfUpdate() {
  AppState& app = App();
  try {
    const QString program = CheckerName();
    const QString local = InAppFolder(program);
    const QString localRevision =
        FileExists(local) ? update::RevisionOf(GetFileVer(local)) : QStringLiteral("0");
    const QString info = update::VersionInfoFileName(program);
    app.updateBaseAddress = update::UpdateBaseAddress(app.updateScheme, app.updateServerHost);

    const QString answer = update::ReadUrlHead(app.updateBaseAddress + info).trimmed();
    long long newest = 0;
    // A body that is no number cannot be compared either: treated like no answer.
    if (answer.isEmpty() || !update::WholeNumber(answer, &newest)) {
      MsgBox(program + QStringLiteral("의 최신버전 정보를 읽어올 수 없습니다!"), MsgButtons::Ok,
             MsgIcon::Critical);
      return false;
    }
    if (update::LeadingNumber(localRevision) < static_cast<double>(newest)) {
      if (!update::DownloadFile(app.updateBaseAddress + program, local, app.updatePublicKey))
        return false;
      if (!update::DownloadFile(app.updateBaseAddress + SwapperName(), InAppFolder(SwapperName()),
                                app.updatePublicKey))
        return false;
    }
    return true;
  } catch (const std::exception& e) {
    MsgError(0, QString::fromLocal8Bit(e.what()), QStringLiteral("AutoUpdaterSelfUpdate"), kModule);
    return false;
  }
}

bool RunAutoUpdate(bool& skipSelfUpdate) {
  try {
    if (!skipSelfUpdate && !AutoUpdaterSelfUpdate()) return false;
    const QString checker = InAppFolder(CheckerName());
    if (!FileExists(checker)) return false;

    const QString appFile = ApplicationFileName();
    const QString parameters = update::RevisionOf(App().fileVersion) + u';' + appFile;
    process::RunAndWait(checker, {parameters}, paths::AppFolder());

    if (!FileExists(InAppFolder(QStringLiteral("New_") + appFile))) return false;
    const QString swapper = InAppFolder(SwapperName());
    if (!FileExists(swapper)) {
      MsgBox(QStringLiteral("파일교체 프로그램을 찾을 수 없습니다.\n\n") + swapper);
      process::ShellOpen(paths::AppFolder());
      process::EndProcess(0);
      return false;
    }
    process::StartDetached(swapper, {appFile + QStringLiteral(";New_") + appFile},
                           paths::AppFolder());
    process::EndProcess(0);
    return false;
  } catch (const std::exception& e) {
    MsgError(0, QString::fromLocal8Bit(e.what()), QStringLiteral("RunAutoUpdate"), kModule);
    return false;
  }
}
