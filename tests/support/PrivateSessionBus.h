#pragma once
// A dbus-daemon of the test program's own, made its session bus. Start it before anything in Qt
// connects to a session bus (Qt connects once and keeps that connection).

#include <initializer_list>
#include <string>
#include <vector>

#include <sys/types.h>

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

 private:
  pid_t m_pid = -1;
  std::string m_dir;
  std::string m_address;
  std::vector<std::string> m_files;  // removed with the folder
};
