#pragma once
// Files that are installed or hold secrets, made so that what was checked is what ends up in
// place: created exclusively (never over an existing file, never through a planted link), written
// and read back through one descriptor, renamed into place through the same folder handle.

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <functional>

namespace safefile {

class TempFile {
 public:
  // A new file "<stem>.<random>.part" in folder, mode 0600.
  TempFile(const QString& folder, const QString& stem);
  ~TempFile();  // removes the file unless it was committed
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  bool IsOpen() const { return m_fd >= 0; }
  QString Path() const { return m_folder + u'/' + m_name; }
  QString Error() const { return m_error; }
  qint64 Size() const { return m_size; }

  bool Write(const QByteArray& data);
  // Ends writing: the descriptor becomes a read-only one of the same file, so that the file can
  // be run (for a version check) while it is still held.
  bool FinishWriting();
  // The content from the start, through the same descriptor, in chunks.
  bool ReadBack(const std::function<void(const QByteArray& chunk)>& take);
  bool SetMode(mode_t mode);
  // Puts the data on disk and renames the file over name in the same folder (a link there is
  // replaced, not followed); fails, and leaves name as it was, when what has the temporary name
  // is no longer this descriptor's file; fails, and removes what has the name, when the swap came
  // between that check and the rename.
  bool Commit(const QString& name);

 private:
  bool Fail(const QString& what);

  QString m_folder;
  QString m_name;
  int m_dir = -1;
  int m_fd = -1;
  qint64 m_size = 0;
  bool m_committed = false;
  bool m_readOnly = false;
  QString m_error;
};

// Creates path with mode and writes data; false when anything (a file or a link) is there already.
bool CreateExclusive(const QString& path, const QByteArray& data, mode_t mode, QString* error);
// The content of a regular file that is no link, at most maxBytes; false otherwise.
bool ReadNoFollow(const QString& path, qint64 maxBytes, QByteArray* out);
// The same in chunks, for files too large to hold.
bool ReadNoFollow(const QString& path, qint64 maxBytes,
                  const std::function<void(const QByteArray& chunk)>& take);

}  // namespace safefile
