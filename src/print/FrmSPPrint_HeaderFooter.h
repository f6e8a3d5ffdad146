#pragma once
// Change Header/Footer Attributes: the header or the footer as a three-column grid (left, centre,
// right part; one row per line) with a font per cell, written back in the code language.

#include "print/HeaderFooterCode.h"
#include "print/PrintSetup.h"

#include <QDialog>

#include <vector>

class QPushButton;
class QRadioButton;
class SpreadGrid;

class FrmSPPrint_HeaderFooter : public QDialog {
  Q_OBJECT

 public:
  explicit FrmSPPrint_HeaderFooter(print::Session& session, QWidget* parent = nullptr);

  // Empties the grid to kRows lines of three parts.
  void InitSpread();
  // One cell (row from 1, col 1 to 3) as code text.
  QString GetCellData(int row, int col) const;
  // Parses code text into the cells; false (after the message) on a font it cannot read.
  bool GetHeaderDetail(const QString& code);
  void AddCellData(int row, int col, const hf::Cell& cell);
  // Builds the code text of the cells and gives it to the header or the footer.
  QString SaveConfiguration();
  // Right click: page numbering in or out of a cell.
  void TogglePageNumber(int row, int col);
  void ResetText();
  void ChooseFont();

  QRadioButton* optHeader = nullptr;  // Header Text
  QRadioButton* optFooter = nullptr;  // FooterText
  SpreadGrid* spCells = nullptr;
  QPushButton* cmdFont = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdReset = nullptr;
  QPushButton* cmdClose = nullptr;

  static constexpr int kRows = 8;

 private:
  void LoadChoice();
  hf::Cell& CellAt(int row, int col);

  print::Session& m_session;
  std::vector<hf::CellRow> m_cells;
};
