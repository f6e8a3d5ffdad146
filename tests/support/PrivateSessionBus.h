#pragma once
// A dbus-daemon of the test program's own, made its session bus. Start it before anything in Qt
// connects to a session bus (Qt connects once and keeps that connection).

#include <string>

#include <sys/types.h>

class PrivateSessionBus {
 public:
  PrivateSessionBus() = default;
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;
  ~PrivateSessionBus();  // stops the daemon

  // Starts the daemon with no service files (nothing on it is started on demand) and sets
  // DBUS_SESSION_BUS_ADDRESS to it. False when it could not be started.
  bool Start();
  const std::string& Address() const { return m_address; }

 private:
  pid_t m_pid = -1;
  std::string m_dir;
  std::string m_address;
};
