#include "reports/fRChargeList.h"

#include "controls/AccessibleName.h"
#include "controls/HCTerm.h"
#include "controls/WaitCursor.h"
#include "db/BackgroundRead.h"
#include "db/ReportReads.h"
#include "db/modMySQL_Func.h"
#include "grid/GridMenu.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "grid/modSpread60.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "reports/ReportSql.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QPushButton>

namespace {
constexpr int kColTime = 1, kColWeekday = 2, kColId = 3, kColType = 4, kColCount = 5, kColMoney = 6,
              kColUnit = 7, kColStaff = 8, kColNote = 9;
constexpr long kTotalBack = 224 + 240 * 256 + 224 * 65536;
constexpr long kBlue = 255L * 65536;
constexpr int kMaxDays = 60;

QString TypeLabel(const QString& type) {
  if (type == QLatin1String("0")) return QStringLiteral("충전");
  if (type == QLatin1String("1")) return QStringLiteral("보상");
  return QStringLiteral("기타");
}
}  // namespace

fRChargeList::fRChargeList(QWidget* parent)
    : ReportWindow(QStringLiteral("fRChargeList"), QStringLiteral("충전내역"), 10125, 9195, false,
                   parent) {
  cmbType = new QComboBox(this);
  cmbType->setObjectName(QStringLiteral("cmbType"));
  PlaceInTop(cmbType, 6, 80);
  controls::SetControlName(cmbType, QStringLiteral("구분"));  // no caption beside it
  chkSaturday = new QCheckBox(QStringLiteral("토요일만 보기"), this);
  chkSaturday->setObjectName(QStringLiteral("chkSaturday"));
  PlaceInTop(chkSaturday, 94, 110);
  PlacePeriod();
  btnQuery = AddButton("btnQuery", QStringLiteral("조회 F5"), 2);
  connect(btnQuery, &QPushButton::clicked, this, &ReportWindow::RunQuery);
  connect(chkSaturday, &QCheckBox::clicked, this, &ReportWindow::RunQuery);
  connect(cmbType, qOverload<int>(&QComboBox::activated), this, [this] {
    if (isVisible()) RunQuery();
  });

  CommonSpreadDesign(*spList, true, true, true, true, true);
  spList->SetMaxCols(kColNote);
  const char* headers[] = {"처리일시", "요일", "ID",     "구분", "충전건수",
                           "충전금액", "건당", "처리자", "비고"};
  for (int c = 0; c < kColNote; ++c) spList->SetText(c + 1, 0, QString::fromUtf8(headers[c]));
  SetColumnWidths({18, 5, 12, 6, 9, 10, 8, 8, 20});
  // Counts and amounts in whole numbers, the price per message to two places; a count of 0
  // leaves the price empty.
  SetCellTypeNumber(*spList, kColCount);
  SetCellTypeNumber(*spList, kColMoney);
  SetCellTypeNumber(*spList, kColUnit, 2);
  spList->SetFormula(kColUnit, -1, QStringLiteral("RC%1/RC%2").arg(kColMoney).arg(kColCount));
  // The grand total leaves before a header-click sort and comes back with fresh sums after it.
  connect(spList, &SpreadGrid::BeforeUserSort, this, [this] {
    if (spList->MaxRows() > 0) spList->SetMaxRows(spList->MaxRows() - 1);
  });
  connect(spList, &SpreadGrid::AfterUserSort, this, [this] {
    if (spList->MaxRows() > 0) AddTotalRow();
  });

  const QDate today = clock_::LocalNow().date();
  htDate->SetText1(today.addDays(-2).toString(Qt::ISODate));
  htDate->SetText2(today.toString(Qt::ISODate));
  cmbType->addItems({QStringLiteral("[구분]"), QStringLiteral("충전"), QStringLiteral("보상"),
                     QStringLiteral("기타")});
  cmbType->setCurrentIndex(1);
  AttachGridServices(*this, *spList, false);
  LoadFormLayout(*this);
}

void fRChargeList::Query() {
  const QDate from = QDate::fromString(htDate->Text1(), Qt::ISODate);
  const QDate to = QDate::fromString(htDate->Text2(), Qt::ISODate);
  if (std::abs(from.daysTo(to)) > kMaxDays) {
    MsgInfo(QStringLiteral("기간 간격은 최대 60일까지 조회가능합니다."));
    return;
  }
  RecordsetPtr rs;
  const int count = DBOpenReportRecordset(
      rs, ChargeListSql(from, to, cmbType->currentIndex(), chkSaturday->isChecked()));
  if (DBReadStopped()) return;
  WaitCursor wait;
  ReDrawOff redraw(*spList);
  ReplaceRows();
  spList->SetMaxRows(std::max(count, 0));
  if (count > 0 && rs) {
    const QLocale locale = QLocale::system();
    const int fTime = rs->FieldIndex(QStringLiteral("regtime"));
    const int fId = rs->FieldIndex(QStringLiteral("userid"));
    const int fType = rs->FieldIndex(QStringLiteral("regtype"));
    const int fCount = rs->FieldIndex(QStringLiteral("casecnt"));
    const int fMoney = rs->FieldIndex(QStringLiteral("casemoney"));
    const int fStaff = rs->FieldIndex(QStringLiteral("reguser"));
    const int fNote = rs->FieldIndex(QStringLiteral("bigo"));
    for (int row = 1; !rs->Eof(); rs->MoveNext(), ++row) {
      const QString t = rs->Fields(fTime);
      const QString shown = t.left(4) + u'-' + t.mid(4, 2) + u'-' + t.mid(6, 2) + u' ' +
                            t.mid(8, 2) + u':' + t.mid(10, 2) + u':' + t.mid(12, 2);
      spList->SetText(kColTime, row, shown);
      const QDate day = QDate::fromString(t.left(8), QStringLiteral("yyyyMMdd"));
      if (day.isValid()) {
        spList->SetText(kColWeekday, row, locale.dayName(day.dayOfWeek(), QLocale::ShortFormat));
        if (day.dayOfWeek() == Qt::Saturday) spList->SetForeColor(kColWeekday, row, kBlue);
      }
      spList->SetText(kColId, row, rs->Fields(fId));
      spList->SetText(kColType, row, TypeLabel(rs->Fields(fType)));
      spList->SetText(kColCount, row, rs->Fields(fCount));
      spList->SetText(kColMoney, row, rs->Fields(fMoney));
      spList->SetText(kColStaff, row, rs->Fields(fStaff));
      spList->SetText(kColNote, row, rs->Fields(fNote));
    }
    spList->SetActiveCell(1, 1);
    AddTotalRow();
  } else {
    NoResultNotice();
  }
  DBCloseRecordset(rs);
  spList->SetActiveCell(1, 1);
}

void fRChargeList::AddTotalRow() {
  AddGrandTotalRow(*spList, kColTime, true, QStringLiteral("[합 계]"), kTotalBack);
  SetColSumFormula2(*spList, kColCount);
  SetColSumFormula2(*spList, kColMoney);
}
