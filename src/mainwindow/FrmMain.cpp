#include "mainwindow/FrmMain.h"

#include "controls/AccessibleName.h"
#include "controls/CommandButton.h"
#include "controls/HCText.h"
#include "controls/TelFormat.h"
#include "controls/WaitCursor.h"
#include "customers/AccessRules.h"
#include "customers/CustomerSearch.h"
#include "customers/FrmCertifiedTelNumMng.h"
#include "customers/ReadBusyPanel.h"
#include "customers/fBCust_Save.h"
#include "customers/fBFill_Save.h"
#include "customers/modCustomer.h"
#include "db/BackgroundRead.h"
#include "db/modMySQL_Func.h"
#include "grid/ExcelExport.h"
#include "grid/FormNames.h"
#include "grid/GridMenu.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "grid/modMy_formReSize.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "platform/Hoverlet.h"
#include "platform/InputMode.h"
#include "platform/Prompt.h"
#include "reports/SummaryWindow.h"
#include "reports/fRBalanceCheck.h"
#include "reports/fRChargeList.h"
#include "reports/fRLowBalance.h"
#include "reports/fRUseList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace {

// The grid's columns, in order.
const char* const kHeaders[] = {
    "상호",          "전화번호",        "ID",     "잔여",   "등록일",   "메모",
    "발신번호 건수", "등록된 발신번호", "등록자", "수정자", "수정일시", "CODE"};
constexpr int kColName = 1, kColPhone = 2, kColId = 3, kColBalance = 4, kColRegDate = 5,
              kColMemo = 6, kColCertCount = 7, kColCertTel = 8, kColRegUser = 9,
              kColUpdateUser = 10, kColUpdateTime = 11, kColCode = 12;

QString CertTelText(const QString& certtel, int certcnt) {
  const QString grouped = FormatTelNoMasked(certtel);
  if (certcnt <= 1) return grouped;
  return grouped + QStringLiteral(" 외") + QString::number(certcnt - 1) + QStringLiteral("건");
}

}  // namespace

