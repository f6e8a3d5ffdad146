#include "grid/SpreadGridPrivate.h"

#include <QHeaderView>
#include <QPalette>

#include <algorithm>
#include <cmath>

using spread::CellTypeNumber;

void SpreadGrid::Impl::touch(int c1, int r1, int c2, int r2) {
  c1 = std::max(c1, 1);
  r1 = std::max(r1, 1);
  c2 = std::min(c2, maxCols());
  r2 = std::min(r2, maxRows());
  if (c1 > c2 || r1 > r2) return;
  if (!redraw) {
    dirtyLeft = std::min(dirtyLeft, c1);
    dirtyTop = std::min(dirtyTop, r1);
    dirtyRight = std::max(dirtyRight, c2);
    dirtyBottom = std::max(dirtyBottom, r2);
    return;
  }
  emit model->dataChanged(model->index(r1 - 1, c1 - 1), model->index(r2 - 1, c2 - 1));
}

void SpreadGrid::Impl::touchHeaders() {
  if (!redraw) {
    headerDirty = true;
    return;
  }
  if (maxCols() > 0) emit model->headerDataChanged(Qt::Horizontal, 0, maxCols() - 1);
  if (maxRows() > 0) emit model->headerDataChanged(Qt::Vertical, 0, maxRows() - 1);
  if (view->corner()) view->corner()->update();
}

void SpreadGrid::Impl::flush() {
  if (formulasDirty) {
    formulasDirty = false;
    recalc();
  }
  const int c2 = std::min(dirtyRight, maxCols()), r2 = std::min(dirtyBottom, maxRows());
  if (dirtyLeft <= c2 && dirtyTop <= r2)
    emit model->dataChanged(model->index(dirtyTop - 1, dirtyLeft - 1),
                            model->index(r2 - 1, c2 - 1));
  dirtyTop = dirtyLeft = INT_MAX;
  dirtyBottom = dirtyRight = -1;
  if (headerDirty) {
    headerDirty = false;
    touchHeaders();
  }
}

void SpreadGrid::Impl::recalc() {
  const auto cells = formulaCells();  // copied: Change handlers may reshape the grid
  ++evalStamp;
  announce(cells);
}

void SpreadGrid::Impl::recalcFrom(int col, int row) {
  ++markStamp;
  std::vector<std::pair<int, int>> affected, work{{col, row}};
  while (!work.empty()) {
    const auto [c, r] = work.back();
    work.pop_back();
    for (const auto& [fc, fr] : formulaCells()) {
      CellExtra& x = *cols[size_t(fc)].cells[size_t(fr - 1)].extra;
      if (x.mark == markStamp || !x.formula->Reads(fc, fr, c, r)) continue;
      x.mark = markStamp;
      x.stamp = 0;  // evaluated afresh, and so is whatever it reads that is stale too
      affected.emplace_back(fc, fr);
      work.emplace_back(fc, fr);
    }
  }
  announce(affected);
}

// Depth first over what the formula reads, on a stack of our own: a chain of formulas can be as
// long as the sheet is high. Once a formula's turn comes, everything it reads is evaluated, so its
// own look-ups go no deeper. busy marks the formulas on the current path; meeting one of them
// again is a circular reference, which reads as an error.
void SpreadGrid::Impl::evaluate(int col, int row, CellExtra& first) {
  struct Step {
    int col, row;
    CellExtra* x;
    bool expanded;
  };
  std::vector<Step> stack{{col, row, &first, false}};
  while (!stack.empty()) {
    const Step step = stack.back();  // a copy: pushing moves the stack
    CellExtra& x = *step.x;
    if (!step.expanded) {
      if (x.stamp == evalStamp || x.busy) {
        stack.pop_back();  // reached twice; done already, or circular
        continue;
      }
      stack.back().expanded = true;
      x.busy = true;
      x.formula->ForEachBlock(step.col, step.row, [&](int c1, int r1, int c2, int r2) {
        c1 = std::max(c1, 1);
        r1 = std::max(r1, 1);
        c2 = std::min(c2, maxCols());
        r2 = std::min(r2, maxRows());
        for (int c = c1; c <= c2; ++c) {
          std::vector<Cell>& cells = cols[size_t(c)].cells;
          for (int r = r1; r <= r2; ++r) {
            CellExtra* e = cells[size_t(r - 1)].extra.get();
            if (e && e->formula && e->stamp != evalStamp && !e->busy)
              stack.push_back({c, r, e, false});
          }
        }
      });
      continue;
    }
    x.value =
        x.formula->Evaluate(step.col, step.row, [this](int c, int r) { return lookup(c, r); });
    x.busy = false;
    x.stamp = evalStamp;
    stack.pop_back();
  }
}

