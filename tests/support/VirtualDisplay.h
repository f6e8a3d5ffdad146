#pragma once
// An Xvfb screen of the test program's own, made its display. The input method's Qt plug-in
// serves only windows on a real X connection (not the offscreen platform), and typed keys reach
// the program through the X server like a user's keyboard. Start it before QApplication.

#include "support/ChildDaemon.h"

#include <string>

// The server stops with the object.
class VirtualDisplay {
 public:
  // Starts Xvfb on the first free display number and sets DISPLAY to it. False when it could
  // not be started.
  bool Start();
  const std::string& Name() const { return m_name; }  // ":N"

 private:
  ChildDaemon m_server;
  std::string m_name;
};
