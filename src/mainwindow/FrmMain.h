#pragma once
// The customer list: the window that lives from the login until the program ends, and the launch
// point of every customer task.

#include "customers/CustomerListOwner.h"

#include <QPointer>
#include <QWidget>

#include <array>

class HCText;
class QLabel;
class QPushButton;
class SpreadGrid;
class SummaryWindow;
class fBCust_Save;
class ReadBusyPanel;

class FrmMain : public QWidget, public CustomerListOwner {
  Q_OBJECT

 public:
  explicit FrmMain(QWidget* parent = nullptr);
  ~FrmMain() override;

  void SyncUpdateUser(int& eUpdateMode) override;

  // The search, as the button, F5 and Enter in the search box run it.
  void btnQuery_Click();

  std::array<QWidget*, 3> pnlTop{};  // 0 buttons, 2 the grid (there is no 1)
  HCText* htField0 = nullptr;        // the search box
  SpreadGrid* spList = nullptr;
  QPushButton* btnQuery = nullptr;
  QPushButton* btnAdd = nullptr;
  QPushButton* btnEdit = nullptr;
  QPushButton* btnCharge = nullptr;
  QPushButton* btnUseLog = nullptr;
  QPushButton* btnCertifiedTelNum = nullptr;
  QPushButton* btnChargeList = nullptr;
  QPushButton* btnSumFill = nullptr;
  QPushButton* btnSumUse = nullptr;
  QPushButton* btnLowBalance = nullptr;
  QPushButton* btnBalanceCheck = nullptr;
  QPushButton* btnClose = nullptr;
  // Shown over the list while a search runs past half a second.
  ReadBusyPanel* pnlBusy = nullptr;

 signals:
  // The window is closing, after every other window closed: the program shuts down.
  void Closing();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Closing while a search runs stops the search instead.
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void btnAdd_Click();
  void btnEdit_Click();
  void btnCharge_Click();
  void btnUseLog_Click();
  void btnCertifiedTelNum_Click();
  void btnChargeList_Click();
  void btnSumFill_Click();
  void btnSumUse_Click();
  void btnLowBalance_Click();
  void btnBalanceCheck_Click();
  void ExportList();
  void ShowSummary(SummaryWindow& dialog);
  // Position from the right of the last shown top button.
  int LastButtonPosition() const;
  QString SelectedId() const;
  int SelectedCode() const;
  void RefreshBalance();
  void ShowCustomerDialog(int mode, int code);

  // The customer dialog being shown, read back by SyncUpdateUser.
  QPointer<fBCust_Save> m_customerDialog;
  bool m_closing = false;
};
