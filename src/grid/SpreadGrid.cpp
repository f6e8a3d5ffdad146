#include "grid/SpreadGridPrivate.h"
#include "platform/Numbers.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using spread::CellTypeNumber;

template <class F>
void SpreadGrid::Impl::setStyle(int col, int row, std::uint32_t bit, F assign) {
  auto apply = [&](Style& s) {
    s.mask |= bit;
    assign(s);
  };
  auto clear = [bit](Style* s) {
    if (s) s->mask &= ~bit;
  };
  auto ensure = [](std::unique_ptr<Style>& p) -> Style& {
    if (!p) p = std::make_unique<Style>();
    return *p;
  };
  if (col == -1 && row == -1) {
    apply(sheet);
    for (int c = 1; c <= maxCols(); ++c) {
      clear(cols[size_t(c)].style.get());
      for (Cell& cell : cols[size_t(c)].cells)
        if (cell.extra) clear(&cell.extra->style);
    }
    for (RowInfo& r : rows) clear(r.style.get());
    touch(1, 1, maxCols(), maxRows());
  } else if (row == -1) {
    if (!validCol(col)) return;
    apply(ensure(cols[size_t(col)].style));
    for (Cell& cell : cols[size_t(col)].cells)
      if (cell.extra) clear(&cell.extra->style);
    touch(col, 1, col, maxRows());
    if (col == 0) touchHeaders();
  } else if (col == -1) {
    if (headerIndex(row) >= 0) {
      apply(headerStyle);
      for (Column& c : cols)
        for (Cell& cell : c.header)
          if (cell.extra) clear(&cell.extra->style);
      touchHeaders();
      return;
    }
    if (row < 1 || row > maxRows()) return;
    apply(ensure(rows[size_t(row - 1)].style));
    for (int c = 1; c <= maxCols(); ++c) {
      Cell& cell = cols[size_t(c)].cells[size_t(row - 1)];
      if (cell.extra) clear(&cell.extra->style);
    }
    touch(1, row, maxCols(), row);
  } else {
    Cell* cell = cellAt(col, row);
    if (!cell) return;
    apply(extraOf(*cell).style);
    if (row >= 1 && col >= 1)
      touch(col, row, col, row);
    else
      touchHeaders();
  }
}

namespace {
// Copy and swap stays inline; QString's assignment is a library call, and a fill makes a million.
inline void Store(QString& into, const QString& text) {
  QString copy(text);
  into.swap(copy);
}
}  // namespace

