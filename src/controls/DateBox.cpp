#include "controls/DateBox.h"

#include "controls/OwnedLineEdit.h"

#include "controls/EasyDateRules.h"
#include "controls/FrmCalendar.h"
#include "platform/Clock.h"
#include "platform/KeyCodes.h"
#include "platform/Prompt.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <algorithm>

// The edit box hands its keys and focus changes to its DateBox.
class DateEdit final : public controls::OwnedLineEdit<DateBox> {
 public:
  using OwnedLineEdit::OwnedLineEdit;
};

namespace {

constexpr int kSpinWidth = 14;
constexpr int kInset = 2;

// A click that tried to take the focus from a box with a wrong date must not go on to press
// what it hit (a search button would run with the wrong date). Eats that one press; a timer
// removes the filter should no press follow.
class PressEater final : public QObject {
 public:
  PressEater() {
    qApp->installEventFilter(this);
    QTimer::singleShot(0, this, [this] { deleteLater(); });
  }
  ~PressEater() override {
    if (qApp) qApp->removeEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick) {
      return false;
    }
    qApp->removeEventFilter(this);
    deleteLater();
    return true;
  }
};

}  // namespace

// ---- spinner ----

DateSpinner::DateSpinner(QWidget* parent) : QWidget(parent) {
  upButton = new QToolButton(this);
  downButton = new QToolButton(this);
  upButton->setArrowType(Qt::UpArrow);
  downButton->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {upButton, downButton}) {
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRepeat(true);
    b->setAutoRaise(true);
  }
  connect(upButton, &QToolButton::clicked, this, &DateSpinner::UpClick);
  connect(downButton, &QToolButton::clicked, this, &DateSpinner::DownClick);
}

QSize DateSpinner::sizeHint() const { return QSize(kSpinWidth, 20); }

void DateSpinner::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int half = height() / 2;
  upButton->setGeometry(0, 0, width(), half);
  downButton->setGeometry(0, half, width(), height() - half);
}

// ---- box ----

DateBox::DateBox(QWidget* parent) : QWidget(parent) {
  meDate = new DateEdit(this);
  meDate->setObjectName(QStringLiteral("meDate"));
  meDate->setInputMask(QStringLiteral("0000-00-00;_"));
  meDate->setFrame(false);
  meDate->setAcceptDrops(false);
  udMvDay = new DateSpinner(this);
  udMvDay->setObjectName(QStringLiteral("udMvDay"));
  cmdCaln = new QToolButton(this);
  cmdCaln->setObjectName(QStringLiteral("cmdCaln"));
  cmdCaln->setArrowType(Qt::DownArrow);
  cmdCaln->setFocusPolicy(Qt::NoFocus);
  // No click focus of its own: a click on the spinner or the calendar button leaves the focus
  // where it is.
  setFocusProxy(meDate);
  SetBoxBase(m_backColor);
  NameParts(QStringLiteral("날짜"));

  connect(meDate, &QLineEdit::textChanged, this, &DateBox::Change);
  connect(udMvDay, &DateSpinner::DownClick, this, [this] { Spin(-1); });
  connect(udMvDay, &DateSpinner::UpClick, this, [this] { Spin(1); });
  connect(cmdCaln, &QToolButton::clicked, this, &DateBox::OpenCalendar);
}

DateBox::~DateBox() { static_cast<DateEdit*>(meDate)->Detach(); }

void DateBox::NameParts(const QString& name) {
  meDate->setAccessibleName(name);
  cmdCaln->setAccessibleName(name + QStringLiteral(" 달력"));
  udMvDay->upButton->setAccessibleName(name + QStringLiteral(" 다음 날"));
  udMvDay->downButton->setAccessibleName(name + QStringLiteral(" 전날"));
}

QString DateBox::BoxText() const { return meDate->displayText(); }

QString DateBox::Text() const {
  const QString shown = BoxText();
  return shown == easydate::kEmptyBox ? QString() : shown;
}

void DateBox::SetText(const QString& text) {
  const QDate date = easydate::ParseDate(text);
  meDate->setText(date.isValid() ? easydate::DateText(date) : QString());
}

void DateBox::SetToday() { SetText(easydate::DateText(clock_::LocalNow().date())); }

bool DateBox::HoldsDate() const { return easydate::IsDateText(BoxText()); }

bool DateBox::Passes() const { return (m_allowEmpty && Text().isEmpty()) || HoldsDate(); }

bool DateBox::Check() {
  if (Passes()) return true;
  Refuse(false);
  return false;
}

void DateBox::ShowDateMessage() {
  MsgInfo(QStringLiteral("날짜의 입력형식이 잘못 되었거나,          \r\n존재하지 않는 날짜입니다."),
          QStringLiteral("날짜입력 확인"));
}

void DateBox::Refuse(bool byMouse) {
  // Taking the focus back before the message lets the message hand it back to this box, and
  // keeps the widget that was about to get it from ever running its arrival steps.
  m_refusing = true;
  meDate->setFocus(Qt::OtherFocusReason);
  ShowDateMessage();
  m_refusing = false;
  if (byMouse) new PressEater;
}

