#pragma once

#include <QString>

namespace paths {

// The application folder: the executable's folder unless SENDORA_APP_DIR names another.
QString AppFolder();
// Tests and tools may set it directly; an empty text goes back to the rule above.
void SetAppFolder(const QString& dir);

// Name of the file a system package installs beside the executables.
inline constexpr const char* kPackagedMarker = "packaged";
// A packaged install is one with kPackagedMarker in the application folder.
bool IsPackagedInstall();

// Where the program writes its own files (window layouts, logs, exports, config.ini, the server
// list): the application folder of a portable copy that may write there, otherwise (a packaged
// install, or a folder this user cannot write or whose write bits are all off) the user's data
// folder, $XDG_DATA_HOME/Sendora, made private on first use.
QString DataFolder();
// The user's data folder of the rule above, whether or not it is the one in use.
QString UserDataFolder();

// The platform's suffix of executable file names ("" here, ".exe" on Windows).
QString ExeSuffix();

}  // namespace paths
