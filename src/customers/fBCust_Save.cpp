#include "customers/fBCust_Save.h"

#include "controls/HCText.h"
#include "controls/LabelPanel.h"
#include "customers/CustomerListOwner.h"
#include "customers/modCustomer.h"
#include "db/modMySQL_Func.h"
#include "platform/AppState.h"
#include "platform/Hoverlet.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace {
constexpr const char* kInitialPassword = "4826";
constexpr const char* kLegacyPassword = "zhpkw--374";
const QString kNothingSaved = QStringLiteral("수정된 내용이 없거나, 자료저장을 실패하였습니다.");

}  // namespace

fBCust_Save::fBCust_Save(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fBCust_Save"));
  setWindowTitle(QStringLiteral("고객등록"));

  struct FieldSpec {
    int index;
    const char* caption;
    int maxLength;
    int kind;
  };
  const FieldSpec specs[] = {{0, "*상 호 명", 30, HCText::kFreeText},
                             {1, "*   ID   ", 15, HCText::kFreeText},
                             {3, " 비    고", 200, HCText::kFreeText},
                             {4, " 전화번호", 30, HCText::kTelNo}};
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(2);
  int row = 0;
  for (const FieldSpec& f : specs) {
    auto* label = new LabelPanel(QString::fromUtf8(f.caption), this);
    label->setFixedWidth(90);
    auto* field = new HCText(this);
    field->setObjectName(QStringLiteral("htField%1").arg(f.index));
    field->SetAcceptType(f.kind);
    field->SetMaxLength(f.maxLength);
    htField[static_cast<std::size_t>(f.index)] = field;
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    ++row;
  }
  htField[1]->SetIMEMode(8);  // IDs are typed in English

  btnSave = new QPushButton(QStringLiteral("저장 F2"), this);
  btnSave->setObjectName(QStringLiteral("btnSave"));
  btnClose = new QPushButton(QStringLiteral("닫기(&C)"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnResetPasswd = new QPushButton(QStringLiteral("비밀번호 초기화"), this);
  btnResetPasswd->setObjectName(QStringLiteral("btnResetPasswd"));
  btnResetPasswd->setVisible(false);
  chkCun = new QCheckBox(QStringLiteral("계속 등록하기(&N)"), this);
  chkCun->setObjectName(QStringLiteral("chkCun"));
  auto* passwordNote = new QLabel(QStringLiteral(" 신규등록시 비밀번호: 4826"), this);
  auto* lblInfo = new QLabel(QStringLiteral(" *는 필수입력"), this);
  lblInfo->setObjectName(QStringLiteral("lblInfo"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(chkCun);
  buttons->addStretch();
  buttons->addWidget(btnResetPasswd);
  buttons->addWidget(btnSave);
  buttons->addWidget(btnClose);
  auto* notes = new QHBoxLayout;
  notes->addWidget(passwordNote);
  notes->addStretch();
  notes->addWidget(lblInfo);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(notes);
  layout->addLayout(buttons);
  resize(460, sizeHint().height());

  DecorateForm(this, true);
  m_mode = 1;
  ClearFields();
  chkCun->setChecked(settings::GetSetting(AppTitle(), QStringLiteral("Config"), ChkCunKey(),
                                          QStringLiteral("1")) != QLatin1String("0"));
  chkCun->setVisible(false);

  connect(chkCun, &QCheckBox::clicked, this, [this](bool checked) {
    settings::SaveSetting(AppTitle(), QStringLiteral("Config"), ChkCunKey(),
                          checked ? QStringLiteral("1") : QStringLiteral("0"));
  });
  connect(btnSave, &QPushButton::clicked, this, &fBCust_Save::btnSave_Click);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnResetPasswd, &QPushButton::clicked, this, &fBCust_Save::btnResetPasswd_Click);
  // F2 leaves the field being edited first, so that it is formatted before it is saved.
  auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
  connect(f2, &QShortcut::activated, this, [this] {
    btnSave->setFocus();
    btnSave_Click();
  });
}

QString fBCust_Save::ChkCunKey() const {
  return objectName().toUpper() + QStringLiteral("_CHKCUNTINUE");
}

void fBCust_Save::ClearFields() {
  for (HCText* field : htField) {
    if (!field) continue;
    field->SetText(field->AcceptType() == HCText::kNumber ? QStringLiteral("0") : QString());
  }
}

bool fBCust_Save::OwnerIsCustomerList() const {
  return m_owner &&
         m_owner->objectName().compare(QLatin1String("FrmMain"), Qt::CaseInsensitive) == 0;
}

void fBCust_Save::SetFormMode(int& Mode, QWidget* frm, int iCode) {
  m_mode = Mode;
  chkCun->setVisible(false);
  if (frm) m_owner = frm;
  if (m_mode == 1) {
    setWindowTitle(QStringLiteral("고객등록 - 『신규등록』"));
    if (OwnerIsCustomerList()) chkCun->setVisible(true);
    return;
  }
  setWindowTitle(QStringLiteral("고객등록 - 『수정』"));
  btnResetPasswd->setVisible(true);
  htField[1]->SetLocked(true);
  m_code = iCode;
  RecordsetPtr rs;
  DBOpenRecordset(
      rs, QStringLiteral("SELECT userseq, userid, username, restcnt, regdate, bigo, hpno") +
              QStringLiteral(" FROM ") + QStringLiteral("smsuser") + QStringLiteral(" AS u") +
              QStringLiteral(" WHERE userseq = ") + QString::number(iCode));
  if (rs && !rs->Eof()) {
    htField[0]->SetText(rs->Fields(QStringLiteral("username")));
    htField[1]->SetText(rs->Fields(QStringLiteral("userid")));
    htField[3]->SetText(rs->Fields(QStringLiteral("bigo")));
    htField[4]->SetText(rs->Fields(QStringLiteral("hpno")));
    m_code = rs->Fields(QStringLiteral("userseq")).toInt();
  }
  DBCloseRecordset(rs);
}

void fBCust_Save::btnSave_Click() {
  if (IsEmptyField(htField[0], QStringLiteral("상호"), false)) return;
  if (IsEmptyField(htField[1], QStringLiteral("ID"), false)) return;
  if (IsEmptyField(htField[4], QStringLiteral("전화번호"), false)) return;

  const QString id = htField[1]->Text();
  const int checkCode = m_mode == 2 ? m_code : 0;
  if (DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"), id,
                       QStringLiteral("userseq <> ") + QString::number(checkCode), false,
                       QStringLiteral("고객ID"), QString(), false)) {
    MsgInfo(QStringLiteral("[") + id + QStringLiteral("]은(는) 이미 사용중인 ID입니다."));
    return;
  }

  const QString& staff = CurrentStaff().userId;  // escaped once already, at the login
  QString sql;
  if (m_mode == 1) {
    sql = QStringLiteral("INSERT INTO ") + QStringLiteral("smsuser") +
          QStringLiteral(
              " (userid, userpw, user_passwd , username, restcnt, regdate, bigo, hpno, reguser") +
          QStringLiteral(") VALUES (") + QStringLiteral(" ") + DBQuoted(id) + QStringLiteral(", ") +
          DBQuoted(QLatin1String(kLegacyPassword)) + QStringLiteral(", SHA1('") +
          QLatin1String(kInitialPassword) + QStringLiteral("')") + QStringLiteral(", ") +
          DBQuoted(htField[0]->Text()) + QStringLiteral(", ") + QStringLiteral("0") +
          QStringLiteral(", CURDATE()") + QStringLiteral(", ") + DBQuoted(htField[3]->Text()) +
          QStringLiteral(", ") + DBQuoted(htField[4]->Text()) + QStringLiteral(", '") + staff +
          QStringLiteral("'") + QStringLiteral(")");
  } else {
    sql = QStringLiteral("UPDATE ") + QStringLiteral("smsuser") + QStringLiteral(" SET ") +
          QStringLiteral(" userid = ") + DBQuoted(id) + QStringLiteral(", username = ") +
          DBQuoted(htField[0]->Text()) + QStringLiteral(", bigo = ") +
          DBQuoted(htField[3]->Text()) + QStringLiteral(", hpno = ") +
          DBQuoted(htField[4]->Text()) + QStringLiteral(", update_user = '") + staff +
          QStringLiteral("'") + QStringLiteral(" WHERE userseq = ") + QString::number(m_code);
  }
  if (DBExecute(sql, false) < 1) {
    MsgInfo(kNothingSaved);
    return;
  }
  if (m_mode == 1) m_code = DBInsertId();

  if (OwnerIsCustomerList()) {
    if (auto* list = dynamic_cast<CustomerListOwner*>(m_owner.data())) list->SyncUpdateUser(m_mode);
  }
  ShowHoverlet(QStringLiteral("자료가 저장되었습니다."), 500);

  if (m_mode == 1 && chkCun->isChecked() && chkCun->isVisible()) {
    ClearFields();
    SafeSetFocus(htField[0]->txtBox);
    return;
  }
  accept();
}

void fBCust_Save::btnResetPasswd_Click() {
  for (;;) {
    const QString answer =
        InputBox(QStringLiteral("정말 비밀번호를 초기화(4826) 하려면 '초기화'를 입력하세요."),
                 QStringLiteral("비밀번호 초기화"));
    if (answer.isEmpty()) return;
    if (answer == QStringLiteral("초기화")) break;
  }
  const QString sql = QStringLiteral("UPDATE ") + QStringLiteral("smsuser") +
                      QStringLiteral(" SET") + QStringLiteral(" user_passwd = SHA1('") +
                      QLatin1String(kInitialPassword) + QStringLiteral("')") +
                      QStringLiteral(", update_user = '") + CurrentStaff().userId +
                      QStringLiteral("'") + QStringLiteral(" WHERE userseq = ") +
                      QString::number(m_code) + QStringLiteral(" AND user_passwd <> SHA1('") +
                      QLatin1String(kInitialPassword) + QStringLiteral("')");
  if (DBExecute(sql, false) < 1) {
    MsgInfo(kNothingSaved + QStringLiteral("\n(이미 비밀번호가 초기화 된 경우일 수도 있습니다.)"));
    return;
  }
  MsgInfo(QStringLiteral("비밀번호 초기화를 완료하였습니다."));
  accept();
}
