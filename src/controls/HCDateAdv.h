#pragma once
// HCDateAdv, a single date: one masked date box with its one-day spinner and calendar button.
// The box starts empty and takes today's date when it gets the focus (unless AllowEmpty), and
// cannot be left with a wrong date.

#include "controls/ControlSupport.h"

#include <QList>
#include <QPair>
#include <QVariant>
#include <QWidget>

#include <cstdint>

class DateBox;
class DateSpinner;
class QLineEdit;
class QToolButton;

class HCDateAdv : public QWidget {
  Q_OBJECT

 public:
  explicit HCDateAdv(QWidget* parent = nullptr);

  DateBox* dateBox = nullptr;
  QLineEdit* meDate = nullptr;
  DateSpinner* udMvDay = nullptr;
  QToolButton* cmdCaln = nullptr;

  // Kept and stored only.
  controls::OleColor ForeColor() const { return m_foreColor; }
  void SetForeColor(controls::OleColor color);
  int BackStyle() const { return m_backStyle; }
  void SetBackStyle(int value);
  int BorderStyle() const { return m_borderStyle; }
  void SetBorderStyle(int value);

  void Refresh();

  // The date "YYYY-MM-DD", "" when the box is empty. Setting a valid date writes it as
  // "YYYY-MM-DD"; anything else empties the box.
  QString Text() const;
  void SetText(const QString& text);
  void ToDay();

  // Applies to the box, the spinner and the calendar button.
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool enabled);
  QWidget* hWnd() { return this; }

  bool FocusEffect() const;
  void SetFocusEffect(bool on);
  controls::OleColor FocusEffectParam() const;
  void SetFocusEffectParam(controls::OleColor color);
  // The box background; the system window colour by default.
  controls::OleColor BackColor() const;
  void SetBackColor(controls::OleColor color);
  QFont Font() const { return font(); }
  void SetFont(const QFont& f);
  bool AutoTab() const;
  void SetAutoTab(bool on);
  bool AllowEmpty() const;
  void SetAllowEmpty(bool on);

  // As HCTerm's; "Text" is stored as the box shows it, default "____-__-__".
  using PropertyBag = controls::PropertyBag;
  void WriteProperties(PropertyBag& bag) const;
  void ReadProperties(const PropertyBag& bag);

  QSize sizeHint() const override;

 signals:
  void KeyDown(int& KeyCode, int Shift);
  void KeyPress(int& KeyAscii);
  void KeyUp(int& KeyCode, int Shift);
  void Change();
  // Declared for hosts; the control raises none of these.
  void Click();
  // After a calendar choice that changed the date.
  void DateClick();
  // Declared for hosts; the control raises none of these.
  void MouseDown(int Button, int Shift, float X, float Y);
  void MouseMove(int Button, int Shift, float X, float Y);
  void MouseUp(int Button, int Shift, float X, float Y);
  void PropertyChanged(const QString& name);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  controls::OleColor m_foreColor = 0;
  std::int16_t m_backStyle = 0;
  std::int16_t m_borderStyle = 0;
};
