#include "grid/SpreadGrid.h"

#include "grid/SpreadFormula.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

QColor OleToQColor(long color) {
  if (color < 0) return QColor();
  // System colours (top bit set) have no meaning here; they fall back to the palette.
  if (color & 0x80000000L) return QColor();
  return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

namespace {

using spread::CellTypeNumber;

enum StyleBit : std::uint32_t {
  kType = 1u << 0,
  kDec = 1u << 1,
  kSep = 1u << 2,
  kMin = 1u << 3,
  kMax = 1u << 4,
  kNegRed = 1u << 5,
  kHAlign = 1u << 6,
  kVAlign = 1u << 7,
  kBack = 1u << 8,
  kFore = 1u << 9,
  kFontSize = 1u << 10,
  kBold = 1u << 11,
  kLock = 1u << 12,
};

// One layer of format overrides; mask says which fields this layer sets.
struct Style {
  std::uint32_t mask = 0;
  std::int8_t cellType = spread::CellTypeEdit;
  std::int8_t decPlaces = 2;
  std::int8_t hAlign = -1;  // -1: by cell type
  std::int8_t vAlign = spread::VAlignCenter;
  bool showSep = false;
  bool negRed = false;
  bool bold = false;
  bool lock = false;
  float fontSize = 0;
  long back = -1;
  long fore = -1;
  double minValue = -999999999999.0;
  double maxValue = 999999999999.0;

  void OverlayWith(const Style* s) {
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
};

struct CellExtra {
  Style style;
  QString tag;
  QString formulaText;
  std::shared_ptr<const spread::Formula> formula;
  std::optional<double> value;  // valid while stamp matches the grid's evaluation stamp
  std::uint32_t stamp = 0;
  bool busy = false;      // being evaluated: a circular reference reads as an error
  bool notified = false;  // value has been announced through Change at least once
  std::optional<double> announced;
};

struct Cell {
  QString text;
  std::unique_ptr<CellExtra> extra;
};

struct RowInfo {
  double height = -1;  // points; -1: the default height
  bool hidden = false;
  std::unique_ptr<Style> style;
};

struct Column {
  double width = -1;  // characters; -1: the default width
  bool hidden = false;
  std::unique_ptr<Style> style;
  std::vector<Cell> cells;   // data rows 1..MaxRows
  std::vector<Cell> header;  // column-header rows
};

struct Span {
  int col, row, cols, rows;
};

template <class T>
void InsertDefault(std::vector<T>& v, size_t pos, size_t n) {
  v.resize(v.size() + n);
  std::rotate(v.begin() + std::ptrdiff_t(pos), v.end() - std::ptrdiff_t(n), v.end());
}

std::optional<double> ParseNumber(const QString& text) {
  QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  if (t.contains(u',')) t.remove(u',');
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return std::nullopt;
  return v;
}

// The plain numbers a recordset hands over ("-1234", "12.5") are read without conversions and kept
// as they are; anything else (separators, blanks, exponents, leading zeros) returns false and goes
// the careful way.
bool QuickNumber(QStringView s, int maxPlaces, double& out) {
  static const double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
  const qsizetype n = s.size();
  if (n == 0 || n > 17) return false;
  qsizetype i = 0;
  const bool negative = s[0] == u'-';
  if (negative) ++i;
  auto digit = [&](qsizetype k) { return k < n && s[k] >= u'0' && s[k] <= u'9'; };
  if (!digit(i)) return false;
  if (s[i] == u'0' && (digit(i + 1) || (negative && i + 1 == n))) return false;
  long long whole = 0;
  int digits = 0;
  for (; digit(i); ++i, ++digits) whole = whole * 10 + (s[i].unicode() - u'0');
  if (digits > 15) return false;
  double v = double(whole);
  if (i < n) {
    if (s[i] != u'.') return false;
    ++i;
    long long fraction = 0;
    int places = 0;
    for (; digit(i); ++i, ++places) fraction = fraction * 10 + (s[i].unicode() - u'0');
    if (i != n || places == 0 || places > maxPlaces || places > 10 || s[n - 1] == u'0')
      return false;
    v += double(fraction) / kPow10[places];
  }
  out = negative ? -v : v;
  return true;
}

double RoundTo(double v, int places) {
  const double f = std::pow(10.0, places);
  return std::round(v * f) / f;
}

// "#,##0" with the given decimals; no "-0".
QString FormatNumber(double v, int places, bool sep) {
  v = RoundTo(v, places);
  if (v == 0) v = 0;  // turns -0 into 0
  QString s = QString::number(v, 'f', places);
  if (!sep) return s;
  const int start = s.startsWith(u'-') ? 1 : 0;
  int point = s.indexOf(u'.');
  if (point < 0) point = s.size();
  for (int i = point - 3; i > start; i -= 3) s.insert(i, u',');
  return s;
}

// The plain form Value gives: no separators, no trailing zeros.
QString PlainNumber(double v, int places) {
  v = RoundTo(v, std::max(0, places));
  if (v == 0) v = 0;
  QString s = QString::number(v, 'f', std::max(0, places));
  if (s.contains(u'.')) {
    while (s.endsWith(u'0')) s.chop(1);
    if (s.endsWith(u'.')) s.chop(1);
  }
  return s;
}

QString ColumnLetters(int col) {
  QString s;
  for (int n = col; n > 0; n = (n - 1) / 26) s.prepend(QChar(u'A' + (n - 1) % 26));
  return s;
}

constexpr int kCellPadding = 4;

}  // namespace

class SpreadModel;
class SpreadView;

struct SpreadGrid::Impl {
  explicit Impl(SpreadGrid* owner) : q(owner) {}

  SpreadGrid* q;
  SpreadModel* model = nullptr;
  SpreadView* view = nullptr;

  std::vector<Column> cols{1};  // index 0: the row-header column
  std::vector<RowInfo> rows;    // index r - 1
  int headerRows = 1;
  Style sheet;
  Style headerStyle;
  std::vector<Span> spans;

  bool oddEven = false;
  long oddBack = RgbColor(255, 255, 255), oddFore = 0, evenBack = RgbColor(255, 255, 255),
       evenFore = 0;
  long defaultBack = RgbColor(255, 255, 255);
  long selBack = -1, shadow = -1, shadowText = -1, gray = RgbColor(128, 128, 128);

  double defaultRowHeight = 12.75;  // points
  double headerRowHeight = -1;
  double defaultColWidth = 9;  // characters
  double rowHeaderWidth = -1;
  bool rowHeadersShow = true, colHeadersShow = true;
  double charPx = 7;

  bool redraw = true, protect = true;
  int opMode = 0, selectBlock = 1, userColAction = 0, textTip = 0, refStyle = 1;
  int appearance = 1, cursorType = 0, cursorStyle = 1, backColorStyle = 0;
  bool noBeep = false, dAuto = true, editPermanent = false, editReplace = false;
  QString tag;

  // Changes while ReDraw is off are gathered here and announced once when it comes back on.
  int dirtyTop = INT_MAX, dirtyBottom = -1, dirtyLeft = INT_MAX, dirtyRight = -1;
  bool headerDirty = false;
  bool formulasDirty = false;  // to be re-evaluated and announced at ReDraw
  bool valuesStale = false;    // cached formula values predate a change

  int formulaCount = 0;
  bool registryStale = true;
  std::vector<std::pair<int, int>> registry;  // (col, row) of every formula cell
  std::uint32_t evalStamp = 1;

  int sortCol = 0;
  bool sortAscending = true;
  bool syncing = false;  // the grid itself is resizing view sections

  int maxRows() const { return int(rows.size()); }
  int maxCols() const { return int(cols.size()) - 1; }
  bool validCol(int c) const { return c >= 0 && c <= maxCols(); }
  // Header rows are 0 (the first) or SpreadHeader + i; -1 when row is no header row.
  int headerIndex(int row) const {
    if (row == 0) return 0;
    const int h = row - spread::SpreadHeader;
    return h >= 0 && h < headerRows ? h : -1;
  }

  Cell* cellAt(int col, int row) {
    if (!validCol(col)) return nullptr;
    if (row >= 1 && row <= maxRows()) return &cols[size_t(col)].cells[size_t(row - 1)];
    const int h = headerIndex(row);
    return h >= 0 ? &cols[size_t(col)].header[size_t(h)] : nullptr;
  }
  const Cell* cellAt(int col, int row) const { return const_cast<Impl*>(this)->cellAt(col, row); }
  CellExtra& extraOf(Cell& cell) {
    if (!cell.extra) cell.extra = std::make_unique<CellExtra>();
    return *cell.extra;
  }

  // What is in force for a cell; -1 as column or row asks for the sheet, a column or a row.
  Style resolve(int col, int row) const {
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
  int cellTypeAt(int col, int row) const {
    if (row < 1 || col < 1) return spread::CellTypeStaticText;
    const Cell& cell = cols[size_t(col)].cells[size_t(row - 1)];
    if (cell.extra && (cell.extra->style.mask & kType)) return cell.extra->style.cellType;
    const Style* r = rows[size_t(row - 1)].style.get();
    if (r && (r->mask & kType)) return r->cellType;
    const Style* c = cols[size_t(col)].style.get();
    if (c && (c->mask & kType)) return c->cellType;
    return sheet.cellType;
  }

  // --- formulas -----------------------------------------------------------------------------
  std::optional<double> lookup(int col, int row) {
    if (col < 1 || col > maxCols() || row < 1 || row > maxRows()) return std::nullopt;
    Cell& cell = cols[size_t(col)].cells[size_t(row - 1)];
    if (cell.extra && cell.extra->formula) return formulaValue(col, row, *cell.extra);
    return ParseNumber(cell.text).value_or(0.0);
  }
  std::optional<double> formulaValue(int col, int row, CellExtra& x) {
    if (valuesStale) {
      valuesStale = false;
      ++evalStamp;
    }
    if (x.stamp == evalStamp) return x.value;
    if (x.busy) return std::nullopt;
    x.busy = true;
    const auto v = x.formula->Evaluate(col, row, [this](int c, int r) { return lookup(c, r); });
    x.busy = false;
    x.value = v;
    x.stamp = evalStamp;
    return v;
  }
  const std::vector<std::pair<int, int>>& formulaCells() {
    if (!registryStale) return registry;
    registry.clear();
    if (formulaCount > 0) {
      for (int c = 1; c <= maxCols(); ++c) {
        const auto& cells = cols[size_t(c)].cells;
        for (size_t r = 0; r < cells.size(); ++r)
          if (cells[r].extra && cells[r].extra->formula) registry.emplace_back(c, int(r) + 1);
      }
    }
    registryStale = false;
    return registry;
  }
  // Re-evaluates every formula and announces those whose value moved.
  void recalc();
  void cellValueChanged(int col, int row) {
    if (formulaCount == 0) return;
    if (!redraw) {
      formulasDirty = valuesStale = true;
      return;
    }
    for (const auto& [fc, fr] : formulaCells()) {
      const CellExtra& x = *cols[size_t(fc)].cells[size_t(fr - 1)].extra;
      if (x.formula->Reads(fc, fr, col, row)) {
        recalc();
        return;
      }
    }
  }

  // --- change announcements -----------------------------------------------------------------
  void touch(int c1, int r1, int c2, int r2);
  void touchHeaders();
  void flush();

  // --- view synchronisation -----------------------------------------------------------------
  int colPixels(int col) const {
    const double w = colWidth(col);
    return w <= 0 ? 0 : int(std::lround(w * charPx)) + kCellPadding;
  }
  double colWidth(int col) const {
    if (col == 0) {
      if (rowHeaderWidth >= 0) return rowHeaderWidth;
      // Wide enough for the highest row number.
      return std::max(3, int(QString::number(std::max(1, maxRows())).size())) + 1;
    }
    const double w = cols[size_t(col)].width;
    return w >= 0 ? w : defaultColWidth;
  }
  int rowPixels(double points) const;
  double rowHeight(int row) const {
    if (row == -1) return defaultRowHeight;
    if (headerIndex(row) >= 0) return headerRowHeight >= 0 ? headerRowHeight : defaultRowHeight;
    if (row < 1 || row > maxRows()) return defaultRowHeight;
    const double h = rows[size_t(row - 1)].height;
    return h >= 0 ? h : defaultRowHeight;
  }
  void applyColumn(int col);
  void applyAllColumns();
  void applyRow(int row);
  void applyAllRows();
  void applyHeaders();
  void applySpans();
  void applyOperationMode();
  void applyColours();
  void resyncView() {
    applyHeaders();
    applyAllColumns();
    applyAllRows();
    applySpans();
  }

  // --- structure ----------------------------------------------------------------------------
  int countFormulas(const std::vector<Cell>& cells, size_t from, size_t to) const {
    int n = 0;
    for (size_t i = from; i < to; ++i)
      if (cells[i].extra && cells[i].extra->formula) ++n;
    return n;
  }
  void insertRowsRaw(int pos, int n);
  void removeRowsRaw(int pos, int n);
  void insertColsRaw(int pos, int n);
  void removeColsRaw(int pos, int n);
  // Spans go with their first cell; one whose first cell was deleted goes too.
  void shiftSpans(bool byRows, int at, int count) {
    if (spans.empty()) return;
    std::vector<Span> kept;
    for (Span sp : spans) {
      int& line = byRows ? sp.row : sp.col;
      if (line >= at) {
        if (count < 0 && line < at - count) continue;
        line += count;
      }
      kept.push_back(sp);
    }
    spans.swap(kept);
    applySpans();
  }
  // References follow the cells they point at when lines are inserted or deleted.
  void shiftFormulas(bool byRows, int at, int count) {
    registryStale = true;
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
  void structureChanged() {
    registryStale = true;
    if (formulaCount > 0) {
      if (redraw)
        recalc();
      else
        formulasDirty = valuesStale = true;
    }
  }
  bool setFormulaRaw(int col, int row, const QString& formula);

  template <class F>
  void setStyle(int col, int row, std::uint32_t bit, F assign);
  template <class F>
  auto styleAt(int col, int row, F get) const {
    return get(resolve(col, row));
  }

  QString shownText(int col, int row);
  QString plainValue(int col, int row);
  void userEdit(int col, int row, const QString& text);
  void headerClicked(int section);
};

// The model the view reads; every value comes straight from the grid's own storage.
class SpreadModel final : public QAbstractTableModel {
 public:
  SpreadModel(SpreadGrid::Impl* d, QObject* parent) : QAbstractTableModel(parent), d(d) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : d->maxRows();
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : d->maxCols();
  }
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  using QAbstractTableModel::beginInsertColumns;
  using QAbstractTableModel::beginInsertRows;
  using QAbstractTableModel::beginRemoveColumns;
  using QAbstractTableModel::beginRemoveRows;
  using QAbstractTableModel::beginResetModel;
  using QAbstractTableModel::endInsertColumns;
  using QAbstractTableModel::endInsertRows;
  using QAbstractTableModel::endRemoveColumns;
  using QAbstractTableModel::endRemoveRows;
  using QAbstractTableModel::endResetModel;

 private:
  SpreadGrid::Impl* d;
};

class SpreadView final : public QTableView {
 public:
  SpreadView(SpreadGrid::Impl* d, QWidget* parent) : QTableView(parent), d(d) {}

  void watchHeaders() {
    horizontalHeader()->viewport()->installEventFilter(this);
    verticalHeader()->viewport()->installEventFilter(this);
    // The corner button is the view's own child; we draw the "No" text on it ourselves.
    for (QAbstractButton* b : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
      m_corner = b;
      b->installEventFilter(this);
    }
  }
  QWidget* corner() const { return m_corner; }

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    int shift = 0;
    if (e->modifiers() & Qt::ShiftModifier) shift |= spread::ShiftMaskShift;
    if (e->modifiers() & Qt::ControlModifier) shift |= spread::ShiftMaskCtrl;
    if (e->modifiers() & Qt::AltModifier) shift |= spread::ShiftMaskAlt;
    emit d->q->KeyDown(e->key(), shift);
    QTableView::keyPressEvent(e);
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::RightButton) {
      const QModelIndex i = indexAt(e->position().toPoint());
      emit d->q->RightClick(1, i.isValid() ? i.column() + 1 : 0, i.isValid() ? i.row() + 1 : 0);
      return;
    }
    QTableView::mousePressEvent(e);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::RightButton) {
      const QModelIndex i = indexAt(e->position().toPoint());
      emit d->q->RightClick(2, i.isValid() ? i.column() + 1 : 0, i.isValid() ? i.row() + 1 : 0);
      return;
    }
    QTableView::mouseReleaseEvent(e);
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) {
      const QModelIndex i = indexAt(e->position().toPoint());
      if (i.isValid()) emit d->q->DblClick(i.column() + 1, i.row() + 1);
    }
    QTableView::mouseDoubleClickEvent(e);
  }
  bool viewportEvent(QEvent* e) override {
    if (e->type() == QEvent::ToolTip) {
      const auto* he = static_cast<QHelpEvent*>(e);
      const QModelIndex i = indexAt(he->pos());
      QString tip;
      if (d->textTip != 0 && i.isValid()) {
        const QString text = d->shownText(i.column() + 1, i.row() + 1);
        const QFontMetrics fm(font());
        if (fm.horizontalAdvance(text) > visualRect(i).width() - kCellPadding) tip = text;
      }
      if (tip.isEmpty())
        QToolTip::hideText();
      else
        QToolTip::showText(he->globalPos(), tip, viewport(), visualRect(i));
      return true;
    }
    return QTableView::viewportEvent(e);
  }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (o == m_corner && e->type() == QEvent::Paint) {
      paintCorner();
      return true;
    }
    if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonRelease) {
      auto* me = static_cast<QMouseEvent*>(e);
      if (me->button() == Qt::RightButton) {
        const int type = e->type() == QEvent::MouseButtonPress ? 1 : 2;
        const QPoint p = me->position().toPoint();
        if (o == horizontalHeader()->viewport()) {
          const int s = horizontalHeader()->logicalIndexAt(p);
          emit d->q->RightClick(type, s + 1, 0);
          return true;
        }
        if (o == verticalHeader()->viewport()) {
          const int s = verticalHeader()->logicalIndexAt(p);
          emit d->q->RightClick(type, 0, s + 1);
          return true;
        }
      }
    }
    return QTableView::eventFilter(o, e);
  }

 private:
  void paintCorner() {
    QPainter p(m_corner);
    QStyleOptionHeader opt;
    opt.initFrom(m_corner);
    opt.rect = m_corner->rect();
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.text = d->cellAt(0, 0) ? d->cellAt(0, 0)->text : QString();
    opt.textAlignment = Qt::AlignCenter;
    const QColor back = OleToQColor(d->shadow);
    if (back.isValid()) {
      opt.palette.setColor(QPalette::Button, back);
      opt.palette.setColor(QPalette::Window, back);
    }
    const QColor fore = OleToQColor(d->shadowText);
    if (fore.isValid()) opt.palette.setColor(QPalette::ButtonText, fore);
    style()->drawControl(QStyle::CE_Header, &opt, &p, m_corner);
  }

  SpreadGrid::Impl* d;
  QWidget* m_corner = nullptr;
};

