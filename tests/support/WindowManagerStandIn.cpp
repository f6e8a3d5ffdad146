#include "support/WindowManagerStandIn.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {

bool Managed(const QWidget* w) {
  if (!w->isWindow()) return false;
  const Qt::WindowType type = w->windowType();
  return type == Qt::Window || type == Qt::Dialog;
}

void Focus(QWidget* w) {
  QTimer::singleShot(0, w, [window = QPointer<QWidget>(w)] {
    if (window && window->isVisible()) window->activateWindow();
  });
}

}  // namespace

WindowManagerStandIn::WindowManagerStandIn() { qApp->installEventFilter(this); }

WindowManagerStandIn::~WindowManagerStandIn() { qApp->removeEventFilter(this); }

bool WindowManagerStandIn::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Show && event->type() != QEvent::Hide) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || !Managed(w)) return false;
  if (event->type() == QEvent::Show) {
    Focus(w);
    return false;
  }
  // The modal window still up, or else the last visible window, comes back on top.
  QWidget* next = QApplication::activeModalWidget();
  if (!next || next == w) {
    next = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top != w && top->isVisible() && Managed(top)) next = top;
  }
  if (next) Focus(next);
  return false;
}
