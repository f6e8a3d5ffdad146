#include "platform/InputModeFcitx.h"

#include <QApplication>
#include <QDBusError>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace inputmode {

namespace {

const QString kService = QStringLiteral("org.fcitx.Fcitx5");
const QString kPath = QStringLiteral("/controller");
const QString kInterface = QStringLiteral("org.fcitx.Fcitx.Controller1");
const QString kContextInterface = QStringLiteral("org.fcitx.Fcitx.InputContext1");
constexpr int kStateActive = 2;

QDBusMessage ControllerCall(const QString& method) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
  // The desktop files can start fcitx5 on demand; a field getting the focus must not.
  call.setAutoStartService(false);
  return call;
}

bool NameHasOwner(const QDBusConnection& bus, int timeoutMs) {
  QDBusMessage ask = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
  ask << kService;
  const QDBusMessage reply = bus.call(ask, QDBus::Block, timeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
         reply.arguments().constFirst().toBool();
}

}  // namespace

FcitxBackend::FcitxBackend(const QDBusConnection& bus, int timeoutMs, const QDBusConnection& plugin)
    : m_bus(bus), m_timeoutMs(timeoutMs) {
  // Watched before it is asked for, so that no start or quit falls in between.
  auto* watcher =
      new QDBusServiceWatcher(kService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) {
            OnOwnerChanged(!owner.isEmpty());
          });
  m_running = NameHasOwner(m_bus, m_timeoutMs);
  // fcitx5 sends the signal to the plug-in only; the plug-in's connection delivers it to us too.
  if (plugin.isConnected())
    m_reported = QDBusConnection(plugin).connect(
        QString(), QString(), kContextInterface, QStringLiteral("CurrentIM"), this,
        SLOT(OnCurrentIM(QString, QString, QString, QDBusMessage)));
}

void FcitxBackend::Installed(bool inUse) {
  // Without a window of its own it serves nothing and answers no report; its timers are stale.
  m_active = nullptr;
  m_served = false;
  ++m_activation;
  if (!qApp) return;
  if (!inUse) {
    disconnect(qApp, &QGuiApplication::focusWindowChanged, this, &FcitxBackend::OnActivation);
    return;
  }
  connect(qApp, &QGuiApplication::focusWindowChanged, this, &FcitxBackend::OnActivation,
          Qt::UniqueConnection);
  if (QApplication::activeWindow()) OnActivation();
}

QDBusConnection FcitxBackend::PluginConnection() {
  return QDBusConnection(QStringLiteral("fcitx"));
}

QString FcitxBackend::Name() const {
  return m_running ? QStringLiteral("fcitx5") : QStringLiteral("none");
}

bool FcitxBackend::State(int* state) {
  if (!m_running || !m_quiet.hasExpired()) return false;
  const QDBusMessage reply =
      m_bus.call(ControllerCall(QStringLiteral("State")), QDBus::Block, m_timeoutMs);
  if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 1) {
    *state = reply.arguments().constFirst().toInt();
    return true;
  }
  if (reply.type() == QDBusMessage::ErrorMessage &&
      (reply.errorName() == QDBusError::errorString(QDBusError::NoReply) ||
       reply.errorName() == QDBusError::errorString(QDBusError::Timeout)))
    m_quiet.setRemainingTime(kQuietAfterTimeoutMs);
  return false;
}

void FcitxBackend::Switch(bool hangul) {
  if (!m_running || !m_quiet.hasExpired()) return;
  // Not waited for: the next State call comes after it on the same connection.
  m_bus.send(ControllerCall(hangul ? QStringLiteral("Activate") : QStringLiteral("Deactivate")));
}

bool FcitxBackend::ConversionMode(QWidget* window, bool* hangul, long*, QString*) {
  *hangul = false;
  QWidget* top = window ? window->window() : nullptr;
  // What the window gets once served, also while fcitx5 is away.
  const auto pending = m_pending.constFind(top);
  if (top && pending != m_pending.constEnd()) {
    *hangul = pending.value();
    return true;
  }
  if (!m_running) return true;
  if (top && !Served(top) && m_mode) {
    *hangul = *m_mode;
    return true;
  }
  int state = 0;
  if (State(&state)) {
    *hangul = state == kStateActive;
    m_mode = *hangul;
  }
  return true;
}