// ---------------------------------------------------------------------------------------------
// model

QVariant SpreadModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  const int col = index.column() + 1, row = index.row() + 1;
  switch (role) {
    case Qt::DisplayRole:
      return d->shownText(col, row);
    case Qt::EditRole:
      return d->cellTypeAt(col, row) == CellTypeNumber ? d->plainValue(col, row)
                                                       : d->shownText(col, row);
    case Qt::BackgroundRole: {
      const Style s = d->resolve(col, row);
      long c = s.back;
      if (c < 0) c = d->oddEven ? (row % 2 ? d->oddBack : d->evenBack) : d->defaultBack;
      const QColor qc = OleToQColor(c);
      return QBrush(qc.isValid() ? qc : QColor(Qt::white));
    }
    case Qt::ForegroundRole: {
      const Style s = d->resolve(col, row);
      if (s.cellType == CellTypeNumber && s.negRed) {
        const Cell& cell = d->cols[size_t(col)].cells[size_t(row - 1)];
        std::optional<double> v;
        if (cell.extra && cell.extra->formula)
          v = d->formulaValue(col, row, *cell.extra);
        else
          v = ParseNumber(cell.text);
        if (v && RoundTo(*v, s.decPlaces) < 0) return QBrush(Qt::red);
      }
      long c = s.fore;
      if (c < 0 && d->oddEven) c = row % 2 ? d->oddFore : d->evenFore;
      const QColor qc = OleToQColor(c);
      return qc.isValid() ? QVariant(QBrush(qc)) : QVariant();
    }
    case Qt::FontRole: {
      const Style s = d->resolve(col, row);
      if (s.fontSize <= 0 && !s.bold) return QVariant();
      QFont f = d->view->font();
      if (s.fontSize > 0) f.setPointSizeF(s.fontSize);
      f.setBold(s.bold);
      return f;
    }
    case Qt::TextAlignmentRole: {
      const Style s = d->resolve(col, row);
      int h = s.hAlign;
      if (h < 0) h = s.cellType == CellTypeNumber ? spread::HAlignRight : spread::HAlignLeft;
      const Qt::Alignment ha = h == spread::HAlignRight    ? Qt::AlignRight
                               : h == spread::HAlignCenter ? Qt::AlignHCenter
                                                           : Qt::AlignLeft;
      const Qt::Alignment va = s.vAlign == spread::VAlignTop      ? Qt::AlignTop
                               : s.vAlign == spread::VAlignBottom ? Qt::AlignBottom
                                                                  : Qt::AlignVCenter;
      return int(ha | va);
    }
    default:
      return QVariant();
  }
}

