#include "app/modAutoUpdateV1_Launcher.h"

#include "app/UpdateRecord.h"
#include "app/UpdateSettings.h"
#include "app/UpdateTransfer.h"
#include "app/modServerAddressUtil.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "platform/EventLog.h"
#include "platform/Process.h"
#include "platform/Prompt.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <exception>

namespace {

const QString kModule = QStringLiteral("modAutoUpdateV1_Launcher");

QString CheckerName() { return QStringLiteral("VerProbeV1") + paths::ExeSuffix(); }
QString SwapperName() { return QStringLiteral("swapfiles") + paths::ExeSuffix(); }
QString InAppFolder(const QString& name) { return paths::AppFolder() + u'/' + name; }

update::Trust CurrentTrust() {
  QString why;
  return update::TrustOf(update::Config().publicKey, update::Config().allowUnsigned, &why);
}

void ShowUnreadableVersion(const QString& program) {
  MsgBox(program + QStringLiteral("의 최신버전 정보를 읽어올 수 없습니다!"), MsgButtons::Ok,
         MsgIcon::Critical);
}

// A helper program named in a signed manifest: newer than the installed one, never older than
// one trusted before, and answering --version with the promised revision before it is put in
// place.
bool RefreshSignedHelper(const QString& program) {
  const update::Settings& config = update::Config();
  update::Offer offer;
  QString why;
  bool unreadable = false;
  if (!update::FindOffer(config.baseAddress, program, update::Trust::Signed, config.publicKey,
                         &offer, &why, &unreadable)) {
    eventlog::Write(QStringLiteral("update of ") + program + QStringLiteral(" refused: ") + why);
    if (unreadable && program == CheckerName()) ShowUnreadableVersion(program);
    return false;
  }
  const qint64 revision = offer.revision;
  const QString rollback = update::Rollback(program, revision);
  if (!rollback.isEmpty()) {
    eventlog::Write(QStringLiteral("update of ") + program + QStringLiteral(" refused: ") +
                    rollback);
    return false;
  }
  if (update::InstalledRevision(InAppFolder(program)) >= revision) return true;
  update::NoteTrustedRevision(program, revision);
  const auto answersPromise = [&](const QString& file, QString* reason) {
    const qint64 answered = update::InstalledRevision(file);
    if (answered == revision) return true;
    *reason = QStringLiteral("the download answers revision %1, its manifest promised %2")
                  .arg(answered)
                  .arg(revision);
    return false;
  };
  if (!update::InstallDownload(config.baseAddress + program, InAppFolder(program), &offer.manifest,
                               config.limits, answersPromise, &why)) {
    eventlog::Write(QStringLiteral("update of ") + program + QStringLiteral(" failed: ") + why);
    return false;
  }
  eventlog::Write(QStringLiteral("%1 updated to revision %2").arg(program).arg(revision));
  return true;
}

// Without signatures, as the update server has always worked: the checker's version file
// decides for both helpers.
bool RefreshUnsignedHelpers() {
  const update::Settings& config = update::Config();
  const QString program = CheckerName();
  update::Offer offer;
  QString why;
  if (!update::FindOffer(config.baseAddress, program, update::Trust::Unsigned, QString(), &offer,
                         &why)) {
    ShowUnreadableVersion(program);
    return false;
  }
  if (update::InstalledRevision(InAppFolder(program)) >= offer.revision) return true;
  for (const QString& name : {program, SwapperName()}) {
    if (!update::InstallDownload(config.baseAddress + name, InAppFolder(name), nullptr,
                                 config.limits, {}, &why)) {
      eventlog::Write(QStringLiteral("update of ") + name + QStringLiteral(" failed: ") + why);
      return false;
    }
  }
  return true;
}

// The new copy the checker left, with the manifest it was installed under: the revision that
// swapfiles must see it answer, or 0 when the copy is not to be handed on.
qint64 PendingRevision(const QString& appFile, const QString& newCopy) {
  AppState& app = App();
  QByteArray text;
  update::Manifest m;
  QString why;
  if (!safefile::ReadNoFollow(newCopy + QStringLiteral(".manifest"), update::kManifestMaxBytes,
                              &text)) {
    why = QStringLiteral("its manifest is missing");
  } else if (update::ParseManifest(text, &m, &why) &&
             update::CheckManifest(m, appFile, update::Config().publicKey, clock_::LocalNow(),
                                   &why)) {
    const qint64 own = update::RevisionNumber(app.fileVersion);
    QCryptographicHash digest(QCryptographicHash::Sha256);
    qint64 size = 0;
    if (m.revision <= own) {
      why = QStringLiteral("revision %1 is not newer than %2").arg(m.revision).arg(own);
    } else if (!safefile::ReadNoFollow(newCopy, m.size,
                                       [&](const QByteArray& chunk) {
                                         size += chunk.size();
                                         digest.addData(chunk);
                                       }) ||
               size != m.size || digest.result().toHex() != m.sha256) {
      why = QStringLiteral("it is not the file its manifest names");
    } else {
      return m.revision;
    }
  }
  eventlog::Write(QStringLiteral("new copy of %1 not installed: %2").arg(appFile, why));
  return 0;
}

void RemoveNewCopy(const QString& newCopy) {
  QFile::remove(newCopy);
  QFile::remove(newCopy + QStringLiteral(".manifest"));
}

}  // namespace

