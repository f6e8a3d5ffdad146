// The common grid design, number columns, the sum grid of the report windows, the grand-total
// row, column moves and the report windows' resize rules.
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modMy_formReSize.h"
#include "grid/modSpread60.h"
#include "platform/AppState.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFont>
#include <QSignalSpy>
#include <QTest>

#include <map>

namespace {

const QString kShared = QStringLiteral("코르반공통");
const QString kEvenKey = QStringLiteral("그리드짝수줄배경색");

QColor BackOf(const SpreadGrid& g, int col, int row) {
  const QAbstractItemModel* m = g.Model();
  return m->data(m->index(row - 1, col - 1), Qt::BackgroundRole).value<QBrush>().color();
}

QStringList Row(const SpreadGrid& g, int row) {
  QStringList out;
  for (int c = 1; c <= g.MaxCols(); ++c) out << g.GetText(c, row);
  return out;
}

class MduSpreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings::DeleteSetting(kShared, "Config", kEvenKey);
    App().stylingEnabled = true;
  }
  void TearDown() override { App().stylingEnabled = false; }
};

TEST_F(MduSpreadTest, EvenRowColourSetting) {
  const long def = RgbColor(243, 249, 251);
  struct Case {
    const char* stored;  // nullptr: no key at all
    long expect;
  } cases[] = {
      {nullptr, def},
      {"", def},
      {"abc", def},
      {"0", def},
      {"-5", def},
      {"16777215", 16777215},
      {"15792880", 15792880},
      {" 255xyz", 255},
      {"12345.5", 12346},  // to the nearest, halves to the even neighbour
      {"12344.5", 12344},
      {"99999999999", def},  // no colour can be that large
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(missing)");
    if (c.stored)
      settings::SaveSetting(kShared, "Config", kEvenKey, c.stored);
    else
      settings::DeleteSetting(kShared, "Config", kEvenKey);
    EXPECT_EQ(GetEvenRowColor(), c.expect);
  }
}