QVariant SpreadModel::headerData(int section, Qt::Orientation orientation, int role) const {
  const bool horizontal = orientation == Qt::Horizontal;
  if (section < 0 || section >= (horizontal ? d->maxCols() : d->maxRows())) return QVariant();
  switch (role) {
    case Qt::DisplayRole: {
      if (horizontal) {
        const Column& c = d->cols[size_t(section + 1)];
        QStringList lines;
        bool any = false;
        for (const Cell& h : c.header) {
          lines << h.text;
          any = any || !h.text.isEmpty();
        }
        return any ? lines.join(u'\n') : ColumnLetters(section + 1);
      }
      const QString& text = d->cols[0].cells[size_t(section)].text;
      return text.isEmpty() ? QString::number(section + 1) : text;
    }
    case Qt::BackgroundRole: {
      const QColor c = OleToQColor(d->shadow);
      return c.isValid() ? QVariant(QBrush(c)) : QVariant();
    }
    case Qt::ForegroundRole: {
      const QColor c = OleToQColor(d->shadowText);
      return c.isValid() ? QVariant(QBrush(c)) : QVariant();
    }
    case Qt::FontRole: {
      const Style s = horizontal ? d->resolve(section + 1, 0) : d->resolve(0, section + 1);
      if (s.fontSize <= 0 && !s.bold) return QVariant();
      QFont f = d->view->font();
      if (s.fontSize > 0) f.setPointSizeF(s.fontSize);
      f.setBold(s.bold);
      return f;
    }
    case Qt::TextAlignmentRole:
      return int(Qt::AlignCenter);
    default:
      return QVariant();
  }
}

