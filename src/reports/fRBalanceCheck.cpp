#include "reports/fRBalanceCheck.h"

#include "controls/HCText.h"
#include "controls/WaitCursor.h"
#include "db/BackgroundRead.h"
#include "db/ReportReads.h"
#include "grid/ExcelExport.h"
#include "grid/GridMenu.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "platform/AppState.h"
#include "platform/Prompt.h"
#include "print/cFpPreview.h"
#include "reports/FollowUpSql.h"
#include "reports/fRUseList.h"

#include <QHash>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {
constexpr int kColId = 1, kColName = 2, kColStored = 3, kColHistory = 4, kColDiff = 5,
              kColLastCharge = 6, kColLastSend = 7, kColSumStored = 8, kColSumHistory = 9,
              kColSumDiff = 10;

struct Totals {
  qint64 charges = 0;
  qint64 units = 0;  // sent and queued, SMS 1 and MMS 3
  QString lastCharge;
  QString lastSend;
};

struct Row {
  QString id, name, lastCharge, lastSend;
  qint64 stored = 0, fromHistory = 0;
};

QString Shown(const QString& t) {
  if (t.size() < 14) return t;
  return t.left(4) + u'-' + t.mid(4, 2) + u'-' + t.mid(6, 2) + u' ' + t.mid(8, 2) + u':' +
         t.mid(10, 2) + u':' + t.mid(12, 2);
}

// IDs compare the way the database compares them (case and trailing blanks ignored).
QString Key(const QString& id) { return id.trimmed().toCaseFolded(); }

QHash<QString, Totals> History(Recordset& charges, RecordsetPtr (&sending)[3]) {
  QHash<QString, Totals> history;
  for (; !charges.Eof(); charges.MoveNext()) {
    Totals& h = history[Key(charges.Fields(0))];
    h.charges += charges.Fields(1).toLongLong();
    h.lastCharge = std::max(h.lastCharge, charges.Fields(2));
  }
  for (int table = 0; table < 3; ++table) {
    const qint64 units = table == 0 ? 1 : 3;
    for (Recordset& rs = *sending[table]; !rs.Eof(); rs.MoveNext()) {
      Totals& h = history[Key(rs.Fields(0))];
      h.units += units * rs.Fields(1).toLongLong();
      if (table < 2) h.lastSend = std::max(h.lastSend, rs.Fields(2));
    }
  }
  return history;
}

// One row per ID, not per customer row: the history belongs to the ID, so customer rows sharing
// one are compared together, their balances and carry-overs summed. Largest difference first.
std::vector<Row> Differences(const QHash<QString, Totals>& history, Recordset& customers) {
  struct Account {
    QString id;
    QStringList names;
    qint64 stored = 0, carried = 0;
  };
  std::vector<Account> accounts;
  QHash<QString, std::size_t> byKey;
  for (; !customers.Eof(); customers.MoveNext()) {
    const QString key = Key(customers.Fields(0));
    auto it = byKey.find(key);
    if (it == byKey.end()) {
      it = byKey.insert(key, accounts.size());
      accounts.push_back(Account{customers.Fields(0), {}, 0, 0});
    }
    Account& a = accounts[*it];
    a.names << customers.Fields(1);
    a.stored += customers.Fields(2).toLongLong();
    a.carried += customers.Fields(3).toLongLong();
  }

  std::vector<Row> rows;
  for (const Account& a : accounts) {
    const Totals h = history.value(Key(a.id));
    const QString name = a.names.size() == 1
                             ? a.names.front()
                             : QStringLiteral("[공유 ID %1건] ").arg(a.names.size()) +
                                   a.names.join(QStringLiteral(", "));
    Row r{a.id, name, h.lastCharge, h.lastSend, a.stored, a.carried + h.charges - h.units};
    if (r.stored != r.fromHistory) rows.push_back(std::move(r));
  }
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    return std::llabs(a.stored - a.fromHistory) > std::llabs(b.stored - b.fromHistory);
  });
  return rows;
}
}  // namespace

