// The grid at its edges: no column-header rows at all.
#include "grid/SpreadGrid.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QFont>
#include <QSignalSpy>
#include <QTest>

#include <ostream>

void PrintTo(const QString &s, std::ostream *os) {
  *os << '"' << s.toStdString() << '"';
}

namespace {

TEST(SpreadGridLimits, WithoutHeaderRowsHeaderCellsAreAbsentAndPaintingWorks) {
  SpreadGrid grid;
  grid.resize(400, 300);
  grid.SetMaxCols(3);
  grid.SetMaxRows(4);
  grid.SetColHeaderRows(0);
  grid.SetMaxCols(4); // a column that never had a header row
  grid.SetShadowColor(RgbColor(200, 220, 240));
  grid.SetFontBold(-1, 0, true);

  // Every member that takes a header row, on the corner, a column header and a
  // later header row.
  const int headerRows[] = {0, spread::SpreadHeader, spread::SpreadHeader + 1};
  for (int row : headerRows) {
    for (int col : {0, 1, 4}) {
      SCOPED_TRACE(testing::Message() << "col " << col << " row " << row);
      grid.SetText(col, row, "head");
      EXPECT_EQ(grid.GetText(col, row), "");
      EXPECT_EQ(grid.Value(col, row), "");
      grid.SetCellTag(col, row, "tag");
      EXPECT_EQ(grid.CellTag(col, row), "");
      grid.SetFormula(col, row, "1+1");
      EXPECT_EQ(grid.Formula(col, row), "");
      grid.SetFontBold(col, row, true);
      grid.SetBackColor(col, row, RgbColor(1, 2, 3));
      EXPECT_EQ(grid.BackColor(col, row), -1);
      grid.SetRowHeight(row, 30);
      EXPECT_EQ(grid.RowHeight(row), grid.RowHeight(-1));
    }
  }
  grid.AddCellSpan(0, 0, 1, 2);

  const QAbstractItemModel *m = grid.Model();
  for (int role :
       {int(Qt::DisplayRole), int(Qt::FontRole), int(Qt::BackgroundRole)}) {
    m->headerData(0, Qt::Horizontal, role);
    m->headerData(0, Qt::Vertical, role);
  }
  EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "A");
  // Painting asks for every header and the corner.
  grid.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  EXPECT_FALSE(grid.grab().isNull());
  EXPECT_FALSE(grid.ColHeaderArea()->isVisible());

  // Header rows that come back start empty and work as before.
  grid.SetColHeaderRows(2);
  EXPECT_EQ(grid.GetText(1, 0), "");
  grid.SetText(1, spread::SpreadHeader + 1, "second");
  EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "\nsecond");
  EXPECT_TRUE(grid.ColHeaderArea()->isVisible());
}

} // namespace
