#include "customers/FrmCertifiedTelNumMng.h"

#include "controls/AccessibleName.h"
#include "controls/TelFormat.h"
#include "customers/AccessRules.h"
#include "customers/SenderNoRule.h"
#include "customers/modCustomer.h"
#include "db/modMySQL_Func.h"
#include "grid/FormNames.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "platform/AppState.h"
#include "platform/Hoverlet.h"
#include "platform/Prompt.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QTimer>

namespace {
constexpr int kLimit = 10;

void SetHeaders(SpreadGrid& grid, std::initializer_list<const char*> headers) {
  grid.SetMaxCols(static_cast<int>(headers.size()));
  int col = 0;
  for (const char* h : headers) grid.SetText(++col, 0, QString::fromUtf8(h));
}
}  // namespace

FrmCertifiedTelNumMng::FrmCertifiedTelNumMng(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FrmCertifiedTelNumMng"));
  setWindowTitle(QStringLiteral("발신번호 사전등록 관리"));
  setWindowIcon(QApplication::windowIcon());

  lblCompName = new QLabel(this);
  lblCompName->setObjectName(QStringLiteral("lblCompName"));
  lblID = new QLabel(this);
  lblID->setObjectName(QStringLiteral("lblID"));
  txtTelNum = new QLineEdit(this);
  txtTelNum->setObjectName(QStringLiteral("txtTelNum"));
  txtTelNum->setMaxLength(20);  // the column's size; the number is digits only
  btnAddNew = new QPushButton(QStringLiteral("신규 등록"), this);
  btnAddNew->setObjectName(QStringLiteral("btnAddNew"));
  btnDel = new QPushButton(QStringLiteral("등록 삭제"), this);
  btnDel->setObjectName(QStringLiteral("btnDel"));
  btnClose = new QPushButton(QStringLiteral("닫기(&C)"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  Option1[0] = new QRadioButton(QStringLiteral("등록내역"), this);
  Option1[1] = new QRadioButton(QStringLiteral("삭제내역"), this);
  Option1[0]->setChecked(true);
  spList = new SpreadGrid(this);
  spList->setObjectName(QStringLiteral("spList"));
  spDelList = new SpreadGrid(this);
  spDelList->setObjectName(QStringLiteral("spDelList"));
  // The two lists lie one over the other; the option buttons say which is which.
  controls::SetControlName(spList, QStringLiteral("발신번호 등록내역"));
  controls::SetControlName(spDelList, QStringLiteral("발신번호 삭제내역"));
  auto* note = new QLabel(
      QStringLiteral(
          " 정보통신법에 의해 한 아이디당 본인명의의 전화번호를 최대 10건까지만 등록가능합니다."),
      this);
  note->setWordWrap(true);

  auto* info = new QGridLayout;
  info->addWidget(new QLabel(QStringLiteral("업체명:"), this), 0, 0);
  info->addWidget(lblCompName, 0, 1);
  info->addWidget(new QLabel(QStringLiteral("아이디:"), this), 1, 0);
  info->addWidget(lblID, 1, 1);
  info->addWidget(new QLabel(QStringLiteral("전화번호:"), this), 2, 0);
  info->addWidget(txtTelNum, 2, 1);
  auto* actions = new QHBoxLayout;
  actions->addWidget(Option1[0]);
  actions->addWidget(Option1[1]);
  actions->addStretch();
  actions->addWidget(btnAddNew);
  actions->addWidget(btnDel);
  actions->addWidget(btnClose);
  // The deleted list lies exactly over the registered one.
  auto* lists = new QStackedLayout;
  lists->setStackingMode(QStackedLayout::StackAll);
  lists->addWidget(spList);
  lists->addWidget(spDelList);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(info);
  layout->addLayout(actions);
  layout->addLayout(lists, 1);
  layout->addWidget(note);
  resize(560, 420);
  NameFormControlsOnShow(*this);

  lblID->clear();
  lblCompName->clear();
  const bool mayEdit = IsChargeStaff(CurrentStaff().userId);
  txtTelNum->setEnabled(mayEdit);
  btnAddNew->setEnabled(mayEdit);
  btnDel->setEnabled(mayEdit);

  CommonSpreadDesign(*spList, true, true, true, true, true);
  CommonSpreadDesign(*spDelList, true, true, true, true, true);
  SetHeaders(*spList, {"발신번호", "등록일시", "등록자", "PKEY"});
  SetHeaders(*spDelList, {"발신번호", "삭제일시", "삭제자", "등록일시", "등록자", "PKEY"});
  spDelList->SetForeColor(-1, -1, 255);
  spDelList->setVisible(false);

  txtTelNum->installEventFilter(this);
  connect(Option1[0], &QRadioButton::clicked, this, [this] { Option1_Click(0); });
  connect(Option1[1], &QRadioButton::clicked, this, [this] { Option1_Click(1); });
  connect(btnAddNew, &QPushButton::clicked, this, &FrmCertifiedTelNumMng::btnAddNew_Click);
  connect(btnDel, &QPushButton::clicked, this, &FrmCertifiedTelNumMng::btnDel_Click);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmCertifiedTelNumMng::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!m_listsLoaded) QTimer::singleShot(0, this, &FrmCertifiedTelNumMng::Form_Activate);
}

void FrmCertifiedTelNumMng::Form_Activate() {
  if (m_listsLoaded) return;
  LoadList();
  LoadDelList();
  m_listsLoaded = true;
}

bool FrmCertifiedTelNumMng::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtTelNum && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      focusNextChild();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void FrmCertifiedTelNumMng::LoadList() {
  ReDrawOff redraw(*spList);
  spList->SetMaxRows(0);
  RecordsetPtr rs;
  const int count =
      DBOpenRecordset(rs, QStringLiteral("SELECT * FROM certified_telno") +
                              QStringLiteral(" WHERE userid = ") + DBQuoted(lblID->text()));
  spList->SetMaxRows(count > 0 ? count : 0);
  for (int row = 1; rs && !rs->Eof(); rs->MoveNext(), ++row) {
    spList->SetText(1, row, FormatTelNoMasked(rs->Fields(QStringLiteral("telno"))));
    spList->SetText(2, row, rs->Fields(QStringLiteral("created_dttm")));
    spList->SetText(3, row, rs->Fields(QStringLiteral("creator_name")));
    spList->SetText(4, row, rs->Fields(QStringLiteral("code")));
  }
  if (spList->MaxRows() > 0) spList->SetActiveCell(1, 1);
  DBCloseRecordset(rs);
}

void FrmCertifiedTelNumMng::LoadDelList() {
  ReDrawOff redraw(*spDelList);
  spDelList->SetMaxRows(0);
  RecordsetPtr rs;
  const int count =
      DBOpenRecordset(rs, QStringLiteral("SELECT * FROM certified_telno_del") +
                              QStringLiteral(" WHERE userid = ") + DBQuoted(lblID->text()));
  spDelList->SetMaxRows(count > 0 ? count : 0);
  for (int row = 1; rs && !rs->Eof(); rs->MoveNext(), ++row) {
    spDelList->SetText(1, row, FormatTelNoMasked(rs->Fields(QStringLiteral("telno"))));
    spDelList->SetText(2, row, rs->Fields(QStringLiteral("del_dttm")));
    spDelList->SetText(3, row, rs->Fields(QStringLiteral("del_name")));
    spDelList->SetText(4, row, rs->Fields(QStringLiteral("created_dttm")));
    spDelList->SetText(5, row, rs->Fields(QStringLiteral("creator_name")));
    spDelList->SetText(6, row, rs->Fields(QStringLiteral("code")));
  }
  if (spDelList->MaxRows() > 0) spDelList->SetActiveCell(1, 1);
  DBCloseRecordset(rs);
}

void FrmCertifiedTelNumMng::Option1_Click(int index) {
  const bool registered = index == 0;
  spList->setVisible(registered);
  txtTelNum->setVisible(registered);
  btnAddNew->setVisible(registered);
  btnDel->setVisible(registered);
  spDelList->setVisible(!registered);
}

void FrmCertifiedTelNumMng::btnAddNew_Click() {
  if (!btnAddNew->isEnabled()) return;
  if (lblID->text().trimmed().isEmpty()) {
    MsgInfo(QStringLiteral("사용자 아이디를 알 수 없습니다."));
    SafeSetFocus(txtTelNum);
    return;
  }
  if (spList->MaxRows() >= kLimit) {
    MsgInfo(QStringLiteral("한 아이디당 최대 10건까지 등록가능합니다."));
    SafeSetFocus(txtTelNum);
    return;
  }
  txtTelNum->setText(DigitsOnly(txtTelNum->text()));
  const QString digits = txtTelNum->text();
  if (digits.isEmpty()) {
    MsgInfo(QStringLiteral("등록할 전화번호를 입력하세요."));
    SafeSetFocus(txtTelNum);
    return;
  }
  if (!CheckSenderNoRule(digits)) return;

  const QString sql = QStringLiteral("INSERT INTO certified_telno") +
                      QStringLiteral(" (userid, telno, creator_name, bigo) VALUES (") +
                      QStringLiteral(" ") + DBQuoted(lblID->text()) + QStringLiteral(", ") +
                      DBQuoted(digits) + QStringLiteral(", ") + DBQuoted(CurrentStaff().userName) +
                      QStringLiteral(", '") + QString() + QStringLiteral("'") + QStringLiteral(")");
  if (DBExecute(sql, false) >= 1) {
    MsgInfo(QStringLiteral("자료가 저장되었습니다."));
    LoadList();
    txtTelNum->clear();
    SafeSetFocus(txtTelNum);
  } else {
    MsgInfo(QStringLiteral("수정된 내용이 없거나, 자료저장을 실패하였습니다."));
  }
}

void FrmCertifiedTelNumMng::btnDel_Click() {
  if (!btnDel->isEnabled()) return;
  const int row = spList->ActiveRow();
  if (row < 1 || row > spList->MaxRows()) {
    MsgInfo(QStringLiteral("먼저 삭제 할 전화번호를 그리드에서 선택하세요."));
    return;
  }
  const QString code = QString::number(GetCellText(*spList, 4, row).toInt());
  if (!MsgYesNo(QStringLiteral("정말 등록된 발신번호를 삭제하시겠습니까?"), QStringLiteral("삭제"),
                false))
    return;

  switch (DeleteWithArchive(code, GetCellText(*spList, 2, row), GetCellText(*spList, 3, row))) {
    case Deleted::Yes:
      break;
    case Deleted::No:
      MsgInfo(
          QStringLiteral("자료를 삭제 할 수 없습니다.\n\n이미 삭제되었거나, 삭제할 수 없는 "
                         "경우가 발생했습니다."));
      return;
    case Deleted::Told:
      return;  // the row stays until the list is read again
  }
  spList->DeleteRows(row, 1);
  spList->SetMaxRows(spList->DataRowCnt());
  spList->Refresh();
  ShowHoverlet(QStringLiteral("자료를 삭제하였습니다."), 500);
  LoadDelList();
}

FrmCertifiedTelNumMng::Deleted FrmCertifiedTelNumMng::DeleteWithArchive(const QString& code,
                                                                        const QString& created,
                                                                        const QString& creator) {
  // A number leaves only together with its archive row: one transaction, both or neither.
  {
    DBTransaction trans;
    if (!trans.Begin()) return Deleted::No;
    const int archived = DBExecute(
        QStringLiteral("INSERT INTO certified_telno_del") +
            QStringLiteral(
                " (code, userid, telno, created_dttm, creator_name, bigo, del_dttm, del_name)") +
            QStringLiteral(
                " SELECT code, userid, telno, created_dttm, creator_name, bigo, NOW(), ") +
            DBQuoted(CurrentStaff().userName) +
            QStringLiteral(" FROM certified_telno WHERE code = ") + code,
        false);
    if (archived < 1 ||
        DBExecute(QStringLiteral("DELETE FROM certified_telno WHERE code = ") + code, false) < 1) {
      trans.Rollback();
      return Deleted::No;
    }
    switch (trans.Commit()) {
      case DBTransaction::Outcome::Committed:
        return Deleted::Yes;
      case DBTransaction::Outcome::Failed:
        return Deleted::No;
      case DBTransaction::Outcome::Unknown:
        break;
    }
  }
  // The line broke while the COMMIT was on its way. The number tells what happened once the
  // old connection is proven gone; the code alone could name another customer's number after a
  // server crash handed it out again.
  const QString sql = QStringLiteral("SELECT COUNT(*) FROM certified_telno WHERE code = ") + code +
                      QStringLiteral(" AND userid = ") + DBQuoted(lblID->text()) +
                      QStringLiteral(" AND created_dttm = ") + DBQuoted(created) +
                      QStringLiteral(" AND creator_name = ") + DBQuoted(creator);
  for (;;) {
    const std::optional<QString> left = DBSettledValue(sql);
    if (left == QLatin1String("0")) return Deleted::Yes;
    if (left == QLatin1String("1")) {
      MsgInfo(
          QStringLiteral("삭제 중 서버와의 연결이 끊겨 발신번호가 삭제되지 않았습니다.\n\n"
                         "다시 삭제하세요."));
      return Deleted::Told;
    }
    if (!MsgYesNo(QStringLiteral("삭제 중 서버와의 연결이 끊겨, 발신번호가 삭제되었는지 아직 "
                                 "확인하지 못했습니다.\n\n서버와 연결되었으면 [예]를 눌러 다시 "
                                 "확인하세요. 다시 확인하시겠습니까?"),
                  QStringLiteral("삭제"), true))
      return Deleted::Told;
  }
}
