#pragma once
// 잔액 대사: IDs whose stored balance differs from what their history gives — carried over +
// charges - SMS - 3 x MMS (sent and queued), the usage ledger's total over all time. Customer
// rows sharing an ID are summed into one row; everything is read in one snapshot, or not shown.

#include "reports/ReportWindow.h"

class HCText;

class fRBalanceCheck : public ReportWindow {
  Q_OBJECT

 public:
  explicit fRBalanceCheck(QWidget* parent = nullptr);

  HCText* htField = nullptr;  // one customer; empty: all
  QPushButton* btnPrint = nullptr;
  QPushButton* btnExcel = nullptr;

  void Query() override;

 private:
  void OpenLedger(int row);
  void Print();
};
