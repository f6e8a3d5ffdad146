#pragma once
// What the update chain remembers between runs, in the per-user settings store, where no
// downloaded file can overwrite it: the highest revision of each program ever trusted (an older
// one is a rollback, refused even after old program files were installed again), the highest
// "ver" of a server list taken as authentic (an older signed list is a replay), the revision
// that was swapped in and failed (not tried again), and a notice for the next start.

#include <QString>

namespace update {

qint64 TrustedRevision(const QString& name);
// Keeps the higher of the stored and the given revision.
void NoteTrustedRevision(const QString& name, qint64 revision);
qint64 TrustedListVersion();
// Keeps the higher of the stored and the given version.
void NoteTrustedListVersion(qint64 ver);
qint64 FailedRevision(const QString& name);
void NoteFailedRevision(const QString& name, qint64 revision);

// A text the program shows at its next start (several are kept one per line).
void PostNotice(const QString& text);
// The texts posted since the last call; they are gone afterwards.
QString TakeNotice();

}  // namespace update
