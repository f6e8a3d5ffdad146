// The grid that replaces the old spreadsheet control: storage, number cells, formulas,
// notifications, sorting, searching, column moves and the ReDraw switch.
#include "grid/SpreadGrid.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QBrush>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

// A grid of the given size, shown so that clicks and paints reach it.
struct Fixture {
  explicit Fixture(int cols, int rows, bool show = false) {
    grid.resize(800, 500);
    grid.SetMaxCols(cols);
    grid.SetMaxRows(rows);
    if (show) {
      grid.show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
  }
  QVariant Role(int col, int row, int role) const {
    const QAbstractItemModel* m = grid.Model();
    return m->data(m->index(row - 1, col - 1), role);
  }
  QColor Back(int col, int row) const {
    return Role(col, row, Qt::BackgroundRole).value<QBrush>().color();
  }
  QStringList Column(int col) const {
    QStringList out;
    for (int r = 1; r <= grid.MaxRows(); ++r) out << grid.GetText(col, r);
    return out;
  }
  SpreadGrid grid;
};

void MakeNumberColumn(SpreadGrid& g, int col, int places) {
  g.SetCellType(col, -1, spread::CellTypeNumber);
  g.SetTypeNumberDecPlaces(col, -1, places);
  g.SetTypeNumberShowSep(col, -1, true);
  g.SetTypeNumberMax(col, -1, 999999999999.0);
  g.SetTypeNumberMin(col, -1, -999999999999.0);
  g.SetTypeNegRed(col, -1, true);
}

TEST(SpreadGrid, ModelStaysConsistentThroughEveryReshaping) {
  Fixture f(4, 0);
  QAbstractItemModelTester tester(f.grid.Model(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  MakeNumberColumn(f.grid, 2, 0);
  f.grid.SetMaxRows(30);
  for (int r = 1; r <= 30; ++r) {
    f.grid.SetText(1, r, QString::number(r));
    f.grid.SetText(2, r, QString::number(31 - r));
  }
  f.grid.InsertRows(5, 3);
  f.grid.DeleteRows(1, 2);
  f.grid.InsertCols(2, 1);
  f.grid.DeleteCols(4, 1);
  f.grid.MoveColRange(1, 2, 3);
  f.grid.Sort(4, true);
  f.grid.SetFormula(4, 1, "SUM(R2C4:R10C4)");
  {
    ReDrawOff off(f.grid);
    f.grid.SetMaxRows(50);
    f.grid.SetText(1, 50, "x");
  }
  f.grid.SetMaxRows(0);
  f.grid.SetMaxCols(0);
  EXPECT_EQ(f.grid.Model()->rowCount(), 0);
}

TEST(SpreadGrid, TextCellsReadBackExactly) {
  Fixture f(2, 2);
  const QString values[] = {QString::fromUtf16(u"홍길동 (주)코르반"),
                            QStringLiteral("it's \"quoted\" \\ back\\slash"),
                            QStringLiteral("  blanks  "),
                            QStringLiteral("line1\nline2"),
                            QStringLiteral("1,234"),
                            QString::fromUtf16(u"똠방각하 😀"),
                            QString()};
  for (const QString& v : values) {
    f.grid.SetText(1, 1, v);
    EXPECT_EQ(f.grid.GetText(1, 1), v);
    EXPECT_EQ(f.grid.Value(1, 1), v);
    EXPECT_EQ(f.Role(1, 1, Qt::DisplayRole).toString(), v);
  }
}

TEST(SpreadGrid, NumberCellsShowSeparatorsAndValueIsThePlainNumber) {
  struct Case {
    const char* in;
    int places;
    const char* shown;
    const char* value;
    bool red;
  } cases[] = {
      {"1234", 0, "1,234", "1234", false},
      {"1,234,567", 0, "1,234,567", "1234567", false},
      {"-1234567", 0, "-1,234,567", "-1234567", true},
      {"999", 0, "999", "999", false},
      {"1000", 0, "1,000", "1000", false},
      {"-0.4", 0, "0", "0", false},  // no "-0" and not red once rounded
      {"1234.5", 2, "1,234.50", "1234.5", false},
      {" 42 ", 0, "42", "42", false},
      {"0", 0, "0", "0", false},
      {"abc", 0, "", "", false},
      {"", 0, "", "", false},
      {"5000000000000", 0, "999,999,999,999", "999999999999", false},  // held at the maximum
      {"-5000000000000", 0, "-999,999,999,999", "-999999999999", true},
      // Texts the quick path must hand over to the careful one.
      {"007", 0, "7", "7", false},
      {"-0", 0, "0", "0", false},
      {"12.50", 2, "12.50", "12.5", false},
      {"1.234", 2, "1.23", "1.23", false},
      {"0.5", 0, "1", "1", false},
      {"+5", 0, "5", "5", false},
      {"1e3", 0, "1,000", "1000", false},
      {".5", 2, "0.50", "0.5", false},
      {"12.5", 2, "12.50", "12.5", false},
      {"-12.05", 2, "-12.05", "-12.05", true},
      {"1234567890123456", 0, "999,999,999,999", "999999999999", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    Fixture f(1, 1);
    MakeNumberColumn(f.grid, 1, c.places);
    f.grid.SetText(1, 1, c.in);
    EXPECT_EQ(f.grid.GetText(1, 1), c.shown);
    EXPECT_EQ(f.grid.Value(1, 1), c.value);
    const QVariant fore = f.Role(1, 1, Qt::ForegroundRole);
    EXPECT_EQ(fore.isValid() && fore.value<QBrush>().color() == QColor(Qt::red), c.red);
    EXPECT_EQ(f.grid.TypeHAlign(1, 1), spread::HAlignRight);
  }
}

TEST(SpreadGrid, FormattedTextOfOneGridIsAcceptedByAnotherNumberCell) {
  // The sum grid is fed with GetText of the data grid ("1,234,567").
  Fixture a(1, 1), b(1, 1);
  MakeNumberColumn(a.grid, 1, 0);
  MakeNumberColumn(b.grid, 1, 0);
  a.grid.SetText(1, 1, "1234567");
  b.grid.SetText(1, 1, a.grid.GetText(1, 1));
  EXPECT_EQ(b.grid.Value(1, 1), "1234567");
}

TEST(SpreadGrid, FormulasEvaluateInR1C1Style) {
  struct Case {
    const char* formula;
    const char* shown;
  } cases[] = {
      {"SUM(R1C1:R3C1)", "60"},
      {"SUM(R1C1:R3C2)", "66"},
      {"RC1/RC2", "10"},  // row 1: 10 / 1
      {"(RC1+RC2)*2", "22"},
      {"-RC1+R3C1", "20"},
      {"R[1]C1-RC[-3]", "10"},  // formula sits in column 4, row 1
      {"RC1/RC3", ""},          // column 3 is empty: division by zero shows nothing
      {"RC1/0", ""},
      {"SUM(R1C1:R999C1)", ""},  // beyond the last row
      {"NOSUCH(R1C1)", ""},
      {"SUM(R1C1:", ""},
      {"MAX(R1C1:R3C1)+MIN(R1C1:R3C1)", "40"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    Fixture f(4, 3);
    for (int r = 1; r <= 3; ++r) {
      f.grid.SetText(1, r, QString::number(r * 10));
      f.grid.SetText(2, r, QString::number(r));
    }
    f.grid.SetFormula(4, 1, c.formula);
    EXPECT_EQ(f.grid.GetText(4, 1), c.shown);
    EXPECT_EQ(f.grid.Formula(4, 1), c.formula);
  }
}

TEST(SpreadGrid, ReferencesFollowInsertedAndDeletedLines) {
  struct Case {
    const char* formula;
    std::function<void(SpreadGrid&)> op;
    int col, row;  // where the formula cell is afterwards
    const char* after;
    const char* shown;
  } cases[] = {
      {"SUM(R1C1:R5C1)", [](SpreadGrid& g) { g.InsertRows(1, 2); }, 4, 10, "SUM(R3C1:R7C1)", "15"},
      {"SUM(R1C1:R5C1)", [](SpreadGrid& g) { g.InsertRows(3, 1); }, 4, 9, "SUM(R1C1:R6C1)", "15"},
      {"SUM(R1C1:R5C1)", [](SpreadGrid& g) { g.DeleteRows(2, 1); }, 4, 7, "SUM(R1C1:R4C1)", "13"},
      {"SUM(R1C1:R5C1)", [](SpreadGrid& g) { g.DeleteRows(4, 3); }, 4, 5, "SUM(R1C1:R3C1)", "6"},
      {"SUM(R1C1:R5C1)", [](SpreadGrid& g) { g.DeleteRows(1, 5); }, 4, 3, "SUM(#REF!:#REF!)", ""},
      {"R[-7]C1*10", [](SpreadGrid& g) { g.InsertRows(5, 1); }, 4, 9, "R[-8]C1*10", "10"},
      {"R2C1+1", [](SpreadGrid& g) { g.DeleteRows(2, 1); }, 4, 7, "#REF!+1", ""},
      {"SUM(R1C1:R5C1)", [](SpreadGrid& g) { g.InsertCols(1, 1); }, 5, 8, "SUM(R1C2:R5C2)", "15"},
      {"SUM(R1C1:R5C1)", [](SpreadGrid& g) { g.DeleteCols(2, 1); }, 3, 8, "SUM(R1C1:R5C1)", "15"},
      {"RC1/(RC2-R[-7]C1)", [](SpreadGrid& g) { g.InsertRows(1, 1); }, 4, 9, "RC1/(RC2-R[-7]C1)",
       "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.after);
    Fixture f(5, 10);
    for (int r = 1; r <= 6; ++r) f.grid.SetText(1, r, QString::number(r));
    f.grid.SetFormula(4, 8, c.formula);
    QSignalSpy spy(&f.grid, &SpreadGrid::Change);
    c.op(f.grid);
    EXPECT_EQ(f.grid.Formula(c.col, c.row), c.after);
    EXPECT_EQ(f.grid.GetText(c.col, c.row), c.shown);
    // The sum moved with its row; its value did not change, so nobody is told.
    if (QString(c.shown) == "15") {
      EXPECT_EQ(spy.count(), 0);
    }
  }
}

TEST(SpreadGrid, NumberFormatAppliesToFormulaResults) {
  Fixture f(3, 2);
  MakeNumberColumn(f.grid, 3, 0);
  f.grid.SetText(1, 1, "1000000");
  f.grid.SetText(1, 2, "-3000000");
  f.grid.SetFormula(3, 1, "SUM(R1C1:R2C1)");
  EXPECT_EQ(f.grid.GetText(3, 1), "-2,000,000");
  EXPECT_EQ(f.grid.Value(3, 1), "-2000000");
  EXPECT_EQ(f.Role(3, 1, Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
}

TEST(SpreadGrid, CircularFormulasShowEmptyInsteadOfHanging) {
  Fixture f(2, 1);
  f.grid.SetFormula(1, 1, "RC2+1");
  f.grid.SetFormula(2, 1, "RC1+1");
  EXPECT_EQ(f.grid.GetText(1, 1), "");
  EXPECT_EQ(f.grid.GetText(2, 1), "");
}

TEST(SpreadGrid, FormulaCellRaisesChangeWhenItsValueMoves) {
  Fixture f(4, 3);
  f.grid.SetText(1, 1, "1");
  f.grid.SetText(1, 2, "2");
  f.grid.SetText(1, 3, "3");
  QSignalSpy spy(&f.grid, &SpreadGrid::Change);
  f.grid.SetFormula(4, 1, "SUM(R1C1:R3C1)");
  ASSERT_EQ(spy.count(), 1);  // the first value counts as a change
  EXPECT_EQ(spy.takeFirst(), (QVariantList{4, 1}));

  f.grid.SetText(1, 2, "20");
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.takeFirst(), (QVariantList{4, 1}));
  EXPECT_EQ(f.grid.GetText(4, 1), "24");

  f.grid.SetText(2, 2, "99");  // not read by the formula
  f.grid.SetText(1, 1, "1");   // same value as before
  EXPECT_EQ(spy.count(), 0);

  f.grid.SetText(1, 1, "1.0");  // another text, the same number
  EXPECT_EQ(spy.count(), 0);

  f.grid.SetText(1, 1, "2");  // 25
  f.grid.SetText(1, 3, "2");  // back to 24: a change again
  EXPECT_EQ(spy.count(), 2);
}

TEST(SpreadGrid, ChangeFollowsChainsOfFormulas) {
  Fixture f(3, 2);
  f.grid.SetText(1, 1, "4");
  f.grid.SetText(1, 2, "6");
  f.grid.SetFormula(2, 1, "SUM(R1C1:R2C1)");
  f.grid.SetFormula(3, 1, "RC2*2");
  QSignalSpy spy(&f.grid, &SpreadGrid::Change);
  f.grid.SetText(1, 2, "16");
  EXPECT_EQ(f.grid.GetText(3, 1), "40");
  QList<QVariantList> got(spy.begin(), spy.end());
  EXPECT_TRUE(got.contains(QVariantList{2, 1}));
  EXPECT_TRUE(got.contains(QVariantList{3, 1}));
}

TEST(SpreadGrid, ColumnFormulaWorksRowByRow) {
  Fixture f(3, 50);
  for (int r = 1; r <= 50; ++r) f.grid.SetText(1, r, QString::number(r));
  f.grid.SetFormula(2, -1, "RC1*2");
  f.grid.SetFormula(3, 1, "SUM(R1C2:R50C2)");
  EXPECT_EQ(f.grid.GetText(2, 50), "100");
  EXPECT_EQ(f.grid.GetText(3, 1), "2550");
  QSignalSpy spy(&f.grid, &SpreadGrid::Change);
  f.grid.SetText(1, 10, "15");
  QList<QVariantList> got(spy.begin(), spy.end());
  EXPECT_EQ(got, (QList<QVariantList>{{2, 10}, {3, 1}}));
  EXPECT_EQ(f.grid.GetText(3, 1), "2560");
}

TEST(SpreadGrid, WithReDrawOffFormulaChangesAreAnnouncedOnceWhenItComesBack) {
  Fixture f(2, 100);
  f.grid.SetFormula(2, 1, "SUM(R1C1:R100C1)");
  QSignalSpy change(&f.grid, &SpreadGrid::Change);
  QSignalSpy data(f.grid.Model(), &QAbstractItemModel::dataChanged);
  f.grid.SetReDraw(false);
  for (int r = 1; r <= 100; ++r) f.grid.SetText(1, r, QString::number(r));
  EXPECT_EQ(change.count(), 0);
  EXPECT_EQ(data.count(), 0);
  EXPECT_EQ(f.grid.GetText(2, 1), "5050");  // reading is current even before ReDraw
  f.grid.SetReDraw(true);
  ASSERT_EQ(change.count(), 1);
  EXPECT_EQ(change.takeFirst(), (QVariantList{2, 1}));
  // One announcement for the whole block (plus the formula cell's own).
  ASSERT_GE(data.count(), 1);
  ASSERT_LE(data.count(), 2);
  const QModelIndex tl = data.last().at(0).toModelIndex();
  const QModelIndex br = data.last().at(1).toModelIndex();
  EXPECT_EQ(tl.row(), 0);
  EXPECT_EQ(br.row(), 99);
}

TEST(SpreadGrid, ReDrawOffPaintsNothing) {
  Fixture f(3, 20, true);
  int paints = 0;
  struct Counter : QObject {
    int* n;
    explicit Counter(int* n) : n(n) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) ++*n;
      return false;
    }
  } counter(&paints);
  f.grid.CellArea()->installEventFilter(&counter);
  f.grid.SetReDraw(false);
  f.grid.SetText(1, 1, "a");
  f.grid.CellArea()->repaint();
  QCoreApplication::processEvents();
  EXPECT_EQ(paints, 0);
  f.grid.SetReDraw(true);
  f.grid.CellArea()->repaint();
  EXPECT_GT(paints, 0);
}

TEST(SpreadGrid, UserEditRaisesChangeForTheCellAndItsFormulas) {
  Fixture f(3, 2);
  f.grid.SetFormula(3, 1, "RC1*2");
  QSignalSpy spy(&f.grid, &SpreadGrid::Change);
  QAbstractItemModel* m = f.grid.Model();
  ASSERT_TRUE(m->setData(m->index(0, 0), "21"));
  QList<QVariantList> got(spy.begin(), spy.end());
  EXPECT_TRUE(got.contains(QVariantList{1, 1}));
  EXPECT_TRUE(got.contains(QVariantList{3, 1}));
  EXPECT_EQ(f.grid.GetText(3, 1), "42");
  // Formula cells are not typed into.
  EXPECT_FALSE(m->flags(m->index(0, 2)) & Qt::ItemIsEditable);
}

TEST(SpreadGrid, TypingIntoANumberCell) {
  Fixture f(3, 3, true);
  MakeNumberColumn(f.grid, 2, 0);
  f.grid.SetFormula(3, 2, "RC2*2");
  f.grid.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f.grid));
  QSignalSpy spy(&f.grid, &SpreadGrid::Change);
  f.grid.SetActiveCell(2, 2);
  QWidget* view = f.grid.CellArea()->parentWidget();
  QTest::keyClick(view, Qt::Key_Minus);  // opens the editor with the first key
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, view);
  QTest::keyClicks(editor, "1234567");
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();  // the item view commits on its next turn
  EXPECT_EQ(f.grid.GetText(2, 2), "-1,234,567");
  EXPECT_EQ(f.grid.GetText(3, 2), "-2469134");
  QList<QVariantList> got(spy.begin(), spy.end());
  EXPECT_TRUE(got.contains(QVariantList{2, 2}));
  EXPECT_TRUE(got.contains(QVariantList{3, 2}));
}

TEST(SpreadGrid, LocksStaticTextAndReadOnlyModeStopEditing) {
  struct Case {
    const char* name;
    std::function<void(SpreadGrid&)> setUp;
    bool editable;
  } cases[] = {
      {"plain", [](SpreadGrid&) {}, true},
      {"sheet locked", [](SpreadGrid& g) { g.SetLock(-1, -1, true); }, false},
      {"column locked", [](SpreadGrid& g) { g.SetLock(2, -1, true); }, false},
      {"row locked", [](SpreadGrid& g) { g.SetLock(-1, 2, true); }, false},
      {"locked but unprotected",
       [](SpreadGrid& g) {
         g.SetLock(-1, -1, true);
         g.SetProtect(false);
       },
       true},
      {"sheet locked, cell unlocked",
       [](SpreadGrid& g) {
         g.SetLock(-1, -1, true);
         g.SetLock(2, 2, false);
       },
       true},
      {"static text", [](SpreadGrid& g) { g.SetCellType(2, 2, spread::CellTypeStaticText); },
       false},
      {"read-only mode", [](SpreadGrid& g) { g.SetOperationMode(spread::OpModeReadOnly); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(3, 3);
    c.setUp(f.grid);
    const QModelIndex i = f.grid.Model()->index(1, 1);
    EXPECT_EQ(bool(f.grid.Model()->flags(i) & Qt::ItemIsEditable), c.editable);
  }
}

TEST(SpreadGrid, ColoursLayerSheetColumnRowCellOverOddEvenRows) {
  Fixture f(3, 4);
  f.grid.SetOddEvenRowColor(RgbColor(255, 255, 255), 0, RgbColor(243, 249, 251), 0);
  EXPECT_EQ(f.Back(1, 1), QColor(255, 255, 255));
  EXPECT_EQ(f.Back(1, 2), QColor(243, 249, 251));

  f.grid.SetBackColor(2, -1, RgbColor(1, 2, 3));  // column
  f.grid.SetBackColor(-1, 3, RgbColor(4, 5, 6));  // row
  f.grid.SetBackColor(2, 4, RgbColor(7, 8, 9));   // cell
  EXPECT_EQ(f.Back(2, 1), QColor(1, 2, 3));
  EXPECT_EQ(f.Back(2, 3), QColor(4, 5, 6));  // the row wins over the column
  EXPECT_EQ(f.Back(2, 4), QColor(7, 8, 9));
  EXPECT_EQ(f.Back(1, 2), QColor(243, 249, 251));
  EXPECT_EQ(f.grid.BackColor(2, 4), RgbColor(7, 8, 9));

  // The whole sheet replaces every narrower setting.
  f.grid.SetBackColor(-1, -1, RgbColor(224, 240, 224));
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 4; ++r) EXPECT_EQ(f.Back(c, r), QColor(224, 240, 224));

  // Asking for the sheet, a column or a row, or beyond the grid, is no cell at all.
  f.grid.SetBackColor(3, -1, RgbColor(9, 9, 9));
  f.grid.SetFontBold(-1, 2, true);
  EXPECT_EQ(f.grid.BackColor(-1, -1), RgbColor(224, 240, 224));
  EXPECT_EQ(f.grid.BackColor(3, -1), RgbColor(9, 9, 9));
  EXPECT_TRUE(f.grid.FontBold(-1, 2));
  EXPECT_FALSE(f.grid.FontBold(-1, 1));
  EXPECT_EQ(f.grid.BackColor(9, 1), RgbColor(224, 240, 224));
  EXPECT_EQ(f.grid.GetText(9, 99), "");

  EXPECT_EQ(OleToQColor(RgbColor(254, 254, 186)), QColor(254, 254, 186));
  EXPECT_EQ(OleToQColor(0x0000FF), QColor(255, 0, 0));
}

TEST(SpreadGrid, InsertAndDeleteKeepTheSizeAndMoveRowAttributes) {
  Fixture f(2, 5);
  for (int r = 1; r <= 5; ++r) f.grid.SetText(1, r, QString::number(r));
  f.grid.SetRowHidden(3, true);
  f.grid.SetCellTag(0, 4, "gndtot");

  f.grid.InsertRows(2, 2);
  EXPECT_EQ(f.grid.MaxRows(), 5);
  EXPECT_EQ(f.Column(1), (QStringList{"1", "", "", "2", "3"}));
  EXPECT_TRUE(f.grid.RowHidden(5));
  EXPECT_FALSE(f.grid.RowHidden(3));

  f.grid.DeleteRows(1, 2);
  EXPECT_EQ(f.Column(1), (QStringList{"", "2", "3", "", ""}));
  EXPECT_TRUE(f.grid.RowHidden(3));

  f.grid.SetMaxRows(0);
  EXPECT_EQ(f.grid.DataRowCnt(), 0);
  f.grid.SetMaxRows(2);
  EXPECT_EQ(f.Column(1), (QStringList{"", ""}));
  EXPECT_FALSE(f.grid.RowHidden(1));
}

TEST(SpreadGrid, SpansMoveWithTheirFirstCell) {
  Fixture f(4, 6, true);
  const int single = f.grid.CellRect(2, 1).width();
  f.grid.AddCellSpan(2, 3, 2, 1);
  EXPECT_GT(f.grid.CellRect(2, 3).width(), single * 2 - 2);
  f.grid.InsertRows(1, 1);
  EXPECT_EQ(f.grid.CellRect(2, 3).width(), single);
  EXPECT_GT(f.grid.CellRect(2, 4).width(), single * 2 - 2);
  f.grid.InsertCols(1, 1);
  EXPECT_GT(f.grid.CellRect(3, 4).width(), single * 2 - 2);
  f.grid.DeleteRows(4, 1);  // the span's first cell goes, and the span with it
  for (int r = 1; r <= 6; ++r) EXPECT_EQ(f.grid.CellRect(3, r).width(), single) << r;
}

TEST(SpreadGrid, DataRowCntIsTheLastRowHoldingData) {
  Fixture f(3, 10);
  EXPECT_EQ(f.grid.DataRowCnt(), 0);
  f.grid.SetText(3, 4, "x");
  f.grid.SetText(1, 2, "y");
  EXPECT_EQ(f.grid.DataRowCnt(), 4);
  f.grid.SetFormula(2, 7, "1+1");
  EXPECT_EQ(f.grid.DataRowCnt(), 7);
  f.grid.SetText(0, 9, "row header text is no data");
  EXPECT_EQ(f.grid.DataRowCnt(), 7);
}

TEST(SpreadGrid, ColumnsMoveWithContentsWidthAndHiddenState) {
  Fixture f(6, 2);
  for (int c = 1; c <= 6; ++c) {
    f.grid.SetText(c, 0, QString("H%1").arg(c));
    f.grid.SetText(c, 1, QString("c%1").arg(c));
    f.grid.SetColWidth(c, c + 0.25);
  }
  f.grid.SetColHidden(5, true);
  f.grid.SetBackColor(2, -1, RgbColor(1, 1, 1));

  f.grid.MoveColRange(2, 2, 5);  // overwrites column 5, leaves column 2 empty
  EXPECT_EQ(f.grid.GetText(5, 1), "c2");
  EXPECT_EQ(f.grid.GetText(5, 0), "H2");
  EXPECT_EQ(f.grid.ColWidth(5), 2.25);
  EXPECT_FALSE(f.grid.ColHidden(5));
  EXPECT_EQ(f.grid.BackColor(5, 1), RgbColor(1, 1, 1));
  EXPECT_EQ(f.grid.GetText(2, 1), "");
  EXPECT_EQ(f.grid.BackColor(2, 1), -1);

  f.grid.InsertCols(1, 1);
  EXPECT_EQ(f.grid.MaxCols(), 6);
  EXPECT_EQ(f.grid.GetText(6, 1), "c2");
  f.grid.DeleteCols(1, 2);
  EXPECT_EQ(f.grid.GetText(1, 1), "");  // was the emptied column 2
  EXPECT_EQ(f.grid.GetText(2, 1), "c3");
  EXPECT_EQ(f.grid.GetText(4, 1), "c2");
  EXPECT_EQ(f.grid.ColWidth(2), 3.25);
}

TEST(SpreadGrid, SizesAreReadBackAsStoredAndProgramChangesRaiseNoNotification) {
  Fixture f(3, 3, true);
  QSignalSpy spy(&f.grid, &SpreadGrid::ColWidthChange);
  f.grid.SetColWidth(1, 8.38);
  f.grid.SetColWidth(0, 4.5);
  f.grid.SetRowHeight(-1, 13.5);
  f.grid.SetRowHeight(2, 30.25);
  f.grid.SetRowHeight(0, 15.5);
  EXPECT_EQ(f.grid.ColWidth(1), 8.38);
  EXPECT_EQ(f.grid.ColWidth(0), 4.5);
  EXPECT_EQ(f.grid.RowHeight(1), 13.5);
  EXPECT_EQ(f.grid.RowHeight(2), 30.25);
  EXPECT_EQ(f.grid.RowHeight(0), 15.5);
  EXPECT_EQ(spy.count(), 0);
  // The units reach the screen: a taller row and a wider column really are drawn so.
  EXPECT_GT(f.grid.CellRect(1, 2).height(), f.grid.CellRect(1, 1).height() * 2 - 2);
  f.grid.SetColWidth(2, 16.76);
  EXPECT_GT(f.grid.CellRect(2, 1).width(), f.grid.CellRect(1, 1).width() * 2 - 6);
}

TEST(SpreadGrid, HiddenRowsAndColumnsAreNotDrawn) {
  Fixture f(3, 4, true);
  const QRect r2 = f.grid.CellRect(2, 2), r3 = f.grid.CellRect(2, 3);
  f.grid.SetRowHidden(2, true);
  EXPECT_EQ(f.grid.CellRect(2, 3).top(), r2.top());  // row 3 moved up into row 2's place
  f.grid.SetColHidden(1, true);
  EXPECT_EQ(f.grid.CellRect(2, 1).left(), 0);
  EXPECT_TRUE(f.grid.CellRect(1, 1).isEmpty());
  f.grid.SetRowHidden(2, false);
  EXPECT_EQ(f.grid.CellRect(2, 3).top(), r3.top());
}

TEST(SpreadGrid, SearchRowAndSearchCol) {
  Fixture f(4, 4);
  MakeNumberColumn(f.grid, 4, 0);
  f.grid.SetText(1, 1, "Apple");
  f.grid.SetText(2, 1, "pineapple");
  f.grid.SetText(3, 1, "apple");
  f.grid.SetText(4, 1, "1234");
  f.grid.SetText(1, 3, "312");
  f.grid.SetText(1, 4, "12");
  struct Case {
    const char* name;
    bool byRow;
    int line, start, end;
    const char* text;
    int flags;
    int expect;
  } cases[] = {
      {"exact, case-blind", true, 1, 0, -1, "apple", 0, 1},
      {"exact after a position", true, 1, 1, -1, "apple", 0, 3},
      {"case-sensitive", true, 1, 0, -1, "apple", spread::SearchFlagsCaseSensitive, 3},
      {"partial", true, 1, 0, -1, "eapp", spread::SearchFlagsPartialMatch, 2},
      {"bounded end", true, 1, 1, 2, "apple", 0, -1},
      {"start -1 means from the first", true, 1, -1, -1, "APPLE", 0, 1},
      {"number cells by their shown text", true, 1, 0, -1, "1,234", 0, 4},
      {"nothing", true, 1, 0, -1, "pear", 0, -1},
      {"column, partial", false, 1, 1, -1, "12", spread::SearchFlagsPartialMatch, 3},
      {"column, exact", false, 1, 1, -1, "12", 0, 4},
      {"column, after the last hit", false, 1, 4, -1, "12", spread::SearchFlagsPartialMatch, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int got = c.byRow ? f.grid.SearchRow(c.line, c.start, c.end, c.text, c.flags)
                            : f.grid.SearchCol(c.line, c.start, c.end, c.text, c.flags);
    EXPECT_EQ(got, c.expect);
  }
}

TEST(SpreadGrid, HeaderClickSortsStablyWithNotificationsAround) {
  Fixture f(3, 6, true);
  MakeNumberColumn(f.grid, 2, 0);
  const char* names[] = {"a", "b", "c", "d", "e", "f"};
  const char* amounts[] = {"100", "9", "", "10", "9", "-5"};
  for (int r = 1; r <= 6; ++r) {
    f.grid.SetText(1, r, names[r - 1]);
    f.grid.SetText(2, r, amounts[r - 1]);
  }
  f.grid.SetRowHidden(4, true);  // row "d" stays hidden wherever it goes
  f.grid.SetUserColAction(1);

  QStringList events;
  QObject::connect(&f.grid, &SpreadGrid::BeforeUserSort, [&](int col) {
    events << QString("before %1 %2").arg(col).arg(f.grid.GetText(1, 1));
  });
  QObject::connect(&f.grid, &SpreadGrid::AfterUserSort, [&](int col) {
    events << QString("after %1 %2").arg(col).arg(f.grid.GetText(1, 1));
  });

  QTest::mouseClick(f.grid.ColHeaderArea(), Qt::LeftButton, {}, f.grid.ColHeaderRect(2).center());
  EXPECT_EQ(events, (QStringList{"before 2 a", "after 2 f"}));
  // Numbers as numbers, equal ones in their old order, the blank last.
  EXPECT_EQ(f.Column(1), (QStringList{"f", "b", "e", "d", "a", "c"}));
  EXPECT_TRUE(f.grid.RowHidden(4));

  QTest::mouseClick(f.grid.ColHeaderArea(), Qt::LeftButton, {}, f.grid.ColHeaderRect(2).center());
  EXPECT_EQ(f.Column(1), (QStringList{"a", "d", "b", "e", "f", "c"}));
  EXPECT_TRUE(f.grid.RowHidden(2));

  f.grid.SetUserColAction(0);
  QTest::mouseClick(f.grid.ColHeaderArea(), Qt::LeftButton, {}, f.grid.ColHeaderRect(1).center());
  EXPECT_EQ(events.size(), 4);
  EXPECT_EQ(f.Column(1), (QStringList{"a", "d", "b", "e", "f", "c"}));
}

TEST(SpreadGrid, RelativeFormulasTravelWithTheirRows) {
  Fixture f(3, 3);
  const char* v[] = {"5", "1", "3"};
  for (int r = 1; r <= 3; ++r) {
    f.grid.SetText(1, r, v[r - 1]);
    f.grid.SetFormula(2, r, "RC1*2");
  }
  f.grid.SetFormula(3, 1, "SUM(R1C2:R3C2)");
  QSignalSpy spy(&f.grid, &SpreadGrid::Change);
  f.grid.Sort(1, true);
  EXPECT_EQ(f.Column(1), (QStringList{"1", "3", "5"}));
  EXPECT_EQ(f.Column(2), (QStringList{"2", "6", "10"}));
  // The sum sat in the row of "5", and went along with it; its value did not move.
  EXPECT_EQ(f.Column(3), (QStringList{"", "", "18"}));
  EXPECT_EQ(f.grid.Formula(3, 3), "SUM(R1C2:R3C2)");
  EXPECT_EQ(spy.count(), 0);
}

TEST(SpreadGrid, DraggingAColumnBorderStoresTheWidthAndNotifies) {
  Fixture f(3, 3, true);
  f.grid.SetColWidth(1, 10);
  QSignalSpy spy(&f.grid, &SpreadGrid::ColWidthChange);
  const QRect h = f.grid.ColHeaderRect(1);
  const QPoint edge(h.right(), h.center().y());
  QTest::mousePress(f.grid.ColHeaderArea(), Qt::LeftButton, {}, edge);
  QTest::mouseMove(f.grid.ColHeaderArea(), edge + QPoint(60, 0));
  QTest::mouseRelease(f.grid.ColHeaderArea(), Qt::LeftButton, {}, edge + QPoint(60, 0));
  ASSERT_GE(spy.count(), 1);
  EXPECT_EQ(spy.last(), (QVariantList{1, 1}));
  const double dragged = f.grid.ColWidth(1);
  EXPECT_GT(dragged, 15);
  EXPECT_EQ(f.grid.ColWidthPixels(1), h.width() + 60);
  // What a layout file stores from this comes back as the same width on screen.
  f.grid.SetColWidth(1, 10);
  f.grid.SetColWidth(1, dragged);
  EXPECT_EQ(f.grid.ColHeaderRect(1).width(), h.width() + 60);
}

TEST(SpreadGrid, SortHandlerMayTakeTheTotalRowOutAndPutItBack) {
  // The charge list's pattern: remove the last row before the sort, append it after.
  Fixture f(1, 4, true);
  const char* v[] = {"b", "c", "a", "TOTAL"};
  for (int r = 1; r <= 4; ++r) f.grid.SetText(1, r, v[r - 1]);
  f.grid.SetUserColAction(1);
  QObject::connect(&f.grid, &SpreadGrid::BeforeUserSort,
                   [&](int) { f.grid.SetMaxRows(f.grid.MaxRows() - 1); });
  QObject::connect(&f.grid, &SpreadGrid::AfterUserSort, [&](int) {
    f.grid.SetMaxRows(f.grid.MaxRows() + 1);
    f.grid.SetText(1, f.grid.MaxRows(), "TOTAL");
  });
  QTest::mouseClick(f.grid.ColHeaderArea(), Qt::LeftButton, {}, f.grid.ColHeaderRect(1).center());
  EXPECT_EQ(f.Column(1), (QStringList{"a", "b", "c", "TOTAL"}));
}

TEST(SpreadGrid, MouseAndKeyNotifications) {
  Fixture f(3, 5, true);
  QSignalSpy right(&f.grid, &SpreadGrid::RightClick);
  QSignalSpy dbl(&f.grid, &SpreadGrid::DblClick);
  QSignalSpy key(&f.grid, &SpreadGrid::KeyDown);

  QTest::mouseClick(f.grid.CellArea(), Qt::RightButton, {}, f.grid.CellRect(2, 3).center());
  ASSERT_EQ(right.count(), 2);
  EXPECT_EQ(right.at(0), (QVariantList{1, 2, 3}));
  EXPECT_EQ(right.at(1), (QVariantList{2, 2, 3}));  // the one the menus answer

  QTest::mouseDClick(f.grid.CellArea(), Qt::LeftButton, {}, f.grid.CellRect(3, 4).center());
  ASSERT_GE(dbl.count(), 1);
  EXPECT_EQ(dbl.last(), (QVariantList{3, 4}));

  f.grid.SetOperationMode(spread::OpModeSingle);
  f.grid.SetActiveCell(1, 2);
  EXPECT_EQ(f.grid.ActiveRow(), 2);
  QTest::keyClick(f.grid.CellArea()->parentWidget(), Qt::Key_F, Qt::ControlModifier);
  QTest::keyClick(f.grid.CellArea()->parentWidget(), Qt::Key_Down, Qt::ShiftModifier);
  // The modifier keys themselves come through as well, as they did from the old control.
  QList<QVariantList> keys(key.begin(), key.end());
  EXPECT_TRUE(keys.contains(QVariantList{70, int(spread::ShiftMaskCtrl)}));   // 'F'
  EXPECT_TRUE(keys.contains(QVariantList{40, int(spread::ShiftMaskShift)}));  // Down
  QTest::keyClick(f.grid.CellArea()->parentWidget(), Qt::Key_Return);
  EXPECT_EQ(key.last(), (QVariantList{13, 0}));
  EXPECT_EQ(f.grid.ActiveRow(), 3);  // the grid still handles the key itself

  f.grid.SetActiveCell(0, 0);
  EXPECT_EQ(f.grid.ActiveRow(), 0);
}

TEST(SpreadGrid, CutOffTextShowsAsToolTip) {
  struct Case {
    const char* name;
    int textTip;
    const char* text;
    bool tip;
  } cases[] = {
      {"cut off", 1, "a text far too long for a column of three characters", true},
      {"fits", 1, "ab", false},
      {"tips off", 0, "a text far too long for a column of three characters", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(2, 2, true);
    f.grid.SetColWidth(1, 3);
    f.grid.SetTextTip(c.textTip);
    f.grid.SetText(1, 1, c.text);
    const QPoint at = f.grid.CellRect(1, 1).center();
    QHelpEvent help(QEvent::ToolTip, at, f.grid.CellArea()->mapToGlobal(at));
    QCoreApplication::sendEvent(f.grid.CellArea(), &help);
    EXPECT_EQ(QToolTip::isVisible() && QToolTip::text() == c.text, c.tip);
    QToolTip::hideText();
  }
}

TEST(SpreadGrid, SeveralHeaderRowsShareOneHeader) {
  Fixture f(2, 1);
  f.grid.SetColHeaderRows(2);
  f.grid.SetText(1, 0, "top");
  f.grid.SetText(1, spread::SpreadHeader + 1, "bottom");
  EXPECT_EQ(f.grid.GetText(1, spread::SpreadHeader), "top");
  EXPECT_EQ(f.grid.Model()->headerData(0, Qt::Horizontal).toString(), "top\nbottom");
  // Columns without header text show letters; rows their numbers, or their header text.
  EXPECT_EQ(f.grid.Model()->headerData(1, Qt::Horizontal).toString(), "B");
  EXPECT_EQ(f.grid.Model()->headerData(0, Qt::Vertical).toString(), "1");
  f.grid.SetText(0, 1, QString::fromUtf16(u"합계"));
  EXPECT_EQ(f.grid.Model()->headerData(0, Qt::Vertical).toString(), QString::fromUtf16(u"합계"));
}

}  // namespace
