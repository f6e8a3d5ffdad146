#include "customers/ReadBusyPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace {
// A read shorter than this shows nothing; a longer one shows that it is working.
constexpr int kBusyAfterMs = 500;
}  // namespace

ReadBusyPanel::ReadBusyPanel(QWidget* window, QWidget* over, std::vector<QWidget*> paused)
    : QFrame(window), m_over(over), m_paused(std::move(paused)) {
  setObjectName(QStringLiteral("pnlBusy"));
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Raised);
  setAutoFillBackground(true);
  auto* line = new QHBoxLayout(this);
  lblBusy = new QLabel(this);
  lblBusy->setObjectName(QStringLiteral("lblBusy"));
  btnStop = new QPushButton(QStringLiteral("중지 (Esc)"), this);
  btnStop->setObjectName(QStringLiteral("btnStop"));
  line->addWidget(lblBusy, 1);
  line->addWidget(btnStop);
  connect(btnStop, &QPushButton::clicked, this, &ReadBusyPanel::Stop);
  hide();
  m_timer = new QTimer(this);
  m_timer->setInterval(100);
  connect(m_timer, &QTimer::timeout, this, &ReadBusyPanel::Tick);
}

void ReadBusyPanel::ReadRunning(const std::function<void()>& stop) {
  m_stop = stop;
  m_stopping = false;
  m_clock.start();
  m_timer->start();
  // Pausing a box takes the focus from it: it goes back when the read is over.
  m_focus = window()->focusWidget();
  for (QWidget* w : m_paused) w->setEnabled(false);
  m_pausedShortcuts.clear();
  for (QShortcut* s : parentWidget()->findChildren<QShortcut*>()) {
    if (!s->isEnabled()) continue;
    s->setEnabled(false);
    m_pausedShortcuts.push_back(s);
  }
}

void ReadBusyPanel::ReadOver() {
  m_stop = nullptr;
  m_timer->stop();
  hide();
  for (QWidget* w : m_paused) w->setEnabled(true);
  for (QShortcut* s : m_pausedShortcuts) s->setEnabled(true);
  m_pausedShortcuts.clear();
  if (m_focus && m_focus->isEnabled()) m_focus->setFocus();
  m_focus = nullptr;
}

void ReadBusyPanel::Tick() {
  const qint64 ms = m_clock.elapsed();
  if (ms < kBusyAfterMs) return;
  lblBusy->setText(m_stopping
                       ? QStringLiteral("조회를 중지하는 중입니다...")
                       : QStringLiteral("조회 중입니다... %1초").arg(ms / 1000.0, 0, 'f', 1));
  if (!isHidden()) return;
  const QRect area(m_over->mapTo(parentWidget(), QPoint(0, 0)), m_over->size());
  const int width = std::min(area.width() - 20, 420);
  setGeometry(area.x() + (area.width() - width) / 2, area.y() + 40, width, 48);
  show();
  raise();
  btnStop->setFocus();
}

void ReadBusyPanel::Stop() {
  if (!m_stop || m_stopping) return;
  m_stopping = true;
  Tick();
  m_stop();
}
