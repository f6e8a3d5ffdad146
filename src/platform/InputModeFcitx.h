#pragma once
// fcitx5 through its D-Bus controller: the focused input context is "active" when the Hangul
// input method is on and "inactive" when keys go through as Latin letters.

#include "platform/InputMode.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace inputmode {

class FcitxBackend final : public QObject, public Backend {
 public:
  // A live fcitx5 answers in well under a millisecond; one that hangs must not hold up the
  // focus change that asked.
  static constexpr int kCallTimeoutMs = 250;
  // After a call timed out the service is left alone for a while instead of timing out again on
  // every focus change.
  static constexpr int kQuietAfterTimeoutMs = 10000;
  // fcitx5 learns which window has the focus from the input-method plugin, on a connection of
  // its own and only after it made the window's input context: a switch sent sooner would land
  // on the window before.
  static constexpr int kSettleMs = 300;

  explicit FcitxBackend(const QDBusConnection& bus, int timeoutMs = kCallTimeoutMs);

  // A service that is gone or does not answer reads as English; nothing is reported, since the
  // user can do nothing about it on every focus change.
  bool ConversionMode(QWidget* window, bool* hangul, long* errorNumber,
                      QString* errorText) override;
  // fcitx5 switches whatever context has the focus. A window that is not active yet (a form
  // switching its grid while it loads), or only just became active, gets the mode once it has
  // settled, and reads as that mode meanwhile.
  void SetConversionMode(QWidget* window, bool hangul) override;
  QString Name() const override { return QStringLiteral("fcitx5"); }

 private:
  bool State(int* state);
  void Switch(bool hangul);
  bool Settled(QWidget* top) const;
  void NoteActivation(QWidget* top);
  void ApplyPendingLater();
  void ApplyPending();
  void Drop(QObject* window);

  QDBusConnection m_bus;
  int m_timeoutMs;
  QDeadlineTimer m_quiet{0};
  QPointer<QWidget> m_activated;  // the window last seen becoming active
  QElapsedTimer m_sinceActivation;
  QHash<QObject*, bool> m_pending;  // windows and the mode they get once active and settled
};

// The backend for the framework found on the bus, or nullptr when none we can drive runs there
// (IBus included: its Hangul engine offers no way to read or set its mode from outside).
std::unique_ptr<Backend> DetectOnBus(const QDBusConnection& bus);
// The same on the user's session bus; nullptr without one. No connection is attempted when no
// bus address is known, so that nothing tries to launch a bus either.
std::unique_ptr<Backend> DetectSessionBusBackend();

}  // namespace inputmode
