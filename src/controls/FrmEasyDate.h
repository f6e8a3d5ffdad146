#pragma once
// "기간 간편설정": picks a period with one click (yesterday, last week, the 2nd quarter, the last
// three months, ...) or moves the period in the two boxes back and forth by a day, a week, a
// month, a year, a quarter or a half year. Created for one use: set Text1 and Text2, show
// modally, then read OK, Text1 and Text2.

#include <QDialog>

#include <array>

class DateBox;
class QPushButton;

class FrmEasyDate : public QDialog {
  Q_OBJECT

 public:
  explicit FrmEasyDate(QWidget* parent = nullptr);

  // 0 from, 1 to; both start at today.
  std::array<DateBox*, 2> dateBox{};
  // The quick-period buttons (captions and periods in controls/EasyDateRules.h).
  std::array<QPushButton*, 27> cmdTermCng{};
  // The move buttons: even "◀" back, odd "▶" forward; by day, week, month, year, quarter, half.
  std::array<QPushButton*, 12> cmdMvDate{};
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdClose = nullptr;

  // True once the dialog was closed by a choice. Read-only.
  bool OK() const { return m_ok; }
  // The chosen period ("" for an empty box). Setting puts a valid date into its box; any other
  // value leaves the box at today.
  QString Text1() const { return m_text1; }
  QString Text2() const { return m_text2; }
  void SetText1(const QString& text);
  void SetText2(const QString& text);

 private:
  // Names a screen reader can read: the arrows and the hanja beside the captions cannot be.
  void NameControls();
  void cmdTermCng_Click(int index);
  void cmdMvDate_Click(int index);
  void cmdOK_Click();

  bool m_ok = false;
  QString m_text1;
  QString m_text2;
};
