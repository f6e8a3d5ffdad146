#include "reports/fRLowBalance.h"

#include "controls/HCText.h"
#include "controls/TelFormat.h"
#include "controls/WaitCursor.h"
#include "customers/fBFill_Save.h"
#include "db/BackgroundRead.h"
#include "db/ReportReads.h"
#include "db/modMySQL_Func.h"
#include "grid/GridMenu.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "reports/FollowUpSql.h"

#include <QHash>
#include <QPushButton>

#include <algorithm>
#include <optional>

namespace {
constexpr int kColId = 1, kColName = 2, kColBalance = 3, kColDaily = 4, kColDaysLeft = 5,
              kColLastCharge = 6, kColLastMoney = 7, kColPhone = 8, kColCode = 9;
constexpr int kDays = 30;

QString Key(const QString& id) { return id.trimmed().toCaseFolded(); }
}  // namespace

struct fRLowBalance::Row {
  QString id, name, phone, lastCharge, lastMoney;
  int code = 0;
  qint64 balance = 0;
  qint64 units = 0;  // used over the last 30 days
  // Whole days the balance lasts at the recent pace; none without use.
  std::optional<qint64> DaysLeft() const {
    if (units <= 0) return std::nullopt;
    return balance <= 0 ? 0 : balance * kDays / units;
  }
};

fRLowBalance::fRLowBalance(QWidget* parent)
    : ReportWindow(QStringLiteral("fRLowBalance"), QStringLiteral("잔액부족 고객"), 11000, 9195,
                   false, parent, false) {
  AddCaption(QStringLiteral("잔액 기준:"), 6, 64);
  htField = new HCText(this);
  htField->setObjectName(QStringLiteral("htField"));
  htField->SetAcceptType(HCText::kNumber);
  htField->SetShowSeparate(true);
  htField->SetMaxLength(11);
  htField->SetText(QStringLiteral("1000"));
  PlaceInTop(htField, 72, 90);
  AddCaption(QStringLiteral("건 미만"), 166, 60);
  btnQuery = AddButton("btnQuery", QStringLiteral("조회 F5"), 2);
  connect(btnQuery, &QPushButton::clicked, this, &ReportWindow::RunQuery);

  CommonSpreadDesign(*spList, true, true, true, true, true);
  spList->SetMaxCols(kColCode);
  const char* headers[] = {"ID",        "상호",          "잔액",     "일평균 사용",
                           "남은 일수", "마지막 충전일", "충전금액", "전화번호"};
  for (int c = 0; c < 8; ++c) spList->SetText(c + 1, 0, QString::fromUtf8(headers[c]));
  SetCellTypeNumber(*spList, kColBalance);
  SetCellTypeNumber(*spList, kColDaily, 1);
  SetCellTypeNumber(*spList, kColDaysLeft);
  SetCellTypeNumber(*spList, kColLastMoney);
  spList->SetColHidden(kColCode, true);
  SetColumnWidths({12, 16, 9, 10, 9, 12, 10, 14});
  connect(spList, &SpreadGrid::DblClick, this, [this](int, int row) { Charge(row); });
  AttachGridServices(*this, *spList, false);
  LoadFormLayout(*this);
}

std::vector<fRLowBalance::Row> fRLowBalance::Figures(const QStringList& ids) {
  QHash<QString, qint64> units;
  QHash<QString, std::pair<QString, QString>> lastCharge;
  const QDate today = clock_::LocalNow().date();
  RecordsetPtr rs;
  for (int table = 0; table < 2; ++table) {
    if (DBOpenReportRecordset(rs, RecentUseSql(table, ids, today.addDays(1 - kDays), today)) > 0)
      for (; !rs->Eof(); rs->MoveNext())
        units[Key(rs->Fields(0))] += (table == 0 ? 1 : 3) * rs->Fields(1).toLongLong();
    DBCloseRecordset(rs);
    if (DBReadStopped()) return {};
  }
  if (DBOpenReportRecordset(rs, LastChargeSql(ids)) > 0)
    for (; !rs->Eof(); rs->MoveNext())
      lastCharge.insert(Key(rs->Fields(0)), {rs->Fields(1), rs->Fields(2)});
  DBCloseRecordset(rs);
  if (DBReadStopped()) return {};

  std::vector<Row> rows;
  rows.reserve(static_cast<std::size_t>(ids.size()));
  for (const QString& id : ids) {
    Row r;
    r.id = id;
    r.units = units.value(Key(id));
    const auto last = lastCharge.value(Key(id));
    r.lastCharge = last.first.size() >= 8 ? last.first.left(4) + u'-' + last.first.mid(4, 2) +
                                                u'-' + last.first.mid(6, 2)
                                          : QString();
    r.lastMoney = last.second;
    rows.push_back(std::move(r));
  }
  return rows;
}

