// The grid's right-click menu and Ctrl shortcuts, on a real grid with scripted answers.
#include "grid/GridMenu.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "platform/AppPaths.h"
#include "platform/ProfileIni.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace {

constexpr long kGreen = RgbColor(0, 255, 0);
constexpr long kWhite = RgbColor(255, 255, 255);
constexpr int kRows = 12;

class GridMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    paths::SetAppFolder(dir.path());
    form.setObjectName(QStringLiteral("FrmMenuTest"));
    MakeGrid();
  }
  // A fresh grid for each case of a table.
  void MakeGrid() {
    delete grid;
    prompt.Clear();
    QFile::remove(FormIniFile(form.objectName()));
    grid = new SpreadGrid(&form);
    grid->setObjectName(QStringLiteral("spList"));
    grid->SetMaxCols(3);
    grid->SetMaxRows(kRows);
    grid->SetRowHeight(-1, 12);
    grid->SetRowHeight(0, 14);
    grid->SetFontSize(-1, -1, 9);
    grid->SetColWidth(0, 4);
    for (int c = 1; c <= 3; ++c) grid->SetText(c, 0, QStringLiteral("칸%1").arg(c));
  }
  void TearDown() override { paths::SetAppFolder(QString()); }

  QString Stored(const QString& key) const {
    return profile::GetString(QStringLiteral("spList_General"), key, QStringLiteral("<none>"), 10,
                              FormIniFile(form.objectName()));
  }
  // Picks the command from the menu, as a right-click would.
  void Choose(int command) {
    prompt.MenuNext(command);
    SpreadPopupMenu(form, *grid, false, true);
  }
  void Inputs(const QStringList& texts) {
    for (const QString& t : texts) prompt.InputNext(t);
  }
  std::vector<PromptRecord> Of(PromptRecord::Kind kind) const {
    std::vector<PromptRecord> out;
    for (const auto& r : prompt.Records())
      if (r.kind == kind) out.push_back(r);
    return out;
  }
  std::vector<int> GreenRows() const {
    std::vector<int> rows;
    for (int r = 1; r <= kRows; ++r)
      if (grid->BackColor(-1, r) == kGreen) rows.push_back(r);
    return rows;
  }
  std::vector<int> HiddenRows() const {
    std::vector<int> rows;
    for (int r = 1; r <= kRows; ++r)
      if (grid->RowHidden(r)) rows.push_back(r);
    return rows;
  }

  QTemporaryDir dir;
  ScriptedPrompt prompt;
  QWidget form;
  SpreadGrid* grid = nullptr;
};

// --- the menu itself ------------------------------------------------------------------------

TEST_F(GridMenu, ItemsInOrderWithTheOptionalOnes) {
  const QStringList full{"08구분선 표시",
                         "09그리드 줄번호 넓이 변경",
                         "-",
                         "01그리드 【줄높이】변경",
                         "02【글자크기】       변경",
                         "-",
                         "03폼 및 그리드 설정【초기화】",
                         "-",
                         "04【보고서】용 칼럼 설정",
                         "-",
                         "06【소계】숨김/보기",
                         "07【소계만】보기/해제",
                         "-",
                         "00메    뉴      닫    기"};
  EXPECT_EQ(SpreadMenuItems(*grid, true, true), full);

  QStringList report = full;
  report.removeAt(7);  // "-" before "04"
  report.removeAt(7);  // "04"
  EXPECT_EQ(SpreadMenuItems(*grid, false, true), report);

  grid->SetRowHeadersShow(false);
  QStringList noHeaders = report;
  noHeaders.removeAt(1);
  EXPECT_EQ(SpreadMenuItems(*grid, false, true), noHeaders);
  EXPECT_FALSE(SpreadMenuItems(*grid, true, false).join('|').contains("06"));
}

TEST_F(GridMenu, ItemStringsGiveNumberAndCaption) {
  const struct {
    QString item;
    int number;
    QString caption;
  } cases[] = {{"08구분선 표시", 8, "구분선 표시"},
               {"02【글자크기】       변경", 2, "【글자크기】       변경"},
               {"00메    뉴      닫    기", 0, "메    뉴      닫    기"},
               {"-", -1, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item.toStdString());
    EXPECT_EQ(MenuItemNumber(c.item), c.number);
    if (c.number >= 0) {
      EXPECT_EQ(MenuItemCaption(c.item), c.caption);
    }
  }
}

