// swapfiles: replaces a program by its downloaded successor and starts it.
// Usage: swapfiles <program>;<new program>   (run in the application folder)
// Waits until the program has ended, keeps it as <program>.bak, renames the new one into its
// place and starts it.
#include "platform/Process.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <unistd.h>

#include <cstdio>

namespace {

// How long the program may take to end before the swap is given up.
constexpr int kWaitForEndMs = 60000;

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

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString argument = app.arguments().mid(1).join(u' ');
  const QString oldName = argument.section(u';', 0, 0);
  const QString newName = argument.section(u';', 1);
  if (oldName.isEmpty() || newName.isEmpty() || oldName.contains(u'/') || newName.contains(u'/')) {
    std::fprintf(stderr, "usage: swapfiles <program>;<new program>\n");
    return 2;
  }
  const QString folder = QDir::currentPath();
  const QString program = QFileInfo(folder + u'/' + oldName).absoluteFilePath();
  const QString incoming = folder + u'/' + newName;
  const QString backup = program + QStringLiteral(".bak");
  if (!QFileInfo(incoming).isFile()) return 3;

  QElapsedTimer waited;
  waited.start();
  while (IsRunning(program)) {
    if (waited.elapsed() > kWaitForEndMs) return 4;
    QThread::msleep(100);
  }

  QFile::remove(backup);
  const bool hadProgram = QFileInfo::exists(program);
  if (hadProgram && !Rename(program, backup)) return 5;
  if (!Rename(incoming, program)) {
    if (hadProgram) Rename(backup, program);
    return 6;
  }
  QFile::setPermissions(
      program, QFile::permissions(program) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
  return process::StartDetached(program, {}, folder) ? 0 : 7;
}