FrmMain::FrmMain(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("FrmMain"));
  setAttribute(Qt::WA_DeleteOnClose);
  const auto title = [this](const QString& host) {
    setWindowTitle(QStringLiteral("Sendora") + QStringLiteral(" Ver.") +
                   QStringLiteral(SENDORA_VERSION) + QStringLiteral(" (HOST: ") + host +
                   QStringLiteral(")") + QStringLiteral("  *") + CurrentStaff().userName);
  };
  // The host the SMS session is on now: with a host list it changes when a server dies.
  const QString host = DBCurrentHost();
  title(host.isEmpty() ? App().smsDbHost : host);
  DBOnHostChanged(title);

  pnlTop[0] = new QWidget(this);
  pnlTop[0]->setObjectName(QStringLiteral("pnlTop0"));
  pnlTop[2] = new QWidget(this);
  pnlTop[2]->setObjectName(QStringLiteral("pnlTop2"));
  auto* searchLabel = new QLabel(QStringLiteral("검색:"), pnlTop[0]);
  searchLabel->setGeometry(6, 8, 36, 22);
  htField0 = new HCText(pnlTop[0]);
  htField0->setObjectName(QStringLiteral("htField0"));
  htField0->setGeometry(44, 6, 160, 24);

  const auto button = [this](const char* name, const char* caption) {
    auto* b = new CommandButton(QString::fromUtf8(caption), pnlTop[0]);
    b->setObjectName(QLatin1String(name));
    // One width for all, one step apart (PlaceTopButton); long captions take two lines.
    b->setGeometry(0, 3, TwipsToPixels(1125), 34);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
  };
  btnQuery = button("btnQuery", "조회 F5");
  btnAdd = button("btnAdd", "업체 추가 F2");
  btnEdit = button("btnEdit", "업체 수정 F3");
  btnCharge = button("btnCharge", "충전 F9");
  btnUseLog = button("btnUseLog", "사용내역 F6");
  btnCertifiedTelNum = button("btnCertifiedTelNum", "발신번호 사전등록(F12)");
  btnChargeList = button("btnChargeList", "충전내역");
  btnSumFill = button("btnSumFill", "충전집계");
  btnSumUse = button("btnSumUse", "사용집계");
  btnLowBalance = button("btnLowBalance", "잔액부족");
  btnBalanceCheck = button("btnBalanceCheck", "잔액대사");
  btnClose = button("btnClose", "닫기(&C)");
  pnlTop[0]->setFixedHeight(40);

  spList = new SpreadGrid(pnlTop[2]);
  spList->setObjectName(QStringLiteral("spList"));
  // The title names the host and the staff member, not the list.
  controls::SetControlName(spList, QStringLiteral("고객 목록"));
  NameFormControlsOnShow(*this);

  // Placement before any saved layout: centred on the old design's 15300-twip width.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  setGeometry((screen.width() - TwipsToPixels(15300)) / 2,
              (screen.height() - TwipsToPixels(9000)) / 2, TwipsToPixels(12870),
              TwipsToPixels(9000));

  const QString& staff = CurrentStaff().userId;
  btnSumUse->setVisible(MaySeeSummaries(staff));
  btnBalanceCheck->setVisible(MaySeeSummaries(staff));
  btnSumFill->setVisible(MaySeeSummaries(staff));
  btnChargeList->setEnabled(MayOpenChargeList(staff));
  // With the two summary buttons the row of buttons would reach over the search box: the window
  // opens wide enough for both.
  const int needed =
      htField0->geometry().right() + 8 + TwipsToPixels(30 + LastButtonPosition() * 1155);
  if (width() < needed) resize(needed, height());

  CommonSpreadDesign(*spList, true, true, true, true, true);
  spList->SetMaxCols(12);
  // Widths in characters until the user's own layout is stored.
  const double widths[] = {16, 14, 12, 9, 10, 18, 11, 20, 8, 8, 17, 7};
  for (int c = 1; c <= 12; ++c) {
    spList->SetText(c, 0, QString::fromUtf8(kHeaders[c - 1]));
    spList->SetColWidth(c, widths[c - 1]);
  }
  SetCellTypeNumber(*spList, kColBalance, 0, true, -1, true, false);
  SetHanEngMode(true, spList);

  // The window sees its function keys before any of its controls does.
  const std::pair<int, void (FrmMain::*)()> keys[] = {
      {Qt::Key_F2, &FrmMain::btnAdd_Click},   {Qt::Key_F3, &FrmMain::btnEdit_Click},
      {Qt::Key_F5, &FrmMain::btnQuery_Click}, {Qt::Key_F6, &FrmMain::btnUseLog_Click},
      {Qt::Key_F8, &FrmMain::ExportList},     {Qt::Key_F12, &FrmMain::btnCertifiedTelNum_Click}};
  for (const auto& [key, slot] : keys) {
    auto* shortcut = new QShortcut(QKeySequence(key), this);
    connect(shortcut, &QShortcut::activated, this, slot);
  }
  connect(btnQuery, &QPushButton::clicked, this, &FrmMain::btnQuery_Click);
  connect(btnAdd, &QPushButton::clicked, this, &FrmMain::btnAdd_Click);
  connect(btnEdit, &QPushButton::clicked, this, &FrmMain::btnEdit_Click);
  connect(btnCharge, &QPushButton::clicked, this, &FrmMain::btnCharge_Click);
  connect(btnUseLog, &QPushButton::clicked, this, &FrmMain::btnUseLog_Click);
  connect(btnCertifiedTelNum, &QPushButton::clicked, this, &FrmMain::btnCertifiedTelNum_Click);
  connect(btnChargeList, &QPushButton::clicked, this, &FrmMain::btnChargeList_Click);
  connect(btnSumFill, &QPushButton::clicked, this, &FrmMain::btnSumFill_Click);
  connect(btnSumUse, &QPushButton::clicked, this, &FrmMain::btnSumUse_Click);
  connect(btnLowBalance, &QPushButton::clicked, this, &FrmMain::btnLowBalance_Click);
  connect(btnBalanceCheck, &QPushButton::clicked, this, &FrmMain::btnBalanceCheck_Click);
  connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
  connect(htField0, &HCText::KeyPress, this, [this](int& keyAscii) {
    if (keyAscii != 13) return;
    keyAscii = 0;  // Enter searches instead of moving on
    btnQuery_Click();
  });
  connect(spList, &SpreadGrid::DblClick, this, [this](int, int row) {
    if (row > 0) btnEdit_Click();
  });
  connect(spList, &SpreadGrid::KeyDown, this, [this](int keyCode, int) {
    if (keyCode == 13) btnCharge_Click();
  });
  pnlBusy = new ReadBusyPanel(this, pnlTop[2], {pnlTop[0], pnlTop[2]});
  AttachGridServices(*this, *spList, true);
  LoadFormLayout(*this);
}

