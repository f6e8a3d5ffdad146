#include "print/FrmSPPrint_HeaderFooter.h"

#include "grid/FormNames.h"
#include "grid/SpreadGrid.h"
#include "platform/Prompt.h"

#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

FrmSPPrint_HeaderFooter::FrmSPPrint_HeaderFooter(print::Session& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
  setObjectName(QStringLiteral("FrmSPPrint_HeaderFooter"));
  setWindowTitle(QStringLiteral("Change Header/Footer Attributes"));
  resize(640, 360);

  auto* applyTo = new QGroupBox(QStringLiteral("Apply to"), this);
  auto* applyRow = new QHBoxLayout(applyTo);
  optHeader = new QRadioButton(QStringLiteral("Header Text"), applyTo);
  optFooter = new QRadioButton(QStringLiteral("FooterText"), applyTo);
  applyRow->addWidget(optHeader);
  applyRow->addWidget(optFooter);
  optHeader->setChecked(true);

  spCells = new SpreadGrid(this);
  cmdFont = new QPushButton(QStringLiteral("Font..."), this);
  cmdSave = new QPushButton(this);
  cmdReset = new QPushButton(QStringLiteral("Reset Text"), this);
  cmdClose = new QPushButton(QStringLiteral("닫기"), this);

  connect(optHeader, &QRadioButton::toggled, this, &FrmSPPrint_HeaderFooter::LoadChoice);
  connect(cmdFont, &QPushButton::clicked, this, &FrmSPPrint_HeaderFooter::ChooseFont);
  connect(cmdSave, &QPushButton::clicked, this, &FrmSPPrint_HeaderFooter::SaveConfiguration);
  connect(cmdReset, &QPushButton::clicked, this, &FrmSPPrint_HeaderFooter::ResetText);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(spCells, &SpreadGrid::RightClick, this, [this](int type, int col, int row) {
    if (type == 2 && col >= 1 && row >= 1) TogglePageNumber(row, col);
  });
  connect(spCells, &SpreadGrid::Change, this, [this](int col, int row) {
    if (col >= 1 && col <= 3 && row >= 1 && row <= kRows)
      CellAt(row, col).text = spCells->GetText(col, row);
  });

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {cmdFont, cmdSave, cmdReset, cmdClose}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(applyTo);
  layout->addWidget(spCells, 1);
  layout->addLayout(buttons);
  LoadChoice();
  NameFormControlsOnShow(*this);
}

void FrmSPPrint_HeaderFooter::InitSpread() {
  ReDrawOff redraw(*spCells);
  spCells->SetMaxRows(0);
  spCells->SetMaxCols(3);
  spCells->SetMaxRows(kRows);
  spCells->SetText(1, 0, QStringLiteral("Left"));
  spCells->SetText(2, 0, QStringLiteral("Center"));
  spCells->SetText(3, 0, QStringLiteral("Right"));
  for (int c = 1; c <= 3; ++c) spCells->SetColWidth(c, 24);
  m_cells.assign(kRows, hf::CellRow{});
}

hf::Cell& FrmSPPrint_HeaderFooter::CellAt(int row, int col) {
  return m_cells[size_t(row - 1)][size_t(col - 1)];
}

QString FrmSPPrint_HeaderFooter::GetCellData(int row, int col) const {
  if (row < 1 || row > int(m_cells.size()) || col < 1 || col > 3) return QString();
  return hf::CellCode(m_cells[size_t(row - 1)][size_t(col - 1)], col - 1);
}

void FrmSPPrint_HeaderFooter::AddCellData(int row, int col, const hf::Cell& cell) {
  if (row < 1 || row > kRows || col < 1 || col > 3) return;
  CellAt(row, col) = cell;
  spCells->SetText(col, row, cell.text);
  spCells->SetFontBold(col, row, cell.font.bold);
  spCells->SetFontSize(col, row, cell.font.size);
}

bool FrmSPPrint_HeaderFooter::GetHeaderDetail(const QString& code) {
  InitSpread();
  const hf::ParseResult parsed = hf::Parse(code);
  const std::vector<hf::CellRow> rows = hf::ToCells(parsed.doc);
  for (size_t r = 0; r < rows.size() && r < size_t(kRows); ++r)
    for (int c = 0; c < 3; ++c) AddCellData(int(r) + 1, c + 1, rows[r][size_t(c)]);
  if (!parsed.error.isEmpty()) {
    MsgBox(parsed.error, MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("GetHeaderDetail"));
    return false;
  }
  return true;
}

QString FrmSPPrint_HeaderFooter::SaveConfiguration() {
  // Trailing empty lines are the grid's, not the user's.
  std::vector<hf::CellRow> rows = m_cells;
  while (!rows.empty() && rows.back()[0].text.isEmpty() && rows.back()[1].text.isEmpty() &&
         rows.back()[2].text.isEmpty())
    rows.pop_back();
  const QString code = hf::CellsToCode(rows);
  if (optHeader->isChecked()) {
    m_session.setup.header = code;
  } else {
    m_session.rememberedFooter = code;
    if (m_session.setup.options[print::OptFooter]) m_session.setup.footer = code;
  }
  return code;
}

void FrmSPPrint_HeaderFooter::LoadChoice() {
  cmdSave->setText(optHeader->isChecked() ? QStringLiteral("Save Header Text")
                                          : QStringLiteral("Save Footer Text"));
  GetHeaderDetail(optHeader->isChecked() ? m_session.setup.header : m_session.rememberedFooter);
}

void FrmSPPrint_HeaderFooter::TogglePageNumber(int row, int col) {
  hf::Cell cell = CellAt(row, col);
  if (cell.text == hf::PageNumberLabel()) {
    cell.text.clear();
  } else {
    if (!cell.text.isEmpty() &&
        MsgBox(QStringLiteral("Inserting page numbering in this cell will overwrite your exiting "
                              "text.  Do you want to replace the existing text with page numbers?"),
               MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("Replace Existing Text"),
               MsgResult::No) != MsgResult::Yes)
      return;
    cell.text = hf::PageNumberLabel();
  }
  AddCellData(row, col, cell);
}

void FrmSPPrint_HeaderFooter::ResetText() {
  if (MsgBox(QStringLiteral(
                 "Are you sure you want to clear the text and formatting for the selected header?"),
             MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("Clear Text"),
             MsgResult::No) != MsgResult::Yes)
    return;
  InitSpread();
}

void FrmSPPrint_HeaderFooter::ChooseFont() {
  const int row = spCells->ActiveRow(), col = spCells->ActiveCol();
  if (row < 1 || row > kRows || col < 1 || col > 3) return;
  hf::Cell cell = CellAt(row, col);
  QFont current(cell.font.name);
  current.setPointSizeF(cell.font.size);
  current.setBold(cell.font.bold);
  current.setItalic(cell.font.italic);
  current.setUnderline(cell.font.underline);
  current.setStrikeOut(cell.font.strike);
  QFontDialog dlg(current, this);
  dlg.setObjectName(QStringLiteral("dlgFont"));
  if (ShowModal(dlg) != QDialog::Accepted) return;
  const QFont f = dlg.selectedFont();
  cell.font = {f.family(),   std::round(f.pointSizeF()), f.bold(), f.italic(), f.underline(),
               f.strikeOut()};
  AddCellData(row, col, cell);
}
