#pragma once
// What a list or report window shows while one of its reads runs past half a second: a panel
// over the list saying that it is working, with a button that stops the read. Meanwhile the
// window's controls and shortcuts wait, so that nothing else is started on the session the read
// is using. The window stops the read on Esc and on closing through Stop.

#include "db/BackgroundRead.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QPointer>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QShortcut;
class QTimer;

class ReadBusyPanel : public QFrame, public ReadWatcher {
 public:
  // Shown over the top of `over`; the widgets in `paused` are disabled while a read runs.
  ReadBusyPanel(QWidget* window, QWidget* over, std::vector<QWidget*> paused);

  bool Reading() const { return static_cast<bool>(m_stop); }
  // Ends the running read on the server; nothing when none runs.
  void Stop();

  void ReadRunning(const std::function<void()>& stop) override;
  void ReadOver() override;

  QLabel* lblBusy = nullptr;
  QPushButton* btnStop = nullptr;

 private:
  void Tick();

  QWidget* m_over;
  std::vector<QWidget*> m_paused;
  std::vector<QShortcut*> m_pausedShortcuts;
  QPointer<QWidget> m_focus;     // where the keys went before the read paused the window
  std::function<void()> m_stop;  // set while a read runs
  bool m_stopping = false;
  QTimer* m_timer = nullptr;
  QElapsedTimer m_clock;
};
