#pragma once
// What the report windows share: a top panel with the period and buttons placed from the right,
// the data grid and, for most, the one-row sum grid under it fed from hidden sum columns; F5
// runs the query, and the resize rules keep the grids stretched to the window.

#include <QDialog>

#include <initializer_list>
#include <map>
#include <vector>

class HCTerm;
class QLabel;
class QPushButton;
class ReadBusyPanel;
class SpreadGrid;

class ReportWindow : public QDialog {
  Q_OBJECT

 public:
  QWidget* pnlTop[2] = {nullptr, nullptr};  // the button bar and the grid panel
  HCTerm* htDate = nullptr;                 // null in the windows without a period
  SpreadGrid* spList = nullptr;
  SpreadGrid* spSum = nullptr;  // null in the windows without a sum grid
  QPushButton* btnQuery = nullptr;
  QPushButton* btnClose = nullptr;
  // Shown over the grid while a read runs past half a second; Esc stops it too.
  ReadBusyPanel* pnlBusy = nullptr;
  QPushButton* btnStop = nullptr;

  // Runs the window's statement and fills its grid.
  virtual void Query() = 0;
  // What every trigger of a query runs (F5, the query button, the filters): a period the date
  // boxes refuse runs nothing (the date message is shown); otherwise the totals go with the
  // rows they belonged to, and the query runs.
  void RunQuery();
  // Ends the running read on the server; the window stays as it was before the query.
  void StopQuery();
  bool Reading() const;

 protected:
  // Size in twips; the window opens at (0, 0).
  ReportWindow(const QString& name, const QString& caption, int widthTwips, int heightTwips,
               bool withSumGrid, QWidget* parent, bool withPeriod = true);

  // A label and a control in the top panel, from the left, at x pixels, on line 0 (beside the
  // buttons) or line 1 (under them, where the period goes). width 0 takes the control's own.
  QLabel* AddCaption(const QString& text, int x, int width, int line = 0);
  void PlaceInTop(QWidget* control, int x, int width, int line = 0);
  // The period with its caption on the second line.
  void PlacePeriod();
  // Starting widths of the data columns from column 1, before any saved layout.
  void SetColumnWidths(std::initializer_list<double> widths);
  // A button of the top panel; position 1 is the rightmost.
  QPushButton* AddButton(const char* name, const QString& caption, int position);

  // The sum grid's number columns and label; run after the data grid's columns are set.
  void SetupSum(int labelCol, std::vector<int> numberCols);
  // Row 1 of each hidden sum column of the data grid shows in this column of the sum grid.
  void MapSumColumns(std::map<int, int> hiddenToSum) { m_sumMap = std::move(hiddenToSum); }
  // Puts a SUM over each mapped source column into its hidden sum column.
  void SetSumFormulas(const std::vector<std::pair<int, int>>& sourceToHidden);
  // Empties the sum grid's totals; emptying the data grid leaves them standing.
  void ClearSum();
  // The rows are about to be replaced by what a query read: the grid and its totals go.
  void ReplaceRows();

  // The floating notice of an empty result, only while the window is on screen.
  void NoResultNotice();

  void resizeEvent(QResizeEvent* event) override;
  // Opened for the first time, the window comes up over its owner, not at the screen's corner.
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Closing while a read runs stops the read instead.
  void reject() override;

 private:
  void CopyTotal(int col, int row);

  std::vector<std::pair<QPushButton*, int>> m_buttons;
  std::map<int, int> m_sumMap;
  int m_sumLabelCol = 0;
  bool m_placed = false;
};
