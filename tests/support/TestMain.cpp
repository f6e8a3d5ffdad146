// Shared main of every test program: an offscreen QApplication and a private settings folder
// and application folder, so that no test touches the user's own files, and an input context of
// its own, so that none switches the desktop's input method.
#include "platform/AppPaths.h"
#include "platform/SettingsStore.h"
#include "support/SharedInputContext.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

SharedInputContext& TestInputContext() {
  static SharedInputContext context;
  return context;
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir settingsDir;
  QTemporaryDir appDir;
  settings::SetRoot(settingsDir.path());
  paths::SetAppFolder(appDir.path());
  inputmode::SetBackend(&TestInputContext());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