QString ApplicationFileName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

bool AutoUpdaterSelfUpdate() {
  AppState& app = App();
  try {
    update::Config().baseAddress =
        update::UpdateBaseAddress(update::Config().scheme, app.updateServerHost);
    switch (CurrentTrust()) {
      case update::Trust::Signed:
        return RefreshSignedHelper(CheckerName()) && RefreshSignedHelper(SwapperName());
      case update::Trust::Unsigned:
        return RefreshUnsignedHelpers();
      case update::Trust::Off:
        return false;
    }
    return false;
  } catch (const std::exception& e) {
    MsgError(0, QString::fromLocal8Bit(e.what()), QStringLiteral("AutoUpdaterSelfUpdate"), kModule);
    return false;
  }
}

bool RunAutoUpdate(bool& skipSelfUpdate) {
  try {
    if (CurrentTrust() == update::Trust::Off) return false;
    if (!skipSelfUpdate && !AutoUpdaterSelfUpdate()) return false;
    const QString checker = InAppFolder(CheckerName());
    if (!FileExists(checker)) return false;

    const QString appFile = ApplicationFileName();
    const QString newCopy = InAppFolder(QStringLiteral("New_") + appFile);
    // Only what this run of the checker leaves is handed on.
    RemoveNewCopy(newCopy);
    const QString parameters = update::RevisionOf(App().fileVersion) + u';' + appFile;
    // The checker's own requests are limited; this only stops one that hangs.
    const int limitMs = 3 * update::kReadTimeoutMs + update::Config().limits.deadlineMs + 30000;
    const int code = process::RunAndWait(checker, {parameters}, paths::AppFolder(), limitMs);
    if (code != 0) {
      eventlog::Write(QStringLiteral("%1 failed (exit code %2); nothing is installed")
                          .arg(CheckerName())
                          .arg(code));
      RemoveNewCopy(newCopy);
      return false;
    }

    if (!FileExists(newCopy)) return false;
    const qint64 revision = PendingRevision(appFile, newCopy);
    if (revision == 0) {
      RemoveNewCopy(newCopy);
      return false;
    }
    const QString swapper = InAppFolder(SwapperName());
    if (!FileExists(swapper)) {
      MsgBox(QStringLiteral("파일교체 프로그램을 찾을 수 없습니다.\n\n") + swapper);
      process::ShellOpen(paths::AppFolder());
      process::EndProcess(0);
      return false;
    }
    process::StartDetached(
        swapper, {appFile + QStringLiteral(";New_") + appFile + u';' + QString::number(revision)},
        paths::AppFolder());
    process::EndProcess(0);
    return false;
  } catch (const std::exception& e) {
    MsgError(0, QString::fromLocal8Bit(e.what()), QStringLiteral("RunAutoUpdate"), kModule);
    return false;
  }
}
