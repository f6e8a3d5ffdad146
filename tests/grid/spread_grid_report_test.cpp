// What the report windows ask of the grid beyond plain cells: a formula given to a whole column
// before its rows exist, and texts holding numbers that sort as numbers.
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modSpread60.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QStringList Column(const SpreadGrid& g, int col) {
  QStringList out;
  for (int r = 1; r <= g.MaxRows(); ++r) out << g.GetText(col, r);
  return out;
}

// Count, amount and a share column 3 = RC2/RC1, the formula set before any row exists.
void MakeShareGrid(SpreadGrid& g) {
  g.SetMaxCols(3);
  g.SetMaxRows(0);
  g.SetFormula(3, -1, "RC2/RC1");
}

void FillRow(SpreadGrid& g, int row, const char* count, const char* amount) {
  g.SetText(1, row, count);
  g.SetText(2, row, amount);
}

TEST(SpreadGridReport, ChargeListColumnFormulaReachesRowsAndTheGrandTotalAddedLater) {
  SpreadGrid g;
  g.SetMaxCols(9);
  CommonSpreadDesign(g, true, true, true, true, true);
  QAbstractItemModelTester tester(g.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  for (int c : {5, 6, 7}) SetCellTypeNumber(g, c);
  g.SetFormula(7, -1, "RC6/RC5");
  EXPECT_EQ(g.Formula(7, -1), "RC6/RC5");

  struct {
    const char* count;
    const char* amount;
    const char* share;
  } rows[] = {{"4", "1,000", "250"}, {"0", "0", ""}, {"1", "4000", "4,000"}};
  g.SetMaxRows(3);
  for (int r = 1; r <= 3; ++r) {
    for (int c : {1, 2, 3, 4, 8, 9}) g.SetText(c, r, QString("r%1c%2").arg(r).arg(c));
    g.SetText(5, r, rows[r - 1].count);
    g.SetText(6, r, rows[r - 1].amount);
  }
  for (int r = 1; r <= 3; ++r) {
    SCOPED_TRACE(r);
    EXPECT_EQ(g.Formula(7, r), "RC6/RC5");
    EXPECT_EQ(g.GetText(7, r), rows[r - 1].share);
  }
  EXPECT_EQ(g.Value(7, 2), "");  // 0/0 is an error, shown empty

  QSignalSpy changes(&g, &SpreadGrid::Change);
  AddGrandTotalRow(g, 1, true, "[합 계]", RgbColor(224, 240, 224));
  SetColSumFormula2(g, 5);
  SetColSumFormula2(g, 6);
  ASSERT_EQ(g.MaxRows(), 4);
  EXPECT_EQ(g.Formula(7, 4), "RC6/RC5");
  EXPECT_EQ(g.GetText(5, 4), "5");
  EXPECT_EQ(g.GetText(6, 4), "5,000");
  EXPECT_EQ(g.GetText(7, 4), "1,000");
  EXPECT_EQ(g.Value(7, 4), "1000");
  EXPECT_TRUE(changes.contains(QVariantList{7, 4}));

  g.SetMaxRows(6);
  EXPECT_EQ(g.Formula(7, 6), "RC6/RC5");
  EXPECT_EQ(g.GetText(7, 6), "");
  g.SetText(5, 6, "3");
  g.SetText(6, 6, "900");
  EXPECT_EQ(g.GetText(7, 6), "300");
  EXPECT_EQ(g.Value(7, 6), "300");
  EXPECT_EQ(g.GetText(7, 4), "1,000");
}

TEST(SpreadGridReport, OneCellOfAFormulaColumnTakesItsOwnFormulaOrText) {
  struct Case {
    const char* name;
    std::function<void(SpreadGrid&)> act;
    const char* formula;
    const char* shown;
  } cases[] = {
      {"own formula", [](SpreadGrid& g) { g.SetFormula(3, 2, "RC2*RC1"); }, "RC2*RC1", "20"},
      {"formula emptied", [](SpreadGrid& g) { g.SetFormula(3, 2, ""); }, "", ""},
      {"text written", [](SpreadGrid& g) { g.SetText(3, 2, "manual"); }, "", "manual"},
      {"whole-column text", [](SpreadGrid& g) { g.SetText(3, -1, "fill"); }, "RC2/RC1", "5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SpreadGrid g;
    MakeShareGrid(g);
    g.SetMaxRows(3);
    for (int r = 1; r <= 3; ++r) FillRow(g, r, "2", "10");
    c.act(g);
    EXPECT_EQ(g.Formula(3, 2), c.formula);
    EXPECT_EQ(g.GetText(3, 2), c.shown);
    for (int r : {1, 3}) {
      EXPECT_EQ(g.Formula(3, r), "RC2/RC1");
      EXPECT_EQ(g.GetText(3, r), "5");
    }
    // Rows added later still get the column's formula; the cell keeps what it was given.
    g.SetMaxRows(5);
    FillRow(g, 5, "4", "10");
    EXPECT_EQ(g.GetText(3, 5), "2.5");
    EXPECT_EQ(g.Formula(3, 2), c.formula);
    EXPECT_EQ(g.GetText(3, 2), c.shown);
  }
}

TEST(SpreadGridReport, EmptyingTheColumnFormulaAndCellFormulasKeepingTheirResult) {
  SpreadGrid g;
  MakeShareGrid(g);
  g.SetMaxRows(2);
  FillRow(g, 1, "2", "10");
  g.SetFormula(3, -1, "");
  EXPECT_EQ(g.Formula(3, -1), "");
  EXPECT_EQ(g.Formula(3, 1), "");
  EXPECT_EQ(g.GetText(3, 1), "");
  g.SetMaxRows(3);
  EXPECT_EQ(g.Formula(3, 3), "");

  // A formula set on the cell itself still shows its result over a written text.
  g.SetFormula(3, 1, "RC2+RC1");
  g.SetText(3, 1, "text");
  EXPECT_EQ(g.Formula(3, 1), "RC2+RC1");
  EXPECT_EQ(g.GetText(3, 1), "12");
}

TEST(SpreadGridReport, InsertedDeletedAndMovedLinesKeepTheColumnFormula) {
  SpreadGrid g;
  QAbstractItemModelTester tester(g.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  g.SetMaxCols(3);
  g.SetMaxRows(4);
  for (int r = 1; r <= 4; ++r) FillRow(g, r, "1", QByteArray::number(r * 10).constData());
  g.SetFormula(3, -1, "RC2/RC1");  // set with rows there: the later rows get it all the same

  g.InsertRows(2, 1);
  EXPECT_EQ(g.Formula(3, 2), "RC2/RC1");
  EXPECT_EQ(Column(g, 3), (QStringList{"10", "", "20", "30"}));
  FillRow(g, 2, "2", "50");
  EXPECT_EQ(g.GetText(3, 2), "25");

  g.DeleteRows(1, 2);
  EXPECT_EQ(Column(g, 3), (QStringList{"20", "30", "", ""}));
  EXPECT_EQ(g.Formula(3, 4), "RC2/RC1");
  FillRow(g, 4, "4", "2");
  EXPECT_EQ(g.GetText(3, 4), "0.5");

  // Columns inserted before the ones it reads move its references along.
  SpreadGrid h;
  MakeShareGrid(h);
  h.SetMaxCols(4);  // inserting keeps MaxCols, as the column moves do it
  h.InsertCols(1, 1);
  EXPECT_EQ(h.Formula(4, -1), "RC3/RC2");
  h.SetMaxRows(1);
  h.SetText(2, 1, "2");
  h.SetText(3, 1, "10");
  EXPECT_EQ(h.GetText(4, 1), "5");
  h.DeleteCols(1, 1);
  EXPECT_EQ(h.Formula(3, -1), "RC2/RC1");
  EXPECT_EQ(h.GetText(3, 1), "5");
}

TEST(SpreadGridReport, SortingKeepsEveryRowsFormulaOnItsOwnRow) {
  SpreadGrid g;
  MakeShareGrid(g);
  g.SetMaxRows(4);
  const char* data[][2] = {{"2", "10"}, {"5", "5"}, {"1", "30"}, {"0", "7"}};
  for (int r = 1; r <= 4; ++r) FillRow(g, r, data[r - 1][0], data[r - 1][1]);

  g.Sort(2, false);
  EXPECT_EQ(Column(g, 2), (QStringList{"30", "10", "7", "5"}));
  EXPECT_EQ(Column(g, 3), (QStringList{"30", "5", "", "1"}));
  // By the formula's own results: numbers in order, the error with the blanks at the end.
  g.Sort(3, true);
  EXPECT_EQ(Column(g, 3), (QStringList{"1", "5", "30", ""}));
  EXPECT_EQ(Column(g, 1), (QStringList{"5", "2", "1", "0"}));
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(g.Formula(3, r), "RC2/RC1");
  g.SetText(2, 1, "50");  // the row that sorted first reads its own cells
  EXPECT_EQ(g.GetText(3, 1), "10");
}

// Text cells (no number cell type) sorted by Sort.
TEST(SpreadGridReport, TextsThatAreNumbersSortAsNumbersWithAutomaticCellTypes) {
  const QStringList texts = {"9",    "10", "100", "-5", "1,234", "b", "", "2026-01-02 10:00:00",
                             "12.5", "a1", "1,2"};
  struct Case {
    const char* name;
    bool autoTypes;
    bool ascending;
    QStringList expected;
  } cases[] = {
      {"numbers up, then texts",
       true,
       true,
       {"-5", "9", "10", "12.5", "100", "1,234", "1,2", "2026-01-02 10:00:00", "a1", "b", ""}},
      {"texts down, then numbers",
       true,
       false,
       {"b", "a1", "2026-01-02 10:00:00", "1,2", "1,234", "100", "12.5", "10", "9", "-5", ""}},
      {"all texts up",
       false,
       true,
       {"-5", "1,2", "1,234", "10", "100", "12.5", "2026-01-02 10:00:00", "9", "a1", "b", ""}},
      {"all texts down",
       false,
       false,
       {"b", "a1", "9", "2026-01-02 10:00:00", "12.5", "100", "10", "1,234", "1,2", "-5", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SpreadGrid g;
    g.SetMaxCols(2);
    g.SetMaxRows(int(texts.size()));
    g.SetDAutoCellTypes(c.autoTypes);
    for (int r = 1; r <= g.MaxRows(); ++r) {
      g.SetText(1, r, texts[r - 1]);
      g.SetText(2, r, QString::number(r));
    }
    g.Sort(1, c.ascending);
    EXPECT_EQ(Column(g, 1), c.expected);
    // Whole rows moved, and the texts are what was written, not reformatted.
    for (int r = 1; r <= g.MaxRows(); ++r)
      EXPECT_EQ(g.GetText(1, r), texts[g.GetText(2, r).toInt() - 1]);
  }
}

TEST(SpreadGridReport, WhatReadsAsANumberWhenSorting) {
  struct Case {
    const char* text;
    bool number;
  } cases[] = {
      {" 42 ", true},           {"+7", true},          {".5", true},
      {"-1,234.5", true},       {"12,345,678", true},  {"1e3", false},
      {"010-1234-5678", false}, {"12,34", false},      {"1234,567", false},
      {"1,2345", false},        {"2026-01-02", false}, {"-", false},
      {"3 kg", false},          {"0x1A", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    // Descending puts texts before numbers: "!" is the smallest text, so a text lands above it.
    SpreadGrid g;
    g.SetMaxCols(1);
    g.SetMaxRows(2);
    g.SetText(1, 1, "!");
    g.SetText(1, 2, c.text);
    g.Sort(1, false);
    EXPECT_EQ(g.GetText(1, 1), c.number ? "!" : c.text);
  }
}

TEST(SpreadGridReport, HeaderClickOnACommonDesignGridSortsNumericTexts) {
  SpreadGrid g;
  g.resize(600, 300);
  g.SetMaxCols(2);
  CommonSpreadDesign(g, true, true, true, true, true);
  ASSERT_TRUE(g.DAutoCellTypes());
  const char* texts[] = {"9", "10", "100", "-5", "1,234"};
  g.SetMaxRows(5);
  for (int r = 1; r <= 5; ++r) g.SetText(1, r, texts[r - 1]);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  QTest::mouseClick(g.ColHeaderArea(), Qt::LeftButton, {}, g.ColHeaderRect(1).center());
  EXPECT_EQ(Column(g, 1), (QStringList{"-5", "9", "10", "100", "1,234"}));
  QTest::mouseClick(g.ColHeaderArea(), Qt::LeftButton, {}, g.ColHeaderRect(1).center());
  EXPECT_EQ(Column(g, 1), (QStringList{"1,234", "100", "10", "9", "-5"}));
}

TEST(SpreadGridReport, SumGridScrollsSidewaysWithItsDataGridAndShowsNoScrollBars) {
  QWidget window;
  window.resize(300, 260);
  SpreadGrid data(&window), sum(&window);
  data.setGeometry(0, 0, 300, 200);
  sum.setGeometry(0, 204, 300, 26);
  data.SetMaxCols(12);
  data.SetMaxRows(30);
  for (int c = 1; c <= 12; ++c) data.SetColWidth(c, 12);  // far wider than the window
  sum.SetMaxRows(1);
  SetupSumSpread(sum, data, 1);
  sum.FollowHorizontalScroll(data);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // The cell area is the viewport of the grid's scroll area.
  const auto bar = [](SpreadGrid& g) {
    auto* area = qobject_cast<QAbstractScrollArea*>(g.CellArea()->parentWidget());
    return area ? area->horizontalScrollBar() : nullptr;
  };
  QScrollBar* dataBar = bar(data);
  QScrollBar* sumBar = bar(sum);
  ASSERT_TRUE(dataBar && sumBar);
  ASSERT_GT(dataBar->maximum(), 0);
  EXPECT_FALSE(sumBar->isVisible());
  dataBar->setValue(dataBar->maximum() / 2);
  EXPECT_EQ(sumBar->value(), dataBar->value());
  // The sum grid's first visible column is the data grid's.
  EXPECT_EQ(sum.CellArea()->mapToGlobal(QPoint()).x() - sum.CellRect(3, 1).x(),
            data.CellArea()->mapToGlobal(QPoint()).x() - data.CellRect(3, 1).x());
}

}  // namespace
