#include "platform/Process.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace process {

namespace {
bool (*g_shellOpenOverride)(const QString&) = nullptr;
}  // namespace

bool StartDetached(const QString& program, const QStringList& arguments,
                   const QString& workingDirectory) {
  return QProcess::startDetached(program, arguments, workingDirectory);
}

bool ShellOpen(const QString& target) {
  if (g_shellOpenOverride) return g_shellOpenOverride(target);
  const QUrl url = QUrl::fromUserInput(target);
  return QDesktopServices::openUrl(url);
}

namespace {
std::function<bool(const QString&)>& OpenOverride() {
  static std::function<bool(const QString&)> open;
  return open;
}
}  // namespace

bool OpenWithDefaultApp(const QString& file) {
  if (OpenOverride()) return OpenOverride()(file);
  // fromLocalFile, not fromUserInput: a Hangul or '#' in the name stays part of the path.
  return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void SetOpenWithDefaultAppOverride(std::function<bool(const QString&)> open) {
  OpenOverride() = std::move(open);
}

void SetShellOpenOverride(bool (*open)(const QString&)) { g_shellOpenOverride = open; }

int RunAndWait(const QString& program, const QStringList& arguments,
               const QString& workingDirectory, int timeoutMs) {
  QProcess p;
  p.setWorkingDirectory(workingDirectory);
  p.setProcessChannelMode(QProcess::ForwardedChannels);
  p.start(program, arguments);
  if (!p.waitForStarted(-1)) return -1;
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(5000);
    return -1;
  }
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QByteArray ReadOutput(const QString& program, const QStringList& arguments, int timeoutMs) {
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.setStandardInputFile(QProcess::nullDevice());
  p.start(program, arguments);
  if (!p.waitForStarted(timeoutMs)) return QByteArray();
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(1000);
    return QByteArray();
  }
  return p.readAllStandardOutput();
}

}  // namespace process

namespace process {
namespace {
void (*g_endOverride)(int) = nullptr;
bool g_endRequested = false;
int g_endCode = 0;
}  // namespace

void EndProcess(int code) {
  if (g_endOverride) {
    g_endOverride(code);
    return;
  }
  // No exit() from inside a dialog: the stack unwinds and every window and session is released.
  g_endRequested = true;
  g_endCode = code;
  QCoreApplication::exit(code);
}

bool EndRequested(int* code) {
  if (code) *code = g_endCode;
  return g_endRequested;
}

void SetEndProcessOverride(void (*end)(int)) { g_endOverride = end; }

}  // namespace process
