#pragma once
// The grid of every list in the program. Windows talk to it through the members below, named as
// the old program named them; none of them sees a Qt view class. Rows and columns count from 1;
// row 0 is the (first) column-header row and column 0 the row-header column; -1 as a row or a
// column means every row or every column. Where the old control worked on its "current cell",
// the members take the column and row explicitly.
//
// Storage is one vector of cells per column, text held only where set; formats, colours and
// locks are overrides layered sheet < column < row < cell, so styling a whole column or sheet is
// one entry, not one per cell. Setting a property for a sheet, column or row takes that property
// back from every narrower layer inside it, as the old control did.

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>

class QAbstractItemModel;

// Windows colour values: R + 256*G + 65536*B.
constexpr long RgbColor(int r, int g, int b) { return long(r) + 256L * g + 65536L * b; }
QColor OleToQColor(long color);

namespace spread {
enum CellTypeCode { CellTypeEdit = 1, CellTypeStaticText = 5, CellTypeNumber = 13 };
enum HAlignCode { HAlignLeft = 0, HAlignRight = 1, HAlignCenter = 2 };
enum VAlignCode { VAlignTop = 0, VAlignBottom = 1, VAlignCenter = 2 };
enum OperationModeCode {
  OpModeNormal = 0,
  OpModeReadOnly = 1,
  OpModeRow = 2,
  OpModeSingle = 3,
  OpModeMulti = 4,
  OpModeExtended = 5
};
enum SearchFlag { SearchFlagsNone = 0, SearchFlagsPartialMatch = 1, SearchFlagsCaseSensitive = 4 };
// Shift state of KeyDown, as the old key events reported it.
enum ShiftMask { ShiftMaskShift = 1, ShiftMaskCtrl = 2, ShiftMaskAlt = 4 };
// Column-header rows as rows: the first is row 0 (or SpreadHeader), the k-th SpreadHeader + k - 1,
// so the second is ColHeaderRow(2) == -999. SetText, GetText, fonts and AddCellSpan take them:
// AddCellSpan(1, 0, 1, 2) joins a column's first two header rows, AddCellSpan(2, 0, 3, 1) three
// columns of the first. Each header row is drawn as a row of its own, RowHeight(0) high (never
// lower than its text).
constexpr int SpreadHeader = -1000;
constexpr int ColHeaderRow(int k) { return k == 1 ? 0 : SpreadHeader + k - 1; }
}  // namespace spread

class SpreadGrid : public QWidget {
  Q_OBJECT

 public:
  explicit SpreadGrid(QWidget* parent = nullptr);
  ~SpreadGrid() override;

  // Size. Lowering MaxRows/MaxCols drops what lies beyond; 0 empties the grid.
  int MaxRows() const;
  void SetMaxRows(int rows);
  int MaxCols() const;
  void SetMaxCols(int cols);
  int ColHeaderRows() const;
  void SetColHeaderRows(int rows);
  // Last row / column that holds any text or formula.
  int DataRowCnt() const;
  int DataColCnt() const;

  // Text and values. A number cell's GetText is the formatted text ("1,234"), Value the plain
  // number ("1234"); other cells give back exactly what SetText stored.
  // -1 writes a whole column, row or sheet. A formula cell keeps showing its result (but see
  // SetFormula for a column's formula). A number cell keeps the number (separators read, held
  // within TypeNumberMin/Max, rounded to its decimals); text that is no number leaves it empty.
  void SetText(int col, int row, const QString& text);
  QString GetText(int col, int row) const;
  QString Value(int col, int row) const;
  // R1C1 style: SUM/MIN/MAX/AVERAGE/COUNT/ABS, + - * / and parentheses, RnCm, RC5, R[-1]C.
  // An error (division by zero, a bad reference) shows empty, in GetText and Value alike.
  // Row -1 makes it the column's formula: every row, those there now and those that come later
  // (MaxRows growing, InsertRows, the rows DeleteRows brings back), carries it, relative
  // references read from each row itself; "" takes it and every formula of the column away.
  // A formula set on one cell replaces the column's there; "" leaves that cell with no formula.
  // SetText on one cell of such a column replaces the column's formula there by the text; a
  // whole-column or sheet SetText leaves formula cells alone. Formula(col, -1) is the column's.
  void SetFormula(int col, int row, const QString& formula);
  QString Formula(int col, int row) const;
  int GetRefStyle() const;
  void SetRefStyle(int style);
  QString CellTag(int col, int row) const;
  void SetCellTag(int col, int row, const QString& tag);
  QString Tag() const;
  void SetTag(const QString& tag);

