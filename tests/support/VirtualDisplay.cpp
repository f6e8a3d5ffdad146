#include "support/VirtualDisplay.h"

#include <csignal>
#include <cstdlib>
#include <string>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

bool VirtualDisplay::Start() {
  int out[2];
  if (pipe(out) != 0) return false;
  m_pid = fork();
  if (m_pid < 0) return false;
  if (m_pid == 0) {
    close(out[0]);
    const std::string fd = std::to_string(out[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  // Xvfb writes the number it took once it accepts clients.
  std::string number;
  pollfd wait{out[0], POLLIN, 0};
  char c = 0;
  while (poll(&wait, 1, 10000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') number += c;
  close(out[0]);
  if (number.empty()) return false;
  m_name = ":" + number;
  setenv("DISPLAY", m_name.c_str(), 1);
  return true;
}

VirtualDisplay::~VirtualDisplay() {
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
}