void fRLowBalance::Query() {
  const qint64 threshold = htField->Text().remove(u',').toLongLong();

  std::vector<Row> customers;
  RecordsetPtr rs;
  const int count = DBOpenReportRecordset(rs, LowBalanceCustomersSql(threshold));
  if (DBReadStopped()) return;
  if (count > 0) {
    for (; !rs->Eof(); rs->MoveNext()) {
      Row r;
      r.code = rs->Fields(0).toInt();
      r.id = rs->Fields(1);
      r.name = rs->Fields(2);
      r.balance = rs->Fields(3).toLongLong();
      r.phone = rs->Fields(4);
      customers.push_back(std::move(r));
    }
  }
  DBCloseRecordset(rs);
  if (customers.empty()) {
    ReplaceRows();
    NoResultNotice();
    spList->SetActiveCell(1, 1);
    return;
  }

  QStringList ids;
  for (const Row& r : customers) ids << r.id;
  const std::vector<Row> figures = Figures(ids);
  if (DBReadStopped()) return;
  for (std::size_t i = 0; i < customers.size(); ++i) {
    customers[i].units = figures[i].units;
    customers[i].lastCharge = figures[i].lastCharge;
    customers[i].lastMoney = figures[i].lastMoney;
  }
  // The ones about to run dry first; those without recent use after them, lowest balance first.
  std::stable_sort(customers.begin(), customers.end(), [](const Row& a, const Row& b) {
    const auto da = a.DaysLeft(), db = b.DaysLeft();
    if (da.has_value() != db.has_value()) return da.has_value();
    if (da && *da != *db) return *da < *db;
    return a.balance < b.balance;
  });
  WaitCursor wait;
  ReDrawOff redraw(*spList);
  ReplaceRows();
  spList->SetMaxRows(static_cast<int>(customers.size()));
  for (std::size_t i = 0; i < customers.size(); ++i) Write(static_cast<int>(i) + 1, customers[i]);
  spList->SetActiveCell(1, 1);
}

void fRLowBalance::Write(int row, const Row& r) {
  spList->SetText(kColId, row, r.id);
  spList->SetText(kColName, row, r.name);
  spList->SetText(kColBalance, row, QString::number(r.balance));
  spList->SetText(kColDaily, row, QString::number(static_cast<double>(r.units) / kDays, 'f', 1));
  const auto days = r.DaysLeft();
  spList->SetText(kColDaysLeft, row, days ? QString::number(*days) : QString());
  spList->SetText(kColLastCharge, row, r.lastCharge);
  spList->SetText(kColLastMoney, row, r.lastMoney);
  spList->SetText(kColPhone, row, FormatTelNo(r.phone));
  spList->SetText(kColCode, row, QString::number(r.code));
}

void fRLowBalance::Charge(int row) {
  if (row < 1 || row > spList->MaxRows()) return;
  const QString id = spList->GetText(kColId, row);
  {
    fBFill_Save dialog(this);
    dialog.SetFormMode(id, 1, this, 0);
    ShowModal(dialog);
  }
  // Cancelled or not, the row shows what the database holds now.
  const std::vector<Row> figures = Figures({id});
  if (figures.empty()) return;
  Row r = figures.front();
  r.name = spList->GetText(kColName, row);
  r.phone = spList->GetText(kColPhone, row);
  r.code = spList->GetText(kColCode, row).toInt();
  r.balance = DBGetValue(QStringLiteral("SELECT restcnt FROM smsuser WHERE userseq = ") +
                         QString::number(r.code))
                  .toLongLong();
  Write(row, r);
}
