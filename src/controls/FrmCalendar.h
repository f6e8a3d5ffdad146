#pragma once
// The month calendar a date box opens under itself: a click on a day or Enter chooses, Esc
// closes without a choice. Created for one use: set Text, show modally, read Text.

#include <QDialog>

class QCalendarWidget;

class FrmCalendar : public QDialog {
  Q_OBJECT

 public:
  explicit FrmCalendar(QWidget* parent = nullptr);

  QCalendarWidget* MonthView1 = nullptr;

  // The chosen date as "YYYY-MM-DD". Setting a valid date selects it and keeps the text; any
  // other text leaves Text empty.
  QString Text() const { return m_text; }
  void SetText(const QString& text);

 private:
  void Choose(const QDate& date);

  QString m_text;
};