SpreadGrid::SpreadGrid(QWidget* parent) : QWidget(parent), d(std::make_unique<Impl>(this)) {
  d->cols[0].header.resize(size_t(d->headerRows));
  d->model = new SpreadModel(d.get(), this);
  d->view = new SpreadView(d.get(), this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(d->view);
  setFocusProxy(d->view);

  QTableView* v = d->view;
  v->setModel(d->model);
  v->setWordWrap(false);
  v->setSortingEnabled(false);
  // Fixed section sizes: nothing may ask the model about every row to size a header.
  auto* hh = v->horizontalHeader();
  hh->setSectionResizeMode(QHeaderView::Interactive);
  hh->setMinimumSectionSize(0);
  hh->setStretchLastSection(false);
  hh->setSectionsClickable(true);
  hh->setHighlightSections(false);
  auto* vh = v->verticalHeader();
  vh->setSectionResizeMode(QHeaderView::Fixed);
  vh->setMinimumSectionSize(1);
  vh->setDefaultAlignment(Qt::AlignCenter);
  vh->setHighlightSections(false);
  v->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  v->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  d->view->watchHeaders();

  const QFontMetricsF fm(v->font());
  d->charPx = std::max(1.0, fm.horizontalAdvance(QLatin1Char('0')));

  connect(hh, &QHeaderView::sectionResized, this, [this](int section, int, int size) {
    if (d->syncing) return;
    const int col = section + 1;
    if (col > d->maxCols()) return;
    const double chars = std::max(0, size - kCellPadding) / d->charPx;
    d->cols[size_t(col)].width = std::round(chars * 100) / 100;
    emit ColWidthChange(col, col);
  });
  connect(hh, &QHeaderView::sectionClicked, this, [this](int s) { d->headerClicked(s); });

  d->applyOperationMode();
  d->applyColours();
  d->resyncView();
}

SpreadGrid::~SpreadGrid() {
  // The view calls back into d while it is torn down; it must go before d does.
  delete d->view;
  d->view = nullptr;
}

int SpreadGrid::MaxRows() const { return d->maxRows(); }

void SpreadGrid::SetMaxRows(int rows) {
  rows = std::max(0, rows);
  const int old = d->maxRows();
  if (rows == old) return;
  const bool autoWidth = d->rowHeaderWidth < 0;
  const double oldWidth = d->colWidth(0);
  if (rows > old) {
    d->model->beginInsertRows(QModelIndex(), old, rows - 1);
    d->insertRowsRaw(old, rows - old);
    d->fillColumnFormulas(old + 1, rows);
    d->model->endInsertRows();
  } else {
    d->model->beginRemoveRows(QModelIndex(), rows, old - 1);
    d->removeRowsRaw(rows, old - rows);
    d->model->endRemoveRows();
  }
  if (autoWidth && d->colWidth(0) != oldWidth) d->applyColumn(0);
  d->structureChanged();
}

int SpreadGrid::MaxCols() const { return d->maxCols(); }

void SpreadGrid::SetMaxCols(int cols) {
  cols = std::max(0, cols);
  const int old = d->maxCols();
  if (cols == old) return;
  if (cols > old) {
    d->model->beginInsertColumns(QModelIndex(), old, cols - 1);
    d->insertColsRaw(old + 1, cols - old);
    d->model->endInsertColumns();
    for (int c = old + 1; c <= cols; ++c) d->applyColumn(c);
  } else {
    d->model->beginRemoveColumns(QModelIndex(), cols, old - 1);
    d->removeColsRaw(cols + 1, old - cols);
    d->model->endRemoveColumns();
  }
  d->structureChanged();
}

int SpreadGrid::ColHeaderRows() const { return d->headerRows; }

void SpreadGrid::SetColHeaderRows(int rows) {
  rows = std::max(0, rows);
  d->headerRows = rows;
  for (Column& c : d->cols) c.header.resize(size_t(rows));
  d->applyHeaders();
  d->touchHeaders();
}

int SpreadGrid::DataRowCnt() const {
  for (int r = d->maxRows(); r >= 1; --r)
    for (int c = 1; c <= d->maxCols(); ++c) {
      const Cell& cell = d->cols[size_t(c)].cells[size_t(r - 1)];
      if (!cell.text.isEmpty() || (cell.extra && cell.extra->formula)) return r;
    }
  return 0;
}

int SpreadGrid::DataColCnt() const {
  for (int c = d->maxCols(); c >= 1; --c)
    for (const Cell& cell : d->cols[size_t(c)].cells)
      if (!cell.text.isEmpty() || (cell.extra && cell.extra->formula)) return c;
  return 0;
}

void SpreadGrid::SetText(int col, int row, const QString& text) {
  if (col == -1 || row == -1) {
    // A whole column, row or sheet: written quietly and announced once.
    const int c1 = col == -1 ? 1 : col, c2 = col == -1 ? MaxCols() : col;
    const int r1 = row == -1 ? 1 : row, r2 = row == -1 ? MaxRows() : row;
    if (c1 < 1 || c2 > MaxCols() || r1 < 1 || r2 > MaxRows()) return;
    const bool was = d->redraw;
    d->redraw = false;
    for (int c = c1; c <= c2; ++c)
      for (int r = r1; r <= r2; ++r) d->setText(c, r, text, false);
    d->redraw = was;
    if (was) d->flush();
    return;
  }
  d->setText(col, row, text, true);
}

void SpreadGrid::Impl::storeText(Cell& cell, int col, int row, const QString& text) {
  if (cellTypeAt(col, row) == CellTypeNumber && !text.isEmpty()) {
    const Style s = resolve(col, row);
    double quick = 0;
    if (numbers::PlainNumber(text, s.decPlaces, quick) && quick >= s.minValue &&
        quick <= s.maxValue) {
      Store(cell.text, text);
    } else {
      const std::optional<double> v = numbers::LooseNumber(text);
      cell.text = v ? PlainNumber(std::clamp(*v, s.minValue, s.maxValue), s.decPlaces) : QString();
    }
  } else {
    Store(cell.text, text);
  }
}

QString SpreadGrid::GetText(int col, int row) const { return d->shownText(col, row); }

QString SpreadGrid::Value(int col, int row) const { return d->plainValue(col, row); }

void SpreadGrid::SetFormula(int col, int row, const QString& formula) {
  if (col < 1 || col > d->maxCols()) return;
  const auto parsed = Impl::parseFormula(formula);
  int r1 = row, r2 = row;
  if (row == -1) {
    Column& column = d->cols[size_t(col)];
    column.formulaText = parsed ? formula : QString();
    column.formula = parsed;
    r1 = 1;
    r2 = d->maxRows();
  }
  bool any = false;
  for (int r = r1; r <= r2; ++r) any = d->setFormulaRaw(col, r, formula, parsed, row == -1) || any;
  if (!any) return;
  d->touch(col, r1, col, r2);
  if (d->formulaCount == 0) return;
  if (d->redraw)
    d->recalc();
  else
    d->formulasDirty = d->valuesStale = true;
}

QString SpreadGrid::Formula(int col, int row) const {
  if (row == -1) return d->validCol(col) && col > 0 ? d->cols[size_t(col)].formulaText : QString();
  const Cell* cell = d->cellAt(col, row);
  return cell && cell->extra ? cell->extra->formulaText : QString();
}

int SpreadGrid::GetRefStyle() const { return d->refStyle; }
void SpreadGrid::SetRefStyle(int style) { d->refStyle = style; }

QString SpreadGrid::CellTag(int col, int row) const {
  const Cell* cell = d->cellAt(col, row);
  return cell && cell->extra ? cell->extra->tag : QString();
}

void SpreadGrid::SetCellTag(int col, int row, const QString& tag) {
  Cell* cell = d->cellAt(col, row);
  if (!cell || (tag.isEmpty() && !cell->extra)) return;
  d->extraOf(*cell).tag = tag;
}

QString SpreadGrid::Tag() const { return d->tag; }
void SpreadGrid::SetTag(const QString& tag) { d->tag = tag; }

// Format members: one setter and one getter each, over the layered overrides.
#define SPREAD_STYLE_MEMBER(Type, Getter, Setter, bit, field, Conv)                            \
  Type SpreadGrid::Getter(int col, int row) const { return Type(d->resolve(col, row).field); } \
  void SpreadGrid::Setter(int col, int row, Type value) {                                      \
    d->setStyle(col, row, bit, [&](Style& s) { s.field = Conv(value); });                      \
  }

#define SPREAD_AS_IS(v) (v)
SPREAD_STYLE_MEMBER(int, CellType, SetCellType, kType, cellType, std::int8_t)
SPREAD_STYLE_MEMBER(int, TypeNumberDecPlaces, SetTypeNumberDecPlaces, kDec, decPlaces, std::int8_t)
SPREAD_STYLE_MEMBER(bool, TypeNumberShowSep, SetTypeNumberShowSep, kSep, showSep, SPREAD_AS_IS)
SPREAD_STYLE_MEMBER(double, TypeNumberMax, SetTypeNumberMax, kMax, maxValue, SPREAD_AS_IS)
SPREAD_STYLE_MEMBER(double, TypeNumberMin, SetTypeNumberMin, kMin, minValue, SPREAD_AS_IS)
SPREAD_STYLE_MEMBER(bool, TypeNegRed, SetTypeNegRed, kNegRed, negRed, SPREAD_AS_IS)
SPREAD_STYLE_MEMBER(int, TypeVAlign, SetTypeVAlign, kVAlign, vAlign, std::int8_t)
SPREAD_STYLE_MEMBER(long, BackColor, SetBackColor, kBack, back, SPREAD_AS_IS)
SPREAD_STYLE_MEMBER(long, ForeColor, SetForeColor, kFore, fore, SPREAD_AS_IS)
SPREAD_STYLE_MEMBER(double, FontSize, SetFontSize, kFontSize, fontSize, float)
SPREAD_STYLE_MEMBER(bool, FontBold, SetFontBold, kBold, bold, SPREAD_AS_IS)
SPREAD_STYLE_MEMBER(bool, Lock, SetLock, kLock, lock, SPREAD_AS_IS)
#undef SPREAD_STYLE_MEMBER
#undef SPREAD_AS_IS

int SpreadGrid::TypeHAlign(int col, int row) const {
  const Style s = d->resolve(col, row);
  if (s.hAlign >= 0) return s.hAlign;
  return s.cellType == CellTypeNumber ? spread::HAlignRight : spread::HAlignLeft;
}

void SpreadGrid::SetTypeHAlign(int col, int row, int align) {
  d->setStyle(col, row, kHAlign, [&](Style& s) { s.hAlign = std::int8_t(align); });
}

bool SpreadGrid::Protect() const { return d->protect; }
void SpreadGrid::SetProtect(bool protect) { d->protect = protect; }

void SpreadGrid::SetOddEvenRowColor(long oddBack, long oddFore, long evenBack, long evenFore) {
  d->oddEven = true;
  d->oddBack = oddBack;
  d->oddFore = oddFore;
  d->evenBack = evenBack;
  d->evenFore = evenFore;
  d->touch(1, 1, d->maxCols(), d->maxRows());
}

long SpreadGrid::OddRowBackColor() const { return d->oddEven ? d->oddBack : -1; }
long SpreadGrid::EvenRowBackColor() const { return d->oddEven ? d->evenBack : -1; }

long SpreadGrid::SelBackColor() const { return d->selBack; }
void SpreadGrid::SetSelBackColor(long color) {
  d->selBack = color;
  d->applyColours();
}
long SpreadGrid::ShadowColor() const { return d->shadow; }
void SpreadGrid::SetShadowColor(long color) {
  d->shadow = color;
  d->touchHeaders();
}
long SpreadGrid::ShadowText() const { return d->shadowText; }
void SpreadGrid::SetShadowText(long color) {
  d->shadowText = color;
  d->touchHeaders();
}
long SpreadGrid::GrayAreaBackColor() const { return d->gray; }
void SpreadGrid::SetGrayAreaBackColor(long color) {
  d->gray = color;
  d->applyColours();
}

double SpreadGrid::ColWidth(int col) const {
  if (col == -1) return d->defaultColWidth;
  return d->validCol(col) ? d->colWidth(col) : 0;
}

void SpreadGrid::SetColWidth(int col, double width) {
  if (col == -1) {
    d->defaultColWidth = width;
    for (int c = 1; c <= d->maxCols(); ++c) SetColWidth(c, width);
    return;
  }
  if (!d->validCol(col)) return;
  if (col == 0)
    d->rowHeaderWidth = width;
  else
    d->cols[size_t(col)].width = width;
  d->applyColumn(col);
}

double SpreadGrid::RowHeight(int row) const { return d->rowHeight(row); }

void SpreadGrid::SetRowHeight(int row, double height) {
  if (row == -1) {
    d->defaultRowHeight = height;
    for (RowInfo& r : d->rows) r.height = -1;
    d->applyAllRows();
    return;
  }
  if (d->headerIndex(row) >= 0) {
    d->headerRowHeight = height;
    d->applyHeaders();
    return;
  }
  if (row < 1 || row > d->maxRows()) return;
  d->rows[size_t(row - 1)].height = height;
  d->applyRow(row);
}

int SpreadGrid::ColWidthPixels(int col) const {
  if (col == -1) return int(std::lround(d->defaultColWidth * d->charPx)) + kCellPadding;
  return d->validCol(col) ? d->colPixels(col) : 0;
}

int SpreadGrid::RowHeightPixels(int row) const { return d->rowPixels(d->rowHeight(row)); }

bool SpreadGrid::ColHidden(int col) const {
  return col >= 1 && col <= d->maxCols() && d->cols[size_t(col)].hidden;
}

void SpreadGrid::SetColHidden(int col, bool hidden) {
  if (col == -1) {
    for (int c = 1; c <= d->maxCols(); ++c) SetColHidden(c, hidden);
    return;
  }
  if (col == 0) {
    SetRowHeadersShow(!hidden);
    return;
  }
  if (col < 1 || col > d->maxCols()) return;
  d->cols[size_t(col)].hidden = hidden;
  d->applyColumn(col);
}

bool SpreadGrid::RowHidden(int row) const {
  return row >= 1 && row <= d->maxRows() && d->rows[size_t(row - 1)].hidden;
}

void SpreadGrid::SetRowHidden(int row, bool hidden) {
  if (row == -1) {
    for (int r = 1; r <= d->maxRows(); ++r) SetRowHidden(r, hidden);
    return;
  }
  if (row < 1 || row > d->maxRows()) return;
  d->rows[size_t(row - 1)].hidden = hidden;
  d->applyRow(row);
}

bool SpreadGrid::RowHeadersShow() const { return d->rowHeadersShow; }
void SpreadGrid::SetRowHeadersShow(bool show) {
  d->rowHeadersShow = show;
  d->applyHeaders();
}
bool SpreadGrid::ColHeadersShow() const { return d->colHeadersShow; }
void SpreadGrid::SetColHeadersShow(bool show) {
  d->colHeadersShow = show;
  d->applyHeaders();
}

void SpreadGrid::InsertRows(int row, int count) {
  const int max = d->maxRows();
  if (row < 1 || row > max || count <= 0) return;
  count = std::min(count, max - row + 1);
  d->model->beginInsertRows(QModelIndex(), row - 1, row + count - 2);
  d->insertRowsRaw(row - 1, count);
  d->model->endInsertRows();
  d->model->beginRemoveRows(QModelIndex(), max, max + count - 1);
  d->removeRowsRaw(max, count);
  d->model->endRemoveRows();
  d->shiftFormulas(true, row, count);
  d->fillColumnFormulas(row, row + count - 1);
  d->shiftSpans(true, row, count);
  d->structureChanged();
}

void SpreadGrid::DeleteRows(int row, int count) {
  const int max = d->maxRows();
  if (row < 1 || row > max || count <= 0) return;
  count = std::min(count, max - row + 1);
  d->model->beginRemoveRows(QModelIndex(), row - 1, row + count - 2);
  d->removeRowsRaw(row - 1, count);
  d->model->endRemoveRows();
  d->model->beginInsertRows(QModelIndex(), max - count, max - 1);
  d->insertRowsRaw(max - count, count);
  d->model->endInsertRows();
  d->shiftFormulas(true, row, -count);
  d->fillColumnFormulas(max - count + 1, max);
  d->shiftSpans(true, row, -count);
  d->structureChanged();
}

void SpreadGrid::InsertCols(int col, int count) {
  const int max = d->maxCols();
  if (col < 1 || col > max || count <= 0) return;
  count = std::min(count, max - col + 1);
  d->model->beginInsertColumns(QModelIndex(), col - 1, col + count - 2);
  d->insertColsRaw(col, count);
  d->model->endInsertColumns();
  d->model->beginRemoveColumns(QModelIndex(), max, max + count - 1);
  d->removeColsRaw(max + 1, count);
  d->model->endRemoveColumns();
  d->applyAllColumns();
  d->shiftFormulas(false, col, count);
  d->shiftSpans(false, col, count);
  d->structureChanged();
}

void SpreadGrid::DeleteCols(int col, int count) {
  const int max = d->maxCols();
  if (col < 1 || col > max || count <= 0) return;
  count = std::min(count, max - col + 1);
  d->model->beginRemoveColumns(QModelIndex(), col - 1, col + count - 2);
  d->removeColsRaw(col, count);
  d->model->endRemoveColumns();
  d->model->beginInsertColumns(QModelIndex(), max - count, max - 1);
  d->insertColsRaw(max - count + 1, count);
  d->model->endInsertColumns();
  d->applyAllColumns();
  d->shiftFormulas(false, col, -count);
  d->shiftSpans(false, col, -count);
  d->structureChanged();
}

void SpreadGrid::MoveColRange(int first, int last, int dest) {
  const int max = d->maxCols();
  const int n = last - first + 1;
  if (first < 1 || last > max || n <= 0 || dest < 1 || dest + n - 1 > max || dest == first) return;
  std::vector<Column> block(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    Column& src = d->cols[size_t(first + i)];
    block[size_t(i)] = std::move(src);
    src = Column();
    src.cells.resize(d->rows.size());
    src.header.resize(size_t(d->headerRows));
  }
  for (int i = 0; i < n; ++i) {
    Column& dst = d->cols[size_t(dest + i)];
    d->formulaCount -= d->countFormulas(dst.cells, 0, dst.cells.size());
    dst = std::move(block[size_t(i)]);
  }
  // Spans go with the columns they start in; those starting where the block lands are gone.
  std::vector<Span> kept;
  for (Span sp : d->spans) {
    if (sp.col >= first && sp.col <= last)
      sp.col += dest - first;
    else if (sp.col >= dest && sp.col < dest + n)
      continue;
    kept.push_back(sp);
  }
  d->spans.swap(kept);
  d->applySpans();
  const int lo = std::min(first, dest), hi = std::max(last, dest + n - 1);
  if (d->maxRows() > 0)
    emit d->model->dataChanged(d->model->index(0, lo - 1),
                               d->model->index(d->maxRows() - 1, hi - 1));
  emit d->model->headerDataChanged(Qt::Horizontal, lo - 1, hi - 1);
  d->applyAllColumns();
  d->structureChanged();
}

void SpreadGrid::AddCellSpan(int col, int row, int numCols, int numRows) {
  if (numCols < 1 || numRows < 1) return;
  RemoveCellSpan(col, row);
  d->spans.push_back({col, row, numCols, numRows});
  d->applySpans();
}

void SpreadGrid::RemoveCellSpan(int col, int row) {
  auto& s = d->spans;
  s.erase(std::remove_if(s.begin(), s.end(),
                         [&](const Span& x) { return x.col == col && x.row == row; }),
          s.end());
  d->applySpans();
}

void SpreadGrid::SetActiveCell(int col, int row) {
  if (col < 1 || row < 1 || col > d->maxCols() || row > d->maxRows()) {
    d->view->selectionModel()->clear();
    return;
  }
  d->view->setCurrentIndex(d->model->index(row - 1, col - 1));
}

int SpreadGrid::ActiveCol() const {
  const QModelIndex i = d->view->currentIndex();
  return i.isValid() ? i.column() + 1 : 0;
}

int SpreadGrid::ActiveRow() const {
  const QModelIndex i = d->view->currentIndex();
  return i.isValid() ? i.row() + 1 : 0;
}

int SpreadGrid::TopRow() const {
  const int r = d->view->rowAt(0);
  return r < 0 ? 0 : r + 1;
}

void SpreadGrid::SetTopRow(int row) {
  if (row < 1 || row > d->maxRows() || d->maxCols() < 1) return;
  d->view->scrollTo(d->model->index(row - 1, std::max(0, d->view->columnAt(0))),
                    QAbstractItemView::PositionAtTop);
}

namespace {
bool Matches(const QString& cell, const QString& text, int flags) {
  const Qt::CaseSensitivity cs =
      flags & spread::SearchFlagsCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
  if (flags & spread::SearchFlagsPartialMatch) return cell.contains(text, cs);
  return cell.compare(text, cs) == 0;
}
}  // namespace

int SpreadGrid::SearchRow(int row, int colStart, int colEnd, const QString& text, int flags) const {
  if (colEnd < 0 || colEnd > d->maxCols()) colEnd = d->maxCols();
  for (int c = std::max(colStart + 1, 1); c <= colEnd; ++c)
    if (Matches(d->shownText(c, row), text, flags)) return c;
  return -1;
}

int SpreadGrid::SearchCol(int col, int rowStart, int rowEnd, const QString& text, int flags) const {
  if (rowEnd < 0 || rowEnd > d->maxRows()) rowEnd = d->maxRows();
  for (int r = std::max(rowStart + 1, 1); r <= rowEnd; ++r)
    if (Matches(d->shownText(col, r), text, flags)) return r;
  return -1;
}

bool SpreadGrid::ReDraw() const { return d->redraw; }

void SpreadGrid::SetReDraw(bool redraw) {
  if (redraw == d->redraw) return;
  d->redraw = redraw;
  if (!redraw) {
    d->view->setUpdatesEnabled(false);
    return;
  }
  d->flush();
  d->view->setUpdatesEnabled(true);
  d->view->viewport()->update();
}

void SpreadGrid::Refresh() {
  if (d->redraw) d->view->viewport()->update();
}

int SpreadGrid::OperationMode() const { return d->opMode; }
void SpreadGrid::SetOperationMode(int mode) {
  d->opMode = mode;
  d->applyOperationMode();
}
int SpreadGrid::SelectBlockOptions() const { return d->selectBlock; }
void SpreadGrid::SetSelectBlockOptions(int options) {
  d->selectBlock = options;
  d->applyOperationMode();
}
int SpreadGrid::UserColAction() const { return d->userColAction; }
void SpreadGrid::SetUserColAction(int action) { d->userColAction = action; }
int SpreadGrid::TextTip() const { return d->textTip; }
void SpreadGrid::SetTextTip(int tip) { d->textTip = tip; }
int SpreadGrid::AppearanceStyle() const { return d->appearance; }
void SpreadGrid::SetAppearanceStyle(int style) { d->appearance = style; }
int SpreadGrid::CursorType() const { return d->cursorType; }
void SpreadGrid::SetCursorType(int type) { d->cursorType = type; }
int SpreadGrid::CursorStyle() const { return d->cursorStyle; }
void SpreadGrid::SetCursorStyle(int style) { d->cursorStyle = style; }
int SpreadGrid::BackColorStyle() const { return d->backColorStyle; }
void SpreadGrid::SetBackColorStyle(int style) { d->backColorStyle = style; }
bool SpreadGrid::NoBeep() const { return d->noBeep; }
void SpreadGrid::SetNoBeep(bool noBeep) { d->noBeep = noBeep; }
bool SpreadGrid::DAutoCellTypes() const { return d->dAuto; }
void SpreadGrid::SetDAutoCellTypes(bool on) { d->dAuto = on; }
bool SpreadGrid::EditModePermanent() const { return d->editPermanent; }
void SpreadGrid::SetEditModePermanent(bool on) { d->editPermanent = on; }
bool SpreadGrid::EditModeReplace() const { return d->editReplace; }
void SpreadGrid::SetEditModeReplace(bool on) { d->editReplace = on; }
void SpreadGrid::SetActionKey(int, bool, bool, int) {}

QAbstractItemModel* SpreadGrid::Model() const { return d->model; }
QWidget* SpreadGrid::CellArea() const { return d->view->viewport(); }

void SpreadGrid::FollowHorizontalScroll(SpreadGrid& leader) {
  d->view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  d->view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QScrollBar* mine = d->view->horizontalScrollBar();
  QScrollBar* theirs = leader.d->view->horizontalScrollBar();
  connect(theirs, &QScrollBar::valueChanged, mine, &QScrollBar::setValue, Qt::UniqueConnection);
  mine->setValue(theirs->value());
  d->follower = true;
}

bool SpreadGrid::FollowsHorizontalScroll() const { return d->follower; }

QRect SpreadGrid::CellRect(int col, int row) const {
  if (col < 1 || row < 1 || col > d->maxCols() || row > d->maxRows()) return QRect();
  return d->view->visualRect(d->model->index(row - 1, col - 1));
}

QWidget* SpreadGrid::ColHeaderArea() const { return d->view->horizontalHeader()->viewport(); }

QRect SpreadGrid::ColHeaderRect(int col) const {
  auto* hh = d->view->horizontalHeader();
  if (col < 1 || col > d->maxCols()) return QRect();
  return QRect(hh->sectionViewportPosition(col - 1), 0, hh->sectionSize(col - 1), hh->height());
}
