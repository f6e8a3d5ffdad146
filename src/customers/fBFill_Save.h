#pragma once
// Charge registration: an amount paid becomes messages added to the customer's balance.

#include <QDialog>
#include <QPointer>

#include <array>
#include <cstdint>

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
  // Shown while a charge's outcome could not be confirmed after a break; saving waits for it.
  QPushButton* btnCheck = nullptr;

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Saved { Yes, No, Unconfirmed };
  // The charge as sent: what identifies its row beyond the code an auto-increment may repeat.
  struct SentCharge {
    QString reguser, userid;
    std::int64_t count = 0, money = 0;
  };

  void CheckAccess();
  void cmbMoney_LostFocus();
  void btnSave_Click();
  void btnCheck_Click();
  // Writes the charge; the staff member has been told why when it was not kept.
  Saved SaveCharge();
  // One try of the whole transaction; conflict: it was refused whole and may be tried again.
  Saved WriteCharge(bool& conflict);
  // After a break during the COMMIT: what the data says, once that can be proven final.
  Saved Settle();
  void ShowUnconfirmed(bool unconfirmed);
  void Finish();
  void ClearFields();

  int m_mode = 1;
  int m_code = 0;
  SentCharge m_sent;
  bool m_accessChecked = false;
  QPointer<QWidget> m_owner;
};
