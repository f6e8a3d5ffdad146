#pragma once
// One masked date box with its one-day spinner and calendar button, in a rounded frame: the part
// the period control, the single-date control and the period dialog share. The box checks its
// date when the focus leaves it and keeps the focus until the date is right.

#include "controls/ControlSupport.h"

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

#include <cstdint>

// Two small arrow buttons; they take no focus, so the box keeps it while the date is stepped.
class DateSpinner : public QWidget {
  Q_OBJECT

 public:
  explicit DateSpinner(QWidget* parent = nullptr);

  QToolButton* upButton = nullptr;
  QToolButton* downButton = nullptr;

  QSize sizeHint() const override;

 signals:
  void UpClick();
  void DownClick();

 protected:
  void resizeEvent(QResizeEvent* event) override;
};

class DateBox : public QWidget {
  Q_OBJECT

 public:
  explicit DateBox(QWidget* parent = nullptr);
  ~DateBox() override;

  QLineEdit* meDate = nullptr;  // mask "####-##-##", shown empty as "____-__-__"
  DateSpinner* udMvDay = nullptr;
  QToolButton* cmdCaln = nullptr;

  // The box as shown: "____-__-__" when empty, partly typed texts with their blanks.
  QString BoxText() const;
  // The box text, or "" when the box is empty.
  QString Text() const;
  // A valid date goes in as "YYYY-MM-DD"; anything else empties the box.
  void SetText(const QString& text);
  void SetToday();
  bool HoldsDate() const;

  // The check of leaving the box: an empty box passes with AllowEmpty, otherwise only a real
  // date. A failing box shows the date message and takes the focus back.
  bool Check();
  static void ShowDateMessage();

  // One spinner step: a date moves by `step` days, an empty box becomes today, any other text
  // stays as it is.
  void Spin(int step);
  // The calendar under the box; its choice (or its emptiness) goes into the box.
  void OpenCalendar();
  // Accessible names: the box reads `name`, its buttons "<name> 달력", "<name> 다음 날" and
  // "<name> 전날". A new box is named "날짜".
  void NameParts(const QString& name);

  bool AutoTab() const { return m_autoTab; }
  void SetAutoTab(bool on) { m_autoTab = on; }
  bool FocusEffect() const { return m_focusEffect; }
  void SetFocusEffect(bool on) { m_focusEffect = on; }
  controls::OleColor FocusEffectParam() const { return m_focusEffectParam; }
  void SetFocusEffectParam(controls::OleColor color) { m_focusEffectParam = color; }
  bool AllowEmpty() const { return m_allowEmpty; }
  void SetAllowEmpty(bool on) { m_allowEmpty = on; }
  controls::OleColor BackColor() const { return m_backColor; }
  void SetBackColor(controls::OleColor color);
  // The box background as it is painted now.
  QColor BoxBackground() const;

  QSize sizeHint() const override;

 signals:
  // Raised before the box's own key handling; the host may change or cancel (0) the key.
  void KeyDown(int& KeyCode, int Shift);
  void KeyPress(int& KeyAscii);
  void KeyUp(int& KeyCode, int Shift);
  void Change();
  // After a calendar choice that changed the text.
  void DateClick();
  // The focus left the box and its text passed the check.
  void Left();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  friend class DateEdit;
  template <class>
  friend class controls::OwnedLineEdit;

  void BoxKeyPress(QKeyEvent* event);
  void BoxKeyRelease(QKeyEvent* event);
  void BoxFocusIn(Qt::FocusReason reason);
  void BoxFocusOut(Qt::FocusReason reason);
  bool Passes() const;
  void Refuse(bool byMouse);
  void SetBoxBase(controls::OleColor color);
  QRect FrameRect() const;

  bool m_autoTab = true;
  bool m_focusEffect = false;
  controls::OleColor m_focusEffectParam = 0xC0E0FF;
  bool m_allowEmpty = false;
  controls::OleColor m_backColor = 0x80000005;  // the system window colour
  std::int16_t m_step = 0;                      // the pending spinner step

  bool m_arrived = false;   // between our arrival and leaving steps
  bool m_refusing = false;  // the date message is up; focus changes are ours
};

// The period rule of leaving the from box: a from date after the to date is copied into the to
// box (the "YYYY-MM-DD" texts compare as the dates do).
void CarryFromDate(const DateBox& from, DateBox& to);
