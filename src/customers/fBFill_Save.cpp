#include "customers/fBFill_Save.h"

#include "controls/HCText.h"
#include "controls/LabelPanel.h"
#include "customers/AccessRules.h"
#include "customers/ChargeRules.h"
#include "customers/modCustomer.h"
#include "db/modMySQL_Func.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "platform/Hoverlet.h"
#include "platform/Prompt.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QShortcut>
#include <QThread>
#include <QTimer>

namespace {
const QString kNothingSaved = QStringLiteral("수정된 내용이 없거나, 자료저장을 실패하였습니다.");
const QString kLostNotSaved = QStringLiteral(
    "저장 중 서버와의 연결이 끊겨 충전이 저장되지 않았습니다.\n\n"
    "잔여 건수도 바뀌지 않았습니다. 다시 저장하세요.");
const QString kSavedAfterBreak = QStringLiteral(
    "저장 중 서버와의 연결이 끊겼지만, 확인해 보니 충전은 정상적으로 저장되었습니다.\n\n"
    "다시 충전하지 마세요.");
const QString kUnconfirmed = QStringLiteral(
    "저장 중 서버와의 연결이 끊겨, 충전이 저장되었는지 아직 확인하지 못했습니다.\n\n"
    "다시 저장하지 마세요. 입력한 내용은 그대로 두었습니다. 서버와 연결되면 [다시 확인]을 "
    "눌러 저장 여부를 확인하세요.");
const QString kCloseUnconfirmed = QStringLiteral(
    "저장되었는지 확인하지 못한 충전이 있습니다.\n\n"
    "지금 닫으면 이 충전의 저장 여부를 이 창에서 더 확인할 수 없습니다. 닫으시겠습니까?");
// How often a charge refused by a conflict is tried again, whole, before the staff member is told.
constexpr int kChargeAttempts = 5;
const QString kConflictNotSaved = QStringLiteral(
    "다른 곳에서 같은 고객의 잔여 건수를 동시에 바꾸고 있어 충전을 저장하지 못했습니다.\n\n"
    "아무것도 저장되지 않았습니다. 잠시 후 다시 저장하세요.");
const QString kAmountTooLarge = QStringLiteral(
    "입금액이 너무 큽니다.\n\n한 번에 등록할 수 있는 입금액은 "
    "-2,147,483,648원부터 2,147,483,647원까지입니다.");

}  // namespace

