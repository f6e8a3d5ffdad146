#pragma once
// A stand-in for fcitx5 on a test bus: the controller object at /controller under the name
// org.fcitx.Fcitx5, answering State (1 inactive, 2 active), Activate and Deactivate the way
// fcitx5 does for the focused input context. It is served from a thread and a bus connection of
// its own, so that the program under test can make blocking calls to it.

#include <QString>
#include <QThread>

#include <functional>

class FakeFcitxController;

class FakeFcitx {
 public:
  explicit FakeFcitx(const QString& busAddress);
  ~FakeFcitx();

  // Takes the service name (fcitx5 starting) / gives it up (fcitx5 quitting).
  bool Register();
  void Unregister();

  int State() const;
  // The user switched with the Hangul key, outside the program.
  void UserSwitches(bool hangul);
  // Calls served so far, per method.
  int StateCalls() const;
  int ActivateCalls() const;
  int DeactivateCalls() const;
  // What fcitx5 tells the owner of an input context (a bus connection's unique name) when the
  // context gets the focus or its input method changes: CurrentIM, sent from the context's path.
  void ReportCurrentIM(const QString& owner, const QString& contextPath, bool hangul);
  // State answers only after this long (a hung framework).
  void SetStall(int milliseconds);
  // Inactive, no calls counted, no stall.
  void Reset();

 private:
  void RunInThread(const std::function<void()>& work);

  QString m_address;
  QThread m_thread;
  FakeFcitxController* m_controller = nullptr;
  bool m_registered = false;
};
