#include "support/PrivateSessionBus.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

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

  // The daemon prints its address once it listens.
  m_address = m_daemon.Spawn(
      {"dbus-daemon", "--config-file=" + config, "--print-address", "--nofork"}, 5000);
  if (m_address.empty()) return false;
  setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
  return true;
}

PrivateSessionBus::~PrivateSessionBus() {
  m_daemon.Stop();
  if (!m_dir.empty()) {
    for (const std::string& file : m_files) std::remove(file.c_str());
    rmdir(m_dir.c_str());
  }
}

bool PrivateSessionBus::Activated(const std::string& name) const {
  return access((m_dir + "/" + name + ".started").c_str(), F_OK) == 0;
}

PrivateSessionBus& SessionBusBeforeMain(std::initializer_list<std::string> activatable) {
  static PrivateSessionBus* const bus = [&] {
    static PrivateSessionBus started;
    if (!started.Start(activatable))
      setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent", 1);
    return &started;
  }();
  return *bus;
}
