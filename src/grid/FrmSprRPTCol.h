#pragma once
// Which columns of a grid go into printed reports: a check list of the grid's visible columns,
// kept in the window's layout file under "<grid>_RPTCOL". The choices are only stored here.

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class SpreadGrid;

class FrmSprRPTCol : public QDialog {
  Q_OBJECT

 public:
  explicit FrmSprRPTCol(QWidget* parent = nullptr);

  QListWidget* List1 = nullptr;  // item data: the column number
  QCheckBox* chkAll = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdClose = nullptr;
  QLabel* Label1 = nullptr;

  // Lists the grid's visible columns by their header text, ticked as the window's file says
  // (every one when there is no file). Call before showing the dialog.
  void SetParam(QWidget& form, SpreadGrid& grid);
  bool Changed() const { return m_changed; }

  // Closing with unsaved ticks asks first; No keeps the dialog open.
  void done(int result) override;

 private:
  void cmdSave_Click();

  QString m_file;
  QString m_section;
  bool m_changed = false;
};
