#pragma once
// 충전내역: every charge of a period of at most 60 days, with its weekday and price per message,
// optionally one type only or Saturdays only, closed by a grand-total row.

#include "reports/ReportWindow.h"

class QCheckBox;
class QComboBox;

class fRChargeList : public ReportWindow {
  Q_OBJECT

 public:
  explicit fRChargeList(QWidget* parent = nullptr);

  QComboBox* cmbType = nullptr;
  QCheckBox* chkSaturday = nullptr;

  void Query() override;

 private:
  void AddTotalRow();
};
