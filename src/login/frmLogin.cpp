#include "login/frmLogin.h"

#include "db/modMySQL_Func.h"
#include "grid/FormNames.h"
#include "login/RememberedPassword.h"
#include "login/StaffPassword.h"
#include "login/modCorvaneDBConsts.h"
#include "platform/AppState.h"
#include "platform/Process.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

QString Setting(const char* key, const QString& def) {
  return settings::GetSetting(AppTitle(), QStringLiteral("Config"), QLatin1String(key), def);
}
void SaveConfig(const char* key, const QString& value) {
  settings::SaveSetting(AppTitle(), QStringLiteral("Config"), QLatin1String(key), value);
}

}  // namespace

frmLogin::frmLogin(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmLogin"));
  setWindowTitle(QStringLiteral("로그인"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* lblUserName = new QLabel(QStringLiteral("아이디(&U):"), this);
  auto* lblPassword = new QLabel(QStringLiteral("암호(&P):"), this);
  txtUserName = new QLineEdit(this);
  txtUserName->setObjectName(QStringLiteral("txtUserName"));
  txtPassword = new QLineEdit(this);
  txtPassword->setObjectName(QStringLiteral("txtPassword"));
  txtPassword->setEchoMode(QLineEdit::Password);
  lblUserName->setBuddy(txtUserName);
  lblPassword->setBuddy(txtPassword);
  chkpwdSave = new QCheckBox(QStringLiteral("저장"), this);
  chkpwdSave->setObjectName(QStringLiteral("chkpwdSave"));
  cmdOK = new QPushButton(QStringLiteral("확인"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setDefault(true);
  cmdCancel = new QPushButton(QStringLiteral("취소"), this);
  cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

  auto* grid = new QGridLayout;
  grid->addWidget(lblUserName, 0, 0);
  grid->addWidget(txtUserName, 0, 1, 1, 2);
  grid->addWidget(lblPassword, 1, 0);
  grid->addWidget(txtPassword, 1, 1);
  grid->addWidget(chkpwdSave, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  setFixedWidth(320);
  NameFormControlsOnShow(*this);

  chkpwdSave->setChecked(Setting("issave_passwd", QStringLiteral("0")).toInt() != 0);
  m_firstActivation = true;
  LoginSucceeded = false;

  connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
  connect(chkpwdSave, &QCheckBox::clicked, this, &frmLogin::chkpwdSave_Click);
  connect(txtPassword, &QLineEdit::textEdited, this, [this] {
    m_passwordEdited = true;
    ShowRemembered({});  // what is typed replaces a remembered digest
  });
  txtPassword->installEventFilter(this);
}

void frmLogin::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Once the dialog is on screen and its event loop runs, as the old activation did.
  if (m_firstActivation) QTimer::singleShot(0, this, &frmLogin::Form_Activate);
}

void frmLogin::Form_Activate() {
  if (!m_firstActivation) return;
  m_firstActivation = false;
  const QString id = GetAllowMyPC();
  if (id.isEmpty()) {
    MsgInfo(QStringLiteral("허용되지 않은 컴퓨터입니다. 관리자에게 문의바랍니다."));
    LoginSucceeded = false;
    hide();
    process::EndProcess(0);
    return;
  }
  txtUserName->setText(id);
  txtUserName->setEnabled(false);
  const RememberedPassword kept = remembered::Load(chkpwdSave->isChecked());
  if (!kept.password.isEmpty()) txtPassword->setText(kept.password);
  ShowRemembered(kept.digest);
  txtPassword->setFocus();
  if (!txtUserName->text().isEmpty() &&
      (!txtPassword->text().isEmpty() || !m_rememberedDigest.isEmpty()))
    cmdOK_Click();
}

// Without a secret store only the digest is remembered: the box stays empty and says so.
void frmLogin::ShowRemembered(const QByteArray& digest) {
  m_rememberedDigest = digest;
  txtPassword->setPlaceholderText(digest.isEmpty() ? QString() : QStringLiteral("저장된 암호"));
}

void frmLogin::cmdOK_Click() {
  AppState& app = App();
  DBInit_MYSQL(app.inHouseDbHost, QLatin1String(kInHouseUser), QLatin1String(kInHousePassword),
               QLatin1String(kInHouseDatabase), false, app.inHouseDbPort);
  // The password is compared here, by its digest, so that neither it nor anything derived from
  // it is sent to the server.
  const QString sql = QStringLiteral("SELECT `name`,`level`, jangbu_user, now(), `password2`") +
                      QStringLiteral(" FROM `user`") + QStringLiteral(" WHERE `id` = '") +
                      DBEscape(txtUserName->text()) + QStringLiteral("'") +
                      QStringLiteral(" AND `hidden` <> 1") + QStringLiteral(" AND sale_user = 1");
  const QByteArray digest =
      m_rememberedDigest.isEmpty() ? staffpw::Digest(txtPassword->text()) : m_rememberedDigest;
  RecordsetPtr rs;
  if (DBOpenRecordset_MYSQL(rs, sql) < 1 ||
      !staffpw::Matches(rs->Fields(QStringLiteral("password2")), digest)) {
    MsgBox(
        QStringLiteral("개발자 및 퇴사자는 로그인 할 수 없습니다.\n\n혹은 암호가 잘못되었습니다. "
                       "다시 시도하십시오"),
        MsgButtons::Ok, MsgIcon::None, QStringLiteral("로그인"));
    txtPassword->setFocus();
    txtPassword->selectAll();
    DBCloseRecordset(rs);
    DBClose_MYSQL();
    return;
  }

  LoggedInStaff& staff = app.staff;
  staff.userId = DBEscape(txtUserName->text());
  staff.userName = rs->Fields(QStringLiteral("name"));
  staff.level = static_cast<std::int16_t>(rs->Fields(QStringLiteral("level")).toInt());
  staff.loginTime = rs->Fields(3);

  // The server's clock decides; "HH:MM" compared as text, both ends allowed.
  const QString hhmm = staff.loginTime.mid(11, 5);
  if ((hhmm < QLatin1String("08:00") || hhmm > QLatin1String("19:00")) && staff.level != 0) {
    MsgInfo(QStringLiteral("허용된 작성시간은 08:00 ~ 19:00입니다.\n"));
    DBCloseRecordset(rs);
    return;
  }

  DBCloseRecordset(rs);
  LoginSucceeded = true;
  hide();
  DBClose_MYSQL();
}

void frmLogin::cmdCancel_Click() {
  LoginSucceeded = false;
  hide();
  process::EndProcess(0);
}

// Esc and the window's close box are the same as Cancel.
void frmLogin::reject() { cmdCancel_Click(); }

void frmLogin::chkpwdSave_Click() {
  if (!isVisible()) return;
  const bool checked = chkpwdSave->isChecked();
  SaveConfig("issave_passwd", checked ? QStringLiteral("1") : QStringLiteral("0"));
  if (!checked) {
    remembered::Forget();
    ShowRemembered({});
  } else if (m_rememberedDigest.isEmpty()) {
    remembered::Save(txtPassword->text());
  }
}

bool frmLogin::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtPassword) {
    if (event->type() == QEvent::FocusIn) {
      m_passwordEdited = false;
    } else if (event->type() == QEvent::FocusOut) {
      if (chkpwdSave->isChecked() && m_passwordEdited) remembered::Save(txtPassword->text());
    }
  }
  return QDialog::eventFilter(watched, event);
}
