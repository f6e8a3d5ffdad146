#include "support/VirtualDisplay.h"

#include <cstdlib>

bool VirtualDisplay::Start() {
  // Xvfb writes the number it took once it accepts clients.
  const std::string number = m_server.Spawn(
      {"Xvfb", "-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"},
      10000);
  if (number.empty()) return false;
  m_name = ":" + number;
  setenv("DISPLAY", m_name.c_str(), 1);
  return true;
}
