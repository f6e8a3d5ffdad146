#pragma once
// Inside the grid: the storage, the model the view reads and the view itself. Only the grid's
// own files include this.

#include "grid/SpreadFormula.h"
#include "grid/SpreadGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractButton;
class QPainter;

namespace spread::detail {

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

  void OverlayWith(const Style* s);
};

struct CellExtra {
  Style style;
  QString tag;
  QString formulaText;
  std::shared_ptr<const spread::Formula> formula;
  std::optional<double> value;  // valid while stamp matches the grid's evaluation stamp
  std::uint32_t stamp = 0;
  bool busy = false;        // being evaluated: a circular reference reads as an error
  bool notified = false;    // value has been announced through Change at least once
  bool fromColumn = false;  // the formula is its column's, not one set on this cell
  std::optional<double> announced;
  std::uint32_t mark = 0;  // reached while looking for what an edit affects
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
  // The whole-column formula: every row the column has or gets later carries it.
  QString formulaText;
  std::shared_ptr<const spread::Formula> formula;
};

struct Span {
  int col, row, cols, rows;
};

template <class T>
void InsertDefault(std::vector<T>& v, size_t pos, size_t n) {
  v.resize(v.size() + n);
  std::rotate(v.begin() + std::ptrdiff_t(pos), v.end() - std::ptrdiff_t(n), v.end());
}

double RoundTo(double v, int places);
QString FormatNumber(double v, int places, bool sep);
QString PlainNumber(double v, int places);
QString ColumnLetters(int col);

constexpr int kCellPadding = 4;

// The kept palette with the same colours as palette, in its colour group. The style keeps what
// it draws of headers and scroll bars in Qt's pixmap cache under the palette's cache key, and
// every palette made or changed has a key of its own: a palette made afresh for each paint, or
// each grid, would leave pixmaps behind, never drawn again, until the cache is full.
QPalette SharedPalette(const QPalette& palette);

}  // namespace spread::detail

