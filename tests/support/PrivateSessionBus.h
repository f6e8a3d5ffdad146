#pragma once
// A dbus-daemon of the test program's own, made its session bus. Start it before anything in Qt
// connects to a session bus (Qt connects once and keeps that connection).

#include "support/ChildDaemon.h"

#include <initializer_list>
#include <string>
#include <vector>

class PrivateSessionBus {
 public:
  PrivateSessionBus() = default;
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;
  ~PrivateSessionBus();  // stops the daemon

  // Starts the daemon and sets DBUS_SESSION_BUS_ADDRESS to it. Nothing on it is started on
  // demand but the names given here, each with a .service file as desktop packages install
  // them; starting one only leaves a mark (see Activated). False when it could not be started.
  bool Start(std::initializer_list<std::string> activatable = {});
  // True once the bus tried to start the service of that name.
  bool Activated(const std::string& name) const;
  const std::string& Address() const { return m_address; }
  bool Started() const { return !m_address.empty(); }

 private:
  ChildDaemon m_daemon;
  std::string m_dir;
  std::string m_address;
  std::vector<std::string> m_files;  // removed with the folder
};

// The test program's session bus, started at the first call with the names given then. Call it
// from a namespace-scope initialiser, so that it runs before main and Qt finds this bus when it
// first connects to one. When it cannot be started, the program is left with a bus address that
// leads nowhere, never with the desktop's.
PrivateSessionBus& SessionBusBeforeMain(std::initializer_list<std::string> activatable = {});
