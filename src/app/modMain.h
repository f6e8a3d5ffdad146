#pragma once
// Start-up and shutdown of the program.

#include <QString>

// What Main returns when the main window is open and the event loop must run.
inline constexpr int kMainWindowShown = -1;

// The start-up sequence; returns the process exit code, or kMainWindowShown.
int Main();
// The database initialisation step: true when the SMS database session is open.
bool InitApp();
void DestroyApp();
bool IsRunningInIDE(const QString& projectName);
