// The grid as a screen reader reads it: the headers it paints itself, and its numbers.
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "support/AccessibleTree.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QBrush>

#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QWidget* View(SpreadGrid* grid) { return grid->focusProxy(); }

// Two header rows: "수량" spans columns 2 and 3 over "일반" and "보상"; "일자" spans both rows.
TEST(SpreadGridAccessible, HeaderCellsReadTheTextsDrawnOverTheirColumn) {
  SpreadGrid grid;
  grid.SetMaxCols(4);
  grid.SetMaxRows(1);
  grid.SetColHeaderRows(2);
  const int second = spread::ColHeaderRow(2);
  grid.SetText(1, 0, QStringLiteral("일자"));
  grid.SetText(2, 0, QStringLiteral("수량"));
  grid.SetText(2, second, QStringLiteral("일반"));
  grid.SetText(3, second, QStringLiteral("보상"));
  grid.AddCellSpan(1, 0, 1, 2);
  grid.AddCellSpan(2, 0, 2, 1);
  grid.show();

  const QStringList read = {"일자", "수량 일반", "수량 보상", "D"};
  EXPECT_EQ(a11y::ColumnHeaders(View(&grid)), read);
  QAccessibleTableInterface* table = a11y::Of(View(&grid))->tableInterface();
  ASSERT_NE(table, nullptr);
  const QStringList described = {"일자\n", "수량\n일반", "수량\n보상", "D"};
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(table->columnDescription(c), described[c]) << c;
    EXPECT_EQ(grid.Model()->headerData(c, Qt::Horizontal, Qt::AccessibleTextRole).toString(),
              read[c]);
  }
}

TEST(SpreadGridAccessible, RedNegativeNumbersReadWithTheirMinus) {
  SpreadGrid grid;
  grid.SetMaxCols(1);
  grid.SetMaxRows(2);
  grid.SetText(1, 0, QStringLiteral("잔여"));
  SetCellTypeNumber(grid, 1, 0, true, -1, true, false);
  grid.SetText(1, 1, QStringLiteral("-1234"));
  grid.SetText(1, 2, QStringLiteral("1234"));
  grid.show();

  const QModelIndex negative = grid.Model()->index(0, 0);
  EXPECT_EQ(grid.Model()->data(negative, Qt::ForegroundRole).value<QBrush>().color(),
            QColor(Qt::red));
  EXPECT_EQ(grid.Model()->data(negative, Qt::AccessibleTextRole).toString(), "-1,234");
  QAccessibleTableInterface* table = a11y::Of(View(&grid))->tableInterface();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->columnDescription(0), "잔여");
  EXPECT_EQ(table->cellAt(0, 0)->text(QAccessible::Name), "-1,234");
  EXPECT_EQ(table->cellAt(1, 0)->text(QAccessible::Name), "1,234");
}

}  // namespace