Qt::ItemFlags SpreadModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  const int col = index.column() + 1, row = index.row() + 1;
  const Style s = d->resolve(col, row);
  const Cell& cell = d->cols[size_t(col)].cells[size_t(row - 1)];
  const bool locked = s.lock && d->protect;
  if (!locked && s.cellType != spread::CellTypeStaticText && !(cell.extra && cell.extra->formula) &&
      d->opMode != spread::OpModeReadOnly)
    f |= Qt::ItemIsEditable;
  return f;
}

bool SpreadModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
    return false;
  d->userEdit(index.column() + 1, index.row() + 1, value.toString());
  return true;
}

// ---------------------------------------------------------------------------------------------
// Impl

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
  const QFontMetrics fm(hh->font());
  const int line = std::max(rowPixels(rowHeight(0)), fm.height() + 2);
  hh->setFixedHeight(line * std::max(1, headerRows));
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

QString SpreadGrid::Impl::shownText(int col, int row) {
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
  return FormatNumber(*v, s.decPlaces, s.showSep);
}

QString SpreadGrid::Impl::plainValue(int col, int row) {
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
  return PlainNumber(*v, type == CellTypeNumber ? resolve(col, row).decPlaces : 10);
}

void SpreadGrid::Impl::userEdit(int col, int row, const QString& text) {
  const QString before = cellAt(col, row)->text;
  q->SetText(col, row, text);
  if (cellAt(col, row)->text != before) emit q->Change(col, row);
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

// ---------------------------------------------------------------------------------------------
// SpreadGrid

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
      for (int r = r1; r <= r2; ++r) SetText(c, r, text);
    d->redraw = was;
    if (was) d->flush();
    return;
  }
  Cell* cell = d->cellAt(col, row);
  if (!cell) return;
  if (row < 1 || col < 1) {
    cell->text = text;
    d->touchHeaders();
    return;
  }
  if (cell->extra && cell->extra->formula) return;  // a formula cell shows its result
  if (d->cellTypeAt(col, row) == CellTypeNumber && !text.isEmpty()) {
    const Style s = d->resolve(col, row);
    double quick = 0;
    if (QuickNumber(text, s.decPlaces, quick) && quick >= s.minValue && quick <= s.maxValue) {
      cell->text = text;
    } else {
      const std::optional<double> v = ParseNumber(text);
      cell->text = v ? PlainNumber(std::clamp(*v, s.minValue, s.maxValue), s.decPlaces) : QString();
    }
  } else {
    cell->text = text;
  }
  d->touch(col, row, col, row);
  d->cellValueChanged(col, row);
}

