#pragma once
// 잔액부족 고객: customers whose balance is below a threshold, with their average daily use over
// the last 30 days and the days that balance lasts at that pace; a double-click charges.

#include "reports/ReportWindow.h"

#include <QStringList>

class HCText;

class fRLowBalance : public ReportWindow {
  Q_OBJECT

 public:
  explicit fRLowBalance(QWidget* parent = nullptr);

  HCText* htField = nullptr;  // the threshold

  void Query() override;

 private:
  struct Row;
  // Use, days left and last charge of these customers (one statement per table).
  // Empty when the staff member stopped the reads.
  std::vector<Row> Figures(const QStringList& ids);
  void Write(int row, const Row& r);
  void Charge(int row);
};