fBFill_Save::fBFill_Save(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fBFill_Save"));
  setWindowTitle(QStringLiteral("문자충전"));

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(2);
  int row = 0;
  const auto addRow = [&](const char* caption, QWidget* field, QWidget* extra = nullptr) {
    auto* label = new LabelPanel(QString::fromUtf8(caption), this);
    label->setFixedWidth(90);
    grid->addWidget(label, row, 0);
    if (extra) {
      auto* box = new QHBoxLayout;
      box->addWidget(field, 1);
      box->addWidget(extra);
      grid->addLayout(box, row, 1);
    } else {
      grid->addWidget(field, row, 1);
    }
    ++row;
  };
  const auto makeField = [this](int index, int maxLength) {
    auto* f = new HCText(this);
    f->setObjectName(QStringLiteral("htField%1").arg(index));
    f->SetMaxLength(maxLength);
    htField[static_cast<std::size_t>(index)] = f;
    return f;
  };

  addRow("*고 객 ID", makeField(0, 15));
  htField[0]->SetIMEMode(8);  // IDs are typed in English
  addRow("*등 록 자", makeField(1, 20));
  mtDate = new QLineEdit(this);
  mtDate->setObjectName(QStringLiteral("mtDate"));
  mtDate->setReadOnly(true);
  addRow(" 등 록 일", mtDate);
  addRow(" 등록시간", makeField(2, 8));
  cmbMoney = new QComboBox(this);
  cmbMoney->setObjectName(QStringLiteral("cmbMoney"));
  cmbMoney->setEditable(true);
  cmbMoney->setInsertPolicy(QComboBox::NoInsert);
  cmbMoney->addItems({QStringLiteral("16,500"), QStringLiteral("27,500"), QStringLiteral("33,000"),
                      QStringLiteral("52,800"), QStringLiteral("55,000"), QStringLiteral("75,900"),
                      QStringLiteral("96,800"), QStringLiteral("110,000"),
                      QStringLiteral("115,500"), QStringLiteral("220,000")});
  lblUnit = new QLabel(this);
  lblUnit->setObjectName(QStringLiteral("lblUnit"));
  addRow(" 입 금 액", cmbMoney, lblUnit);
  HCText* count = makeField(3, 10);
  count->SetAcceptType(HCText::kNumber);
  count->SetShowSeparate(true);
  addRow(" 등록건수", count);
  addRow(" 메    모", makeField(4, 100));

  btnSave = new QPushButton(QStringLiteral("저장 F2"), this);
  btnSave->setObjectName(QStringLiteral("btnSave"));
  btnClose = new QPushButton(QStringLiteral("닫기(&C)"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  auto* lblInfo = new QLabel(QStringLiteral(" *는 필수입력"), this);
  lblInfo->setObjectName(QStringLiteral("lblInfo"));
  btnCheck = new QPushButton(QStringLiteral("다시 확인"), this);
  btnCheck->setObjectName(QStringLiteral("btnCheck"));
  btnCheck->hide();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(lblInfo);
  buttons->addStretch();
  buttons->addWidget(btnCheck);
  buttons->addWidget(btnSave);
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  resize(380, sizeHint().height());

  DecorateForm(this, true);
  m_mode = 1;
  for (int i : {0, 1, 2}) htField[static_cast<std::size_t>(i)]->SetLocked(true);
  htField[3]->SetLocked(true);  // computed from the amount
  ClearFields();

  // The box keeps the focus for its edit line: its own events are the ones to watch.
  cmbMoney->installEventFilter(this);
  connect(cmbMoney, qOverload<int>(&QComboBox::activated), this, [this] {
    // A choice from the list moves on, which runs the count like leaving the box.
    if (isVisible()) focusNextChild();
    cmbMoney_LostFocus();
  });
  connect(btnSave, &QPushButton::clicked, this, &fBFill_Save::btnSave_Click);
  connect(btnClose, &QPushButton::clicked, this, &fBFill_Save::reject);
  connect(btnCheck, &QPushButton::clicked, this, &fBFill_Save::btnCheck_Click);
  auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
  connect(f2, &QShortcut::activated, this, [this] {
    if (!btnSave->isEnabled()) return;
    btnSave->setFocus();
    cmbMoney_LostFocus();
    btnSave_Click();
  });
}

void fBFill_Save::ClearFields() {
  for (HCText* f : htField)
    f->SetText(f->AcceptType() == HCText::kNumber ? QStringLiteral("0") : QString());
  htField[3]->SetText(QString());
  cmbMoney->setCurrentIndex(-1);
  cmbMoney->setEditText(QString());
  lblUnit->setText(QStringLiteral("(24.2원)"));
  const QDateTime now = clock_::LocalNow();
  mtDate->setText(now.toString(QStringLiteral("yyyy-MM-dd")));
  htField[2]->SetText(now.toString(QStringLiteral("HH:mm:ss")));
}

void fBFill_Save::SetFormMode(const QString& sCid, int Mode, QWidget* frm, int iCode) {
  m_accessChecked = false;
  m_mode = Mode;
  if (frm) m_owner = frm;
  if (m_mode == 1) {
    setWindowTitle(QStringLiteral("등록 - 『신규등록』"));
    htField[0]->SetText(sCid);
    htField[1]->SetText(CurrentStaff().userName);
    htField[1]->setProperty("Tag", CurrentStaff().userId);
    return;
  }
  setWindowTitle(QStringLiteral("등록 - 『수정』"));
  m_code = iCode;
  RecordsetPtr rs;
  DBOpenRecordset(rs, QStringLiteral("SELECT f.code, f.reguser, f.userid, f.regtime, f.regtype") +
                          QStringLiteral(", f.casecnt, f.casemoney, f.bigo") +
                          QStringLiteral(" FROM ") + QStringLiteral("smsfill") +
                          QStringLiteral(" AS f") + QStringLiteral(" WHERE f.code = ") +
                          QString::number(iCode));
  if (rs && !rs->Eof()) {
    const QString regtime = rs->Fields(QStringLiteral("regtime"));
    // The registering staff's ID stands in the staff field, so a shown charge reads complete.
    htField[1]->setProperty("Tag", rs->Fields(QStringLiteral("reguser")));
    htField[1]->SetText(rs->Fields(QStringLiteral("reguser")));
    htField[0]->SetText(rs->Fields(QStringLiteral("userid")));
    mtDate->setText(ParseDateTime14(regtime, 0).toString(QStringLiteral("yyyy-MM-dd")));
    htField[2]->SetText(ParseDateTime14(regtime, 1).toString(QStringLiteral("HH:mm:ss")));
    htField[3]->SetText(rs->Fields(QStringLiteral("casecnt")));
    cmbMoney->setEditText(rs->Fields(QStringLiteral("casemoney")));
    htField[4]->SetText(rs->Fields(QStringLiteral("bigo")));
    SafeSetFocus(htField[0]->txtBox);
  }
  DBCloseRecordset(rs);
}

void fBFill_Save::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!m_accessChecked) QTimer::singleShot(0, this, &fBFill_Save::CheckAccess);
}

