#pragma once
// fcitx5 itself with its Hangul add-on, run by the test on the test's private session bus and
// screen, with a HOME of its own whose profile holds two input methods: keyboard-us (State 1)
// and hangul (State 2), Ctrl+Space switching between them. The test reads the state the way a
// user would with busctl: through the controller, on a bus connection of its own.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class Fcitx5Process {
 public:
  Fcitx5Process();  // writes the profile; starts nothing
  Fcitx5Process(const Fcitx5Process&) = delete;
  Fcitx5Process& operator=(const Fcitx5Process&) = delete;
  ~Fcitx5Process();  // stops it

  // Starts fcitx5 and waits until its controller answers. False when it did not come up.
  bool Start();
  // Quits fcitx5 and waits until its name is gone from the bus.
  bool Stop();
  bool Running() const;

  // State of the input context fcitx5 serves (0 none, 1 English, 2 Hangul); -1 when the
  // controller does not answer.
  int State() const;
  // A controller method without arguments: Activate, Deactivate, Toggle ...
  bool Call(const QString& method) const;
  // Its log, for a failure message.
  QString Log() const;

 private:
  QTemporaryDir m_home;
  QProcess m_process;
};