FrmMain::~FrmMain() { DBOnHostChanged(nullptr); }

void FrmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (FormMinSize(*this, -1, -1) == -1) return;
  const int clientWidth = PixelsToTwips(width());
  pnlTop[0]->setGeometry(0, 0, width(), pnlTop[0]->height());
  const std::pair<QPushButton*, int> places[] = {
      {btnClose, 1}, {btnUseLog, 2}, {btnCertifiedTelNum, 3}, {btnChargeList, 4}, {btnCharge, 5},
      {btnEdit, 6},  {btnAdd, 7},    {btnQuery, 8},           {btnSumUse, 9},     {btnSumFill, 10}};
  for (const auto& [b, position] : places) PlaceTopButton(*b, clientWidth, position);
  // The follow-up buttons come after the others that are shown.
  const int next = btnSumFill->isVisibleTo(this) ? 11 : 9;
  PlaceTopButton(*btnLowBalance, clientWidth, next);
  PlaceTopButton(*btnBalanceCheck, clientWidth, next + 1);
  pnlTop[2]->move(0, pnlTop[0]->height());
  FitWidth(*pnlTop[2], clientWidth, spList);
  FitHeight(*pnlTop[2], PixelsToTwips(height()), spList);
}

QString FrmMain::SelectedId() const { return GetCellText(*spList, kColId, -2); }

int FrmMain::SelectedCode() const { return GetCellText(*spList, kColCode, -2).toInt(); }