  // Cell formats (getters give what is in force for that cell).
  int CellType(int col, int row) const;
  void SetCellType(int col, int row, int type);
  int TypeNumberDecPlaces(int col, int row) const;
  void SetTypeNumberDecPlaces(int col, int row, int places);
  bool TypeNumberShowSep(int col, int row) const;
  void SetTypeNumberShowSep(int col, int row, bool show);
  double TypeNumberMax(int col, int row) const;
  void SetTypeNumberMax(int col, int row, double max);
  double TypeNumberMin(int col, int row) const;
  void SetTypeNumberMin(int col, int row, double min);
  bool TypeNegRed(int col, int row) const;
  void SetTypeNegRed(int col, int row, bool red);
  int TypeHAlign(int col, int row) const;
  void SetTypeHAlign(int col, int row, int align);
  int TypeVAlign(int col, int row) const;
  void SetTypeVAlign(int col, int row, int align);
  // -1 when nothing is set (the row colours or the sheet default apply).
  long BackColor(int col, int row) const;
  void SetBackColor(int col, int row, long color);
  long ForeColor(int col, int row) const;
  void SetForeColor(int col, int row, long color);
  double FontSize(int col, int row) const;
  void SetFontSize(int col, int row, double points);
  bool FontBold(int col, int row) const;
  void SetFontBold(int col, int row, bool bold);
  bool Lock(int col, int row) const;
  void SetLock(int col, int row, bool lock);
  bool Protect() const;
  void SetProtect(bool protect);

  // Colours of the whole grid.
  void SetOddEvenRowColor(long oddBack, long oddFore, long evenBack, long evenFore);
  long OddRowBackColor() const;
  long EvenRowBackColor() const;
  long SelBackColor() const;
  void SetSelBackColor(long color);
  long ShadowColor() const;
  void SetShadowColor(long color);
  long ShadowText() const;
  void SetShadowText(long color);
  long GrayAreaBackColor() const;
  void SetGrayAreaBackColor(long color);

  // Rows and columns. ColWidth is in characters of the default font, RowHeight in points; what
  // is set is read back unchanged. ColWidth(0) is the row-header width, RowHeight(0) the
  // header row's, RowHeight(-1) the default row height.
  double ColWidth(int col) const;
  void SetColWidth(int col, double width);
  double RowHeight(int row) const;
  void SetRowHeight(int row, double height);
  int ColWidthPixels(int col) const;
  int RowHeightPixels(int row) const;
  bool ColHidden(int col) const;
  void SetColHidden(int col, bool hidden);
  bool RowHidden(int row) const;
  void SetRowHidden(int row, bool hidden);
  bool RowHeadersShow() const;
  void SetRowHeadersShow(bool show);
  bool ColHeadersShow() const;
  void SetColHeadersShow(bool show);

  // Inserting and deleting keep MaxRows/MaxCols: rows pushed past the end are dropped, deleted
  // ones come back empty at the end.
  void InsertRows(int row, int count);
  void DeleteRows(int row, int count);
  void InsertCols(int col, int count);
  void DeleteCols(int col, int count);
  // Moves columns first..last (contents, formats, width, hidden state, the spans starting in
  // them) so that they start at dest, overwriting what was there; the vacated columns are left
  // empty.
  void MoveColRange(int first, int last, int dest);
  void AddCellSpan(int col, int row, int numCols, int numRows);
  void RemoveCellSpan(int col, int row);

