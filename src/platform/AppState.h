#pragma once
// Process-wide state of the program, in one place: who the program is, where its servers are,
// its switches and the staff member signed in. Every layer may read it; start-up and the login
// write it. Lower layers read it only through the accessors at the end of this file.

#include <QString>

#include <cstdint>

// The program's title, also the application name of its settings; the helper programs, which
// have no title of their own, keep their records under it too.
inline const QString kAppName = QStringLiteral("Sendora");

// The staff member signed in at start-up.
struct LoggedInStaff {
  QString userId;  // the user-name box text passed through DBEscape
  QString userName;
  std::int16_t level = 0;
  QString loginTime;  // the server's now() at login, "yyyy-mm-dd hh:mm:ss"
};

struct AppState {
  QString appTitle;             // also the settings application name
  QString companySettingsName;  // settings shared by all of the company's programs
  QString updateServerHost;     // empty: this installation has no update server
  // This program's own file version; its last part is the revision the update check compares.
  QString fileVersion = QStringLiteral(SENDORA_FILE_VERSION);
  QString inHouseDbHost;
  int inHouseDbPort = 3306;
  QString smsDbHost;
  int smsDbPort = 3306;
  QString reportDbHost;  // empty: reports read the SMS database
  int reportDbPort = 3306;
  bool developmentMode = false;
  std::int16_t osTypeCode = 0;
  bool stylingEnabled = false;  // set just before the login
  // The floating-notice helper: 0 not yet looked for, 1 found, 2 missing.
  int hoverletAvailability = 0;
  LoggedInStaff staff;
};

AppState& App();

// Accessors for the layers below the application.
QString AppTitle();
const LoggedInStaff& CurrentStaff();
std::int16_t OSTypeCode();
bool StylingEnabled();