QString SpreadGrid::GetText(int col, int row) const { return d->shownText(col, row); }

QString SpreadGrid::Value(int col, int row) const { return d->plainValue(col, row); }

bool SpreadGrid::Impl::setFormulaRaw(int col, int row, const QString& formula) {
  Cell* cell = cellAt(col, row);
  if (!cell || col < 1 || row < 1) return false;
  const bool had = cell->extra && cell->extra->formula;
  if (formula.isEmpty() && !had) return false;
  CellExtra& x = extraOf(*cell);
  x.formulaText = formula;
  x.formula = spread::Formula::Parse(formula);
  // A formula this grid cannot read keeps its text and shows as an error (empty).
  if (!x.formula && !formula.isEmpty()) x.formula = spread::Formula::Parse(QStringLiteral("1/0"));
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

void SpreadGrid::SetFormula(int col, int row, const QString& formula) {
  if (col < 1 || col > d->maxCols()) return;
  int r1 = row, r2 = row;
  if (row == -1) {
    r1 = 1;
    r2 = d->maxRows();
  }
  bool any = false;
  for (int r = r1; r <= r2; ++r) any = d->setFormulaRaw(col, r, formula) || any;
  if (!any) return;
  d->touch(col, r1, col, r2);
  if (d->formulaCount == 0) return;
  if (d->redraw)
    d->recalc();
  else
    d->formulasDirty = d->valuesStale = true;
}

QString SpreadGrid::Formula(int col, int row) const {
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

void SpreadGrid::Sort(int col, bool ascending) {
  const int n = d->maxRows();
  if (col < 1 || col > d->maxCols() || n < 2) return;
  std::vector<int> order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 0);
  // Keys are taken once. Numbers come before texts; blanks go last in both directions.
  struct Key {
    int kind = 2;  // 0 number, 1 text, 2 blank
    double number = 0;
    QString text;
  };
  std::vector<Key> keys(static_cast<size_t>(n));
  for (int r = 1; r <= n; ++r) {
    Key& k = keys[size_t(r - 1)];
    const Cell& cell = d->cols[size_t(col)].cells[size_t(r - 1)];
    if ((cell.extra && cell.extra->formula) || d->cellTypeAt(col, r) == CellTypeNumber) {
      if (const auto v = ParseNumber(d->plainValue(col, r))) {
        k.kind = 0;
        k.number = *v;
      }
    } else if (!cell.text.isEmpty()) {
      k.kind = 1;
      k.text = cell.text;
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
