#pragma once
// Setup: the margins in inches, the orientation, the preview zoom and the way to the header and
// footer editor. Confirming applies and stores the margins, the orientation and the zoom.

#include "print/PrintSetup.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class FrmSPPrint_PageSetup : public QDialog {
  Q_OBJECT

 public:
  explicit FrmSPPrint_PageSetup(print::Session& session, QWidget* parent = nullptr);

  // Top, bottom, left, right.
  QLineEdit* txtMargin[4] = {nullptr, nullptr, nullptr, nullptr};
  QRadioButton* optLandscape = nullptr;  // 가로
  QRadioButton* optPortrait = nullptr;   // 세로
  QComboBox* cboZoom = nullptr;
  QPushButton* cmdHeaderFooter = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;

  // Applies and stores what the boxes hold.
  void Confirm();

 private:
  print::Session& m_session;
};
