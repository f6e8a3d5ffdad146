#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace paths {
namespace {
QString& Override() {
  static QString dir;
  return dir;
}

// Root passes every access check, so a folder with no write bit at all counts as read-only too.
bool MayWriteIn(const QString& dir) {
  const QFileInfo info(dir);
  constexpr auto anyWrite =
      QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
  return info.isDir() && info.isWritable() && (info.permissions() & anyWrite);
}
}  // namespace

QString AppFolder() {
  if (!Override().isEmpty()) return Override();
  const QString env = qEnvironmentVariable("SENDORA_APP_DIR");
  if (!env.isEmpty()) return QDir::cleanPath(env);
  return QCoreApplication::applicationDirPath();
}

void SetAppFolder(const QString& dir) { Override() = dir.isEmpty() ? dir : QDir::cleanPath(dir); }

bool IsPackagedInstall() {
  return QFileInfo(QDir(AppFolder()).filePath(QLatin1String(kPackagedMarker))).isFile();
}

QString UserDataFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/Sendora");
}

QString DataFolder() {
  const QString app = AppFolder();
  if (!IsPackagedInstall() && MayWriteIn(app)) return app;
  const QString user = UserDataFolder();
  if (!QFileInfo(user).isDir()) {
    // Logs and exports hold customer data: the folder is the user's alone.
    QDir().mkpath(QFileInfo(user).absolutePath());
    QDir().mkdir(user, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
  return user;
}

QString ExeSuffix() {
#ifdef Q_OS_WIN
  return QStringLiteral(".exe");
#else
  return QString();
#endif
}

}  // namespace paths
