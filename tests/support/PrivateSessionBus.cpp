#include "support/PrivateSessionBus.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kConfigHead[] =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
)";
const char kConfigTail[] = R"(  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

}  // namespace

bool PrivateSessionBus::Start(std::initializer_list<std::string> activatable) {
  char dirTemplate[] = "/tmp/sendora-bus-XXXXXX";
  if (!mkdtemp(dirTemplate)) return false;
  m_dir = dirTemplate;
  for (const std::string& name : activatable) {
    m_files.push_back(m_dir + "/" + name + ".service");
    std::ofstream(m_files.back()) << "[D-BUS Service]\nName=" << name << "\nExec=/usr/bin/touch "
                                  << m_dir << "/" << name << ".started\n";
    m_files.push_back(m_dir + "/" + name + ".started");
  }
  const std::string config = m_dir + "/session.conf";
  m_files.push_back(config);
  std::ofstream conf(config);
  conf << kConfigHead;
  if (activatable.size() > 0) conf << "  <servicedir>" << m_dir << "</servicedir>\n";
  conf << kConfigTail;
  conf.close();

  int out[2];
  if (pipe(out) != 0) return false;
  m_pid = fork();
  if (m_pid < 0) return false;
  if (m_pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    const std::string configArg = "--config-file=" + config;
    execlp("dbus-daemon", "dbus-daemon", configArg.c_str(), "--print-address", "--nofork",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  // The daemon prints its address once it listens.
  std::string line;
  pollfd wait{out[0], POLLIN, 0};
  char c = 0;
  while (poll(&wait, 1, 5000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
  close(out[0]);
  if (line.empty()) return false;
  m_address = line;
  setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
  return true;
}

PrivateSessionBus::~PrivateSessionBus() {
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
  if (!m_dir.empty()) {
    for (const std::string& file : m_files) std::remove(file.c_str());
    rmdir(m_dir.c_str());
  }
}

bool PrivateSessionBus::Activated(const std::string& name) const {
  return access((m_dir + "/" + name + ".started").c_str(), F_OK) == 0;
}
