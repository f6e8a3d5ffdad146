#include "support/PrivateKeyring.h"

#include "support/ChildDaemon.h"
#include "support/PrivateSessionBus.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QThread>

#include <csignal>

namespace {
const QString kService = QStringLiteral("org.freedesktop.secrets");
}

bool PrivateKeyring::Start() {
  if (!m_home.isValid()) {
    m_error = QStringLiteral("no temporary folder");
    return false;
  }
  const QString home = m_home.path();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("HOME"), home);
  env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);  // its control socket
  // No prompt may reach a real screen.
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  m_daemon.setProcessEnvironment(env);
  m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  m_daemon.start(QStringLiteral("gnome-keyring-daemon"),
                 {QStringLiteral("--foreground"), QStringLiteral("--components=secrets"),
                  QStringLiteral("--unlock")});
  if (!m_daemon.waitForStarted(5000)) {
    m_error = QStringLiteral("gnome-keyring-daemon did not start: ") + m_daemon.errorString();
    return false;
  }
  // --unlock reads the login keyring's password up to the end of its input.
  m_daemon.write("keyring-test");
  m_daemon.waitForBytesWritten(5000);
  m_daemon.closeWriteChannel();

  QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  if (!bus) {
    m_error = QStringLiteral("no session bus");
    return false;
  }
  const QDeadlineTimer until(10000);
  while (!bus->isServiceRegistered(kService).value()) {
    if (until.hasExpired() || m_daemon.state() != QProcess::Running) {
      m_error = QStringLiteral("the Secret Service did not appear on the bus");
      return false;
    }
    QThread::msleep(50);
  }
  return true;
}

void PrivateKeyring::Pause() { ::kill(static_cast<pid_t>(m_daemon.processId()), SIGSTOP); }

void PrivateKeyring::Resume() { ::kill(static_cast<pid_t>(m_daemon.processId()), SIGCONT); }

PrivateKeyring::~PrivateKeyring() {
  if (m_daemon.state() == QProcess::NotRunning) return;
  Resume();
  StopProcess(m_daemon);
}

void UseSecretServiceBackend() {
  for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                           "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID"})
    qunsetenv(name);
}

namespace {

PrivateKeyring* g_shared = nullptr;

// Stopped while the application object still exists.
class StopSharedKeyring final : public ::testing::Environment {
 public:
  void TearDown() override {
    delete g_shared;
    g_shared = nullptr;
  }
};

}  // namespace

PrivateKeyring* SharedTestKeyring() {
  static bool failed = false;
  if (g_shared || failed) return g_shared;
  [[maybe_unused]] static auto* const stopper =
      ::testing::AddGlobalTestEnvironment(new StopSharedKeyring);
  if (!SessionBusBeforeMain().Started()) {
    ADD_FAILURE() << "dbus-daemon could not be started";
    failed = true;
    return nullptr;
  }
  UseSecretServiceBackend();
  g_shared = new PrivateKeyring;
  if (g_shared->Start()) return g_shared;
  ADD_FAILURE() << g_shared->Error().toStdString();
  delete g_shared;
  g_shared = nullptr;
  failed = true;
  return nullptr;
}
