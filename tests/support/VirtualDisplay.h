#pragma once
// An Xvfb screen of the test program's own, made its display. The input method's Qt plug-in
// serves only windows on a real X connection (not the offscreen platform), and typed keys reach
// the program through the X server like a user's keyboard. Start it before QApplication.

#include <string>

#include <sys/types.h>

class VirtualDisplay {
 public:
  VirtualDisplay() = default;
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  ~VirtualDisplay();  // stops the server

  // Starts Xvfb on the first free display number and sets DISPLAY to it. False when it could
  // not be started.
  bool Start();
  const std::string& Name() const { return m_name; }  // ":N"

 private:
  pid_t m_pid = -1;
  std::string m_name;
};
