#pragma once
// Charge registration: an amount paid becomes messages added to the customer's balance.

#include <QDialog>
#include <QPointer>

#include <array>

class HCText;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class fBFill_Save : public QDialog {
  Q_OBJECT

 public:
  explicit fBFill_Save(QWidget* parent = nullptr);

  // sCid the customer's ID; Mode 1 new charge, 2 show the charge iCode (saving refused).
  void SetFormMode(const QString& sCid, int Mode, QWidget* frm = nullptr, int iCode = 0);

  int ChargeCode() const { return m_code; }

  // 0 customer ID, 1 staff (its "Tag" property holds the login ID), 2 time, 3 count, 4 memo.
  std::array<HCText*, 5> htField{};
  QLineEdit* mtDate = nullptr;
  QComboBox* cmbMoney = nullptr;
  QLabel* lblUnit = nullptr;
  QPushButton* btnSave = nullptr;
  QPushButton* btnClose = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CheckAccess();
  void cmbMoney_LostFocus();
  void btnSave_Click();
  // Writes the charge; false when nothing was kept (the staff member has been told why).
  bool SaveCharge();
  void ClearFields();

  int m_mode = 1;
  int m_code = 0;
  bool m_accessChecked = false;
  QPointer<QWidget> m_owner;
};
