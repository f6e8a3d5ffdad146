#include "grid/SpreadGridPrivate.h"
#include "platform/Numbers.h"

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
              : numbers::LooseNumber(cell->text);
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

void spread::detail::Style::OverlayWith(const Style* s) {
  if (!s || !s->mask) return;
  const std::uint32_t m = s->mask;
  if (m & kType) cellType = s->cellType;
  if (m & kDec) decPlaces = s->decPlaces;
  if (m & kSep) showSep = s->showSep;
  if (m & kMin) minValue = s->minValue;
  if (m & kMax) maxValue = s->maxValue;
  if (m & kNegRed) negRed = s->negRed;
  if (m & kHAlign) hAlign = s->hAlign;
  if (m & kVAlign) vAlign = s->vAlign;
  if (m & kBack) back = s->back;
  if (m & kFore) fore = s->fore;
  if (m & kFontSize) fontSize = s->fontSize;
  if (m & kBold) bold = s->bold;
  if (m & kLock) lock = s->lock;
}

Style SpreadGrid::Impl::resolve(int col, int row) const {
  Style s;
  if (row != -1 && headerIndex(row) >= 0) {
    s.OverlayWith(&headerStyle);
  } else if (col == 0) {
    s.OverlayWith(cols[0].style.get());
  } else {
    s.OverlayWith(&sheet);
    if (col >= 1 && col <= maxCols()) s.OverlayWith(cols[size_t(col)].style.get());
    if (row >= 1 && row <= maxRows()) s.OverlayWith(rows[size_t(row - 1)].style.get());
  }
  const Cell* cell = cellAt(col, row);
  if (cell && cell->extra) s.OverlayWith(&cell->extra->style);
  return s;
}

int SpreadGrid::Impl::cellTypeAt(int col, int row) const {
  if (row < 1 || col < 1) return spread::CellTypeStaticText;
  const Cell& cell = cols[size_t(col)].cells[size_t(row - 1)];
  if (cell.extra && (cell.extra->style.mask & kType)) return cell.extra->style.cellType;
  const Style* r = rows[size_t(row - 1)].style.get();
  if (r && (r->mask & kType)) return r->cellType;
  const Style* c = cols[size_t(col)].style.get();
  if (c && (c->mask & kType)) return c->cellType;
  return sheet.cellType;
}

double SpreadGrid::Impl::colWidth(int col) const {
  if (col == 0) {
    if (rowHeaderWidth >= 0) return rowHeaderWidth;
    // Wide enough for the highest row number.
    return std::max(3, int(QString::number(std::max(1, maxRows())).size())) + 1;
  }
  const double w = cols[size_t(col)].width;
  return w >= 0 ? w : defaultColWidth;
}

double SpreadGrid::Impl::rowHeight(int row) const {
  if (row == -1) return defaultRowHeight;
  if (headerIndex(row) >= 0) return headerRowHeight >= 0 ? headerRowHeight : defaultRowHeight;
  if (row < 1 || row > maxRows()) return defaultRowHeight;
  const double h = rows[size_t(row - 1)].height;
  return h >= 0 ? h : defaultRowHeight;
}

void SpreadGrid::Impl::resyncView() {
  applyHeaders();
  applyAllColumns();
  applyAllRows();
  applySpans();
}
