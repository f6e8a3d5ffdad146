#pragma once
// The find dialog of the list grids (caption "찾기"): searches row by row or column by column
// from after the active cell, wraps around, skips hidden columns and makes the hit the active
// cell. The grid, its column range and the last text, direction and whole-match setting are
// kept for as long as the program runs.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class SpreadGrid;

class FrmFindInSpread : public QDialog {
  Q_OBJECT

 public:
  // Directions, the items of cboFindDir.
  enum Direction { ByRow = 0, ByColumn = 1 };

  // Must be called before the dialog is shown. -1 means the first column (colStart) or the
  // grid's MaxCols (colEnd).
  static void SetFormInit(SpreadGrid& grid, int colStart = -1, int colEnd = -1);

  // Shows the values remembered from the last opening of this run.
  explicit FrmFindInSpread(QWidget* parent = nullptr);

  // "다음 찾기(&N)": moves the active cell to the next hit, or tells that there is none.
  bool FindNext();

 protected:
  // However the dialog closes, the three values are remembered.
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* txtFindWd = nullptr;
  QComboBox* cboFindDir = nullptr;
  QCheckBox* chkSameAll = nullptr;
  QPushButton* cmdFind = nullptr;
  QPushButton* cmdClose = nullptr;
};

// What Ctrl+F calls: remembers the grid and columns, then shows the dialog modally (through the
// prompt seam). -1 as above.
void ShowFindInSpread(QWidget* owner, SpreadGrid& grid, int colStart = -1, int colEnd = -1);
