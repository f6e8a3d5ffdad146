#include "support/Fcitx5Process.h"

#include "support/ChildDaemon.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

const QString kService = QStringLiteral("org.fcitx.Fcitx5");
const QString kProbe = QStringLiteral("fcitx5-probe");

const char kProfile[] = R"([Groups/0]
Name=Default
Default Layout=us
DefaultIM=hangul

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=hangul
Layout=

[GroupOrder]
0=Default
)";

const char kConfig[] = R"([Hotkey/TriggerKeys]
0=Control+space
1=Hangul
)";

// Add-ons that would talk to services the private bus does not have, offer other ways in than
// the D-Bus frontend, or draw panels: none of them is needed to compose Hangul.
const char kDisabled[] =
    "wayland,waylandim,notificationitem,kimpanel,classicui,clipboard,spell,emoji,quickphrase,"
    "unicode,fcitx4frontend,ibusfrontend,xim,notifications,imselector";

QDBusConnection Probe() {
  QDBusConnection probe(kProbe);
  if (probe.isConnected()) return probe;
  return QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), kProbe);
}

QDBusMessage ControllerCall(const QString& method) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, QStringLiteral("/controller"),
                                     QStringLiteral("org.fcitx.Fcitx.Controller1"), method);
  call.setAutoStartService(false);
  return call;
}

void Write(const QString& path, const char* text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(text);
}

}  // namespace

Fcitx5Process::Fcitx5Process() {
  Write(m_home.filePath(QStringLiteral(".config/fcitx5/profile")), kProfile);
  Write(m_home.filePath(QStringLiteral(".config/fcitx5/config")), kConfig);
}

Fcitx5Process::~Fcitx5Process() { Stop(); }

bool Fcitx5Process::Start() {
  if (Running()) return true;
  QProcessEnvironment env;
  for (const char* keep : {"PATH", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"})
    env.insert(QString::fromLatin1(keep), qEnvironmentVariable(keep));
  const QString home = m_home.path();
  env.insert(QStringLiteral("HOME"), home);
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
  env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
  env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
  m_process.setProcessEnvironment(env);
  m_process.setProcessChannelMode(QProcess::MergedChannels);
  m_process.setStandardOutputFile(home + QStringLiteral("/fcitx5.log"), QIODevice::Append);
  m_process.start(QStringLiteral("fcitx5"),
                  {QStringLiteral("--disable=") + QString::fromLatin1(kDisabled)});
  if (!m_process.waitForStarted(5000)) return false;
  return QTest::qWaitFor([this] { return State() >= 0; }, 15000);
}

bool Fcitx5Process::Stop() {
  StopProcess(m_process);
  // Each question has its own short deadline, so a bus that hangs cannot hold this up.
  const auto owned = [] {
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << kService;
    const QDBusMessage reply = Probe().call(ask, QDBus::Block, 1000);
    return !reply.arguments().isEmpty() && reply.arguments().constFirst().toBool();
  };
  return QTest::qWaitFor([&] { return !owned(); }, 5000);
}

bool Fcitx5Process::Running() const { return m_process.state() == QProcess::Running; }

int Fcitx5Process::State() const {
  const QDBusMessage reply =
      Probe().call(ControllerCall(QStringLiteral("State")), QDBus::Block, 1000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return -1;
  return reply.arguments().constFirst().toInt();
}

bool Fcitx5Process::Call(const QString& method) const {
  return Probe().call(ControllerCall(method), QDBus::Block, 1000).type() ==
         QDBusMessage::ReplyMessage;
}

QString Fcitx5Process::Log() const {
  QFile file(m_home.filePath(QStringLiteral("fcitx5.log")));
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}
