#pragma once
// 스프레드 인쇄 미리보기: the pages as they will print, with Next / Previous, the zoom list, Print
// (the print dialog), Setup (the page setup) and Close, and "Page n of m".

#include "print/PrintSetup.h"

#include <QDialog>
#include <QPrinter>

class QAction;
class QLabel;
class QPrintPreviewWidget;
class QToolBar;

class FrmSPPrint_Preview : public QDialog {
  Q_OBJECT

 public:
  FrmSPPrint_Preview(print::Session& session, const QString& docName, QWidget* parent = nullptr);

  void SetupToolbar();
  void UpdatePageCount();
  // "Next" or "Previous".
  void DisableButton(const QString& which);
  void EnableButton(const QString& which);
  // An index of the zoom list.
  void ApplyZoom(int index);
  // Lays the pages out again after the setup changed.
  void Refresh();

  void NextPage();
  void PreviousPage();
  void OpenPrint();
  void OpenSetup();

  QPrintPreviewWidget* Pane() const { return m_pane; }
  QToolBar* Toolbar() const { return m_toolbar; }
  QLabel* lblPage = nullptr;
  QAction* actNext = nullptr;
  QAction* actPrevious = nullptr;
  QAction* actZoom = nullptr;
  QAction* actPrint = nullptr;
  QAction* actSetup = nullptr;
  QAction* actClose = nullptr;

 private:
  QAction* Button(const QString& which) const;

  print::Session& m_session;
  QString m_docName;
  QPrinter m_printer;
  QPrintPreviewWidget* m_pane = nullptr;
  QToolBar* m_toolbar = nullptr;
};
