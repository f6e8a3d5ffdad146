#include "platform/EventLog.h"

#include "platform/AppPaths.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace eventlog {

QString FilePath() { return paths::AppFolder() + QStringLiteral("/log/sendora.log"); }

void Write(const QString& text) {
  const QString program = QCoreApplication::instance()
                              ? QFileInfo(QCoreApplication::applicationFilePath()).fileName()
                              : QStringLiteral("?");
  const QByteArray line = (clock_::LocalNow().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) +
                           program + QStringLiteral(": ") + text)
                              .toUtf8() +
                          '\n';
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
  QDir().mkpath(QFileInfo(FilePath()).path());
  // A link planted under the log's name is not followed.
  const int fd = ::open(QFile::encodeName(FilePath()).constData(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t written = ::write(fd, line.constData(), line.size());
  ::close(fd);
}

}  // namespace eventlog