  // Cursor and search. SetActiveCell(0, 0) leaves no visible current cell.
  void SetActiveCell(int col, int row);
  int ActiveCol() const;
  int ActiveRow() const;
  int TopRow() const;
  void SetTopRow(int row);
  // First hit after colStart (after rowStart) up to colEnd (rowEnd; -1 = last), else -1.
  // The cell's shown text is compared: whole and case-blind unless the flags say otherwise.
  int SearchRow(int row, int colStart, int colEnd, const QString& text, int flags) const;
  int SearchCol(int col, int rowStart, int rowEnd, const QString& text, int flags) const;
  // Stable. Number cells and formula results compare as numbers, and so do texts that read as
  // numbers ("-5", "1,234", "12.5") while DAutoCellTypes is on; other texts compare as texts
  // ("2026-01-02 10:00:00" is one). Ascending puts numbers before texts, descending texts before
  // numbers; empty cells (and formula errors) go last either way.
  void Sort(int col, bool ascending);

  // Behaviour of the whole grid.
  bool ReDraw() const;
  void SetReDraw(bool redraw);
  void Refresh();
  int OperationMode() const;
  void SetOperationMode(int mode);
  int SelectBlockOptions() const;
  void SetSelectBlockOptions(int options);
  // 1: a click on a column header sorts by that column (BeforeUserSort / AfterUserSort).
  int UserColAction() const;
  void SetUserColAction(int action);
  // 1: cut-off cell text shows as a tool tip.
  int TextTip() const;
  void SetTextTip(int tip);
  // Kept for the callers' sake; this grid looks and acts the same whatever they hold.
  int AppearanceStyle() const;
  void SetAppearanceStyle(int style);
  int CursorType() const;
  void SetCursorType(int type);
  int CursorStyle() const;
  void SetCursorStyle(int style);
  int BackColorStyle() const;
  void SetBackColorStyle(int style);
  bool NoBeep() const;
  void SetNoBeep(bool noBeep);
  bool DAutoCellTypes() const;
  void SetDAutoCellTypes(bool on);
  bool EditModePermanent() const;
  void SetEditModePermanent(bool on);
  bool EditModeReplace() const;
  void SetEditModeReplace(bool on);
  // This grid has no built-in action keys of its own; key 0 keeps an action switched off.
  void SetActionKey(int action, bool shift, bool ctrl, int key);

  // For the grid's own tests, printing and export: the model behind the view, the cell area
  // widget and where a cell or a column header is drawn (in that widget's coordinates).
  QAbstractItemModel* Model() const;
  QWidget* CellArea() const;
  // A grid that shows its own scroll bars (the default) or none, scrolling sideways with the
  // leader instead: the sum grid under a report's data grid keeps its columns under the data's.
  void FollowHorizontalScroll(SpreadGrid& leader);
  bool FollowsHorizontalScroll() const;
  QRect CellRect(int col, int row) const;
  QWidget* ColHeaderArea() const;
  QRect ColHeaderRect(int col) const;

 signals:
  // clickType 1 on pressing the right button, 2 on letting it go (the one the menus answer).
  // Column 0 is the row header, row 0 the column header.
  void RightClick(int clickType, int col, int row);
  // keyCode is Qt's key code (the same as the old key codes for letters and digits); shift is
  // a combination of ShiftMask values. The grid still handles the key afterwards.
  // Windows key codes (Enter 13, letters as upper-case ASCII) and 1 Shift, 2 Ctrl, 4 Alt.
  void KeyDown(int keyCode, int shift);
  void DblClick(int col, int row);
  void ColWidthChange(int col1, int col2);
  // The user changed a cell, or a formula cell's value changed.
  void Change(int col, int row);
  void BeforeUserSort(int col);
  void AfterUserSort(int col);

 private:
  struct Impl;
  friend struct Impl;
  friend class SpreadModel;
  friend class SpreadView;
  friend class SpreadHeaderView;
  std::unique_ptr<Impl> d;
};

// Switches ReDraw off for a scope and puts back what it was.
class ReDrawOff {
 public:
  explicit ReDrawOff(SpreadGrid& grid) : m_grid(grid), m_was(grid.ReDraw()) {
    grid.SetReDraw(false);
  }
  ~ReDrawOff() { m_grid.SetReDraw(m_was); }
  ReDrawOff(const ReDrawOff&) = delete;
  ReDrawOff& operator=(const ReDrawOff&) = delete;

 private:
  SpreadGrid& m_grid;
  bool m_was;
};