void FrmMain::btnQuery_Click() {
  const QString text = htField0->Text();
  if (text.trimmed().size() < 2 && !MaySearchWithFewerThanTwoCharacters(CurrentStaff().userId)) {
    MsgInfo(QStringLiteral("검색어를 2자 이상 입력하세요."));
    SafeSetFocus(htField0->txtBox);
    return;
  }

  RecordsetPtr rs;
  int count = 0;
  {
    // On screen, a long search keeps the window painting and can be stopped.
    ScopedReadWatcher watch(isVisible() ? pnlBusy : nullptr);
    count = DBOpenRecordset(rs, CustomerSearchSql(text));
  }
  if (DBReadStopped()) return;  // the list stays as it was

  WaitCursor wait;
  ReDrawOff redraw(*spList);
  const int activeRow = spList->ActiveRow();
  const int activeCol = spList->ActiveCol();
  spList->SetMaxRows(0);
  spList->SetMaxRows(count > 0 ? count : 0);
  if (rs) {
    const int fName = rs->FieldIndex(QStringLiteral("username"));
    const int fPhone = rs->FieldIndex(QStringLiteral("hpno"));
    const int fId = rs->FieldIndex(QStringLiteral("userid"));
    const int fCnt = rs->FieldIndex(QStringLiteral("cnt"));
    const int fRegDate = rs->FieldIndex(QStringLiteral("regdate"));
    const int fMemo = rs->FieldIndex(QStringLiteral("bigo"));
    const int fCertCnt = rs->FieldIndex(QStringLiteral("certcnt"));
    const int fCertTel = rs->FieldIndex(QStringLiteral("certtel"));
    const int fRegUser = rs->FieldIndex(QStringLiteral("reguser"));
    const int fUpdUser = rs->FieldIndex(QStringLiteral("update_user"));
    const int fUpdTime = rs->FieldIndex(QStringLiteral("update_dttm"));
    const int fSeq = rs->FieldIndex(QStringLiteral("userseq"));
    int row = 0;
    for (; !rs->Eof(); rs->MoveNext()) {
      ++row;
      spList->SetText(kColName, row, rs->Fields(fName));
      spList->SetText(kColPhone, row, rs->Fields(fPhone));
      spList->SetText(kColId, row, rs->Fields(fId));
      spList->SetText(kColBalance, row, rs->Fields(fCnt));
      spList->SetText(kColRegDate, row, rs->Fields(fRegDate));
      spList->SetText(kColMemo, row, rs->Fields(fMemo));
      const QString certCount = rs->Fields(fCertCnt);
      spList->SetText(kColCertCount, row, certCount);
      spList->SetText(kColCertTel, row, CertTelText(rs->Fields(fCertTel), certCount.toInt()));
      spList->SetText(kColRegUser, row, rs->Fields(fRegUser));
      spList->SetText(kColUpdateUser, row, rs->Fields(fUpdUser));
      spList->SetText(kColUpdateTime, row, rs->Fields(fUpdTime));
      spList->SetText(kColCode, row, rs->Fields(fSeq));
    }
  }
  if (count <= 0) ShowHoverlet(QStringLiteral("검색된 결과가 없습니다."), 500);
  DBCloseRecordset(rs);

  const int rows = spList->MaxRows();
  const int col = activeCol > 0 ? activeCol : 1;
  if (activeRow >= 1 && activeRow <= rows)
    spList->SetActiveCell(col, activeRow);
  else if (rows > 0)
    spList->SetActiveCell(col, rows);
}

void FrmMain::ShowCustomerDialog(int mode, int code) {
  fBCust_Save dialog(this);
  m_customerDialog = &dialog;
  dialog.SetFormMode(mode, this, code);
  ShowModal(dialog);
  m_customerDialog = nullptr;
  SafeSetFocus(spList);
}

void FrmMain::btnAdd_Click() { ShowCustomerDialog(1, 0); }

void FrmMain::btnEdit_Click() {
  const int code = SelectedCode();
  if (code == 0) {
    MsgInfo(QStringLiteral("먼저 그리드에서 수정할 자료를 선택하세요."));
    SafeSetFocus(spList);
    return;
  }
  ShowCustomerDialog(2, code);
}

void FrmMain::SyncUpdateUser(int& eUpdateMode) {
  if (!m_customerDialog) return;
  const fBCust_Save& dlg = *m_customerDialog;
  int row = spList->ActiveRow();
  if (eUpdateMode == 1) {
    spList->SetMaxRows(spList->MaxRows() + 1);
    row = spList->MaxRows();
  }
  if (row < 1) return;
  spList->SetText(kColName, row, dlg.htField[0]->Text());
  spList->SetText(kColId, row, dlg.htField[1]->Text());
  if (eUpdateMode == 1) {
    spList->SetText(kColRegDate, row, clock_::LocalNow().toString(QStringLiteral("yyyy-MM-dd")));
    spList->SetText(kColRegUser, row, CurrentStaff().userId);
    spList->SetText(kColBalance, row, QStringLiteral("0"));
  }
  spList->SetText(kColMemo, row, dlg.htField[3]->Text());
  spList->SetText(kColPhone, row, dlg.htField[4]->Text());
  spList->SetText(kColCode, row, QString::number(dlg.CustomerCode()));
  spList->SetActiveCell(spList->ActiveCol() > 0 ? spList->ActiveCol() : 1, row);
}

