// The find dialog on a real grid: both directions, wrap-around, hidden columns, whole match and
// partial match ("12" finding "312"), the column range, the no-hit box, and the values the
// dialog remembers from one opening to the next.
#include "grid/FrmFindInSpread.h"
#include "grid/SpreadGrid.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

//          c1      c2      c3 (hidden)  c4
//   r1     a       12      x
//   r2     312             find         find me
//   r3             find
//   r4     up                           find
//   r5             Up
void Fill(SpreadGrid& g) {
  g.SetMaxCols(4);
  g.SetMaxRows(5);
  const char* const rows[][4] = {{"a", "12", "x", ""},
                                 {"312", "", "find", "find me"},
                                 {"", "find", "", ""},
                                 {"up", "", "", "find"},
                                 {"", "Up", "", ""}};
  for (int r = 1; r <= 5; ++r)
    for (int c = 1; c <= 4; ++c) g.SetText(c, r, rows[r - 1][c - 1]);
  g.SetColHidden(3, true);
}

struct Controls {
  explicit Controls(FrmFindInSpread& d)
      : text(d.findChild<QLineEdit*>("txtFindWd")),
        dir(d.findChild<QComboBox*>("cboFindDir")),
        whole(d.findChild<QCheckBox*>("chkSameAll")),
        find(d.findChild<QPushButton*>("cmdFind")),
        close(d.findChild<QPushButton*>("cmdClose")) {}
  QLineEdit* text;
  QComboBox* dir;
  QCheckBox* whole;
  QPushButton* find;
  QPushButton* close;
};

class FindInSpreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.resize(400, 300);
    Fill(grid);
  }
  void TearDown() override { EXPECT_TRUE(prompt.AllAnswersUsed()); }

  ScriptedPrompt prompt;
  SpreadGrid grid;
};

// One "다음 찾기" from an active cell; hit (0, 0) means the no-hit box.
TEST_F(FindInSpreadTest, NextHitFromTheActiveCell) {
  struct Case {
    const char* what;
    const char* text;
    int dir;  // 0 by row, 1 by column
    bool whole;
    int fromCol, fromRow;
    int hitCol, hitRow;
    int colStart = -1, colEnd = -1;
  };
  const Case cases[] = {
      {"column: 312 below before 12 in the next column", "12", 1, false, 1, 1, 1, 2},
      {"column: whole match passes 312 by", "12", 1, true, 1, 1, 2, 1},
      {"row: the rest of the active row first", "12", 0, false, 1, 1, 2, 1},
      {"row: partial match inside a row further down", "12", 0, false, 2, 1, 1, 2},
      {"row: a hidden hit is passed over in the active row", "find", 0, false, 1, 2, 4, 2},
      {"row: hidden hit passed over, then next rows", "find", 0, true, 1, 2, 2, 3},
      {"column: hidden column skipped", "find", 1, true, 2, 3, 4, 4},
      {"column: next column searched from its top", "find", 1, false, 1, 1, 2, 3},
      {"row: wrap to the same row left of the active cell", "312", 0, true, 4, 2, 1, 2},
      {"row: wrap from the last row to the top", "a", 0, true, 2, 5, 1, 1},
      {"column: only above the active cell, found by the wrap", "a", 1, true, 1, 3, 1, 1},
      {"column: wrap from the last column to the first", "312", 1, true, 4, 4, 1, 2},
      {"case-blind", "UP", 1, true, 1, 4, 2, 5},
      {"only in a hidden column: no hit", "x", 0, false, 1, 1, 0, 0},
      {"nowhere: no hit", "zzz", 1, false, 2, 2, 0, 0},
      {"column range keeps column 1 out", "a", 0, true, 2, 1, 0, 0, 2, 4},
      {"column range end keeps column 4 out", "find me", 0, true, 1, 1, 0, 0, 1, 3},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    prompt.Clear();
    FrmFindInSpread::SetFormInit(grid, k.colStart, k.colEnd);
    FrmFindInSpread d;
    const Controls ui(d);
    ui.text->setText(QString::fromUtf8(k.text));
    ui.dir->setCurrentIndex(k.dir);
    ui.whole->setChecked(k.whole);
    grid.SetActiveCell(k.fromCol, k.fromRow);
    ui.find->click();
    if (k.hitCol == 0) {
      ASSERT_EQ(prompt.Messages().size(), 1u);
      EXPECT_EQ(prompt.Messages()[0].text, "일치하는 데이터가 없습니다.");
      EXPECT_EQ(prompt.Messages()[0].title, "검색실패");
      EXPECT_EQ(grid.ActiveCol(), k.fromCol);
      EXPECT_EQ(grid.ActiveRow(), k.fromRow);
    } else {
      EXPECT_TRUE(prompt.Messages().empty());
      EXPECT_EQ(grid.ActiveCol(), k.hitCol);
      EXPECT_EQ(grid.ActiveRow(), k.hitRow);
    }
  }
}

