#include "platform/EventLog.h"

#include "platform/AppPaths.h"
#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace eventlog {

QString FilePath() { return paths::DataFolder() + QStringLiteral("/log/sendora.log"); }

namespace {

// A plain file for appending, with its size; -1 when it cannot be had. A link planted under its
// name is not followed, and whatever is there that is not a plain file (a pipe nobody reads) is
// neither written to nor waited on.
int OpenPlain(const QByteArray& path, qint64* size) {
  const int fd = ::open(path.constData(),
                        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  *size = st.st_size;
  return fd;
}

// The log, begun anew once it has grown to the cap.
int OpenLog(const QByteArray& path) {
  qint64 size = 0;
  const int fd = OpenPlain(path, &size);
  if (fd < 0 || size < kMaxBytes) return fd;
  ::close(fd);
  ::rename(path.constData(), (path + ".1").constData());
  return OpenPlain(path, &size);
}

}  // namespace

void Write(const QString& text) {
  const QString program = QCoreApplication::instance()
                              ? QFileInfo(QCoreApplication::applicationFilePath()).fileName()
                              : QStringLiteral("?");
  const QByteArray line = (clock_::LocalNow().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) +
                           program + QStringLiteral(": ") + text)
                              .toUtf8() +
                          '\n';
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
  const QString path = FilePath();
  QDir().mkpath(QFileInfo(path).path());
  const int fd = OpenLog(QFile::encodeName(path));
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t written = ::write(fd, line.constData(), line.size());
  ::close(fd);
}

}  // namespace eventlog
