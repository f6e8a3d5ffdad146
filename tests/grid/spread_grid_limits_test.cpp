// The grid at its edges: no column-header rows at all, formula chains far deeper than any window
// builds, and Change handlers that take away the very cells being announced.
#include "grid/SpreadGrid.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QFont>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

TEST(SpreadGridLimits, WithoutHeaderRowsHeaderCellsAreAbsentAndPaintingWorks) {
  SpreadGrid grid;
  grid.resize(400, 300);
  grid.SetMaxCols(3);
  grid.SetMaxRows(4);
  grid.SetColHeaderRows(0);
  grid.SetMaxCols(4);  // a column that never had a header row
  grid.SetShadowColor(RgbColor(200, 220, 240));
  grid.SetFontBold(-1, 0, true);

  // Every member that takes a header row, on the corner, a column header and a later header row.
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

  const QAbstractItemModel* m = grid.Model();
  for (int role : {int(Qt::DisplayRole), int(Qt::FontRole), int(Qt::BackgroundRole)}) {
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

constexpr int kDeep = 100000;

TEST(SpreadGridLimits, DeepFormulaChainsEvaluateWithoutExhaustingTheStack) {
  SpreadGrid grid;
  grid.SetMaxCols(1);
  grid.SetMaxRows(kDeep);
  {
    // Built top down, read bottom up: the last cell needs every cell above it first.
    ReDrawOff off(grid);
    grid.SetText(1, 1, "1");
    for (int r = 2; r <= kDeep; ++r) grid.SetFormula(1, r, "R[-1]C+1");
    EXPECT_EQ(grid.GetText(1, kDeep), QString::number(kDeep));
    EXPECT_EQ(grid.GetText(1, 2), "2");
    grid.SetText(1, 1, "10");
    EXPECT_EQ(grid.GetText(1, kDeep), QString::number(kDeep + 9));
  }
  EXPECT_EQ(grid.GetText(1, 3), "12");

  // Each cell reads the one below it, so evaluating in sheet order starts at the deep end.
  {
    ReDrawOff off(grid);
    grid.SetFormula(1, -1, "R[1]C+1");
  }
  EXPECT_EQ(grid.GetText(1, 1), "");  // the last row reads past the sheet: an error all the way
  EXPECT_EQ(grid.GetText(1, kDeep - 1), "");
  {
    ReDrawOff off(grid);
    grid.SetFormula(1, kDeep, QString());
    grid.SetText(1, kDeep, "7");
  }
  EXPECT_EQ(grid.GetText(1, kDeep - 1), "8");
  EXPECT_EQ(grid.GetText(1, 1), QString::number(kDeep + 6));

  // Closing the chain into a ring makes every cell of it circular.
  grid.SetFormula(1, kDeep, "R1C1+1");
  EXPECT_EQ(grid.GetText(1, 1), "");
  EXPECT_EQ(grid.GetText(1, kDeep / 2), "");
  EXPECT_EQ(grid.GetText(1, kDeep), "");
}

TEST(SpreadGridLimits, DiamondReadsTakeTheValueNotACircularError) {
  // C1 is read twice on the way from A1, once directly and once through B1.
  SpreadGrid grid;
  grid.SetMaxCols(4);
  grid.SetMaxRows(1);
  grid.SetText(4, 1, "5");
  grid.SetFormula(3, 1, "RC4*2");
  grid.SetFormula(2, 1, "RC3+1");
  grid.SetFormula(1, 1, "RC3+RC2");
  EXPECT_EQ(grid.GetText(1, 1), "21");
  {
    ReDrawOff off(grid);
    grid.SetText(4, 1, "1");
    EXPECT_EQ(grid.GetText(1, 1), "5");
  }
}

// What a Change handler does to the grid that is announcing the change.
struct Shrink {
  const char* name;
  std::function<void(SpreadGrid&)> act;
};

const Shrink kShrinks[] = {
    {"no rows", [](SpreadGrid& g) { g.SetMaxRows(0); }},
    {"no columns", [](SpreadGrid& g) { g.SetMaxCols(0); }},
    {"first row deleted", [](SpreadGrid& g) { g.DeleteRows(1, 1); }},
    {"one column left", [](SpreadGrid& g) { g.SetMaxCols(1); }},
};

TEST(SpreadGridLimits, ChangeHandlerMayShrinkTheGridWhileAnEditIsStored) {
  for (const Shrink& s : kShrinks) {
    SCOPED_TRACE(s.name);
    SpreadGrid grid;
    grid.SetMaxCols(3);
    grid.SetMaxRows(3);
    grid.SetFormula(3, 1, "RC1*2");
    QList<QVariantList> seen;
    bool done = false;
    QObject::connect(&grid, &SpreadGrid::Change, [&](int col, int row) {
      seen << QVariantList{col, row};
      EXPECT_LE(col, grid.MaxCols());
      EXPECT_LE(row, grid.MaxRows());
      if (!done) {
        done = true;
        s.act(grid);
      }
    });
    QAbstractItemModel* m = grid.Model();
    ASSERT_TRUE(m->setData(m->index(0, 0), "21"));
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.first(), (QVariantList{3, 1}));
  }
}

TEST(SpreadGridLimits, ChangeHandlerMayShrinkTheGridWhileTheEditorCommits) {
  for (const Shrink& s : kShrinks) {
    SCOPED_TRACE(s.name);
    SpreadGrid grid;
    grid.resize(400, 300);
    grid.SetMaxCols(3);
    grid.SetMaxRows(3);
    grid.SetFormula(2, 1, "RC1+1");
    grid.show();
    grid.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&grid));
    int changes = 0;
    QObject::connect(&grid, &SpreadGrid::Change, [&](int, int) {
      if (changes++ == 0) s.act(grid);
    });
    grid.SetActiveCell(1, 1);
    QWidget* view = grid.CellArea()->parentWidget();
    QTest::keyClick(view, Qt::Key_4);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, view);
    QTest::keyClicks(editor, "2");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_GE(changes, 1);
    EXPECT_FALSE(grid.grab().isNull());
  }
}

TEST(SpreadGridLimits, FormulaAnnouncementsStopAtCellsAHandlerRemoved) {
  SpreadGrid grid;
  grid.SetMaxCols(2);
  grid.SetMaxRows(3);
  grid.SetFormula(2, -1, "RC1+1");
  QList<QVariantList> seen;
  QObject::connect(&grid, &SpreadGrid::Change, [&](int col, int row) {
    seen << QVariantList{col, row};
    if (grid.MaxRows() == 3) grid.SetMaxRows(1);
  });
  grid.SetText(1, -1, "5");  // all three formulas move
  EXPECT_EQ(seen, (QList<QVariantList>{{2, 1}}));
  EXPECT_EQ(grid.GetText(2, 1), "6");
}

}  // namespace