void DateBox::Spin(int step) {
  m_step = std::int16_t(step);
  const QString text = Text();
  const QDate date = easydate::ParseDate(text);
  if (date.isValid()) {
    meDate->setText(easydate::DateText(date.addDays(m_step)));
  } else if (text.isEmpty()) {
    SetToday();
  }
}

void DateBox::OpenCalendar() {
  FrmCalendar calendar(this);
  calendar.SetText(BoxText());
  calendar.move(meDate->mapToGlobal(QPoint(0, 0)) + QPoint(0, cmdCaln->height()));
  ShowModal(calendar);
  const QString chosen = calendar.Text();
  const bool changed = chosen != Text();
  SetText(chosen);
  meDate->setFocus(Qt::OtherFocusReason);
  if (changed) emit DateClick();
}

// ---- keys ----

void DateBox::BoxKeyPress(QKeyEvent* event) {
  auto* box = static_cast<DateEdit*>(meDate);
  const int originalCode = keys::VbKeyCode(*event);
  int code = originalCode;
  emit KeyDown(code, keys::VbShift(event->modifiers()));
  if (originalCode != 0 && code == 0) {
    event->accept();
    return;
  }
  if (m_autoTab && (code == 40 || code == 38)) {
    event->accept();
    controls::SendTab(meDate, code == 38);
    return;
  }

  const int original = keys::VbKeyAscii(*event);
  if (original == 0) {
    box->BaseKeyPress(event);
    return;
  }
  int keyAscii = original;
  emit KeyPress(keyAscii);
  if (keyAscii == 0) {
    event->accept();
    return;
  }
  if (keyAscii == 13 && m_autoTab) {
    event->accept();
    controls::SendTab(meDate, false);
    return;
  }
  if (keyAscii >= '0' && keyAscii <= '9') {
    // Typing overwrites the mask position at the caret rather than the whole selection.
    const int at = meDate->hasSelectedText() ? meDate->selectionStart() : meDate->cursorPosition();
    meDate->setSelection(at, 1);
  }
  if (keyAscii == original) {
    box->BaseKeyPress(event);
    return;
  }
  QKeyEvent typed(QEvent::KeyPress, event->key(), event->modifiers() & Qt::ShiftModifier,
                  QString(QChar(char16_t(keyAscii))));
  box->BaseKeyPress(&typed);
}

void DateBox::BoxKeyRelease(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  int code = keys::VbKeyCode(*event);
  emit KeyUp(code, keys::VbShift(event->modifiers()));
}

// ---- focus ----

void DateBox::BoxFocusIn(Qt::FocusReason) {
  // Back from the date message, another window or a popup: no new arrival.
  if (m_arrived) return;
  m_arrived = true;
  if (m_focusEffect) SetBoxBase(m_focusEffectParam);
  if (!m_allowEmpty && !HoldsDate()) SetToday();
}

void DateBox::BoxFocusOut(Qt::FocusReason reason) {
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  if (!m_arrived || m_refusing || !meDate->isVisible()) return;
  if (!Passes()) {
    Refuse(reason == Qt::MouseFocusReason);
    return;
  }
  m_arrived = false;
  if (m_focusEffect) SetBoxBase(controls::kWhite);
  emit Left();
}

// ---- look ----

void DateBox::SetBackColor(controls::OleColor color) {
  m_backColor = color;
  SetBoxBase(color);
}

void DateBox::SetBoxBase(controls::OleColor color) {
  QPalette pal = meDate->palette();
  pal.setColor(QPalette::Base, controls::ToQColor(color, palette()));
  meDate->setPalette(pal);
  update();
}

QColor DateBox::BoxBackground() const { return meDate->palette().color(QPalette::Base); }

QRect DateBox::FrameRect() const { return QRect(0, 0, std::max(0, width() - height()), height()); }

QSize DateBox::sizeHint() const {
  const QFontMetrics fm(meDate->font());
  const int h = std::max(22, fm.height() + 2 * kInset + 4);
  return QSize(fm.horizontalAdvance(QStringLiteral("0000-00-00")) + 16 + kSpinWidth + h, h);
}

void DateBox::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QRect frame = FrameRect();
  const QRect inner = frame.adjusted(kInset, kInset, -kInset, -kInset);
  meDate->setGeometry(inner.adjusted(2, 0, -kSpinWidth, 0));
  udMvDay->setGeometry(inner.right() - kSpinWidth + 1, inner.top(), kSpinWidth, inner.height());
  cmdCaln->setGeometry(frame.right() + 2, 0, std::max(0, height() - 1), height());
}

// The frame shape around the box and its spinner.
void DateBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = QRectF(FrameRect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(palette().color(QPalette::Mid));
  painter.setBrush(BoxBackground());
  painter.drawRoundedRect(frame, 4, 4);
}

void CarryFromDate(const DateBox& from, DateBox& to) {
  if (from.HoldsDate() && to.HoldsDate() && from.BoxText() > to.BoxText()) {
    to.SetText(from.BoxText());
  }
}