void SpreadGrid::Impl::announce(const std::vector<std::pair<int, int>>& cells) {
  std::vector<std::pair<int, int>> moved;
  for (const auto& [c, r] : cells) {
    CellExtra& x = *cols[size_t(c)].cells[size_t(r - 1)].extra;
    const auto v = formulaValue(c, r, x);
    if (!x.notified || x.announced != v) {
      x.notified = true;
      x.announced = v;
      moved.emplace_back(c, r);
    }
  }
  for (const auto& [c, r] : moved) {
    // An earlier Change handler may have shrunk the grid: cells that are gone are not announced.
    if (c > maxCols() || r > maxRows()) continue;
    touch(c, r, c, r);
    emit q->Change(c, r);
  }
}

int SpreadGrid::Impl::rowPixels(double points) const {
  const int dpi = view ? view->logicalDpiY() : 96;
  return std::max(0, int(std::lround(points * dpi / 72.0)));
}

void SpreadGrid::Impl::applyColumn(int col) {
  const bool was = syncing;
  syncing = true;
  if (col == 0) {
    view->verticalHeader()->setFixedWidth(colPixels(0));
  } else if (col <= maxCols()) {
    view->horizontalHeader()->resizeSection(col - 1, colPixels(col));
    view->setColumnHidden(col - 1, cols[size_t(col)].hidden);
  }
  syncing = was;
}

void SpreadGrid::Impl::applyAllColumns() {
  for (int c = 0; c <= maxCols(); ++c) applyColumn(c);
}

void SpreadGrid::Impl::applyRow(int row) {
  const bool was = syncing;
  syncing = true;
  const RowInfo& info = rows[size_t(row - 1)];
  auto* vh = view->verticalHeader();
  if (vh->isSectionHidden(row - 1) != info.hidden) view->setRowHidden(row - 1, info.hidden);
  const int px = rowPixels(info.height >= 0 ? info.height : defaultRowHeight);
  if (!info.hidden && vh->sectionSize(row - 1) != px) vh->resizeSection(row - 1, px);
  syncing = was;
}

void SpreadGrid::Impl::applyAllRows() {
  const bool was = syncing;
  syncing = true;
  auto* vh = view->verticalHeader();
  vh->setDefaultSectionSize(rowPixels(defaultRowHeight));
  for (int r = 1; r <= maxRows(); ++r) {
    const RowInfo& info = rows[size_t(r - 1)];
    if (info.height >= 0 || info.hidden || vh->isSectionHidden(r - 1)) applyRow(r);
  }
  syncing = was;
}

void SpreadGrid::Impl::applyHeaders() {
  auto* hh = view->horizontalHeader();
  hh->setVisible(colHeadersShow && headerRows > 0);
  hh->setFixedHeight(headerLinePixels() * std::max(1, headerRows));
  view->verticalHeader()->setVisible(rowHeadersShow);
  applyColumn(0);
}

void SpreadGrid::Impl::applySpans() {
  view->clearSpans();
  for (const Span& s : spans) {
    if (s.row < 1 || s.col < 1 || s.row > maxRows() || s.col > maxCols()) continue;
    const int nr = std::min(s.rows, maxRows() - s.row + 1);
    const int nc = std::min(s.cols, maxCols() - s.col + 1);
    if (nr * nc > 1) view->setSpan(s.row - 1, s.col - 1, nr, nc);
  }
  view->horizontalHeader()->viewport()->update();
  if (view->corner()) view->corner()->update();
}