void FcitxBackend::SetConversionMode(QWidget* window, bool hangul) {
  QWidget* top = window ? window->window() : nullptr;
  if (top && !Served(top)) {
    Pend(top, hangul);
    return;
  }
  if (top) Drop(top);
  m_mode = hangul;
  Switch(hangul);
}

bool FcitxBackend::Served(const QWidget* top) const {
  return m_served && top == m_active && top == QApplication::activeWindow();
}

void FcitxBackend::OnActivation() {
  // The focus going to a popup and back leaves the window as it was; fcitx5 kept its mode.
  if (m_served && m_active && m_active == QApplication::activeWindow()) return;
  // Comes after the window's focus widget already had its focus-in.
  m_active = QApplication::activeWindow();
  m_served = false;
  ++m_activation;
  if (m_active) ServeLater(m_reported ? kUnreportedMs : kSettleMs);
}

void FcitxBackend::OnOwnerChanged(bool running) {
  // A new fcitx5 knows none of our windows; it learns of the focused one from the plug-in.
  m_running = running;
  m_served = false;
  ++m_activation;
  m_contexts.clear();
  if (!running) return;
  m_quiet.setRemainingTime(0);
  if (m_active) ServeLater(m_reported ? kUnreportedMs : kSettleMs);
}

void FcitxBackend::ServeLater(int delayMs) {
  const int activation = m_activation;
  QTimer::singleShot(delayMs, this, [this, activation] {
    if (activation != m_activation || m_served || !m_active) return;
    if (m_active == QApplication::activeWindow()) Serve(m_active);
  });
}

void FcitxBackend::OnCurrentIM(const QString&, const QString&, const QString&,
                               const QDBusMessage& message) {
  QWidget* top = QApplication::activeWindow();
  if (!top || top != m_active || !m_running) return;
  // A report for another window's context, late, tells nothing about this one.
  const auto known = m_contexts.constFind(message.path());
  if (known != m_contexts.constEnd() && known.value() && known.value() != top) return;
  m_contexts.insert(message.path(), top);
  if (!m_served) {
    Serve(top);
    return;
  }
  // A field of the window got the focus, or the staff member switched the mode.
  int state = 0;
  if (State(&state)) m_mode = state == kStateActive;
}

void FcitxBackend::Serve(QWidget* top) {
  m_served = true;
  const auto pending = m_pending.constFind(top);
  if (pending != m_pending.constEnd()) {
    const bool hangul = pending.value();
    Drop(top);
    m_mode = hangul;
    Switch(hangul);
    return;
  }
  int state = 0;
  if (!State(&state)) return;
  const bool hangul = state == kStateActive;
  if (m_mode && *m_mode != hangul)
    Switch(*m_mode);
  else
    m_mode = hangul;
}

void FcitxBackend::Pend(QWidget* top, bool hangul) {
  if (!m_pending.contains(top))
    connect(top, &QObject::destroyed, this, [this](QObject* gone) { m_pending.remove(gone); });
  m_pending.insert(top, hangul);
}

void FcitxBackend::Drop(QObject* window) {
  if (m_pending.remove(window)) disconnect(window, &QObject::destroyed, this, nullptr);
}

std::unique_ptr<Backend> DetectOnBus(const QDBusConnection& bus) {
  if (!bus.isConnected()) return nullptr;
  return std::make_unique<FcitxBackend>(bus);
}

std::unique_ptr<Backend> DetectSessionBusBackend() {
  // Where libdbus looks for the session bus; past these it would try to autolaunch one.
  if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus"))) return nullptr;
  }
  return DetectOnBus(QDBusConnection::sessionBus());
}

}  // namespace inputmode
