#pragma once
// Starting other programs and opening documents.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace process {

// Starts without waiting; an empty working folder keeps the caller's.
bool StartDetached(const QString& program, const QStringList& arguments,
                   const QString& workingDirectory = QString());
// The shell's "Open" of a file, folder or address.
bool ShellOpen(const QString& target);
// Opens a local file with the program the desktop associates with it (a written spreadsheet,
// say). Tests replace it so that nothing is opened; nullptr restores the desktop.
bool OpenWithDefaultApp(const QString& file);
void SetOpenWithDefaultAppOverride(std::function<bool(const QString& file)> open);
// Tests replace the shell's "Open" to see what would be opened (nullptr restores it).
void SetShellOpenOverride(bool (*open)(const QString& target));
// Starts the program and waits until it has ended (timeoutMs < 0: without a limit; past the
// limit it is killed). Its exit code, or -1 when it could not be started, crashed or was killed.
int RunAndWait(const QString& program, const QStringList& arguments,
               const QString& workingDirectory, int timeoutMs = -1);
// What the program writes to its standard output before it ends; empty when it cannot be
// started or takes longer than timeoutMs (it is then killed).
QByteArray ReadOutput(const QString& program, const QStringList& arguments, int timeoutMs);

}  // namespace process

namespace process {

// Ends the process at once with the given code: the request is recorded, the event loop told to
// quit, and the caller leaves its procedure (closing its dialog); start-up sees the request when
// the modal dialog returns and ends without going on. Tests replace it to observe the end.
void EndProcess(int code);
// True (and the code) once EndProcess was called.
bool EndRequested(int* code = nullptr);
void SetEndProcessOverride(void (*end)(int code));

}  // namespace process
