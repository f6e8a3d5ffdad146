#include "HoverletWindow.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>

namespace {
constexpr int kRadius = 10;
constexpr int kScreenMargin = 24;
constexpr int kMaxTextWidth = 420;
constexpr int kFadeMs = 300;
const QColor kPanel(0x2d, 0x32, 0x3a);
const QColor kBorder(0x4a, 0x51, 0x5c);
const QColor kText(0xf2, 0xf4, 0xf7);

QPainterPath PanelPath(const QRectF& r) {
  QPainterPath path;
  path.addRoundedRect(r, kRadius, kRadius);
  return path;
}
}  // namespace

HoverletWindow::HoverletWindow(const QString& message)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);

  m_text = new QLabel(message, this);
  m_text->setTextFormat(Qt::PlainText);
  m_text->setWordWrap(true);
  m_text->setAlignment(Qt::AlignCenter);
  QFont font(QStringLiteral("NanumGothic"));
  font.setPointSize(11);
  font.setBold(true);
  m_text->setFont(font);
  QPalette pal = m_text->palette();
  pal.setColor(QPalette::WindowText, kText);
  m_text->setPalette(pal);

  // Short notices stay on one line; only long ones wrap.
  const int oneLine = m_text->fontMetrics().horizontalAdvance(message) + 2;
  m_text->setFixedWidth(qMin(oneLine, kMaxTextWidth));

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(22, 14, 22, 14);
  layout->addWidget(m_text);
  adjustSize();
  setFixedSize(size());
}

void HoverletWindow::Run(int displayMs, std::function<void()> done) {
  m_done = std::move(done);
  PlaceOnScreen();
  show();
  QTimer::singleShot(displayMs, this, [this] { FadeOut(); });
}

void HoverletWindow::FadeOut() {
  if (m_fading) return;
  m_fading = true;
  // Without a compositor the opacity does nothing and the notice simply goes after the fade time.
  auto* anim = new QPropertyAnimation(this, "windowOpacity", this);
  anim->setDuration(kFadeMs);
  anim->setStartValue(1.0);
  anim->setEndValue(0.0);
  connect(anim, &QPropertyAnimation::finished, this, [this] {
    hide();
    if (m_done) m_done();
  });
  anim->start();
}

void HoverletWindow::PlaceOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  move(area.right() - width() - kScreenMargin + 1, area.bottom() - height() - kScreenMargin + 1);
}

void HoverletWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), kPanel);
  p.setPen(QPen(kBorder, 1));
  p.setBrush(kPanel);
  p.drawPath(PanelPath(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5)));
}

void HoverletWindow::resizeEvent(QResizeEvent* event) {
  // A mask rather than a translucent window: the corners stay clean without a compositor.
  setMask(QRegion(PanelPath(rect()).toFillPolygon().toPolygon()));
  QWidget::resizeEvent(event);
}

void HoverletWindow::mousePressEvent(QMouseEvent*) { FadeOut(); }
