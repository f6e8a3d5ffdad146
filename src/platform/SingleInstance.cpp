#include "platform/SingleInstance.h"

#include <QDir>

namespace {
QString LockPath(const QString& folder, const QString& name) {
  QString base = name;
  base.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
  return QDir(folder).filePath(base + QStringLiteral(".lock"));
}
}  // namespace

SingleInstanceLock::SingleInstanceLock(const QString& folder, const QString& name)
    : m_lock(LockPath(folder, name)) {
  QDir().mkpath(folder);
  // The lock is held for hours. A stale file is recognised by its dead owner's PID, never by
  // age: where flock is not honoured (network home folders) the age rule would hand a
  // long-running copy's lock to a second one.
  m_lock.setStaleLockTime(0);
}

bool SingleInstanceLock::TryAcquire() {
  if (m_lock.isLocked()) return true;
  if (m_lock.tryLock(0)) return true;
  if (m_lock.error() == QLockFile::LockFailedError) return false;
  qWarning("Single-instance lock %s could not be created (error %d); running unguarded",
           qPrintable(m_lock.fileName()), int(m_lock.error()));
  return true;
}

bool SingleInstanceLock::IsHeld() const { return m_lock.isLocked(); }
