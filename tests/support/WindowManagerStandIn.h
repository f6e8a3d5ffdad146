#pragma once
// What a window manager does for the program on a bare X screen: a window that comes up gets the
// input focus, and when it goes, the program's window left on top gets the focus back. Without
// it a dialog opened under Xvfb would never become active.

#include <QObject>

class WindowManagerStandIn final : public QObject {
 public:
  WindowManagerStandIn();  // watches the application's windows until destroyed
  ~WindowManagerStandIn() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
