#pragma once
// fcitx5 through its D-Bus controller: the focused input context is "active" when the Hangul
// input method is on and "inactive" when keys go through as Latin letters.
//
// fcitx5 keeps a mode per input context (one per window of ours) and learns which window has the
// focus from the input-method plug-in inside this process, on a connection of its own and on its
// own schedule; until then the controller reads and switches the window that had the focus
// before. A window counts as served once fcitx5 has told the plug-in which input method the
// window's context has (the CurrentIM signal it sends on every focus-in, seen on the plug-in's
// connection); without the plug-in, once the window has been active for a moment. Until a window
// is served it reads as the mode it is going to get, and switches for it wait.
//
// The mode goes with the staff member from window to window, as it did when the input method had
// one mode for the whole program: a window that gets served is brought to the mode last used in
// the program, unless one of its fields asked for its own.

#include "platform/InputMode.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace inputmode {

class FcitxBackend final : public QObject, public Backend {
  Q_OBJECT

 public:
  // A live fcitx5 answers in well under a millisecond; one that hangs must not hold up the
  // focus change that asked.
  static constexpr int kCallTimeoutMs = 250;
  // After a call timed out the service is left alone for a while instead of timing out again on
  // every focus change.
  static constexpr int kQuietAfterTimeoutMs = 10000;
  // Without the plug-in's word: how long after its activation a window counts as served.
  static constexpr int kSettleMs = 300;
  // With the plug-in: a window fcitx5 never reported counts as served after this long.
  static constexpr int kUnreportedMs = 2000;

  // plugin: the bus connection of fcitx5's Qt plug-in in this process, if it has one.
  explicit FcitxBackend(const QDBusConnection& bus, int timeoutMs = kCallTimeoutMs,
                        const QDBusConnection& plugin = PluginConnection());

  // The connection fcitx5's Qt plug-in opens under its own name; not connected without it.
  static QDBusConnection PluginConnection();

  // A service that is gone or does not answer reads as English; nothing is reported, since the
  // user can do nothing about it on every focus change.
  bool ConversionMode(QWidget* window, bool* hangul, long* errorNumber,
                      QString* errorText) override;
  // fcitx5 switches whatever context it serves: a window that is not served yet gets the mode
  // once it is.
  void SetConversionMode(QWidget* window, bool hangul) override;
  // "fcitx5" while its controller is on the bus, "none" while it is not.
  QString Name() const override;
  // Follows the active window only while in use.
  void Installed(bool inUse) override;

 private slots:
  void OnCurrentIM(const QString& name, const QString& uniqueName, const QString& language,
                   const QDBusMessage& message);

 private:
  bool State(int* state);
  void Switch(bool hangul);
  bool Served(const QWidget* top) const;
  void OnActivation();
  void OnOwnerChanged(bool running);
  void ServeLater(int delayMs);
  void Serve(QWidget* top);
  void Pend(QWidget* top, bool hangul);
  void Drop(QObject* window);

  QDBusConnection m_bus;
  int m_timeoutMs;
  bool m_reported = false;  // the plug-in's CurrentIM signals reach us
  bool m_running = false;   // fcitx5's controller is on the bus
  QDeadlineTimer m_quiet{0};
  std::optional<bool> m_mode;  // the mode last used in the program
  QPointer<QWidget> m_active;  // the window last seen becoming active
  int m_activation = 0;        // counts activations, so that a late timer knows it is stale
  bool m_served = false;       // m_active is served since it became active
  QHash<QString, QPointer<QWidget>> m_contexts;  // fcitx5's input contexts and their windows
  QHash<QObject*, bool> m_pending;               // windows and the mode they get once served
};

// The backend on a connected bus, which follows fcitx5 as it starts and quits; nullptr when the
// bus is not connected.
std::unique_ptr<Backend> DetectOnBus(const QDBusConnection& bus);
// The same on the user's session bus; nullptr without one. No connection is attempted when no
// bus address is known, so that nothing tries to launch a bus either.
std::unique_ptr<Backend> DetectSessionBusBackend();

}  // namespace inputmode
