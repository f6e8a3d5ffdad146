#include "print/FrmSPPrint_PrintDlg.h"

#include "grid/FormNames.h"
#include "grid/SpreadGrid.h"
#include "platform/Prompt.h"
#include "print/FrmSPPrint_PageSetup.h"
#include "print/PrintSpooler.h"
#include "print/SheetPrinter.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

FrmSPPrint_PrintDlg::FrmSPPrint_PrintDlg(print::Session& session, const QString& docName,
                                         int pageCount, QWidget* parent)
    : QDialog(parent), m_session(session), m_docName(docName) {
  setObjectName(QStringLiteral("FrmSPPrint_PrintDlg"));
  setWindowTitle(QStringLiteral("Print"));

  auto* options = new QGroupBox(this);
  auto* grid = new QGridLayout(options);
  for (int i = 0; i < print::OptionCount; ++i) {
    Check1[i] = new QCheckBox(print::OptionCaption(i), options);
    Check1[i]->setChecked(session.setup.options[size_t(i)]);
    grid->addWidget(Check1[i], i / 3, i % 3);
    connect(Check1[i], &QCheckBox::toggled, this, [this, i](bool on) {
      print::SetOption(m_session, i, on);
      print::StoreOption(m_session, i);
    });
  }
  Check1[print::OptFitToPage]->setEnabled(session.fitAllowed);

  auto* copiesRow = new QHBoxLayout;
  copiesRow->addWidget(new QLabel(QStringLiteral("인쇄 매수"), this));
  txtCopies = new QLineEdit(QString::number(print::LoadCopies(session)), this);
  copiesRow->addWidget(txtCopies);
  connect(txtCopies, &QLineEdit::textEdited, this, [this](const QString& text) {
    bool ok = false;
    text.toInt(&ok);
    if (!ok) txtCopies->setText(QStringLiteral("1"));
    print::StoreCopies(m_session, txtCopies->text());
  });

  auto* range = new QGroupBox(QStringLiteral("인쇄 범위"), this);
  auto* rangeRows = new QGridLayout(range);
  optAll = new QRadioButton(QStringLiteral("전체"), range);
  optSelection = new QRadioButton(QStringLiteral("선택된 셀들"), range);
  optCurrent = new QRadioButton(QStringLiteral("현재 페이지"), range);
  optPages = new QRadioButton(QStringLiteral("Pages"), range);
  spnFrom = new QSpinBox(range);
  spnTo = new QSpinBox(range);
  for (QSpinBox* spin : {spnFrom, spnTo}) spin->setRange(1, std::max(1, pageCount));
  spnTo->setValue(std::max(1, pageCount));
  spnFrom->setAccessibleName(QStringLiteral("시작 페이지"));
  spnTo->setAccessibleName(QStringLiteral("끝 페이지"));
  optAll->setChecked(true);
  rangeRows->addWidget(optAll, 0, 0);
  rangeRows->addWidget(optSelection, 0, 1);
  rangeRows->addWidget(optCurrent, 0, 2);
  rangeRows->addWidget(optPages, 1, 0);
  rangeRows->addWidget(spnFrom, 1, 1);
  rangeRows->addWidget(spnTo, 1, 2);

  cmdPrint = new QPushButton(QStringLiteral("인쇄"), this);
  cmdPrinter = new QPushButton(QStringLiteral("프린터 설정"), this);
  cmdPdf = new QPushButton(QStringLiteral("PDF로 저장"), this);
  cmdSetup = new QPushButton(QStringLiteral("세부설정"), this);
  cmdClose = new QPushButton(QStringLiteral("닫기"), this);
  cmdPrint->setDefault(true);
  connect(cmdPrint, &QPushButton::clicked, this, [this] {
    PrintSpread();
    accept();
  });
  connect(cmdPrinter, &QPushButton::clicked, this, &FrmSPPrint_PrintDlg::PrinterSetup);
  connect(cmdPdf, &QPushButton::clicked, this, &FrmSPPrint_PrintDlg::AskPdf);
  connect(cmdSetup, &QPushButton::clicked, this, [this] {
    FrmSPPrint_PageSetup setup(m_session, this);
    ShowModal(setup);
  });
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {cmdPrint, cmdPrinter, cmdPdf, cmdSetup, cmdClose}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(options);
  layout->addLayout(copiesRow);
  layout->addWidget(range);
  layout->addLayout(buttons);
  NameFormControlsOnShow(*this);
}

