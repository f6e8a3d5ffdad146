#pragma once
// The password the login remembers on this workstation (the "저장" box). It is kept in the
// desktop's secret store when one answers; otherwise only its digest, which is all the login
// needs, goes to the per-user settings file. The password itself is never written to that file.
// Older versions kept it there in clear: the first Load moves it.

#include <QByteArray>
#include <QString>

struct RememberedPassword {
  QString password;   // from the secret store
  QByteArray digest;  // from the settings file, when there was no secret store
  bool IsEmpty() const { return password.isEmpty() && digest.isEmpty(); }
};

namespace remembered {

// The secret store is asked only while remembering is on (the box is checked): an entry that
// could not be removed when it was turned off, because the store did not answer, stays unused.
RememberedPassword Load(bool remembering);
// Returns what is kept now. An empty password forgets.
RememberedPassword Save(const QString& password);
void Forget();

}  // namespace remembered
