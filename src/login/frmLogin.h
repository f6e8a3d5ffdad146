#pragma once
// The staff login: the workstation decides who may sign in, the database checks the password,
// the server's clock the office hours.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmLogin : public QDialog {
  Q_OBJECT

 public:
  explicit frmLogin(QWidget* parent = nullptr);

  // Read by start-up once the dialog has closed.
  bool LoginSucceeded = false;

  QLineEdit* txtUserName = nullptr;
  QLineEdit* txtPassword = nullptr;
  QCheckBox* chkpwdSave = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  void Form_Activate();
  void cmdOK_Click();
  void cmdCancel_Click();
  void chkpwdSave_Click();
  void ShowRemembered(const QByteArray& digest);

  bool m_firstActivation = true;
  bool m_passwordEdited = false;
  QByteArray m_rememberedDigest;  // used while the box is empty and untouched
};
