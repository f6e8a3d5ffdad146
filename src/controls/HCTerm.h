#pragma once
// HCTerm, the from/to period of every report window (instances named htDate): two masked date
// boxes, each with a one-day spinner and a calendar button, and a quick-period button that opens
// "기간 간편설정". Both boxes start at today.
//
// For the report windows:
//   htDate->Text1()  the from date "YYYY-MM-DD", "" when the box is empty
//   htDate->Text2()  the to date, likewise
//   htDate->SetText1(t) / SetText2(t)  a valid date goes in as "YYYY-MM-DD", anything else
//                    empties the box
//   ToDay(), ThisMonth(), ThisYear()  today-today, first of the month-today, 1 January-today
// The user cannot leave a box with a wrong date (AllowEmpty lets an empty one go), and leaving
// the from box with a date after the to date moves the to date along. Still, a text may be ""
// (AllowEmpty, or emptied by code or by the quick-period dialog) and from may be after to (the
// to box may be left earlier, the spinners and calendars check nothing): a window that needs
// an ordered pair of dates checks it itself.

#include "controls/ControlSupport.h"

#include <QList>
#include <QPair>
#include <QVariant>
#include <QWidget>

#include <array>
#include <cstdint>

class DateBox;
class DateSpinner;
class QLineEdit;
class QToolButton;

class HCTerm : public QWidget {
  Q_OBJECT

 public:
  explicit HCTerm(QWidget* parent = nullptr);

  // Index 0 the from date, 1 the to date.
  std::array<DateBox*, 2> dateBox{};
  std::array<QLineEdit*, 2> meDate{};
  std::array<DateSpinner*, 2> udMvDay{};
  std::array<QToolButton*, 2> cmdCaln{};
  QToolButton* cmdAdvn = nullptr;  // opens the quick-period dialog

  // Kept and stored only.
  controls::OleColor ForeColor() const { return m_foreColor; }
  void SetForeColor(controls::OleColor color);
  int BackStyle() const { return m_backStyle; }
  void SetBackStyle(int value);
  int BorderStyle() const { return m_borderStyle; }
  void SetBorderStyle(int value);

  void Refresh();

  QString Text1() const;
  void SetText1(const QString& text);
  QString Text2() const;
  void SetText2(const QString& text);

  // Where the quick-period dialog opens, from the control's top-left corner on the screen:
  // 0 its top-left corner there, 1 right edges aligned, 2 centred over the control, any other
  // value where the platform puts it.
  int EasyDateShowPos() const { return m_easyDateShowPos; }
  void SetEasyDateShowPos(int value);

  void ToDay();
  void ThisMonth();
  void ThisYear();

  QWidget* hWnd() { return this; }

  // Accessible names: the boxes read "<name> 시작" and "<name> 끝" (with their buttons), the
  // quick-period button "<name> 간편설정". A new control is named "기간".
  void NameParts(const QString& name);

  bool FocusEffect() const;
  void SetFocusEffect(bool on);
  controls::OleColor FocusEffectParam() const;
  void SetFocusEffectParam(controls::OleColor color);
  QFont Font() const { return font(); }
  void SetFont(const QFont& f);
  // Enter and Up/Down move the focus.
  bool AutoTab() const;
  void SetAutoTab(bool on);
  // An empty box is accepted (and reads as "").
  bool AllowEmpty() const;
  void SetAllowEmpty(bool on);

  // What a form keeps of the control, in loading order; properties at their default are left
  // out. A missing Text1 or Text2 loads as today.
  using PropertyBag = controls::PropertyBag;
  void WriteProperties(PropertyBag& bag) const;
  void ReadProperties(const PropertyBag& bag);

  QSize sizeHint() const override;

 signals:
  // From either box, before the box's own key handling; the host may change or cancel (0).
  void KeyDown(int& KeyCode, int Shift);
  void KeyPress(int& KeyAscii);
  void KeyUp(int& KeyCode, int Shift);
  // Whenever a box's text changes.
  void Change();
  // Declared for hosts; the control raises none of these.
  void Click();
  // After a calendar choice that changed a date.
  void DateClick();
  // Declared for hosts; the control raises none of these.
  void MouseDown(int Button, int Shift, float X, float Y);
  void MouseMove(int Button, int Shift, float X, float Y);
  void MouseUp(int Button, int Shift, float X, float Y);
  void PropertyChanged(const QString& name);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void cmdAdvn_Click();
  void Relayout();

  controls::OleColor m_foreColor = 0;
  std::int16_t m_backStyle = 0;
  std::int16_t m_borderStyle = 0;
  std::int16_t m_easyDateShowPos = 0;
  QWidget* m_tilde = nullptr;
};
