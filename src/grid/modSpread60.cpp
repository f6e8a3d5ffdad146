#include "grid/modSpread60.h"

#include "grid/MduSpread.h"
#include "grid/SpreadError.h"
#include "grid/SpreadGrid.h"
#include "platform/Numbers.h"
#include "platform/Prompt.h"

#include <exception>

namespace {

const QString kModule = QStringLiteral("modSpread60");

// The text the old runtime made of a double: no separators, no exponent, no trailing zeros.
QString NumberText(double v) {
  QString s = QString::number(v, 'f', 6);
  while (s.endsWith(u'0')) s.chop(1);
  if (s.endsWith(u'.')) s.chop(1);
  if (s == QLatin1String("-0")) s = QStringLiteral("0");
  return s;
}

template <class F>
void Trapped(const QString& procedure, F body) {
  try {
    body();
  } catch (const SpreadError& e) {
    MsgError(e.number, QString::fromUtf8(e.what()), procedure, kModule);
  } catch (const std::exception& e) {
    MsgError(0, QString::fromUtf8(e.what()), procedure, kModule);
  }
}

}  // namespace

void SetColSumFormula2(SpreadGrid& grid, int col, int totRow) {
  Trapped(QStringLiteral("SetColSumFormula2"), [&] {
    if (col < 1 || col > grid.MaxCols() || grid.MaxRows() < 1) ThrowInvalidCall();
    const int total = totRow > 0 && totRow <= grid.MaxRows() ? totRow : grid.MaxRows();
    double sum = 0;
    for (int i = 1; i <= grid.MaxRows(); ++i) {
      if (i == total || grid.CellTag(0, i) == QLatin1String("subtot")) continue;
      sum += numbers::LeadingNumber(grid.Value(col, i));
    }
    grid.SetText(col, total, NumberText(sum));
  });
}

void SpreadMyMoveCols(SpreadGrid& grid, int first, int last, int dest) {
  Trapped(QStringLiteral("SpreadMyMoveCols"), [&] {
    const int n = last - first + 1;
    // A destination inside the block itself would tear it apart.
    if (first < 1 || n < 1 || last > grid.MaxCols() || dest < 1 || dest > grid.MaxCols() + 1 ||
        (dest > first && dest <= last))
      ThrowInvalidCall();
    grid.SetReDraw(false);
    grid.SetMaxCols(grid.MaxCols() + n);
    grid.InsertCols(dest, n);
    const int s = dest > first ? first : first + n;
    const int e = dest > first ? last : last + n;
    grid.MoveColRange(s, e, dest);
    grid.DeleteCols(s, n);
    grid.SetMaxCols(grid.MaxCols() - n);
    grid.SetReDraw(true);
  });
  // Whatever happened, the grid paints again.
  if (!grid.ReDraw()) grid.SetReDraw(true);
}
