#pragma once
// One running copy per user: a lock file in the user's own folder, held for the life of the
// process. A copy that crashed or was killed leaves the file behind, but the next start sees
// that its owner is gone and takes the lock over at once.

#include <QLockFile>
#include <QString>

class SingleInstanceLock {
 public:
  // The lock file is folder/name.lock; the folder is created when missing.
  SingleInstanceLock(const QString& folder, const QString& name);
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // False only when another live process holds the lock. When the lock file cannot be written
  // at all (no folder, no permission) the program is let through unguarded: refusing to start
  // would be worse than allowing a second copy.
  bool TryAcquire();
  // True while this object holds the lock.
  bool IsHeld() const;

 private:
  QLockFile m_lock;
};
