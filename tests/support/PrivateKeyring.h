#pragma once
// A real Secret Service for the test program: gnome-keyring-daemon serving only its secrets
// component on the program's private session bus (start PrivateSessionBus first), with a home of
// its own and a new login keyring that it creates and unlocks at start, without a screen.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class PrivateKeyring {
 public:
  PrivateKeyring() = default;
  PrivateKeyring(const PrivateKeyring&) = delete;
  PrivateKeyring& operator=(const PrivateKeyring&) = delete;
  ~PrivateKeyring();  // stops the daemon

  // Starts the daemon and waits until the service is on the bus. False with Error() set when it
  // could not.
  bool Start();
  QString Error() const { return m_error; }

  // Stops and resumes the daemon's process: meanwhile the service stays on the bus and answers
  // nothing.
  void Pause();
  void Resume();

 private:
  QTemporaryDir m_home;
  QProcess m_daemon;
  QString m_error;
};

// Makes QtKeychain choose the Secret Service whatever desktop the tests were started from: it
// prefers KWallet on a KDE session. Call before the first secret-store call.
void UseSecretServiceBackend();

// The keyring of the test program, on the bus of SessionBusBeforeMain, started at the first call
// with the Secret Service chosen, and stopped after the last test. nullptr, with the reason
// reported as a test failure, when it cannot be started.
PrivateKeyring* SharedTestKeyring();