TEST_F(FindInSpreadTest, RepeatedFindWalksEveryVisibleHitAndWraps) {
  FrmFindInSpread::SetFormInit(grid);
  FrmFindInSpread d;
  const Controls ui(d);
  ui.text->setText("find");
  ui.dir->setCurrentIndex(0);
  ui.whole->setChecked(false);
  grid.SetActiveCell(1, 1);
  std::vector<std::pair<int, int>> seen;
  for (int i = 0; i < 4; ++i) {
    ui.find->click();
    seen.emplace_back(grid.ActiveCol(), grid.ActiveRow());
  }
  const std::vector<std::pair<int, int>> expected{{4, 2}, {2, 3}, {4, 4}, {4, 2}};
  EXPECT_EQ(seen, expected);
}

TEST_F(FindInSpreadTest, TheHitRowBecomesTheTopRow) {
  grid.SetMaxRows(300);
  grid.SetText(2, 250, "far down");
  grid.show();
  FrmFindInSpread::SetFormInit(grid);
  FrmFindInSpread d;
  const Controls ui(d);
  ui.text->setText("far");
  ui.dir->setCurrentIndex(0);
  ui.whole->setChecked(false);
  grid.SetActiveCell(1, 1);
  ui.find->click();
  QApplication::processEvents();
  EXPECT_EQ(grid.ActiveRow(), 250);
  EXPECT_EQ(grid.TopRow(), 250);
}

TEST_F(FindInSpreadTest, ValuesAreRememberedFromOneOpeningToTheNext) {
  grid.SetActiveCell(1, 1);
  prompt.ModalNext([](QDialog& dlg) {
    const Controls ui(static_cast<FrmFindInSpread&>(dlg));
    ui.text->setText("12");
    ui.dir->setCurrentIndex(1);
    ui.whole->setChecked(true);
    ui.find->click();
    ui.close->click();
    return dlg.result();
  });
  ShowFindInSpread(nullptr, grid);
  EXPECT_EQ(grid.ActiveCol(), 2);
  EXPECT_EQ(grid.ActiveRow(), 1);

  // Shown again as left; this time closed by the window's own close, after a change.
  QString shownText;
  int shownDir = -1;
  bool shownWhole = false;
  prompt.ModalNext([&](QDialog& dlg) {
    const Controls ui(static_cast<FrmFindInSpread&>(dlg));
    shownText = ui.text->text();
    shownDir = ui.dir->currentIndex();
    shownWhole = ui.whole->isChecked();
    ui.text->setText("312");
    ui.whole->setChecked(false);
    dlg.reject();
    return dlg.result();
  });
  ShowFindInSpread(nullptr, grid);
  EXPECT_EQ(shownText, "12");
  EXPECT_EQ(shownDir, 1);
  EXPECT_TRUE(shownWhole);

  FrmFindInSpread third;
  const Controls ui(third);
  EXPECT_EQ(ui.text->text(), "312");
  EXPECT_EQ(ui.dir->currentIndex(), 1);
  EXPECT_FALSE(ui.whole->isChecked());
}

TEST_F(FindInSpreadTest, FocusArrivalSelectsTheWholeText) {
  FrmFindInSpread::SetFormInit(grid);
  FrmFindInSpread d;
  const Controls ui(d);
  ui.text->setText("찾을 말");
  ui.text->deselect();
  QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(ui.text, &in);
  QApplication::processEvents();
  EXPECT_EQ(ui.text->selectedText(), "찾을 말");
}

}  // namespace
