#include "reports/fRUseList.h"

#include "controls/HCTerm.h"
#include "controls/WaitCursor.h"
#include "db/BackgroundRead.h"
#include "db/ReportReads.h"
#include "db/modMySQL_Func.h"
#include "grid/ExcelExport.h"
#include "grid/GridMenu.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "print/cFpPreview.h"
#include "reports/ReportSql.h"

#include <QPushButton>
#include <QShortcut>

namespace {
constexpr int kColId = 1, kColDate = 2, kColKind = 3, kColQty = 4, kColNote = 5, kColSum = 6;

QString ChargeLabel(const QString& type) {
  if (type == QLatin1String("0")) return QStringLiteral("일반충전");
  if (type == QLatin1String("1")) return QStringLiteral("보상충전");
  // Type 2, and any type the charge dialog never writes.
  return QStringLiteral("기타");
}
}  // namespace

fRUseList::fRUseList(QWidget* parent)
    : ReportWindow(QStringLiteral("fRUseList"), QStringLiteral("문자사용내역"), 8910, 9195, true,
                   parent) {
  PlacePeriod();
  btnQuery = AddButton("btnQuery", QStringLiteral("조회 F5"), 4);
  btnPrint = AddButton("btnPrint", QStringLiteral("인쇄 F7"), 3);
  btnExcel = AddButton("btnExcel", QStringLiteral("엑셀 F8"), 2);
  connect(btnQuery, &QPushButton::clicked, this, &ReportWindow::RunQuery);
  connect(btnPrint, &QPushButton::clicked, this, &fRUseList::Print);
  connect(btnExcel, &QPushButton::clicked, this, &fRUseList::Export);
  connect(new QShortcut(QKeySequence(Qt::Key_F7), this), &QShortcut::activated, this,
          &fRUseList::Print);
  connect(new QShortcut(QKeySequence(Qt::Key_F8), this), &QShortcut::activated, this,
          &fRUseList::Export);

  CommonSpreadDesign(*spList, true, true, true, true, true);
  spList->SetMaxCols(kColSum);
  const char* headers[] = {"ID", "일자", "구분", "수량", "비고"};
  for (int c = 0; c < 5; ++c) spList->SetText(c + 1, 0, QString::fromUtf8(headers[c]));
  SetCellTypeNumber(*spList, kColQty);
  SetCellTypeNumber(*spList, kColSum);
  spList->SetColHidden(kColSum, true);
  SetColumnWidths({12, 11, 11, 10, 24});
  SetupSum(kColKind, {kColQty});
  MapSumColumns({{kColSum, kColQty}});

  const QDate today = clock_::LocalNow().date();
  htDate->SetText1(today.addDays(-7).toString(Qt::ISODate));
  htDate->SetText2(today.toString(Qt::ISODate));
  AttachGridServices(*this, *spList, false, spSum);
  LoadFormLayout(*this);
}

void fRUseList::SetFormMode(const QString& sCid) {
  m_userid = sCid;
  RunQuery();
}

void fRUseList::Query() {
  const QDate from = QDate::fromString(htDate->Text1(), Qt::ISODate);
  const QDate to = QDate::fromString(htDate->Text2(), Qt::ISODate);
  RecordsetPtr rs;
  const int count = DBOpenReportRecordset(rs, UseListSql(m_userid, from, to));
  if (DBReadStopped()) return;
  WaitCursor wait;
  ReDrawOff redraw(*spList);
  ReplaceRows();
  if (count <= 0 || !rs) {
    DBCloseRecordset(rs);
    NoResultNotice();
    spList->SetActiveCell(1, 1);
    return;
  }

  struct Row {
    QString uid, date, label, note;
    qint64 qty = 0;
  };
  std::vector<Row> rows;
  rows.reserve(static_cast<std::size_t>(count));
  const int fUid = rs->FieldIndex(QStringLiteral("uid"));
  const int fDate = rs->FieldIndex(QStringLiteral("rdate"));
  const int fSec = rs->FieldIndex(QStringLiteral("sec"));
  const int fCnt = rs->FieldIndex(QStringLiteral("cnt"));
  const int fNote = rs->FieldIndex(QStringLiteral("bigo"));
  const int fSort = rs->FieldIndex(QStringLiteral("sort"));
  for (; !rs->Eof(); rs->MoveNext()) {
    const QString sort = rs->Fields(fSort);
    const qint64 qty = rs->Fields(fCnt).toLongLong();
    // Every carry-over part shows as one row.
    if (sort == QLatin1String("1") && !rows.empty() &&
        rows.back().label == QStringLiteral("[전기이월]")) {
      rows.back().qty += qty;
      continue;
    }
    Row r;
    r.uid = rs->Fields(fUid);
    r.date = rs->Fields(fDate);
    r.note = rs->Fields(fNote);
    r.qty = qty;
    if (sort == QLatin1String("1"))
      r.label = QStringLiteral("[전기이월]");
    else if (sort == QLatin1String("2"))
      r.label = ChargeLabel(rs->Fields(fSec));
    else
      r.label = rs->Fields(fSec);
    rows.push_back(std::move(r));
  }
  DBCloseRecordset(rs);

  spList->SetMaxRows(static_cast<int>(rows.size()));
  int i = 0;
  for (const Row& r : rows) {
    ++i;
    spList->SetText(kColId, i, r.uid);
    spList->SetText(kColDate, i, r.date);
    spList->SetText(kColKind, i, r.label);
    spList->SetText(kColQty, i, QString::number(r.qty));
    spList->SetText(kColNote, i, r.note);
  }
  SetSumFormulas({{kColQty, kColSum}});
  spList->SetActiveCell(1, 1);
}

void fRUseList::Print() {
  cFpPreview* preview = PrintPreview();
  if (!preview) return;
  bool printed = false;
  preview->SpreadPreview(
      *spList, QStringLiteral("fRUseList"), windowTitle(), App().companySettingsName,
      QStringLiteral("고객ID: ") + m_userid + QStringLiteral("   기간: ") + htDate->Text1() +
          QStringLiteral(" ~ ") + htDate->Text2(),
      1, 0.3, 0.2, 0.5, 0.5, false, true, QString(), false, 16, true, true, printed);
}

void fRUseList::Export() { ExportToExcelFile(*spList, QStringLiteral("Sheet1")); }