void SpreadGrid::Impl::applyOperationMode() {
  using V = QAbstractItemView;
  const V::EditTriggers editing = V::DoubleClicked | V::EditKeyPressed | V::AnyKeyPressed;
  switch (opMode) {
    case spread::OpModeReadOnly:
      view->setSelectionBehavior(V::SelectItems);
      view->setSelectionMode(V::SingleSelection);
      view->setEditTriggers(V::NoEditTriggers);
      break;
    case spread::OpModeRow:
      view->setSelectionBehavior(V::SelectRows);
      view->setSelectionMode(V::SingleSelection);
      view->setEditTriggers(editing);
      break;
    case spread::OpModeSingle:
    case spread::OpModeMulti:
    case spread::OpModeExtended:
      view->setSelectionBehavior(V::SelectRows);
      view->setSelectionMode(opMode == spread::OpModeSingle  ? V::SingleSelection
                             : opMode == spread::OpModeMulti ? V::MultiSelection
                                                             : V::ExtendedSelection);
      view->setEditTriggers(V::NoEditTriggers);
      break;
    default:
      view->setSelectionBehavior(V::SelectItems);
      view->setSelectionMode(selectBlock == 0 ? V::SingleSelection : V::ExtendedSelection);
      view->setEditTriggers(editing);
      break;
  }
}

void SpreadGrid::Impl::applyColours() {
  QPalette pal = view->palette();
  const QColor sel = OleToQColor(selBack);
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    if (sel.isValid()) {
      pal.setColor(group, QPalette::Highlight, sel);
      pal.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    pal.setColor(group, QPalette::Base, OleToQColor(gray));
  }
  view->setPalette(pal);
  touchHeaders();
}

void SpreadGrid::Impl::insertRowsRaw(int pos, int n) {
  for (Column& c : cols) InsertDefault(c.cells, size_t(pos), size_t(n));
  InsertDefault(rows, size_t(pos), size_t(n));
}

void SpreadGrid::Impl::removeRowsRaw(int pos, int n) {
  for (Column& c : cols) {
    formulaCount -= countFormulas(c.cells, size_t(pos), size_t(pos + n));
    c.cells.erase(c.cells.begin() + pos, c.cells.begin() + pos + n);
  }
  rows.erase(rows.begin() + pos, rows.begin() + pos + n);
}

void SpreadGrid::Impl::insertColsRaw(int pos, int n) {
  InsertDefault(cols, size_t(pos), size_t(n));
  for (int i = pos; i < pos + n; ++i) {
    cols[size_t(i)].cells.resize(rows.size());
    cols[size_t(i)].header.resize(size_t(headerRows));
  }
}

void SpreadGrid::Impl::removeColsRaw(int pos, int n) {
  for (int i = pos; i < pos + n; ++i)
    formulaCount -= countFormulas(cols[size_t(i)].cells, 0, rows.size());
  cols.erase(cols.begin() + pos, cols.begin() + pos + n);
}

QString SpreadGrid::Impl::shownText(int col, int row) { return cellText(col, row, true); }

QString SpreadGrid::Impl::plainValue(int col, int row) { return cellText(col, row, false); }

QString SpreadGrid::Impl::cellText(int col, int row, bool formatted) {
  const Cell* cell = cellAt(col, row);
  if (!cell) return QString();
  if (row < 1 || col < 1) return cell->text;
  const bool formula = cell->extra && cell->extra->formula;
  const int type = cellTypeAt(col, row);
  if (!formula && type != CellTypeNumber) return cell->text;
  const std::optional<double> v =
      formula ? formulaValue(col, row, *cols[size_t(col)].cells[size_t(row - 1)].extra)
              : ParseNumber(cell->text);
  if (!v) return QString();
  if (type != CellTypeNumber) return PlainNumber(*v, 10);
  const Style s = resolve(col, row);
  return formatted ? FormatNumber(*v, s.decPlaces, s.showSep) : PlainNumber(*v, s.decPlaces);
}