int FrmSPPrint_PrintDlg::Copies() const {
  bool ok = false;
  const int n = txtCopies->text().toInt(&ok);
  return ok && n > 0 ? n : 1;
}

void FrmSPPrint_PrintDlg::ChooseRange() {
  print::PageSetup& p = m_session.setup;
  p.range = optSelection->isChecked() ? print::Range::Selection
            : optCurrent->isChecked() ? print::Range::CurrentPage
            : optPages->isChecked()   ? print::Range::Pages
                                      : print::Range::All;
  p.fromPage = p.range == print::Range::CurrentPage ? m_session.currentPage : spnFrom->value();
  p.toPage = p.range == print::Range::CurrentPage ? m_session.currentPage : spnTo->value();
  // The grid tells only its current cell, so that is the block.
  const SpreadGrid& grid = *m_session.grid;
  p.block = QRect(grid.ActiveCol(), grid.ActiveRow(), 1, 1);
}

int FrmSPPrint_PrintDlg::PrintSpread() {
  ChooseRange();
  const print::PageSetup& p = m_session.setup;
  const bool pages = p.range == print::Range::Pages || p.range == print::Range::CurrentPage;
  const int from = pages ? p.fromPage : 1, to = pages ? p.toPage : -1;
  print::SheetPrinter sheet(*m_session.grid, p);
  const bool workstation = print::UseWorkstationPrinter();
  QString previous;
  if (workstation)
    previous =
        print::SetPrinterByName(print::WorkstationPrinter(m_session, print::CurrentPrinter()));
  int sent = 0;
  for (int copy = 0; copy < Copies(); ++copy)
    if (print::Spool().Send(sheet, print::CurrentPrinter(), m_docName, from, to)) ++sent;
  if (workstation) print::SetPrinterByName(previous);
  m_session.setup.range = print::Range::All;
  return sent;
}

bool FrmSPPrint_PrintDlg::SaveAsPdf(const QString& file) {
  ChooseRange();
  const print::PageSetup& p = m_session.setup;
  const bool pages = p.range == print::Range::Pages || p.range == print::Range::CurrentPage;
  print::SheetPrinter sheet(*m_session.grid, p);
  const bool ok =
      print::SavePdf(sheet, file, m_docName, pages ? p.fromPage : 1, pages ? p.toPage : -1);
  m_session.setup.range = print::Range::All;
  return ok;
}

void FrmSPPrint_PrintDlg::AskPdf() {
  QFileDialog dlg(this, QStringLiteral("PDF로 저장"), QString(), QStringLiteral("PDF (*.pdf)"));
  dlg.setObjectName(QStringLiteral("dlgPdf"));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setDefaultSuffix(QStringLiteral("pdf"));
  if (ShowModal(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  if (!SaveAsPdf(dlg.selectedFiles().constFirst()))
    MsgBox(QStringLiteral("PDF 파일을 저장하지 못했습니다."), MsgButtons::Ok, MsgIcon::Exclamation);
}

void FrmSPPrint_PrintDlg::PrinterSetup() {
  const bool workstation = print::UseWorkstationPrinter();
  const QString before = workstation ? print::WorkstationPrinter(m_session, print::CurrentPrinter())
                                     : print::CurrentPrinter();
  QPrinter printer(QPrinterInfo::printerInfo(before));
  QPrintDialog dlg(&printer, this);
  dlg.setObjectName(QStringLiteral("dlgPrinter"));
  if (ShowModal(dlg) != QDialog::Accepted) return;
  const QString chosen = printer.printerName();
  if (chosen.isEmpty() || chosen == before) return;
  if (workstation) print::StoreWorkstationPrinter(m_session, chosen);
  print::SetPrinterByName(chosen);
}
