#pragma once

#include <QString>

namespace paths {

// The application folder: the executable's folder unless SENDORA_APP_DIR names another.
QString AppFolder();
// Tests and tools may set it directly; an empty text goes back to the rule above.
void SetAppFolder(const QString& dir);

// The platform's suffix of executable file names ("" here, ".exe" on Windows).
QString ExeSuffix();

}  // namespace paths
