#pragma once
// Daemons a test program runs beside itself (a bus, an X server, a keyring, an input method),
// and the one way they are stopped.

#include <QProcess>

#include <csignal>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

// A daemon started with fork and exec before anything in the program has threads (so before
// main), which says it is ready with one line on its standard output.
class ChildDaemon {
 public:
  ChildDaemon() = default;
  ChildDaemon(const ChildDaemon&) = delete;
  ChildDaemon& operator=(const ChildDaemon&) = delete;
  ~ChildDaemon() { Stop(); }

  // Runs argv (the program looked up in PATH) and returns the first line it writes, without
  // its end; empty when it wrote none within timeoutMs.
  std::string Spawn(const std::vector<std::string>& argv, int timeoutMs) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int out[2];
    if (args.size() < 2 || pipe(out) != 0) return {};
    m_pid = fork();
    if (m_pid < 0) {
      close(out[0]);
      close(out[1]);
      return {};
    }
    if (m_pid == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      execvp(args[0], args.data());
      _exit(127);
    }
    close(out[1]);
    std::string line;
    pollfd wait{out[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, timeoutMs) > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    return line;
  }

  void Stop() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }

 private:
  pid_t m_pid = -1;
};

// Asks a QProcess child to quit and kills it when it does not within 5 s.
inline void StopProcess(QProcess& process) {
  if (process.state() == QProcess::NotRunning) return;
  process.terminate();
  if (!process.waitForFinished(5000)) {
    process.kill();
    process.waitForFinished(5000);
  }
}
