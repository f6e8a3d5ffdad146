#pragma once
// Print: the nine print options (each stored the moment it is ticked), the copies, the print
// range, the workstation printer, and saving as PDF.

#include "print/PrintSetup.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

class FrmSPPrint_PrintDlg : public QDialog {
  Q_OBJECT

 public:
  FrmSPPrint_PrintDlg(print::Session& session, const QString& docName, int pageCount,
                      QWidget* parent = nullptr);

  // Prints with the dialog's choices: one job per copy. Returns the jobs sent.
  int PrintSpread();
  // Writes the chosen range to a PDF file.
  bool SaveAsPdf(const QString& file);

  QCheckBox* Check1[print::OptionCount] = {};
  QLineEdit* txtCopies = nullptr;
  QRadioButton* optAll = nullptr;        // 전체
  QRadioButton* optSelection = nullptr;  // 선택된 셀들
  QRadioButton* optCurrent = nullptr;    // 현재 페이지
  QRadioButton* optPages = nullptr;      // Pages
  QSpinBox* spnFrom = nullptr;
  QSpinBox* spnTo = nullptr;
  QPushButton* cmdPrint = nullptr;    // 인쇄
  QPushButton* cmdPrinter = nullptr;  // 프린터 설정
  QPushButton* cmdPdf = nullptr;      // PDF로 저장
  QPushButton* cmdSetup = nullptr;    // 세부설정
  QPushButton* cmdClose = nullptr;    // 닫기

 private:
  void ChooseRange();
  void PrinterSetup();
  void AskPdf();
  int Copies() const;

  print::Session& m_session;
  QString m_docName;
};
