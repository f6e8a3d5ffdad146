#pragma once
// Starting other programs and opening documents, without waiting for them.

#include <QString>
#include <QStringList>

namespace process {

bool StartDetached(const QString& program, const QStringList& arguments);
// The shell's "Open" of a file or address.
bool ShellOpen(const QString& target);

}  // namespace process

namespace process {

// Ends the process at once with the given code. Tests replace it to observe the end; when a
// replacement returns, the caller goes on to leave its procedure.
void EndProcess(int code);
void SetEndProcessOverride(void (*end)(int code));

}  // namespace process
