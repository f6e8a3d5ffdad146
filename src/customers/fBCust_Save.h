#pragma once
// Customer registration: add a customer, edit one, reset its password.

#include <QDialog>
#include <QPointer>

#include <array>

class HCText;
class LabelPanel;
class QCheckBox;
class QLabel;
class QPushButton;

class fBCust_Save : public QDialog {
  Q_OBJECT

 public:
  explicit fBCust_Save(QWidget* parent = nullptr);

  // Mode 1 new, 2 edit (the customer with code iCode); frm is the window to call back.
  void SetFormMode(int& Mode, QWidget* frm = nullptr, int iCode = 0);

  int Mode() const { return m_mode; }
  // userseq of the customer edited or just added.
  int CustomerCode() const { return m_code; }

  // Index 0 trade name, 1 ID, 3 memo, 4 phone; there is no index 2.
  std::array<HCText*, 5> htField{};
  QPushButton* btnSave = nullptr;
  QPushButton* btnClose = nullptr;
  QPushButton* btnResetPasswd = nullptr;
  QCheckBox* chkCun = nullptr;

 private:
  void btnSave_Click();
  void btnResetPasswd_Click();
  void ClearFields();
  bool OwnerIsCustomerList() const;
  QString ChkCunKey() const;

  int m_mode = 1;
  int m_code = 0;
  QPointer<QWidget> m_owner;
};