void fBFill_Save::CheckAccess() {
  if (m_accessChecked) return;
  m_accessChecked = true;
  if (IsChargeStaff(CurrentStaff().userId)) return;
  // The server's date decides; MySQL counts Sunday 1 to Saturday 7.
  if (DBGetValue(QStringLiteral("SELECT DAYOFWEEK(CURDATE())")).toInt() != 7) {
    MsgBox(QStringLiteral("충전 권한이 없습니다."), MsgButtons::Ok, MsgIcon::None);
    reject();
  }
}

bool fBFill_Save::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cmbMoney) {
    if (event->type() == QEvent::FocusOut) {
      cmbMoney_LostFocus();
    } else if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        focusNextChild();
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void fBFill_Save::cmbMoney_LostFocus() {
  const QString formatted = FormatAmount(cmbMoney->currentText());
  if (formatted != cmbMoney->currentText()) cmbMoney->setEditText(formatted);
  const std::int64_t milli = ParseAmountMilli(formatted).value_or(0);
  lblUnit->setText(QStringLiteral("(") + UnitPriceText(UnitPriceTenths(milli)) +
                   QStringLiteral("원)"));
  htField[3]->SetText(QString::number(MessageCount(milli)));
}

fBFill_Save::Saved fBFill_Save::SaveCharge() {
  m_sent.reguser = htField[1]->property("Tag").toString();  // escaped at the login
  m_sent.userid = htField[0]->Text();
  m_sent.count = htField[3]->Text().remove(u',').toLongLong();
  const std::int64_t milli = ParseAmountMilli(FormatAmount(cmbMoney->currentText())).value_or(0);
  m_sent.money = (milli < 0 ? milli - 500 : milli + 500) / 1000;

  // Two charges of one customer made at once on two nodes of a cluster: one is refused at its
  // COMMIT and rolled back whole. It is tried again from its start, never a part of it.
  for (int attempt = 1;; ++attempt) {
    bool conflict = false;
    const Saved saved = WriteCharge(conflict);
    if (!conflict) return saved;
    if (attempt == kChargeAttempts) {
      MsgInfo(kConflictNotSaved);
      return Saved::No;
    }
    QThread::msleep(
        static_cast<unsigned long>(QRandomGenerator::global()->bounded(10, 40) * attempt));
  }
}

fBFill_Save::Saved fBFill_Save::WriteCharge(bool& conflict) {
  // The charge row and the balance raise are one transaction: both or neither. Every message
  // waits until it is over, so no one else's charge waits on this customer's row meanwhile.
  DBTransaction trans;
  if (!trans.Begin()) {
    MsgInfo(kNothingSaved);
    return Saved::No;
  }
  const auto failed = [&](const QString& message) {
    conflict = trans.Conflicted();
    const bool lost = trans.Lost();
    trans.Rollback();
    if (!conflict) MsgInfo(lost ? kLostNotSaved : message);
    return Saved::No;
  };
  const QString insert =
      QStringLiteral("INSERT INTO ") + QStringLiteral("smsfill") +
      QStringLiteral(" (reguser, userid, regtime, regtype, casecnt, casemoney, bigo") +
      QStringLiteral(") VALUES (") + QStringLiteral(" '") + m_sent.reguser + QStringLiteral("'") +
      QStringLiteral(", ") + DBQuoted(m_sent.userid) + QStringLiteral(", ") +
      QStringLiteral("NOW()+0") + QStringLiteral(", ") + QStringLiteral("0") +
      QStringLiteral(", ") + QString::number(m_sent.count) + QStringLiteral(", ") +
      QString::number(m_sent.money) + QStringLiteral(", ") + DBQuoted(htField[4]->Text()) +
      QStringLiteral(")");
  if (DBExecute(insert, false) < 1) return failed(kNothingSaved);
  m_code = DBInsertId();

  const int raised = DBExecute(QStringLiteral("UPDATE smsuser SET restcnt = restcnt + ") +
                                   QString::number(m_sent.count) +
                                   QStringLiteral(" WHERE userid = ") + DBQuoted(m_sent.userid),
                               false);
  // No customer, or several sharing the ID: nothing is kept.
  if (raised != 1)
    return failed(
        QStringLiteral("데이터 처리중 문제가 발생하였습니다. 다시 처리하여 주시기 바랍니다."));

  switch (trans.Commit()) {
    case DBTransaction::Outcome::Committed:
      return Saved::Yes;
    case DBTransaction::Outcome::Failed:
      return failed(kNothingSaved);
    case DBTransaction::Outcome::Unknown:
      break;
  }
  return Settle();
}

fBFill_Save::Saved fBFill_Save::Settle() {
  // The row is ours only with all it was written with: after a server crash the same code may
  // have gone to someone else's charge.
  const std::optional<QString> found =
      DBSettledValue(QStringLiteral("SELECT COUNT(*) FROM smsfill WHERE code = ") +
                     QString::number(m_code) + QStringLiteral(" AND userid = ") +
                     DBQuoted(m_sent.userid) + QStringLiteral(" AND reguser = '") + m_sent.reguser +
                     QStringLiteral("' AND casecnt = ") + QString::number(m_sent.count) +
                     QStringLiteral(" AND casemoney = ") + QString::number(m_sent.money));
  if (found == QLatin1String("1")) {
    ShowUnconfirmed(false);
    MsgInfo(kSavedAfterBreak);
    return Saved::Yes;
  }
  if (found == QLatin1String("0")) {
    ShowUnconfirmed(false);
    MsgInfo(kLostNotSaved);
    return Saved::No;
  }
  ShowUnconfirmed(true);
  MsgInfo(kUnconfirmed);
  return Saved::Unconfirmed;
}

void fBFill_Save::ShowUnconfirmed(bool unconfirmed) {
  // Saving again before the first charge is settled could count it twice.
  btnCheck->setVisible(unconfirmed);
  btnSave->setEnabled(!unconfirmed);
  cmbMoney->setEnabled(!unconfirmed);
  htField[4]->setEnabled(!unconfirmed);
  if (unconfirmed) SafeSetFocus(btnCheck);
}

void fBFill_Save::btnCheck_Click() {
  if (!btnCheck->isVisible()) return;
  if (Settle() == Saved::Yes) Finish();
}

void fBFill_Save::Finish() {
  ShowHoverlet(QStringLiteral("자료가 저장되었습니다."), 500);
  accept();
}

void fBFill_Save::reject() {
  if (btnCheck->isVisible() && !MsgYesNo(kCloseUnconfirmed, QString(), false)) return;
  QDialog::reject();
}

void fBFill_Save::btnSave_Click() {
  if (IsEmptyField(htField[0], QStringLiteral("고객ID"), false)) return;
  if (IsEmptyField(htField[1], QStringLiteral("등록자"), false)) return;
  if (cmbMoney->currentText().isEmpty()) {
    MsgInfo(QStringLiteral("입금액이 입력되지 않았습니다."));
    SafeSetFocus(cmbMoney);
    return;
  }
  if (!ChargeAmountFitsColumns(cmbMoney->currentText())) {
    MsgInfo(kAmountTooLarge);
    SafeSetFocus(cmbMoney);
    return;
  }
  if (IsEmptyField(htField[3], QStringLiteral("등록건수"), true)) return;
  if (m_mode == 2) {
    MsgInfo(QStringLiteral("수정은 안됩니다. 개발팀으로 연락주세요."));
    return;
  }
  if (!btnSave->isEnabled()) return;
  if (SaveCharge() == Saved::Yes) Finish();
}
