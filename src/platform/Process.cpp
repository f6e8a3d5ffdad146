#include "platform/Process.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include <cstdlib>

namespace process {

bool StartDetached(const QString& program, const QStringList& arguments) {
  return QProcess::startDetached(program, arguments);
}

bool ShellOpen(const QString& target) {
  const QUrl url = QUrl::fromUserInput(target);
  return QDesktopServices::openUrl(url);
}

}  // namespace process

namespace process {
namespace {
void (*g_endOverride)(int) = nullptr;
}

void EndProcess(int code) {
  if (g_endOverride) {
    g_endOverride(code);
    return;
  }
  std::exit(code);
}

void SetEndProcessOverride(void (*end)(int)) { g_endOverride = end; }

}  // namespace process
