#include "print/FrmSPPrint_Preview.h"

#include "grid/FormNames.h"
#include "platform/Prompt.h"
#include "print/FrmSPPrint_PageSetup.h"
#include "print/FrmSPPrint_PrintDlg.h"
#include "print/SheetPrinter.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPrintPreviewWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

FrmSPPrint_Preview::FrmSPPrint_Preview(print::Session& session, const QString& docName,
                                       QWidget* parent)
    : QDialog(parent), m_session(session), m_docName(docName) {
  setObjectName(QStringLiteral("FrmSPPrint_Preview"));
  setWindowTitle(QStringLiteral("스프레드 인쇄 미리보기"));
  resize(900, 1000);
  m_printer.setDocName(docName);
  m_printer.setPageLayout(print::SheetPrinter(*session.grid, session.setup).Layout());
  m_pane = new QPrintPreviewWidget(&m_printer, this);
  connect(m_pane, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
    print::SheetPrinter sheet(*m_session.grid, m_session.setup);
    sheet.Print(*printer);
  });
  connect(m_pane, &QPrintPreviewWidget::previewChanged, this, &FrmSPPrint_Preview::UpdatePageCount);
  SetupToolbar();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_toolbar);
  layout->addWidget(m_pane, 1);
  ApplyZoom(session.setup.zoom);
  m_pane->updatePreview();
  UpdatePageCount();
  NameFormControlsOnShow(*this);
}

void FrmSPPrint_Preview::SetupToolbar() {
  m_toolbar = new QToolBar(this);
  m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  actNext = m_toolbar->addAction(QStringLiteral("Next"), this, &FrmSPPrint_Preview::NextPage);
  actPrevious =
      m_toolbar->addAction(QStringLiteral("Previous"), this, &FrmSPPrint_Preview::PreviousPage);
  auto* zoomMenu = new QMenu(this);
  const QStringList entries = print::ZoomEntries();
  for (int i = 0; i < entries.size(); ++i)
    zoomMenu->addAction(entries[i], this, [this, i] { ApplyZoom(i); });
  actZoom = m_toolbar->addAction(QStringLiteral("Zoom"));
  actZoom->setMenu(zoomMenu);
  if (auto* b = qobject_cast<QToolButton*>(m_toolbar->widgetForAction(actZoom)))
    b->setPopupMode(QToolButton::InstantPopup);
  actPrint = m_toolbar->addAction(QStringLiteral("Print"), this, &FrmSPPrint_Preview::OpenPrint);
  actSetup = m_toolbar->addAction(QStringLiteral("Setup"), this, &FrmSPPrint_Preview::OpenSetup);
  actClose = m_toolbar->addAction(QStringLiteral("Close"), this, &QDialog::reject);
  m_toolbar->addSeparator();
  lblPage = new QLabel(m_toolbar);
  lblPage->setObjectName(QStringLiteral("lblPage"));
  m_toolbar->addWidget(lblPage);
  // The button that shows the actions a narrow window cuts off has neither caption nor tip.
  for (QToolButton* b : m_toolbar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
    if (b->text().isEmpty()) b->setAccessibleName(QStringLiteral("더 보기"));
}

void FrmSPPrint_Preview::UpdatePageCount() {
  const int count = m_pane->pageCount();
  const int page = std::clamp(m_pane->currentPage(), count > 0 ? 1 : 0, count);
  m_session.currentPage = std::max(1, page);
  lblPage->setText(QStringLiteral("Page ") + QString::number(page) + QStringLiteral(" of ") +
                   QString::number(count));
  if (page <= 1)
    DisableButton(QStringLiteral("Previous"));
  else
    EnableButton(QStringLiteral("Previous"));
  if (page >= count)
    DisableButton(QStringLiteral("Next"));
  else
    EnableButton(QStringLiteral("Next"));
}

QAction* FrmSPPrint_Preview::Button(const QString& which) const {
  if (which == QLatin1String("Next")) return actNext;
  if (which == QLatin1String("Previous")) return actPrevious;
  return nullptr;
}

void FrmSPPrint_Preview::DisableButton(const QString& which) {
  if (QAction* a = Button(which)) a->setEnabled(false);
}

void FrmSPPrint_Preview::EnableButton(const QString& which) {
  if (QAction* a = Button(which)) a->setEnabled(true);
}

void FrmSPPrint_Preview::ApplyZoom(int index) {
  static const double kFactors[] = {2.0, 1.5, 1.0, 0.75, 0.5, 0.25, 0.1};
  if (index >= 0 && index <= 6) {
    m_pane->setViewMode(QPrintPreviewWidget::SinglePageView);
    m_pane->setZoomFactor(kFactors[index]);
  } else if (index == 7) {
    m_pane->setViewMode(QPrintPreviewWidget::SinglePageView);
    m_pane->fitToWidth();
  } else if (index == 10) {
    m_pane->setViewMode(QPrintPreviewWidget::FacingPagesView);
    m_pane->fitInView();
  } else if (index >= 11) {
    // The pane lays several pages out only all at once.
    m_pane->setViewMode(QPrintPreviewWidget::AllPagesView);
  } else {
    // Page Height and Whole Page: one whole page in the window.
    m_pane->setViewMode(QPrintPreviewWidget::SinglePageView);
    m_pane->fitInView();
  }
  UpdatePageCount();
}

void FrmSPPrint_Preview::Refresh() {
  m_printer.setPageLayout(print::SheetPrinter(*m_session.grid, m_session.setup).Layout());
  m_pane->updatePreview();
  UpdatePageCount();
}

void FrmSPPrint_Preview::NextPage() {
  m_pane->setCurrentPage(m_pane->currentPage() + 1);
  UpdatePageCount();
}

void FrmSPPrint_Preview::PreviousPage() {
  m_pane->setCurrentPage(m_pane->currentPage() - 1);
  UpdatePageCount();
}

void FrmSPPrint_Preview::OpenPrint() {
  FrmSPPrint_PrintDlg dlg(m_session, m_docName, m_pane->pageCount(), this);
  ShowModal(dlg);
  Refresh();
}

void FrmSPPrint_Preview::OpenSetup() {
  FrmSPPrint_PageSetup dlg(m_session, this);
  if (ShowModal(dlg) == QDialog::Accepted) ApplyZoom(m_session.setup.zoom);
  Refresh();
}