void FrmMain::btnCharge_Click() {
  const QString id = SelectedId();
  if (id.isEmpty()) {
    MsgInfo(QStringLiteral("우선 충전할 고객을 선택해 주세요"));
    return;
  }
  {
    fBFill_Save dialog(this);
    dialog.SetFormMode(id, 1, this, 0);
    ShowModal(dialog);
  }
  // Cancelled or not, the list shows what the database holds now.
  RefreshBalance();
}

void FrmMain::RefreshBalance() {
  const int row = spList->ActiveRow();
  if (row < 1) return;
  const QString value = DBGetValue(QStringLiteral("SELECT restcnt FROM smsuser WHERE userseq = ") +
                                   QString::number(SelectedCode()));
  spList->SetText(kColBalance, row, value);
}

void FrmMain::btnUseLog_Click() {
  if (SelectedId().isEmpty()) {
    MsgInfo(QStringLiteral("우선 조회할 고객을 선택해 주세요"));
    return;
  }
  fRUseList dialog(this);
  dialog.SetFormMode(SelectedId());
  ShowModal(dialog);
}

void FrmMain::btnCertifiedTelNum_Click() {
  const QString id = SelectedId();
  if (id.isEmpty()) {
    MsgInfo(QStringLiteral("우선 발신번호 사전등록할 고객을 선택해 주세요."));
    return;
  }
  FrmCertifiedTelNumMng dialog(this);
  dialog.lblID->setText(id);
  dialog.lblCompName->setText(GetCellText(*spList, kColName, -2));
  ShowModal(dialog);
}

void FrmMain::btnChargeList_Click() {
  if (!btnChargeList->isEnabled()) return;
  fRChargeList dialog(this);
  ShowModal(dialog);
}

void FrmMain::btnSumFill_Click() {
  fRSumFill dialog(this);
  ShowSummary(dialog);
}

void FrmMain::btnSumUse_Click() {
  fRSumUse dialog(this);
  ShowSummary(dialog);
}

int FrmMain::LastButtonPosition() const {
  return btnBalanceCheck->isVisibleTo(this) ? 12 : btnSumFill->isVisibleTo(this) ? 11 : 9;
}

void FrmMain::btnLowBalance_Click() {
  fRLowBalance dialog(this);
  ShowModal(dialog);
  // Charges made from there show here too.
  if (spList->ActiveRow() >= 1 && spList->ActiveRow() <= spList->MaxRows()) RefreshBalance();
}

void FrmMain::btnBalanceCheck_Click() {
  fRBalanceCheck dialog(this);
  ShowModal(dialog);
}

void FrmMain::ShowSummary(SummaryWindow& dialog) {
  // The selected customer is offered; the query waits for the user.
  if (spList->ActiveRow() >= 1 && spList->ActiveRow() <= spList->MaxRows())
    dialog.htField->SetText(SelectedId());
  ShowModal(dialog);
}

void FrmMain::ExportList() {
  if (!MayExportCustomerList(CurrentStaff().userId)) {
    MsgInfo(QStringLiteral("엑셀 내보내기 권한이 없습니다."));
    return;
  }
  ExportToExcelFile(*spList, QStringLiteral("Sheet1"));
}

void FrmMain::keyPressEvent(QKeyEvent* event) {
  if (pnlBusy->Reading() && event->key() == Qt::Key_Escape) {
    pnlBusy->Stop();
    return;
  }
  QWidget::keyPressEvent(event);
}

void FrmMain::closeEvent(QCloseEvent* event) {
  if (pnlBusy->Reading()) {
    pnlBusy->Stop();
    event->ignore();
    return;
  }
  if (m_closing) {
    event->accept();
    return;
  }
  m_closing = true;
  UnloadOtherForms(objectName());
  emit Closing();
  event->accept();
}
