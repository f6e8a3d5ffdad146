#include "platform/Process.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace process {

bool StartDetached(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

bool ShellOpen(const QString& target) {
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
