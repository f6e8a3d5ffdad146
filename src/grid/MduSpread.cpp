#include "grid/MduSpread.h"

#include "grid/SpreadError.h"
#include "grid/SpreadGrid.h"
#include "platform/AppState.h"
#include "platform/Numbers.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"

#include <cmath>
#include <exception>

namespace {
const QString kCompanyCommon = QStringLiteral("코르반공통");
const QString kEvenRowKey = QStringLiteral("그리드짝수줄배경색");
constexpr double kNumberLimit = 999999999999.0;  // twelve nines
}  // namespace

long SpreadHeaderBackColor() { return RgbColor(204, 226, 244); }
long SpreadHeaderTextColor() { return RgbColor(0, 0, 0); }
long SpreadSelBackColor() { return RgbColor(254, 254, 186); }
long SpreadSumBackColor() { return RgbColor(224, 240, 224); }
long DefaultEvenRowColor() { return RgbColor(243, 249, 251); }

long GetEvenRowColor() {
  const QString text = settings::GetSetting(kCompanyCommon, QStringLiteral("Config"), kEvenRowKey);
  const double v = std::nearbyint(numbers::LeadingNumber(text));  // halves to the even neighbour
  // Only a real colour counts; anything else would paint the rows in no colour at all.
  if (v <= 0 || v > double(RgbColor(255, 255, 255))) return DefaultEvenRowColor();
  return long(v);
}

void CommonSpreadDesign(SpreadGrid& grid, bool readOnly, bool clearRows, bool userColAction,
                        bool singleSelect, bool oddEvenColors) {
  try {
    grid.SetAppearanceStyle(0);
    if (readOnly) {
      if (singleSelect) grid.SetOperationMode(spread::OpModeSingle);
      grid.SetCursorType(0);
      grid.SetCursorStyle(2);
      grid.SetSelectBlockOptions(0);
      grid.SetLock(-1, -1, true);
    } else {
      grid.SetEditModePermanent(true);
      grid.SetEditModeReplace(true);
    }
    grid.SetNoBeep(true);
    if (userColAction) grid.SetUserColAction(1);
    if (StylingEnabled()) {
      grid.SetShadowColor(SpreadHeaderBackColor());
      grid.SetShadowText(SpreadHeaderTextColor());
    }
    grid.SetDAutoCellTypes(true);
    grid.SetBackColorStyle(1);
    grid.SetSelBackColor(SpreadSelBackColor());
    grid.SetTextTip(1);
    if (clearRows) grid.SetMaxRows(0);
    grid.SetRefStyle(2);
    if (oddEvenColors)
      grid.SetOddEvenRowColor(RgbColor(255, 255, 255), RgbColor(0, 0, 0), GetEvenRowColor(),
                              RgbColor(0, 0, 0));
    for (int action = 0; action <= 2; ++action) grid.SetActionKey(action, false, false, 0);
    if (grid.RowHeadersShow() && clearRows) {
      grid.SetText(0, 0, QStringLiteral("No"));
      if (grid.ColHeaderRows() > 1) grid.AddCellSpan(0, 0, 1, grid.ColHeaderRows());
    }
  } catch (const SpreadError& e) {
    MsgError(e.number, QString::fromUtf8(e.what()), QStringLiteral("CommonSpreadDesign"),
             QStringLiteral("MduSpread"));
  } catch (const std::exception& e) {
    MsgError(0, QString::fromUtf8(e.what()), QStringLiteral("CommonSpreadDesign"),
             QStringLiteral("MduSpread"));
  }
}

void SetCellTypeNumber(SpreadGrid& grid, int col, int decimals, bool vCenter, int row, bool negRed,
                       bool hCenter) {
  grid.SetCellType(col, row, spread::CellTypeNumber);
  grid.SetTypeNumberDecPlaces(col, row, decimals);
  grid.SetTypeNumberShowSep(col, row, true);
  grid.SetTypeNumberMax(col, row, kNumberLimit);
  grid.SetTypeNumberMin(col, row, -kNumberLimit);
  if (vCenter) grid.SetTypeVAlign(col, row, spread::VAlignCenter);
  if (hCenter) grid.SetTypeHAlign(col, row, spread::HAlignCenter);
  if (negRed) grid.SetTypeNegRed(col, row, true);
}

void SetupSumSpread(SpreadGrid& sum, SpreadGrid& data, int labelCol) {
  sum.SetAppearanceStyle(0);
  sum.SetMaxCols(data.MaxCols());
  for (int c = 1; c <= data.MaxCols(); ++c) {
    if (data.ColHidden(c)) {
      sum.SetColHidden(c, true);
    } else {
      sum.SetColHidden(c, false);
      sum.SetColWidth(c, data.ColWidth(c));
    }
  }
  CommonSpreadDesign(sum, true, false, true, true, true);
  sum.SetOperationMode(spread::OpModeNormal);
  sum.SetSelectBlockOptions(0);
  sum.SetText(labelCol, 1, QStringLiteral("[합 계]"));
  sum.SetActiveCell(0, 0);
  sum.SetBackColor(-1, sum.MaxRows(), SpreadSumBackColor());
  sum.SetGrayAreaBackColor(SpreadSumBackColor());
  if (data.RowHeadersShow()) {
    sum.SetRowHeadersShow(true);
    sum.SetColWidth(0, data.ColWidth(0));
    sum.SetCellType(0, 1, spread::CellTypeStaticText);
    sum.SetText(0, 1, QStringLiteral(" "));
  }
}

void SetSumColumnFormula(SpreadGrid& grid, int srcCol, int sumCol) {
  grid.SetFormula(sumCol, -1, QString());
  grid.SetText(sumCol, -1, QString());
  grid.SetFormula(sumCol, 1, QStringLiteral("SUM(R1C%1:R%2C%1)").arg(srcCol).arg(grid.MaxRows()));
}

void AddGrandTotalRow(SpreadGrid& grid, int labelCol, bool bold, const QString& text,
                      long backColor) {
  grid.SetMaxRows(grid.MaxRows() + 1);
  const int r = grid.MaxRows();
  grid.SetText(labelCol, r, text);
  for (int c = 1; c <= grid.MaxCols(); ++c) {
    grid.SetBackColor(c, r, backColor);
    grid.SetLock(c, r, true);
  }
  grid.SetCellTag(0, r, QStringLiteral("gndtot"));
  if (bold) {
    grid.SetFontBold(-1, r, true);
    if (grid.RowHeadersShow()) grid.SetFontBold(0, r, false);
  }
  if (grid.MaxRows() > 1) {
    // A hidden row is shown for the moment its height is read, as the old control needed.
    const bool hidden = grid.RowHidden(r - 1);
    if (hidden) grid.SetRowHidden(r - 1, false);
    const double height = grid.RowHeight(r - 1);
    if (hidden) grid.SetRowHidden(r - 1, true);
    grid.SetRowHeight(r, height);
  }
}
