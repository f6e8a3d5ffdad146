#pragma once
// What the charge and the usage summaries share: the grouping unit, the customer ID box, the
// period, one statement grouped by year, month or day, and the totals in the sum grid.

#include "reports/ReportSql.h"
#include "reports/ReportWindow.h"

#include <vector>

class HCText;
class QComboBox;

class SummaryWindow : public ReportWindow {
  Q_OBJECT

 public:
  QComboBox* cmbBranch = nullptr;
  HCText* htField = nullptr;  // the customer ID; empty sums every customer

  void Query() override;

 protected:
  struct Layout {
    SumKind kind;
    const char* name;
    int widthTwips;
    // Field of the result for each visible data column from 2 on.
    std::vector<const char*> fields;
    // (source column, hidden sum column) pairs; the total of each shows under its source.
    std::vector<std::pair<int, int>> sums;
    int lastCol;
  };
  SummaryWindow(const Layout& layout, QWidget* parent);

 private:
  Layout m_layout;
};

// 문자충전집계: charges by period, split into ordinary charges, compensations and all types.
class fRSumFill : public SummaryWindow {
  Q_OBJECT

 public:
  explicit fRSumFill(QWidget* parent = nullptr);
};

// 문자사용내역 (summary): SMS sending by period, split by the gateway's result code.
class fRSumUse : public SummaryWindow {
  Q_OBJECT

 public:
  explicit fRSumUse(QWidget* parent = nullptr);
};