TEST_F(GridMenu, RightClickReleaseShowsTheMenuAndDismissingChangesNothing) {
  AttachGridServices(form, *grid, true);
  form.show();
  prompt.MenuNext(0);
  const QRect cell = grid->CellRect(1, 2);
  QTest::mousePress(grid->CellArea(), Qt::RightButton, {}, cell.center());
  EXPECT_EQ(Of(PromptRecord::Kind::Menu).size(), 0u) << "only the release opens it";
  QTest::mouseRelease(grid->CellArea(), Qt::RightButton, {}, cell.center());
  const auto menus = Of(PromptRecord::Kind::Menu);
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_TRUE(menus[0].items.contains("04【보고서】용 칼럼 설정"));
  EXPECT_EQ(prompt.Records().size(), 1u);
  EXPECT_FALSE(QFile::exists(FormIniFile(form.objectName())));
}

// --- row height, font size, row-number width -------------------------------------------------

struct AskCase {
  const char* name;
  QStringList typed;
  double expect;       // the grid's value afterwards
  const char* stored;  // "<none>" when nothing is written
};

TEST_F(GridMenu, RowHeightRangesReaskingAndStoredText) {
  const AskCase cases[] = {
      {"7 and 301 asked again, 8 taken", {"7", "301", "8"}, 8, "8"},
      {"300 is the top", {"300"}, 300, "300"},
      {"0 keeps the look, stores 0", {"0"}, 12, "0"},
      {"abc reads as 0", {"abc"}, 12, "abc"},
      {"leading number", {"20px"}, 20, "20px"},
      {"cancel", {""}, 12, "<none>"},
      {"re-asked then cancelled", {"500", ""}, 12, "<none>"},
      {"same as now", {"12"}, 12, "<none>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MakeGrid();
    Inputs(c.typed);
    Choose(1);
    EXPECT_EQ(grid->RowHeight(-1), c.expect);
    EXPECT_EQ(grid->RowHeight(0), c.expect == 12 ? 14 : c.expect + 2);
    EXPECT_EQ(Stored("RowHeight"), c.stored);
    const auto asked = Of(PromptRecord::Kind::Input);
    ASSERT_EQ(asked.size(), size_t(c.typed.size()));
    for (const auto& a : asked) {
      EXPECT_EQ(a.text, "변경할 그리드의 줄높이를 입력하세요.(입력범위: 8~300, 0:기본값)");
      EXPECT_EQ(a.title, "그리드의 줄높이 변경");
      EXPECT_EQ(a.defaultText, "12");
    }
    EXPECT_TRUE(prompt.AllAnswersUsed());
  }
}

TEST_F(GridMenu, FontSizeRangesReaskingAndStoredText) {
  const AskCase cases[] = {
      {"0 is the default", {"0"}, 9, "0"}, {"61 and 7 asked again", {"61", "7", "20"}, 20, "20"},
      {"60 is the top", {"60"}, 60, "60"}, {"non-numeric reads as 0", {"big"}, 9, "big"},
      {"cancel", {""}, 9, "<none>"},       {"same as now", {"9"}, 9, "<none>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MakeGrid();
    Inputs(c.typed);
    Choose(2);
    EXPECT_EQ(grid->FontSize(1, 1), c.expect);
    EXPECT_EQ(grid->FontSize(3, kRows), c.expect);
    if (c.expect != 9) {
      EXPECT_EQ(grid->FontSize(2, 0), c.expect) << "header row too";
    }
    EXPECT_EQ(Stored("FontSize"), c.stored);
    const auto asked = Of(PromptRecord::Kind::Input);
    ASSERT_EQ(asked.size(), size_t(c.typed.size()));
    EXPECT_EQ(asked[0].text, "변경할 글자의 크기를 입력하세요.(입력범위: 8~60, 0:기본값)");
    EXPECT_EQ(asked[0].title, "그리드내 글자크기 변경");
    EXPECT_EQ(asked[0].defaultText, "9");
  }
}

TEST_F(GridMenu, RowNumberWidthAsksUntilOneToNineAndIsNotStored) {
  const AskCase cases[] = {
      {"0, 10 and text asked again", {"0", "10", "abc", "3"}, 3, "<none>"},
      {"9 is the top", {"9"}, 9, "<none>"},
      {"cancel", {""}, 4, "<none>"},
      {"re-asked then cancelled", {"12", ""}, 4, "<none>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MakeGrid();
    Inputs(c.typed);
    Choose(9);
    EXPECT_EQ(grid->ColWidth(0), c.expect);
    EXPECT_FALSE(QFile::exists(FormIniFile(form.objectName())));
    const auto asked = Of(PromptRecord::Kind::Input);
    ASSERT_EQ(asked.size(), size_t(c.typed.size()));
    EXPECT_EQ(asked[0].text, "변경할 그리드의 줄번호 넓이를 입력하세요.(입력범위: 1~9)");
    EXPECT_EQ(asked[0].title, "그리드 줄번호 넓이 변경");
    EXPECT_EQ(asked[0].defaultText, "4");
  }
}

// --- separator rows -----------------------------------------------------------------------------

TEST_F(GridMenu, SeparatorsMoveFromEveryFifthToEveryThirdRow) {
  Inputs({"5"});
  Choose(8);
  EXPECT_EQ(GreenRows(), (std::vector<int>{5, 10}));
  Inputs({"3"});
  Choose(8);
  EXPECT_EQ(GreenRows(), (std::vector<int>{3, 6, 9, 12}));
  EXPECT_EQ(grid->BackColor(-1, 5), kWhite);
  EXPECT_EQ(grid->BackColor(2, 10), kWhite) << "whole row";
  EXPECT_EQ(grid->BackColor(1, 9), kGreen);
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST_F(GridMenu, SeparatorEntriesRangeNumericAndRounding) {
  const QString notNumber = "입력값이 숫자가 아닙니다. 다시 입력해 주십시요.";
  const QString outOfRange = "입력값이 범위를 벗어났습니다. 다시 입력해 주십시요.";
  const struct {
    const char* name;
    QStringList typed;
    QStringList messages;
    std::vector<int> green;
  } cases[] = {
      {"1 and 10001 out of range, x not a number, 2.4 is 2",
       {"1", "10001", "x", "2.4"},
       {outOfRange, outOfRange, notNumber},
       {2, 4, 6, 8, 10, 12}},
      {"halves to even: 2.5 is 2", {"2.5"}, {}, {2, 4, 6, 8, 10, 12}},
      {"halves to even: 3.5 is 4", {"3.5"}, {}, {4, 8, 12}},
      {"10000 beyond the rows", {"10000"}, {}, {}},
      {"cancel", {""}, {}, {}},
      {"wrong then cancel", {"abc", ""}, {notNumber}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MakeGrid();
    Inputs(c.typed);
    Choose(8);
    EXPECT_EQ(prompt.MessageTexts(), c.messages);
    EXPECT_EQ(GreenRows(), c.green);
    const auto asked = Of(PromptRecord::Kind::Input);
    ASSERT_EQ(asked.size(), size_t(c.typed.size()));
    // The first default is 5; each later one is what was typed before.
    for (size_t i = 0; i < asked.size(); ++i) {
      EXPECT_EQ(asked[i].text, "몇줄마다 구분선을 표시하시겠습니까?\n\n가능범위: 2 ~ 10000");
      EXPECT_EQ(asked[i].defaultText, i == 0 ? QString("5") : c.typed[int(i) - 1]);
    }
  }
}

TEST_F(GridMenu, CancelledSeparatorsKeepTheOldOnes) {
  Inputs({"4", ""});
  Choose(8);
  Choose(8);
  EXPECT_EQ(GreenRows(), (std::vector<int>{4, 8, 12}));
}

// --- reset, report columns, subtotals ---------------------------------------------------------

TEST_F(GridMenu, ResetAsksThenDeletesTheFileAndSaysSo) {
  ASSERT_TRUE(EnsureFormIniFolder());
  const QString file = FormIniFile(form.objectName());
  ASSERT_TRUE(profile::WriteString("FormPosition", "Left", "1500", file));

  prompt.AnswerNext(MsgResult::No);
  Choose(3);
  EXPECT_TRUE(QFile::exists(file));
  ASSERT_EQ(prompt.Messages().size(), 1u);
  const PromptRecord ask = prompt.Messages()[0];
  EXPECT_EQ(ask.text,
            "해당폼의 폼의 위치 및 크기, 그리드의 각 칸의 넓이\n\n, 줄높이, 글자크기등이 모두 "
            "초기화 됩니다.\n\n초기화 하시겠습니까?");
  EXPECT_EQ(ask.buttons, MsgButtons::YesNo);
  EXPECT_EQ(ask.defaultButton, MsgResult::Yes);

  prompt.Clear();
  prompt.AnswerNext(MsgResult::Yes);
  Choose(3);
  EXPECT_FALSE(QFile::exists(file));
  ASSERT_EQ(prompt.MessageTexts().size(), 2);
  EXPECT_EQ(prompt.MessageTexts()[1],
            "초기화를 완료하였습니다.\n\n현재창을 닫고 다시 열어 주셔야 초기화된 형태가 제대로 "
            "보여집니다.");
  EXPECT_EQ(grid->RowHeight(-1), 12) << "the open grid keeps its look";
}

TEST_F(GridMenu, ReportColumnItemOpensTheDialogForThisGrid) {
  grid->SetColHidden(2, true);
  QStringList listed;
  prompt.ModalNext([&](QDialog& dialog) {
    auto* list = dialog.findChild<QListWidget*>("List1");
    for (int i = 0; list && i < list->count(); ++i) listed << list->item(i)->text();
    return int(QDialog::Rejected);
  });
  prompt.MenuNext(4);
  SpreadPopupMenu(form, *grid, true, true);
  ASSERT_EQ(Of(PromptRecord::Kind::Modal).size(), 1u);
  EXPECT_EQ(Of(PromptRecord::Kind::Modal)[0].text, "FrmSprRPTCol");
  EXPECT_EQ(listed, (QStringList{"칸1", "칸3"}));
}

TEST_F(GridMenu, SubtotalViews) {
  grid->SetCellTag(0, 4, "subtot");
  grid->SetCellTag(0, 8, "subtot");
  grid->SetCellTag(0, kRows, "gndtot");
  grid->SetActiveCell(2, 6);

  Choose(6);
  EXPECT_EQ(HiddenRows(), (std::vector<int>{4, 8}));
  EXPECT_EQ(grid->ActiveRow(), 1);

  Choose(7);  // subtotals only
  EXPECT_EQ(HiddenRows(), (std::vector<int>{1, 2, 3, 5, 6, 7, 9, 10, 11}));
  Choose(7);  // and back
  EXPECT_TRUE(HiddenRows().empty());
  EXPECT_EQ(grid->ActiveCol(), 1);
}

// --- Ctrl shortcuts ----------------------------------------------------------------------------

TEST_F(GridMenu, CtrlEHidesTheActiveRowOnlyWithCtrlAlone) {
  const struct {
    int shift;
    bool hides;
  } cases[] = {{spread::ShiftMaskCtrl, true},
               {spread::ShiftMaskCtrl | spread::ShiftMaskShift, false},
               {spread::ShiftMaskCtrl | spread::ShiftMaskAlt, false},
               {0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shift);
    grid->SetRowHidden(-1, false);
    grid->SetActiveCell(1, 5);
    SpreadKeyDown(*grid, 'E', c.shift);
    EXPECT_EQ(HiddenRows(), c.hides ? std::vector<int>{5} : std::vector<int>{});
  }
  grid->SetRowHidden(-1, false);
  grid->SetActiveCell(0, 0);
  SpreadKeyDown(*grid, 'E', spread::ShiftMaskCtrl);
  EXPECT_TRUE(HiddenRows().empty()) << "no active row";
}

TEST_F(GridMenu, CtrlWShowsTheNeighbours) {
  const struct {
    int active;
    std::vector<int> shown;
  } cases[] = {{1, {2}}, {kRows, {kRows - 1}}, {6, {5, 7}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.active);
    grid->SetActiveCell(1, c.active);
    grid->SetRowHidden(-1, true);
    SpreadKeyDown(*grid, 'W', spread::ShiftMaskCtrl);
    std::vector<int> shown;
    for (int r = 1; r <= kRows; ++r)
      if (!grid->RowHidden(r)) shown.push_back(r);
    EXPECT_EQ(shown, c.shown);
  }
}

TEST_F(GridMenu, CtrlHListsTheShortcutsAndGivesTheFocusBack) {
  auto* elsewhere = new QLineEdit(&form);
  form.show();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  elsewhere->setFocus();
  ASSERT_FALSE(grid->hasFocus());
  SpreadKeyDown(*grid, 'H', spread::ShiftMaskCtrl);
  ASSERT_EQ(prompt.Messages().size(), 1u);
  const PromptRecord box = prompt.Messages()[0];
  EXPECT_EQ(box.title, "시트내 단축키 목록");
  EXPECT_EQ(box.icon, MsgIcon::Information);
  EXPECT_EQ(box.buttons, MsgButtons::Ok);
  EXPECT_EQ(box.text,
            " - Ctrl + H : 단축키 목록보기\n\n - Ctrl + F : 찾기\n\n - Ctrl + E : 행숨김\n\n - "
            "Ctrl + W : 행숨김 취소(아래/위행)");
  EXPECT_TRUE(grid->hasFocus());
}

struct FindCall {
  QWidget* owner = nullptr;
  SpreadGrid* grid = nullptr;
  int colStart = 0, colEnd = 0, count = 0;
};
FindCall g_find;

TEST_F(GridMenu, CtrlFCallsTheFindHookForAllColumns) {
  g_find = {};
  SetFindInSpreadHandler([](QWidget* owner, SpreadGrid& g, int c1, int c2) {
    g_find = {owner, &g, c1, c2, g_find.count + 1};
  });
  SpreadKeyDown(*grid, 'F', spread::ShiftMaskCtrl | spread::ShiftMaskShift);
  EXPECT_EQ(g_find.count, 0);
  SpreadKeyDown(*grid, 'F', spread::ShiftMaskCtrl);
  SetFindInSpreadHandler(nullptr);
  EXPECT_EQ(g_find.count, 1);
  EXPECT_EQ(g_find.owner, &form);
  EXPECT_EQ(g_find.grid, grid);
  EXPECT_EQ(g_find.colStart, -1);
  EXPECT_EQ(g_find.colEnd, -1);
  SpreadKeyDown(*grid, 'F', spread::ShiftMaskCtrl);  // no handler: nothing, no crash
  EXPECT_EQ(g_find.count, 1);
}

TEST_F(GridMenu, AttachedGridAnswersRealKeysAndSavesWidthChanges) {
  auto* sum = new SpreadGrid(&form);
  sum->setObjectName("spSum");
  sum->SetMaxCols(3);
  AttachGridServices(form, *grid, false, sum);
  form.show();
  grid->SetActiveCell(1, 4);
  QWidget* view = grid->CellArea()->parentWidget();
  view->setFocus();
  QTest::keyClick(view, Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(HiddenRows(), (std::vector<int>{4}));

  QHeaderView* header = nullptr;
  for (auto* h : grid->findChildren<QHeaderView*>())
    if (h->orientation() == Qt::Horizontal) header = h;
  ASSERT_NE(header, nullptr);
  header->resizeSection(1, 150);  // column 2, as a drag would
  const QString file = FormIniFile(form.objectName());
  const QString width = QString::number(grid->ColWidth(2), 'g', 7);
  EXPECT_EQ(profile::GetString("spList_ColsWidth", "2", "", 10, file), width);
  EXPECT_EQ(profile::GetString("spSum_ColsWidth", "2", "", 10, file), width);
  EXPECT_EQ(profile::GetString("spList_ColsWidth", "1", "<none>", 10, file), "<none>");
}

}  // namespace