// Only the grid's own files see this header; the storage types read better unqualified.
using namespace spread::detail;

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
  bool syncing = false;   // the grid itself is resizing view sections
  bool follower = false;  // scrolls sideways with another grid (FollowHorizontalScroll)

  int maxRows() const { return int(rows.size()); }
  int maxCols() const { return int(cols.size()) - 1; }
  bool validCol(int c) const { return c >= 0 && c <= maxCols(); }
  // Header rows are 0 (the first) or SpreadHeader + i; -1 when row is no header row, and for
  // every row when the grid has no header rows at all.
  int headerIndex(int row) const {
    const int h = row == 0 ? 0 : row - spread::SpreadHeader;
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
  Style resolve(int col, int row) const;
  int cellTypeAt(int col, int row) const;

  // --- formulas -----------------------------------------------------------------------------
  std::optional<double> lookup(int col, int row);
  static std::optional<double> numberOf(const QString& text);
  std::optional<double> formulaValue(int col, int row, CellExtra& x);
  // Evaluates a formula after the stale formulas it reads, directly or through others.
  void evaluate(int col, int row, CellExtra& x);
  const std::vector<std::pair<int, int>>& formulaCells();
  // Re-evaluates every formula and announces those whose value moved.
  void recalc();
  // Re-evaluates only the formulas that read the cell, directly or through other formulas.
  void recalcFrom(int col, int row);
  void announce(const std::vector<std::pair<int, int>>& cells);
  std::uint32_t markStamp = 0;
  void cellValueChanged(int col, int row);

  // --- change announcements -----------------------------------------------------------------
  void touch(int c1, int r1, int c2, int r2);
  // One data cell; with ReDraw off (a fill) it only widens the block to announce later.
  void touchCell(int col, int row) {
    if (redraw) return touch(col, row, col, row);
    dirtyLeft = std::min(dirtyLeft, col);
    dirtyTop = std::min(dirtyTop, row);
    dirtyRight = std::max(dirtyRight, col);
    dirtyBottom = std::max(dirtyBottom, row);
  }
  void touchHeaders();
  void flush();

  // --- view synchronisation -----------------------------------------------------------------
  int colPixels(int col) const {
    const double w = colWidth(col);
    return w <= 0 ? 0 : int(std::lround(w * charPx)) + kCellPadding;
  }
  double colWidth(int col) const;
  int rowPixels(double points) const;
  double rowHeight(int row) const;
  void applyColumn(int col);
  void applyAllColumns();
  void applyRow(int row);
  void applyAllRows();
  void applyHeaders();
  void applySpans();
  // Height in pixels of one column-header row; the header is as high as all of them.
  int headerLinePixels() const;
  // The span that covers header row index h (0 = the first) of a column, or nullptr.
  const Span* headerSpanAt(int col, int h) const;
  // The header rows over a column as they are drawn, one line each: a span's text stands over
  // every column it covers, and once for the rows it covers.
  QStringList headerLines(int col) const;
  void applyOperationMode();
  void applyColours();
  void resyncView();

  // --- structure ----------------------------------------------------------------------------
  int countFormulas(const std::vector<Cell>& cells, size_t from, size_t to) const;
  void insertRowsRaw(int pos, int n);
  void removeRowsRaw(int pos, int n);
  void insertColsRaw(int pos, int n);
  void removeColsRaw(int pos, int n);
  // Spans go with their first cell; one whose first cell was deleted goes too.
  void shiftSpans(bool byRows, int at, int count);
  // References follow the cells they point at when lines are inserted or deleted.
  void shiftFormulas(bool byRows, int at, int count);
  // Rows first..last take the formulas of the columns that have one.
  void fillColumnFormulas(int first, int last);
  void structureChanged();
  // What a formula text is stored as: nothing for "", an error for a text this grid cannot read.
  static std::shared_ptr<const spread::Formula> parseFormula(const QString& text);
  bool setFormulaRaw(int col, int row, const QString& text,
                     const std::shared_ptr<const spread::Formula>& parsed, bool fromColumn);

  template <class F>
  void setStyle(int col, int row, std::uint32_t bit, F assign);
  template <class F>
  auto styleAt(int col, int row, F get) const {
    return get(resolve(col, row));
  }

  QString shownText(int col, int row);
  QString plainValue(int col, int row);
  // The shown ("#,##0") or the plain text of a formula or number cell; the text otherwise.
  QString cellText(int col, int row, bool formatted);
  // Stores a data cell's text as SetText does (numbers read and held in range), unannounced.
  void storeText(Cell& cell, int col, int row, const QString& text);
  // SetText of one cell; a fill (single false) leaves every formula cell as it is.
  void setText(int col, int row, const QString& text, bool single);
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

// The column header: every column-header row drawn as a row of its own, spans merged.
class SpreadHeaderView final : public QHeaderView {
 public:
  SpreadHeaderView(SpreadGrid::Impl* d, QWidget* parent);
  QSize sizeHint() const override;
  // Paints the header rows of columns first..last (0 = the row-header column, the corner) on w,
  // where xOf gives a column's left edge and width (0 when hidden).
  static void PaintRows(const SpreadGrid::Impl& d, QPainter& p, QWidget* w, int first, int last,
                        const std::function<std::pair<int, int>(int)>& xOf, const QRect& exposed);
  // The palette header cells are drawn with: the widget's own with the grid's header colours,
  // shared (SharedPalette).
  static QPalette CellPalette(const SpreadGrid::Impl& d, const QWidget& w);

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  SpreadGrid::Impl* d;
};

// The row header: Qt's own, its cells drawn with the shared palette of their colours.
class SpreadRowHeaderView final : public QHeaderView {
 public:
  explicit SpreadRowHeaderView(QWidget* parent);

 protected:
  void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
};

class SpreadView final : public QTableView {
 public:
  SpreadView(SpreadGrid::Impl* d, QWidget* parent);
  // Right clicks on the headers and the painting of the corner come through eventFilter.
  void watchHeaders();
  QWidget* corner() const { return m_corner; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  bool viewportEvent(QEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void paintCorner();

  SpreadGrid::Impl* d;
  QWidget* m_corner = nullptr;
};
