#include "grid/GridMenu.h"

#include "grid/FrmFindInSpread.h"

#include "grid/FrmSprRPTCol.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "platform/Numbers.h"
#include "platform/Prompt.h"

#include <QCursor>
#include <QPoint>
#include <QPointer>

#include <cmath>
#include <exception>

namespace {

// The find dialog unless a test put something else in its place.
FindInSpreadHandler g_findHandler = &ShowFindInSpread;

constexpr long kSeparatorColor = RgbColor(0, 255, 0);
constexpr long kPlainColor = RgbColor(255, 255, 255);

enum Command {
  kClose = 0,
  kRowHeight = 1,
  kFontSize = 2,
  kReset = 3,
  kReportColumns = 4,
  kHideSubtotals = 6,
  kSubtotalsOnly = 7,
  kSeparators = 8,
  kRowNumberWidth = 9
};

// Asks until the leading number of the answer is acceptable; false when cancelled or left
// empty. The text as typed is what gets stored, so it is handed back too.
template <typename Accept>
bool AskNumber(const QString& prompt, const QString& title, const QString& def, Accept accept,
               double& value, QString& typed) {
  for (;;) {
    typed = InputBox(prompt, title, def);
    if (typed.isEmpty()) return false;
    value = numbers::LeadingNumber(typed);
    if (accept(value)) return true;
  }
}

QString WholeText(double v) { return QString::number(static_cast<long long>(std::trunc(v))); }

void AskRowHeight(QWidget& form, SpreadGrid& grid) {
  const double cur = std::trunc(grid.RowHeight(-1));
  double v = 0;
  QString typed;
  if (!AskNumber(
          QStringLiteral("변경할 그리드의 줄높이를 입력하세요.(입력범위: 8~300, 0:기본값)"),
          QStringLiteral("그리드의 줄높이 변경"), WholeText(cur),
          [](double x) { return x == 0 || (x >= 8 && x <= 300); }, v, typed))
    return;
  if (v == cur) return;
  // 0 restores the standard height at the next opening; the open grid keeps its look.
  if (v != 0) {
    grid.SetRowHeight(-1, v);
    grid.SetRowHeight(0, v + 2);
  }
  SaveSpreadIni_Gn(form, grid, QStringLiteral("RowHeight"), typed);
}

void AskFontSize(QWidget& form, SpreadGrid& grid) {
  const double cur = std::trunc(grid.FontSize(1, 1));
  double v = 0;
  QString typed;
  if (!AskNumber(
          QStringLiteral("변경할 글자의 크기를 입력하세요.(입력범위: 8~60, 0:기본값)"),
          QStringLiteral("그리드내 글자크기 변경"), WholeText(cur),
          [](double x) { return x == 0 || (x >= 8 && x <= 60); }, v, typed))
    return;
  if (v == cur) return;
  if (v != 0) {
    grid.SetFontSize(-1, -1, v);
    grid.SetFontSize(-1, 0, v);
  }
  SaveSpreadIni_Gn(form, grid, QStringLiteral("FontSize"), typed);
}

void ResetLayout(QWidget& form) {
  if (!MsgYesNo(QStringLiteral("해당폼의 폼의 위치 및 크기, 그리드의 각 칸의 넓이") +
                    QStringLiteral("\n\n, 줄높이, 글자크기등이 모두 초기화 됩니다.") +
                    QStringLiteral("\n\n초기화 하시겠습니까?"),
                QString(), true))
    return;
  DelFormIni(form.objectName());
  MsgInfo(
      QStringLiteral("초기화를 완료하였습니다.\n\n현재창을 닫고 다시 열어 주셔야 초기화된 "
                     "형태가 제대로 보여집니다."));
}

void ReportColumns(QWidget& form, SpreadGrid& grid) {
  FrmSprRPTCol dialog(&form);
  dialog.SetParam(form, grid);
  ShowModal(dialog);
}

bool IsSubtotalRow(const SpreadGrid& grid, int row) {
  return grid.CellTag(0, row) == QLatin1String("subtot");
}

void HideSubtotals(SpreadGrid& grid) {
  {
    ReDrawOff off(grid);
    for (int r = 1; r <= grid.MaxRows(); ++r)
      if (IsSubtotalRow(grid, r)) grid.SetRowHidden(r, true);
  }
  grid.SetActiveCell(1, 1);
}

void ToggleSubtotalsOnly(SpreadGrid& grid) {
  {
    ReDrawOff off(grid);
    for (int r = 1; r <= grid.MaxRows(); ++r) {
      if (IsSubtotalRow(grid, r) || grid.CellTag(0, r) == QLatin1String("gndtot"))
        grid.SetRowHidden(r, false);
      else
        grid.SetRowHidden(r, !grid.RowHidden(r));
    }
  }
  grid.SetActiveCell(1, 1);
}

void AskSeparators(SpreadGrid& grid) {
  // A wrong entry comes back as the default of the next question.
  QString t = QStringLiteral("5");
  int n = 0;
  for (;;) {
    t = InputBox(QStringLiteral("몇줄마다 구분선을 표시하시겠습니까?\n\n가능범위: 2 ~ 10000"),
                 QString(), t);
    if (t.isEmpty()) return;
    const auto value = NumericValue(t);
    if (!value) {
      MsgInfo(QStringLiteral("입력값이 숫자가 아닙니다. 다시 입력해 주십시요."));
      continue;
    }
    const double rounded = std::nearbyint(*value);  // halves to the even neighbour
    if (rounded < 2 || rounded > 10000) {
      MsgInfo(QStringLiteral("입력값이 범위를 벗어났습니다. 다시 입력해 주십시요."));
      continue;
    }
    n = int(rounded);
    break;
  }
  const int last = grid.MaxRows();
  for (int r = 1; r <= last; ++r)
    if (grid.BackColor(-1, r) == kSeparatorColor) grid.SetBackColor(-1, r, kPlainColor);
  for (int r = n; r <= last; r += n) grid.SetBackColor(-1, r, kSeparatorColor);
  grid.Refresh();
}

void AskRowNumberWidth(SpreadGrid& grid) {
  const double cur = std::trunc(grid.ColWidth(0));
  double v = 0;
  QString typed;
  if (!AskNumber(
          QStringLiteral("변경할 그리드의 줄번호 넓이를 입력하세요.(입력범위: 1~9)"),
          QStringLiteral("그리드 줄번호 넓이 변경"), WholeText(cur),
          [](double x) { return x >= 1 && x <= 9; }, v, typed))
    return;
  if (v != cur) grid.SetColWidth(0, v);
}

}  // namespace

