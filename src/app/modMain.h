#pragma once
// Start-up and shutdown of the program.

#include <QString>

class FrmMain;

// What Main returns when the main window is open and the event loop must run.
inline constexpr int kMainWindowShown = -1;

// The start-up sequence; returns the process exit code, or kMainWindowShown.
int Main();
// The database initialisation step: true when the SMS database session is open.
bool InitApp();
void DestroyApp();
// Opens the main window; closing it runs DestroyApp. The window deletes itself when closed.
FrmMain* ShowMainWindow();
bool IsRunningInIDE(const QString& projectName);