void SpreadGrid::Impl::userEdit(int col, int row, const QString& text) {
  Cell* cell = cellAt(col, row);
  if (!cell || col < 1 || row < 1 || (cell->extra && cell->extra->formula)) return;
  const QString before = cell->text;
  storeText(*cell, col, row, text);
  const bool changed = cell->text != before;
  touchCell(col, row);
  // The formulas' Change handlers run first and may reshape the grid; nothing of the cell is held
  // across them.
  cellValueChanged(col, row);
  if (changed && col <= maxCols() && row <= maxRows()) emit q->Change(col, row);
}

std::shared_ptr<const spread::Formula> SpreadGrid::Impl::parseFormula(const QString& text) {
  if (text.isEmpty()) return nullptr;
  auto parsed = spread::Formula::Parse(text);
  // A formula this grid cannot read keeps its text and shows as an error (empty).
  return parsed ? parsed : spread::Formula::Parse(QStringLiteral("1/0"));
}

bool SpreadGrid::Impl::setFormulaRaw(int col, int row, const QString& text,
                                     const std::shared_ptr<const spread::Formula>& parsed,
                                     bool fromColumn) {
  Cell* cell = cellAt(col, row);
  if (!cell || col < 1 || row < 1) return false;
  const bool had = cell->extra && cell->extra->formula;
  if (!parsed && !had) return false;
  CellExtra& x = extraOf(*cell);
  x.formulaText = parsed ? text : QString();
  x.formula = parsed;
  x.fromColumn = fromColumn && parsed;
  x.notified = false;
  x.stamp = 0;
  const bool has = bool(x.formula);
  if (has != had) {
    formulaCount += has ? 1 : -1;
    registryStale = true;
  }
  if (has) cell->text.clear();
  return true;
}

void SpreadGrid::Impl::fillColumnFormulas(int first, int last) {
  first = std::max(first, 1);
  last = std::min(last, maxRows());
  for (int c = 1; c <= maxCols(); ++c) {
    const Column& column = cols[size_t(c)];
    if (!column.formula) continue;
    for (int r = first; r <= last; ++r)
      setFormulaRaw(c, r, column.formulaText, column.formula, true);
  }
}

void SpreadGrid::Impl::shiftFormulas(bool byRows, int at, int count) {
  registryStale = true;
  // A column's own formula has no row of its own: only column shifts reach it.
  if (!byRows) {
    for (int c = 1; c <= maxCols(); ++c) {
      Column& column = cols[size_t(c)];
      if (!column.formula) continue;
      const int before = c >= at + std::max(count, 0) ? c - count : c;
      if (auto moved = column.formula->Shifted(false, at, count, before, c)) {
        column.formula = std::move(moved);
        column.formulaText = column.formula->Text();
      }
    }
  }
  if (formulaCount == 0) return;
  for (const auto& [c, r] : formulaCells()) {
    CellExtra& x = *cols[size_t(c)].cells[size_t(r - 1)].extra;
    const int after = byRows ? r : c;
    const int before = after >= at + std::max(count, 0) ? after - count : after;
    if (auto moved = x.formula->Shifted(byRows, at, count, before, after)) {
      x.formula = std::move(moved);
      x.formulaText = x.formula->Text();
    }
  }
}

void SpreadGrid::Impl::setText(int col, int row, const QString& text, bool single) {
  Cell* cell = cellAt(col, row);
  if (!cell) return;
  if (row < 1 || col < 1) {
    cell->text = text;
    touchHeaders();
    return;
  }
  if (cell->extra && cell->extra->formula) {
    // A formula set on the cell keeps showing its result; one the cell has from its column gives
    // way to a text written into this one cell.
    if (!single || !cell->extra->fromColumn) return;
    setFormulaRaw(col, row, QString(), nullptr, false);
  }
  storeText(*cell, col, row, text);
  touchCell(col, row);
  cellValueChanged(col, row);
}
