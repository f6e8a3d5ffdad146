#pragma once
// Starting other programs and opening documents, without waiting for them.

#include <QString>
#include <QStringList>

#include <functional>

namespace process {

bool StartDetached(const QString& program, const QStringList& arguments);
// The shell's "Open" of a file or address.
bool ShellOpen(const QString& target);
// Opens a local file with the program the desktop associates with it (a written spreadsheet,
// say). Tests replace it so that nothing is opened; nullptr restores the desktop.
bool OpenWithDefaultApp(const QString& file);
void SetOpenWithDefaultAppOverride(std::function<bool(const QString& file)> open);

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
