#pragma once
// 문자사용내역: one customer's balance movements over a period — the carry-over, each day's
// charges, each day's SMS and MMS, and the MMS still queued — with the total (the balance as the
// gateway tables account for it) in the sum grid.

#include "reports/ReportWindow.h"

class fRUseList : public ReportWindow {
  Q_OBJECT

 public:
  explicit fRUseList(QWidget* parent = nullptr);

  // Fixes the customer and runs the query (before the window is shown: no notice then).
  void SetFormMode(const QString& sCid);
  void Query() override;

  QPushButton* btnExcel = nullptr;
  QPushButton* btnPrint = nullptr;

 private:
  void Print();
  void Export();

  QString m_userid;
};