TEST_F(MduSpreadTest, CommonDesignOfAReportGrid) {
  settings::SaveSetting(kShared, "Config", kEvenKey, QString::number(RgbColor(10, 20, 30)));
  SpreadGrid g;
  g.SetMaxCols(3);
  g.SetMaxRows(5);
  QAbstractItemModelTester tester(g.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  CommonSpreadDesign(g, true, true, true, true, true);

  EXPECT_EQ(g.MaxRows(), 0);
  EXPECT_EQ(g.GetText(0, 0), "No");
  EXPECT_EQ(g.OperationMode(), spread::OpModeSingle);
  EXPECT_EQ(g.UserColAction(), 1);
  EXPECT_EQ(g.GetRefStyle(), 2);
  EXPECT_EQ(g.SelBackColor(), RgbColor(254, 254, 186));
  // The headers are drawn in the header colours.
  g.SetMaxRows(1);
  for (auto o : {Qt::Horizontal, Qt::Vertical}) {
    EXPECT_EQ(g.Model()->headerData(0, o, Qt::BackgroundRole).value<QBrush>().color(),
              QColor(204, 226, 244));
    EXPECT_EQ(g.Model()->headerData(0, o, Qt::ForegroundRole).value<QBrush>().color(),
              QColor(0, 0, 0));
  }

  // Rows loaded afterwards are locked and take the row colours.
  g.SetMaxRows(2);
  const QModelIndex i = g.Model()->index(0, 0);
  EXPECT_FALSE(g.Model()->flags(i) & Qt::ItemIsEditable);
  EXPECT_EQ(BackOf(g, 1, 1), QColor(255, 255, 255));
  EXPECT_EQ(BackOf(g, 1, 2), QColor(10, 20, 30));
}

TEST_F(MduSpreadTest, CommonDesignFlags) {
  struct Case {
    const char* name;
    bool readOnly, clearRows, userColAction, singleSelect, oddEven, rowHeaders, styling;
    bool corner, editable, sorts, colouredHeader;
    int rows;
  } cases[] = {
      {"editable list", false, true, false, false, false, true, true, true, true, false, true, 0},
      {"no row headers: no corner text", true, true, true, true, true, false, true, false, false,
       true, true, 0},
      {"rows kept: no corner text", true, false, true, true, true, true, true, false, false, true,
       true, 4},
      {"styling off", true, true, true, false, true, true, false, true, false, true, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    App().stylingEnabled = c.styling;
    SpreadGrid g;
    g.SetMaxCols(2);
    g.SetMaxRows(4);
    g.SetRowHeadersShow(c.rowHeaders);
    CommonSpreadDesign(g, c.readOnly, c.clearRows, c.userColAction, c.singleSelect, c.oddEven);
    EXPECT_EQ(g.GetText(0, 0) == "No", c.corner);
    EXPECT_EQ(g.MaxRows(), c.rows);
    EXPECT_EQ(g.UserColAction() == 1, c.sorts);
    EXPECT_EQ(g.ShadowColor() >= 0, c.colouredHeader);
    g.SetMaxRows(1);
    EXPECT_EQ(bool(g.Model()->flags(g.Model()->index(0, 0)) & Qt::ItemIsEditable), c.editable);
  }
}

TEST_F(MduSpreadTest, CornerSpansAllHeaderRowsWithoutTrouble) {
  SpreadGrid g;
  g.SetMaxCols(2);
  g.SetColHeaderRows(2);
  CommonSpreadDesign(g, true, true, true, true, true);
  EXPECT_EQ(g.GetText(0, 0), "No");
  EXPECT_EQ(g.GetText(0, spread::SpreadHeader + 1), "");
}

TEST_F(MduSpreadTest, NumberColumns) {
  SpreadGrid g;
  g.SetMaxCols(3);
  g.SetMaxRows(3);
  SetCellTypeNumber(g, 2);
  SetCellTypeNumber(g, 3, 0, false, 2, false, true);  // one cell only, centred, not red
  g.SetText(2, 1, "-1234567");
  g.SetText(2, 2, "1000000000000");
  g.SetText(3, 2, "-5");
  g.SetText(3, 1, "77");
  EXPECT_EQ(g.GetText(2, 1), "-1,234,567");
  EXPECT_EQ(g.Value(2, 1), "-1234567");
  EXPECT_EQ(g.GetText(2, 2), "999,999,999,999");
  EXPECT_EQ(g.TypeVAlign(2, 1), spread::VAlignCenter);
  EXPECT_EQ(g.TypeHAlign(2, 1), spread::HAlignRight);
  EXPECT_EQ(g.GetText(3, 2), "-5");
  EXPECT_EQ(g.TypeHAlign(3, 2), spread::HAlignCenter);
  EXPECT_FALSE(g.TypeNegRed(3, 2));
  EXPECT_EQ(g.GetText(3, 1), "77");  // a text cell: not the number type
  EXPECT_EQ(g.CellType(3, 1), spread::CellTypeEdit);
}

// A report window in small: data grid, hidden sum columns 6..9 for data columns 2..5, and the
// sum grid under it fed from the data grid's cell-changed notification.
struct Report {
  SpreadGrid list, sum;
  const std::map<int, int> map{{6, 2}, {7, 3}, {8, 4}, {9, 5}};

  Report() {
    list.SetMaxCols(9);
    for (int c = 1; c <= 5; ++c) list.SetColWidth(c, 6 + c);
    for (int c = 6; c <= 9; ++c) list.SetColHidden(c, true);
    CommonSpreadDesign(list, true, true, true, true, true);
    for (int c = 2; c <= 9; ++c) SetCellTypeNumber(list, c);
    sum.SetMaxRows(1);
    SetupSumSpread(sum, list, 1);
    for (int c = 2; c <= 9; ++c) SetCellTypeNumber(sum, c);
    QObject::connect(&list, &SpreadGrid::Change, [this](int col, int row) {
      const auto it = map.find(col);
      if (row == 1 && it != map.end()) sum.SetText(it->second, 1, list.GetText(col, 1));
    });
  }
  void Load(const std::vector<std::vector<const char*>>& rows) {
    ReDrawOff off(list);
    list.SetMaxRows(int(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r)
      for (size_t c = 0; c < rows[r].size(); ++c) list.SetText(int(c) + 1, int(r) + 1, rows[r][c]);
    if (list.MaxRows() > 0)
      for (const auto& [sumCol, src] : map) SetSumColumnFormula(list, src, sumCol);
  }
};

TEST_F(MduSpreadTest, SumGridShowsTheColumnTotals) {
  Report rep;
  EXPECT_EQ(rep.sum.GetText(1, 1), "[합 계]");
  EXPECT_EQ(rep.sum.MaxCols(), 9);
  for (int c = 1; c <= 9; ++c) EXPECT_EQ(rep.sum.ColHidden(c), c >= 6) << c;
  EXPECT_EQ(rep.sum.ColWidth(3), 9);
  EXPECT_EQ(rep.sum.ActiveRow(), 0);
  EXPECT_EQ(BackOf(rep.sum, 1, 1), QColor(224, 240, 224));
  EXPECT_EQ(rep.sum.GrayAreaBackColor(), RgbColor(224, 240, 224));
  EXPECT_EQ(rep.sum.GetText(0, 1), " ");
  EXPECT_EQ(rep.sum.CellType(0, 1), spread::CellTypeStaticText);

  rep.Load({{"2024-01", "1000", "-1", "1234567", ""},
            {"2024-02", "2500", "-3", "1", "x"},
            {"2024-03", "0", "-3", "1", "5"}});
  EXPECT_EQ(Row(rep.sum, 1).mid(0, 5), (QStringList{"[합 계]", "3,500", "-7", "1,234,569", "5"}));
  EXPECT_EQ(rep.list.Formula(7, 1), "SUM(R1C3:R3C3)");

  // A later change of a data cell reaches the sum grid through the notification.
  rep.list.SetText(2, 2, "1000000");
  EXPECT_EQ(rep.sum.GetText(2, 1), "1,001,000");

  // A new query refills everything.
  rep.Load({{"2024-04", "7", "7", "7", "7"}});
  EXPECT_EQ(Row(rep.sum, 1).mid(1, 4), (QStringList{"7", "7", "7", "7"}));
  EXPECT_EQ(rep.list.GetText(6, 2), "");
}

TEST_F(MduSpreadTest, SumGridFollowsColumnWidthsWhenSetUpAgain) {
  Report rep;
  rep.list.SetColWidth(2, 21.5);
  rep.list.SetColHidden(3, true);
  SetupSumSpread(rep.sum, rep.list, 1);
  EXPECT_EQ(rep.sum.ColWidth(2), 21.5);
  EXPECT_TRUE(rep.sum.ColHidden(3));
  EXPECT_EQ(rep.sum.GetText(1, 1), "[합 계]");
}

TEST_F(MduSpreadTest, SumColumnFormulaEmptiesTheColumnFirst) {
  SpreadGrid g;
  g.SetMaxCols(6);
  g.SetMaxRows(120);
  for (int r = 1; r <= 120; ++r) {
    g.SetText(4, r, "2");
    g.SetText(6, r, "stale");
  }
  g.SetFormula(6, 7, "RC4*2");
  SetSumColumnFormula(g, 4, 6);
  EXPECT_EQ(g.Formula(6, 1), "SUM(R1C4:R120C4)");
  EXPECT_EQ(g.GetText(6, 1), "240");
  EXPECT_EQ(g.Formula(6, 7), "");
  for (int r = 2; r <= 120; ++r) ASSERT_EQ(g.GetText(6, r), "") << r;
}

TEST_F(MduSpreadTest, GrandTotalRowLeavesSubtotalsOut) {
  SpreadGrid g;
  g.SetMaxCols(3);
  CommonSpreadDesign(g, true, true, true, true, true);
  SetCellTypeNumber(g, 3);
  const char* amounts[] = {"1000", "2,000", "", "abc", "500", "300"};
  g.SetMaxRows(6);
  for (int r = 1; r <= 6; ++r) g.SetText(3, r, amounts[r - 1]);
  g.SetCellTag(0, 5, "subtot");  // 500 left out
  g.SetCellTag(0, 6, "gndtot");  // an earlier total above the last row still counts
  g.SetRowHeight(6, 30.5);
  g.SetRowHidden(6, true);

  AddGrandTotalRow(g, 1, true, "[합 계]", RgbColor(224, 240, 224));
  SetColSumFormula2(g, 3);
  const int r = g.MaxRows();
  ASSERT_EQ(r, 7);
  EXPECT_EQ(g.GetText(1, r), "[합 계]");
  EXPECT_EQ(g.GetText(3, r), "3,300");
  EXPECT_EQ(g.CellTag(0, r), "gndtot");
  EXPECT_EQ(BackOf(g, 2, r), QColor(224, 240, 224));
  EXPECT_TRUE(g.FontBold(2, r));
  EXPECT_FALSE(g.FontBold(0, r));
  EXPECT_TRUE(g.Lock(3, r));
  EXPECT_EQ(g.RowHeight(r), 30.5);
  EXPECT_TRUE(g.RowHidden(6));
  EXPECT_FALSE(g.RowHidden(r));

  // A value, not a formula.
  g.SetText(3, 1, "9000");
  EXPECT_EQ(g.GetText(3, r), "3,300");
}

TEST_F(MduSpreadTest, GrandTotalOfAGridWithOnlyTheTotalRowIsZero) {
  SpreadGrid g;
  g.SetMaxCols(2);
  SetCellTypeNumber(g, 2);
  AddGrandTotalRow(g, 1, false, "[합 계]", RgbColor(224, 240, 224));
  SetColSumFormula2(g, 2);
  EXPECT_EQ(g.MaxRows(), 1);
  EXPECT_EQ(g.GetText(2, 1), "0");
  EXPECT_FALSE(g.FontBold(1, 1));
}

TEST_F(MduSpreadTest, GrandTotalKeepsFractions) {
  SpreadGrid g;
  g.SetMaxCols(1);
  g.SetMaxRows(3);
  g.SetText(1, 1, "0.25");
  g.SetText(1, 2, "1e3");
  SetColSumFormula2(g, 1);
  EXPECT_EQ(g.GetText(1, 3), "1000.25");
}

TEST_F(MduSpreadTest, ColumnBlockMoves) {
  struct Case {
    int first, last, dest;
    const char* order;
  } cases[] = {
      {2, 3, 6, "1 4 5 2 3 6 7 8"},                                // forward: before column 6
      {5, 6, 2, "1 5 6 2 3 4 7 8"},                                // backward: before column 2
      {1, 1, 9, "2 3 4 5 6 7 8 1"},                                // to the end
      {8, 8, 1, "8 1 2 3 4 5 6 7"}, {3, 3, 3, "1 2 3 4 5 6 7 8"},  // onto itself
      {4, 5, 6, "1 2 3 4 5 6 7 8"},                                // right behind itself
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.order);
    SpreadGrid g;
    g.SetMaxCols(8);
    g.SetMaxRows(2);
    for (int col = 1; col <= 8; ++col) {
      g.SetText(col, 1, QString::number(col));
      g.SetColWidth(col, col + 0.5);
    }
    g.SetColHidden(c.first, true);
    SpreadMyMoveCols(g, c.first, c.last, c.dest);
    EXPECT_EQ(g.MaxCols(), 8);
    EXPECT_EQ(Row(g, 1).join(' '), c.order);
    for (int col = 1; col <= 8; ++col) {
      const int was = g.GetText(col, 1).toInt();
      EXPECT_EQ(g.ColWidth(col), was + 0.5);
      EXPECT_EQ(g.ColHidden(col), was == c.first);
    }
    EXPECT_TRUE(g.ReDraw());
  }
}

TEST_F(MduSpreadTest, BadArgumentsShowTheStandardErrorBox) {
  struct Case {
    const char* name;
    std::function<void(SpreadGrid&)> call;
    const char* box;
  } cases[] = {
      {"block reversed", [](SpreadGrid& g) { SpreadMyMoveCols(g, 3, 2, 1); },
       "Error 5 (Invalid procedure call or argument) in procedure SpreadMyMoveCols of Module "
       "modSpread60"},
      {"destination inside the block", [](SpreadGrid& g) { SpreadMyMoveCols(g, 2, 4, 3); },
       "Error 5 (Invalid procedure call or argument) in procedure SpreadMyMoveCols of Module "
       "modSpread60"},
      {"past the last column", [](SpreadGrid& g) { SpreadMyMoveCols(g, 3, 5, 1); },
       "Error 5 (Invalid procedure call or argument) in procedure SpreadMyMoveCols of Module "
       "modSpread60"},
      {"no such column to total", [](SpreadGrid& g) { SetColSumFormula2(g, 7); },
       "Error 5 (Invalid procedure call or argument) in procedure SetColSumFormula2 of Module "
       "modSpread60"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPrompt prompts;
    SpreadGrid g;
    g.SetMaxCols(4);
    g.SetMaxRows(1);
    for (int col = 1; col <= 4; ++col) g.SetText(col, 1, QString::number(col));
    c.call(g);
    ASSERT_EQ(prompts.MessageTexts(), QStringList{c.box});
    EXPECT_EQ(prompts.Messages()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(Row(g, 1).join(' '), "1 2 3 4");
    EXPECT_TRUE(g.ReDraw());
  }
}

TEST(FormReSize, MinimumSizeOfAReportWindow) {
  ASSERT_EQ(TwipsPerPixel(), 15.0);  // the figures below are for 96 dpi
  struct Case {
    const char* name;
    QSize start;
    Qt::WindowState state;
    int minW, minH;
    QSize expect;
    int result;
  } cases[] = {
      {"too small", {100, 100}, Qt::WindowNoState, -1, -1, {309, 334}, 0},
      {"only too narrow", {200, 600}, Qt::WindowNoState, -1, -1, {309, 600}, 0},
      {"exactly the minimum", {309, 334}, Qt::WindowNoState, -1, -1, {309, 334}, 0},
      {"large enough", {800, 600}, Qt::WindowNoState, -1, -1, {800, 600}, 0},
      {"own minimum", {100, 100}, Qt::WindowNoState, 3000, 1500, {200, 100}, 0},
      {"maximised", {100, 100}, Qt::WindowMaximized, -1, -1, {100, 100}, 0},
      {"minimised", {100, 100}, Qt::WindowMinimized, -1, -1, {100, 100}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget w;
    w.resize(c.start);
    w.setWindowState(c.state);
    EXPECT_EQ(FormMinSize(w, c.minW, c.minH), c.result);
    if (c.state == Qt::WindowNoState) {
      EXPECT_EQ(w.size(), c.expect);
    }
  }
}

TEST(FormReSize, ButtonsPanelAndGrids) {
  QWidget window;
  QWidget panel(&window), top(&window);
  QWidget close(&top), query(&top);
  SpreadGrid list(&panel), sum(&panel);
  const int w = 15000;  // 1000 px
  EXPECT_EQ(PlaceTopButton(close, w, 1), 13815);
  EXPECT_EQ(PlaceTopButton(query, w, 2), 12660);
  EXPECT_EQ(close.x(), 921);
  EXPECT_EQ(query.x(), 844);

  FitWidth(top, w);
  FitWidth(panel, w, &list, &sum);
  EXPECT_EQ(top.width(), 1000);
  EXPECT_EQ(list.width(), 993);  // 14895 twips
  EXPECT_EQ(sum.width(), 993);

  panel.move(0, 40);  // 600 twips below the window's top
  list.move(0, 10);
  sum.resize(sum.width(), 40);
  FitHeight(panel, 9000, &list, &sum);
  EXPECT_EQ(panel.height(), 560);    // 9000 - 600
  EXPECT_EQ(list.height(), 511);     // 8400 - 600 - 135 = 7665 twips
  EXPECT_EQ(sum.y(), 10 + 511 + 2);  // 150 + 7665 + 30 twips
  EXPECT_EQ(sum.height(), 40);       // keeps its own height

  FitHeight(panel, 9000, &list);
  EXPECT_EQ(list.height(), 553);  // 8400 - 105 = 8295 twips
}

}  // namespace
