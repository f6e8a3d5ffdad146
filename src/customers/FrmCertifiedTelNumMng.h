#pragma once
// Sender-number pre-registration: the numbers one customer may send from, checked against the
// numbering rules, at most ten, deleted numbers kept in an archive.

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SpreadGrid;

class FrmCertifiedTelNumMng : public QDialog {
  Q_OBJECT

 public:
  explicit FrmCertifiedTelNumMng(QWidget* parent = nullptr);

  QLabel* lblCompName = nullptr;
  QLabel* lblID = nullptr;
  QLineEdit* txtTelNum = nullptr;
  QPushButton* btnAddNew = nullptr;
  QPushButton* btnDel = nullptr;
  QPushButton* btnClose = nullptr;
  std::array<QRadioButton*, 2> Option1{};
  SpreadGrid* spList = nullptr;
  SpreadGrid* spDelList = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Told: the outcome was not a plain yes or no, and the staff member has been told about it.
  enum class Deleted { Yes, No, Told };
  Deleted DeleteWithArchive(const QString& code, const QString& created, const QString& creator);
  void Form_Activate();
  void LoadList();
  void LoadDelList();
  void Option1_Click(int index);
  void btnAddNew_Click();
  void btnDel_Click();

  bool m_listsLoaded = false;
};