fRBalanceCheck::fRBalanceCheck(QWidget* parent)
    : ReportWindow(QStringLiteral("fRBalanceCheck"), QStringLiteral("잔액 대사"), 11000, 9195, true,
                   parent, false) {
  AddCaption(QStringLiteral("고객ID:"), 6, 48);
  htField = new HCText(this);
  htField->setObjectName(QStringLiteral("htField"));
  htField->SetMaxLength(15);
  htField->SetIMEMode(8);
  PlaceInTop(htField, 56, 120);
  btnQuery = AddButton("btnQuery", QStringLiteral("조회 F5"), 4);
  btnPrint = AddButton("btnPrint", QStringLiteral("인쇄 F7"), 3);
  btnExcel = AddButton("btnExcel", QStringLiteral("엑셀 F8"), 2);
  connect(btnQuery, &QPushButton::clicked, this, &ReportWindow::RunQuery);
  connect(btnPrint, &QPushButton::clicked, this, &fRBalanceCheck::Print);
  connect(btnExcel, &QPushButton::clicked, this,
          [this] { ExportToExcelFile(*spList, QStringLiteral("Sheet1")); });
  connect(new QShortcut(QKeySequence(Qt::Key_F7), this), &QShortcut::activated, this,
          &fRBalanceCheck::Print);
  connect(new QShortcut(QKeySequence(Qt::Key_F8), this), &QShortcut::activated, btnExcel,
          &QPushButton::click);

  CommonSpreadDesign(*spList, true, true, true, true, true);
  spList->SetMaxCols(kColSumDiff);
  const char* headers[] = {"ID",   "상호",        "저장 잔액",  "내역 잔액",
                           "차이", "마지막 충전", "마지막 발송"};
  for (int c = 0; c < 7; ++c) spList->SetText(c + 1, 0, QString::fromUtf8(headers[c]));
  for (int c : {kColStored, kColHistory, kColDiff, kColSumStored, kColSumHistory, kColSumDiff})
    SetCellTypeNumber(*spList, c);
  for (int c : {kColSumStored, kColSumHistory, kColSumDiff}) spList->SetColHidden(c, true);
  SetColumnWidths({12, 16, 11, 11, 10, 18, 18});
  SetupSum(kColName, {kColStored, kColHistory, kColDiff});
  MapSumColumns(
      {{kColSumStored, kColStored}, {kColSumHistory, kColHistory}, {kColSumDiff, kColDiff}});
  connect(spList, &SpreadGrid::DblClick, this, [this](int, int row) { OpenLedger(row); });
  AttachGridServices(*this, *spList, false, spSum);
  LoadFormLayout(*this);
}

void fRBalanceCheck::Query() {
  const QString only = htField->Text();

  // One grouped statement per table, all in one snapshot: a charge committed meanwhile is in
  // both the charges and the balance or in neither. Charges come first and customers last, so
  // that without the snapshot such a charge would show as a difference.
  std::vector<RecordsetPtr> read;
  DBSnapshotError error;
  if (!DBReadSnapshot(
          {BalanceChargesSql(only), BalanceSendingSql(0, only), BalanceSendingSql(1, only),
           BalanceSendingSql(2, only), BalanceCustomersSql(only)},
          read, error)) {
    if (DBReadStopped()) return;
    ReplaceRows();
    // A history with a table missing would make correct balances look wrong, and staff correct
    // balances from this list: no rows at all.
    QString text = QStringLiteral("잔액대사 자료를 읽지 못해 결과를 표시하지 않습니다.\n\nError ") +
                   QString::number(error.number) + QStringLiteral(" (") + error.text +
                   QLatin1Char(')');
    if (!error.sql.isEmpty()) text += QStringLiteral("\n\n") + error.sql;
    MsgBox(text, MsgButtons::Ok, MsgIcon::Critical);
    return;
  }
  WaitCursor wait;
  ReDrawOff redraw(*spList);
  ReplaceRows();
  RecordsetPtr sending[3] = {std::move(read[1]), std::move(read[2]), std::move(read[3])};

  const std::vector<Row> rows = Differences(History(*read[0], sending), *read[4]);
  spList->SetMaxRows(static_cast<int>(rows.size()));
  int i = 0;
  for (const Row& r : rows) {
    ++i;
    spList->SetText(kColId, i, r.id);
    spList->SetText(kColName, i, r.name);
    spList->SetText(kColStored, i, QString::number(r.stored));
    spList->SetText(kColHistory, i, QString::number(r.fromHistory));
    spList->SetText(kColDiff, i, QString::number(r.stored - r.fromHistory));
    spList->SetText(kColLastCharge, i, Shown(r.lastCharge));
    spList->SetText(kColLastSend, i, Shown(r.lastSend));
  }
  if (rows.empty()) {
    NoResultNotice();
  } else {
    SetSumFormulas(
        {{kColStored, kColSumStored}, {kColHistory, kColSumHistory}, {kColDiff, kColSumDiff}});
  }
  spList->SetActiveCell(1, 1);
}

void fRBalanceCheck::Print() {
  cFpPreview* preview = PrintPreview();
  if (!preview) return;
  bool printed = false;
  preview->SpreadPreview(
      *spList, QStringLiteral("fRBalanceCheck"), windowTitle(), App().companySettingsName,
      htField->Text().isEmpty() ? QStringLiteral("전체 고객")
                                : QStringLiteral("고객ID: ") + htField->Text(),
      1, 0.3, 0.2, 0.5, 0.5, false, true, QString(), false, 16, true, true, printed);
}

void fRBalanceCheck::OpenLedger(int row) {
  if (row < 1 || row > spList->MaxRows()) return;
  fRUseList ledger(this);
  ledger.SetFormMode(spList->GetText(kColId, row));
  ShowModal(ledger);
}
