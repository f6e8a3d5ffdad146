#include "platform/SafeFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace safefile {
namespace {

QString ErrnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

bool WriteAll(int fd, const QByteArray& data) {
  qint64 done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

TempFile::TempFile(const QString& folder, const QString& stem) : m_folder(folder) {
  m_dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_dir < 0) {
    Fail(QStringLiteral("cannot open the folder ") + folder);
    return;
  }
  for (int attempt = 0; attempt < 16 && m_fd < 0; ++attempt) {
    m_name = stem + u'.' + QString::number(QRandomGenerator::system()->generate64(), 16) +
             QStringLiteral(".part");
    m_fd = ::openat(m_dir, QFile::encodeName(m_name).constData(),
                    O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0 && errno != EEXIST) break;
  }
  if (m_fd < 0) Fail(QStringLiteral("cannot create ") + Path());
}

TempFile::~TempFile() {
  if (m_fd >= 0) {
    ::close(m_fd);
    if (!m_committed) ::unlinkat(m_dir, QFile::encodeName(m_name).constData(), 0);
  }
  if (m_dir >= 0) ::close(m_dir);
}

bool TempFile::Fail(const QString& what) {
  if (m_error.isEmpty()) m_error = what + QStringLiteral(": ") + ErrnoText();
  return false;
}

bool TempFile::Write(const QByteArray& data) {
  if (m_fd < 0 || m_committed || m_readOnly) return false;
  if (!WriteAll(m_fd, data)) return Fail(QStringLiteral("cannot write ") + Path());
  m_size += data.size();
  return true;
}

bool TempFile::FinishWriting() {
  if (m_fd < 0 || m_committed) return false;
  if (m_readOnly) return true;
  if (::fsync(m_fd) != 0) return Fail(QStringLiteral("cannot finish ") + Path());
  // The same open file again, read-only (through the descriptor, not the name): a file that is
  // open for writing cannot be run.
  const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
  const int reader = ::open(self.constData(), O_RDONLY | O_CLOEXEC);
  if (reader < 0) return Fail(QStringLiteral("cannot reopen ") + Path());
  ::close(m_fd);
  m_fd = reader;
  m_readOnly = true;
  return true;
}

bool TempFile::ReadBack(const std::function<void(const QByteArray&)>& take) {
  if (m_fd < 0) return false;
  QByteArray buffer(64 * 1024, Qt::Uninitialized);
  off_t offset = 0;
  for (;;) {
    const ssize_t n = ::pread(m_fd, buffer.data(), static_cast<size_t>(buffer.size()), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Fail(QStringLiteral("cannot read ") + Path());
    if (n == 0) return true;
    take(QByteArray(buffer.constData(), n));
    offset += n;
  }
}

bool TempFile::SetMode(mode_t mode) {
  if (m_fd < 0 || ::fchmod(m_fd, mode) != 0)
    return Fail(QStringLiteral("cannot set the mode of ") + Path());
  return true;
}

bool TempFile::Commit(const QString& name) {
  if (!FinishWriting()) return false;
  // The rename goes by name: what has the name must be the file this descriptor checked, or
  // something else would be put in place. Checked before the rename, so that the file it
  // would replace stays; and after it, for a swap in between.
  const auto ours = [this](const QByteArray& entry) {
    struct stat mine {
    }, named{};
    return ::fstat(m_fd, &mine) == 0 &&
           ::fstatat(m_dir, entry.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
  };
  const auto replaced = [this] {
    errno = EEXIST;
    return Fail(Path() + QStringLiteral(" was replaced while it was checked"));
  };
  const QByteArray temporary = QFile::encodeName(m_name);
  if (!ours(temporary)) return replaced();
  const QByteArray target = QFile::encodeName(name);
  if (::renameat(m_dir, temporary.constData(), m_dir, target.constData()) != 0)
    return Fail(QStringLiteral("cannot rename ") + Path() + QStringLiteral(" to ") + name);
  m_committed = true;
  if (!ours(target)) {
    ::unlinkat(m_dir, target.constData(), 0);
    return replaced();
  }
  ::fsync(m_dir);
  return true;
}

bool CreateExclusive(const QString& path, const QByteArray& data, mode_t mode, QString* error) {
  const int fd = ::open(QFile::encodeName(path).constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) {
    *error = path + QStringLiteral(": ") + ErrnoText();
    return false;
  }
  // The mode given at creation is narrowed by the umask, never widened: set it exactly.
  const bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, data) && ::fsync(fd) == 0;
  if (!ok) *error = path + QStringLiteral(": ") + ErrnoText();
  ::close(fd);
  if (!ok) ::unlink(QFile::encodeName(path).constData());
  return ok;
}

bool ReadNoFollow(const QString& path, qint64 maxBytes,
                  const std::function<void(const QByteArray&)>& take) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes;
  qint64 total = 0;
  QByteArray buffer(64 * 1024, Qt::Uninitialized);
  while (ok) {
    const ssize_t n = ::read(fd, buffer.data(), static_cast<size_t>(buffer.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    total += n;
    ok = total <= maxBytes;
    if (ok) take(QByteArray(buffer.constData(), n));
  }
  ::close(fd);
  return ok;
}

bool ReadNoFollow(const QString& path, qint64 maxBytes, QByteArray* out) {
  out->clear();
  return ReadNoFollow(path, maxBytes, [out](const QByteArray& chunk) { out->append(chunk); });
}

}  // namespace safefile
