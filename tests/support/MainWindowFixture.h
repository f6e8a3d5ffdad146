#pragma once
// The main window against the private server, as the login leaves the program: fresh databases,
// a settings folder of the test's own, the staff member logged in and the SMS session open.

#include "mainwindow/FrmMain.h"
#include "platform/AppState.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    settings::SetRoot(m_settings.path());
  }

  // Shown, not yet active: how a window becomes active depends on the screen.
  std::unique_ptr<FrmMain> OpenMainWindow(const QString& staff) {
    App().appTitle = QStringLiteral("Sendora");
    SetDefaultPromptTitle(App().appTitle);
    App().smsDbHost = testdb::Host();
    App().staff.userId = staff;
    App().staff.userName = QStringLiteral("직원");
    EXPECT_TRUE(testdb::ConnectSms());
    auto w = std::make_unique<FrmMain>();
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->show();
    return w;
  }

  QTemporaryDir m_settings;
  testdb::Admin m_admin;
  ScriptedPrompt m_prompt;
};