int ShowPopupMenu(QWidget& form, const QStringList& items) {
  try {
    return Prompts().PopupMenu(items, QCursor::pos(), &form);
  } catch (const std::exception& e) {
    MsgError(5, QString::fromLocal8Bit(e.what()), QStringLiteral("ShowPopupMenu"),
             QStringLiteral("ModWinApi"));
    return 0;
  }
}

QStringList SpreadMenuItems(const SpreadGrid& grid, bool reportColumnItem, bool subtotalItems) {
  const QString sep = QStringLiteral("-");
  QStringList items{QStringLiteral("08구분선 표시")};
  if (grid.RowHeadersShow()) items << QStringLiteral("09그리드 줄번호 넓이 변경");
  items << sep << QStringLiteral("01그리드 【줄높이】변경")
        << QStringLiteral("02【글자크기】       변경") << sep
        << QStringLiteral("03폼 및 그리드 설정【초기화】");
  if (reportColumnItem) items << sep << QStringLiteral("04【보고서】용 칼럼 설정");
  if (subtotalItems)
    items << sep << QStringLiteral("06【소계】숨김/보기")
          << QStringLiteral("07【소계만】보기/해제");
  items << sep << QStringLiteral("00메    뉴      닫    기");
  return items;
}

void SpreadPopupMenu(QWidget& form, SpreadGrid& grid, bool reportColumnItem, bool subtotalItems) {
  RunSpreadMenuCommand(form, grid,
                       ShowPopupMenu(form, SpreadMenuItems(grid, reportColumnItem, subtotalItems)));
}

void RunSpreadMenuCommand(QWidget& form, SpreadGrid& grid, int command) {
  switch (command) {
    case kRowHeight:
      AskRowHeight(form, grid);
      break;
    case kFontSize:
      AskFontSize(form, grid);
      break;
    case kReset:
      ResetLayout(form);
      break;
    case kReportColumns:
      ReportColumns(form, grid);
      break;
    case kHideSubtotals:
      HideSubtotals(grid);
      break;
    case kSubtotalsOnly:
      ToggleSubtotalsOnly(grid);
      break;
    case kSeparators:
      AskSeparators(grid);
      break;
    case kRowNumberWidth:
      AskRowNumberWidth(grid);
      break;
    case kClose:
    default:
      break;
  }
}

void SpreadKeyDown(SpreadGrid& grid, int keyCode, int shift) {
  if (shift != spread::ShiftMaskCtrl) return;
  const int row = grid.ActiveRow();
  switch (keyCode) {
    case 'F':
      if (g_findHandler) g_findHandler(grid.window(), grid, -1, -1);
      break;
    case 'E':
      if (row != 0) grid.SetRowHidden(row, true);
      break;
    case 'W':
      if (row > 1) grid.SetRowHidden(row - 1, false);
      if (row >= 1 && row < grid.MaxRows()) grid.SetRowHidden(row + 1, false);
      break;
    case 'H':
      ShowSpreadShortcuts(grid);
      break;
    default:
      break;
  }
}

void ShowSpreadShortcuts(SpreadGrid& grid) {
  MsgBox(QStringLiteral(" - Ctrl + H : 단축키 목록보기\n\n - Ctrl + F : 찾기\n\n - Ctrl + E : "
                        "행숨김\n\n - Ctrl + W : 행숨김 취소(아래/위행)"),
         MsgButtons::Ok, MsgIcon::Information, QStringLiteral("시트내 단축키 목록"));
  grid.setFocus();
}

void SetFindInSpreadHandler(FindInSpreadHandler handler) { g_findHandler = handler; }

void AttachGridServices(QWidget& form, SpreadGrid& grid, bool reportColumnItem,
                        SpreadGrid* sumGrid) {
  QObject::connect(&grid, &SpreadGrid::RightClick, &form,
                   [&form, &grid, reportColumnItem](int clickType, int, int) {
                     if (clickType == 2) SpreadPopupMenu(form, grid, reportColumnItem, true);
                   });
  QObject::connect(&grid, &SpreadGrid::KeyDown, &form,
                   [&grid](int keyCode, int shift) { SpreadKeyDown(grid, keyCode, shift); });
  const QPointer<SpreadGrid> sum(sumGrid);
  QObject::connect(&grid, &SpreadGrid::ColWidthChange, &form,
                   [&form, &grid, sum](int col1, int col2) {
                     for (int c = col1; c <= col2; ++c)
                       SaveSpreadIni_Cw(form, grid, c, QString(), !sum.isNull(), sum.data());
                   });
}
