// Sorting the rows by one column, by a call or by a click on the column's header.
#include "grid/SpreadGridPrivate.h"
#include "platform/Numbers.h"

#include <QHeaderView>

#include <algorithm>
#include <numeric>

using spread::CellTypeNumber;

void SpreadGrid::Sort(int col, bool ascending) {
  const int n = d->maxRows();
  if (col < 1 || col > d->maxCols() || n < 2) return;
  std::vector<int> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  // Keys are taken once, straight from the cells. Ascending, numbers come before texts; descending
  // is the reverse, but blanks go last in both directions. With automatic cell types a text that
  // reads as a number is a number here.
  const bool autoTypes = d->dAuto;
  struct Key {
    int kind = 2;  // 0 number, 1 text, 2 blank
    double number = 0;
    QString text;
  };
  std::vector<Key> keys(static_cast<size_t>(n));
  for (int r = 1; r <= n; ++r) {
    Key& k = keys[size_t(r - 1)];
    const Cell& cell = d->cols[size_t(col)].cells[size_t(r - 1)];
    const bool formula = cell.extra && cell.extra->formula;
    if (formula || d->cellTypeAt(col, r) == CellTypeNumber) {
      const std::optional<double> v =
          formula ? d->formulaValue(col, r, *d->cols[size_t(col)].cells[size_t(r - 1)].extra)
                  : Impl::numberOf(cell.text);
      if (v) {
        k.kind = 0;
        k.number = *v;
      }
    } else if (!cell.text.isEmpty()) {
      if (autoTypes && numbers::GroupedNumber(cell.text, k.number)) {
        k.kind = 0;
      } else {
        k.kind = 1;
        k.text = cell.text;
      }
    }
  }
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const Key& x = keys[size_t(a)];
    const Key& y = keys[size_t(b)];
    if (x.kind == 2 || y.kind == 2) return x.kind != 2 && y.kind == 2;
    if (x.kind != y.kind) return ascending ? x.kind < y.kind : x.kind > y.kind;
    if (x.kind == 0) return ascending ? x.number < y.number : y.number < x.number;
    return ascending ? x.text < y.text : y.text < x.text;
  });
  const int activeCol = ActiveCol(), activeRow = ActiveRow();
  d->model->beginResetModel();
  for (Column& c : d->cols) {
    std::vector<Cell> sorted(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) sorted[size_t(i)] = std::move(c.cells[size_t(order[size_t(i)])]);
    c.cells.swap(sorted);
  }
  std::vector<RowInfo> sortedRows(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) sortedRows[size_t(i)] = std::move(d->rows[size_t(order[size_t(i)])]);
  d->rows.swap(sortedRows);
  d->model->endResetModel();
  d->resyncView();
  if (activeRow > 0) SetActiveCell(activeCol, activeRow);
  d->structureChanged();
}

void SpreadGrid::Impl::headerClicked(int section) {
  if (userColAction != 1) return;
  const int col = section + 1;
  sortAscending = col == sortCol ? !sortAscending : true;
  sortCol = col;
  emit q->BeforeUserSort(col);
  q->Sort(col, sortAscending);
  view->horizontalHeader()->setSortIndicatorShown(true);
  view->horizontalHeader()->setSortIndicator(
      section, sortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
  emit q->AfterUserSort(col);
}
