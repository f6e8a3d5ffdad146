#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace paths {
namespace {
QString& Override() {
  static QString dir;
  return dir;
}
}  // namespace

QString AppFolder() {
  if (!Override().isEmpty()) return Override();
  const QString env = qEnvironmentVariable("SENDORA_APP_DIR");
  if (!env.isEmpty()) return QDir::cleanPath(env);
  return QCoreApplication::applicationDirPath();
}

void SetAppFolder(const QString& dir) { Override() = dir.isEmpty() ? dir : QDir::cleanPath(dir); }

QString ExeSuffix() {
#ifdef Q_OS_WIN
  return QStringLiteral(".exe");
#else
  return QString();
#endif
}

}  // namespace paths
