#include "support/FakeFcitx.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <atomic>
#include <functional>

namespace {
const QString kConnection = QStringLiteral("fake-fcitx5");
}

class FakeFcitxController : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.fcitx.Fcitx.Controller1")

 public:
  std::atomic<int> state{1};
  std::atomic<int> stateCalls{0};
  std::atomic<int> activateCalls{0};
  std::atomic<int> deactivateCalls{0};
  std::atomic<int> stallMs{0};

 public slots:
  Q_SCRIPTABLE int State() {
    ++stateCalls;
    if (stallMs > 0) QThread::msleep(static_cast<unsigned long>(stallMs.load()));
    return state;
  }
  Q_SCRIPTABLE void Activate() {
    ++activateCalls;
    state = 2;
  }
  Q_SCRIPTABLE void Deactivate() {
    ++deactivateCalls;
    state = 1;
  }
};

FakeFcitx::FakeFcitx(const QString& busAddress) : m_address(busAddress) {
  m_controller = new FakeFcitxController;
  m_controller->moveToThread(&m_thread);
  m_thread.start();
  RunInThread([this] { QDBusConnection::connectToBus(m_address, kConnection); });
}

FakeFcitx::~FakeFcitx() {
  RunInThread([this] {
    Unregister();
    QDBusConnection::disconnectFromBus(kConnection);
  });
  m_thread.quit();
  m_thread.wait();
  delete m_controller;  // its thread has ended
}

void FakeFcitx::RunInThread(const std::function<void()>& work) {
  if (QThread::currentThread() == &m_thread)
    work();
  else
    QMetaObject::invokeMethod(m_controller, work, Qt::BlockingQueuedConnection);
}

bool FakeFcitx::Register() {
  if (m_registered) return true;
  bool ok = false;
  RunInThread([this, &ok] {
    QDBusConnection bus(kConnection);
    ok = bus.registerObject(QStringLiteral("/controller"), m_controller,
                            QDBusConnection::ExportScriptableSlots) &&
         bus.registerService(QStringLiteral("org.fcitx.Fcitx5"));
  });
  m_registered = ok;
  return ok;
}

void FakeFcitx::Unregister() {
  RunInThread([this] {
    QDBusConnection bus(kConnection);
    bus.unregisterService(QStringLiteral("org.fcitx.Fcitx5"));
    bus.unregisterObject(QStringLiteral("/controller"));
  });
  m_registered = false;
}

int FakeFcitx::State() const { return m_controller->state; }
void FakeFcitx::UserSwitches(bool hangul) { m_controller->state = hangul ? 2 : 1; }
int FakeFcitx::StateCalls() const { return m_controller->stateCalls; }
int FakeFcitx::ActivateCalls() const { return m_controller->activateCalls; }
int FakeFcitx::DeactivateCalls() const { return m_controller->deactivateCalls; }
void FakeFcitx::ReportCurrentIM(const QString& owner, const QString& contextPath, bool hangul) {
  RunInThread([&] {
    QDBusMessage signal = QDBusMessage::createTargetedSignal(
        owner, contextPath, QStringLiteral("org.fcitx.Fcitx.InputContext1"),
        QStringLiteral("CurrentIM"));
    signal << (hangul ? QStringLiteral("hangul") : QStringLiteral("keyboard-us"))
           << (hangul ? QStringLiteral("hangul") : QStringLiteral("keyboard-us"))
           << (hangul ? QStringLiteral("ko") : QStringLiteral("en"));
    QDBusConnection(kConnection).send(signal);
  });
}

void FakeFcitx::SetStall(int milliseconds) { m_controller->stallMs = milliseconds; }

void FakeFcitx::Reset() {
  m_controller->state = 1;
  m_controller->stateCalls = 0;
  m_controller->activateCalls = 0;
  m_controller->deactivateCalls = 0;
  m_controller->stallMs = 0;
}

#include "FakeFcitx.moc"
