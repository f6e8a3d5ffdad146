#include "platform/InputModeFcitx.h"

#include <QApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace inputmode {

namespace {

const QString kService = QStringLiteral("org.fcitx.Fcitx5");
const QString kPath = QStringLiteral("/controller");
const QString kInterface = QStringLiteral("org.fcitx.Fcitx.Controller1");
constexpr int kStateActive = 2;

QDBusMessage ControllerCall(const QString& method) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
  // The desktop files can start fcitx5 on demand; a field getting the focus must not.
  call.setAutoStartService(false);
  return call;
}

}  // namespace

FcitxBackend::FcitxBackend(const QDBusConnection& bus, int timeoutMs)
    : m_bus(bus), m_timeoutMs(timeoutMs) {
  if (!qApp) return;
  connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] {
    // Comes after the window's focus widget already had its focus-in.
    NoteActivation(QApplication::activeWindow());
    if (!m_pending.isEmpty()) ApplyPendingLater();
  });
}

bool FcitxBackend::State(int* state) {
  if (!m_quiet.hasExpired()) return false;
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
  if (!m_quiet.hasExpired()) return;
  // Not waited for: the next State call comes after it on the same connection.
  m_bus.send(ControllerCall(hangul ? QStringLiteral("Activate") : QStringLiteral("Deactivate")));
}

bool FcitxBackend::ConversionMode(QWidget* window, bool* hangul, long*, QString*) {
  if (window) {
    const auto pending = m_pending.constFind(window->window());
    if (pending != m_pending.constEnd()) {
      *hangul = pending.value();
      return true;
    }
  }
  int state = 0;
  *hangul = State(&state) && state == kStateActive;
  return true;
}

bool FcitxBackend::Settled(QWidget* top) const {
  return top->isActiveWindow() && top == m_activated && m_sinceActivation.isValid() &&
         m_sinceActivation.elapsed() >= kSettleMs;
}

void FcitxBackend::NoteActivation(QWidget* top) {
  m_activated = top;
  m_sinceActivation.start();
}

void FcitxBackend::SetConversionMode(QWidget* window, bool hangul) {
  QWidget* top = window ? window->window() : nullptr;
  if (!top || Settled(top)) {
    if (top) Drop(top);
    Switch(hangul);
    return;
  }
  if (!m_pending.contains(top))
    connect(top, &QObject::destroyed, this, [this](QObject* gone) { m_pending.remove(gone); });
  m_pending.insert(top, hangul);
  if (!top->isActiveWindow()) return;
  if (top != m_activated) NoteActivation(top);  // its activation is still being delivered
  ApplyPendingLater();
}

void FcitxBackend::ApplyPendingLater() {
  const qint64 left = m_sinceActivation.isValid() ? kSettleMs - m_sinceActivation.elapsed() : 0;
  QTimer::singleShot(int(std::max<qint64>(left, 0)) + 1, this, &FcitxBackend::ApplyPending);
}

void FcitxBackend::ApplyPending() {
  QWidget* active = QApplication::activeWindow();
  const auto pending = m_pending.constFind(active);
  if (!active || pending == m_pending.constEnd()) return;
  if (!Settled(active)) {
    if (active != m_activated) NoteActivation(active);
    ApplyPendingLater();
    return;
  }
  const bool hangul = pending.value();
  Drop(active);
  Switch(hangul);
}

void FcitxBackend::Drop(QObject* window) {
  if (m_pending.remove(window)) disconnect(window, &QObject::destroyed, this, nullptr);
}

std::unique_ptr<Backend> DetectOnBus(const QDBusConnection& bus) {
  if (!bus.isConnected()) return nullptr;
  QDBusMessage ask = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
  ask << kService;
  const QDBusMessage reply = bus.call(ask, QDBus::Block, FcitxBackend::kCallTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty() ||
      !reply.arguments().constFirst().toBool())
    return nullptr;
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
