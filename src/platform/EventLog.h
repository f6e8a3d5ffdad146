#pragma once
// The program's event log: one line per event that the staff do not see but an administrator
// may need (an update refused, a server list not taken, a helper program that failed), in
// "log/sendora.log" in the data folder (paths::DataFolder), and on standard error for console
// programs.

#include <QString>

namespace eventlog {

// A log that has grown to this size is kept as "sendora.log.1" (replacing the one kept before)
// and a new one begins.
inline constexpr qint64 kMaxBytes = 1024 * 1024;

// Appends "yyyy-MM-dd HH:mm:ss <program>: <text>". Never fails loudly: a log that cannot be
// written must not stop start-up.
void Write(const QString& text);
QString FilePath();

}  // namespace eventlog
