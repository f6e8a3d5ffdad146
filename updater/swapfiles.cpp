// swapfiles: replaces a program by its downloaded successor and starts it.
// Usage: swapfiles <program>;<new program>;<revision>   (run in the application folder)
// Waits until the program has ended, keeps it as <program>.bak, renames the new one into its
// place and checks that it answers --version with the promised revision; when it does not (or
// cannot start at all), the kept copy goes back and the revision is not tried again. Then
// whichever program is in place is started. Every failure goes to the event log and is shown by
// the program at its next start.
#include "app/UpdateRecord.h"
#include "app/UpdateTransfer.h"
#include "app/mdlFile.h"
#include "platform/AppPaths.h"
#include "platform/EventLog.h"
#include "platform/Process.h"
#include "platform/VersionArg.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <unistd.h>

#include <cstdio>

namespace {

// How long the program may take to end before the swap is given up (SENDORA_SWAP_WAIT_MS
// shortens it for the tests).
int WaitForEndMs() {
  bool ok = false;
  const int ms = qEnvironmentVariableIntValue("SENDORA_SWAP_WAIT_MS", &ok);
  return ok && ms > 0 ? ms : 60000;
}

// True while some process runs the executable at path.
bool IsRunning(const QString& path) {
  const QString self = QString::number(::getpid());
  const QStringList pids =
      QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& pid : pids) {
    if (pid == self || !pid.front().isDigit()) continue;
    if (QFileInfo(QStringLiteral("/proc/") + pid + QStringLiteral("/exe")).symLinkTarget() == path)
      return true;
  }
  return false;
}

bool Rename(const QString& from, const QString& to) {
  return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Logged, and kept for the program to show at its next start.
int Fail(int code, const QString& why) {
  eventlog::Write(why);
  update::PostNotice(QStringLiteral("프로그램 업데이트를 적용하지 못했습니다.\n") + why +
                     QStringLiteral("\n(log/sendora.log)"));
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerVersionQuery(argc, argv)) return 0;
  QCoreApplication app(argc, argv);
  const QStringList parts = app.arguments().mid(1).join(u' ').split(u';');
  const QString oldName = parts.value(0);
  const QString newName = parts.value(1);
  // Without a revision (a launcher older than this program) any answer to --version will do.
  bool revisionGiven = false;
  const qint64 revision = parts.value(2).toLongLong(&revisionGiven);
  if (parts.size() > 3 || !update::IsPlainFileName(oldName) || !update::IsPlainFileName(newName) ||
      (parts.size() == 3 && !revisionGiven)) {
    std::fprintf(stderr, "usage: swapfiles <program>;<new program>;<revision>\n");
    return 2;
  }
  const QString folder = QDir::currentPath();
  paths::SetAppFolder(folder);
  const QString program = QFileInfo(folder + u'/' + oldName).absoluteFilePath();
  const QString incoming = folder + u'/' + newName;
  const QString backup = program + QStringLiteral(".bak");
  if (!QFileInfo(incoming).isFile())
    return Fail(3, QStringLiteral("swapfiles: the new program %1 is missing").arg(incoming));

  QElapsedTimer waited;
  waited.start();
  while (IsRunning(program)) {
    if (waited.elapsed() > WaitForEndMs())
      return Fail(4, QStringLiteral("swapfiles: %1 was still running after %2 ms; not replaced")
                         .arg(program)
                         .arg(WaitForEndMs()));
    QThread::msleep(100);
  }

  QFile::remove(backup);
  const bool hadProgram = QFileInfo::exists(program);
  if (hadProgram && !Rename(program, backup))
    return Fail(5, QStringLiteral("swapfiles: %1 cannot be kept as %2").arg(program, backup));
  if (!Rename(incoming, program)) {
    if (hadProgram) Rename(backup, program);
    return Fail(6, QStringLiteral("swapfiles: %1 cannot be renamed to %2").arg(incoming, program));
  }
  QFile::remove(incoming + QStringLiteral(".manifest"));

  const QString version = GetFileVer(program);
  const QString answered = update::RevisionOf(version);
  const bool promised =
      revisionGiven ? update::RevisionNumber(version) == revision : !answered.isEmpty();
  if (!promised) {
    if (revisionGiven) update::NoteFailedRevision(oldName, revision);
    QFile::remove(program);
    const bool restored = hadProgram && Rename(backup, program);
    const QString why =
        QStringLiteral("swapfiles: the new %1 answered --version with \"%2\", not revision %3; %4")
            .arg(oldName, answered, revisionGiven ? QString::number(revision) : QStringLiteral("?"),
                 restored ? QStringLiteral("the kept copy is back in place")
                          : QStringLiteral("no copy to put back"));
    Fail(8, why);
    if (!restored) return 8;
    process::StartDetached(program, {}, folder);
    return 8;
  }
  eventlog::Write(QStringLiteral("swapfiles: %1 replaced by revision %2").arg(oldName, answered));
  if (!process::StartDetached(program, {}, folder))
    return Fail(7, QStringLiteral("swapfiles: %1 cannot be started").arg(program));
  return 0;
}
