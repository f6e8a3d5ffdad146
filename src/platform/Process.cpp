#include "platform/Process.h"

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

}  // namespace process
