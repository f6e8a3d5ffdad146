#include "reports/SummaryWindow.h"

#include "controls/AccessibleName.h"
#include "controls/HCTerm.h"
#include "controls/HCText.h"
#include "controls/WaitCursor.h"
#include "db/BackgroundRead.h"
#include "db/ReportReads.h"
#include "db/modMySQL_Func.h"
#include "grid/GridMenu.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modFormIni.h"
#include "platform/Clock.h"

#include <QComboBox>
#include <QPushButton>

namespace {
constexpr int kColDate = 1;
constexpr int kSecondHeaderRow = spread::ColHeaderRow(2);
}  // namespace

SummaryWindow::SummaryWindow(const Layout& layout, QWidget* parent)
    : ReportWindow(QLatin1String(layout.name),
                   layout.kind == SumKind::Fill ? QStringLiteral("문자충전집계")
                                                : QStringLiteral("문자사용내역"),
                   layout.widthTwips, 9195, true, parent),
      m_layout(layout) {
  cmbBranch = new QComboBox(this);
  cmbBranch->setObjectName(QStringLiteral("cmbBranch"));
  PlaceInTop(cmbBranch, 6, 70);
  controls::SetControlName(cmbBranch, QStringLiteral("집계 단위"));  // no caption beside it
  AddCaption(QStringLiteral("고객ID:"), 84, 48);
  htField = new HCText(this);
  htField->setObjectName(QStringLiteral("htField"));
  htField->SetMaxLength(15);
  htField->SetIMEMode(8);  // IDs are typed in English
  PlaceInTop(htField, 134, 110);
  PlacePeriod();
  btnQuery = AddButton("btnQuery", QStringLiteral("조회 F5"), 2);
  connect(btnQuery, &QPushButton::clicked, this, &ReportWindow::RunQuery);

  CommonSpreadDesign(*spList, true, true, true, true, true);
  spList->SetMaxCols(layout.lastCol);
  for (int c = 2; c <= layout.lastCol; ++c) SetCellTypeNumber(*spList, c);
  std::map<int, int> hiddenToSum;
  for (const auto& [source, hidden] : layout.sums) {
    spList->SetColHidden(hidden, true);
    hiddenToSum[hidden] = source;
  }
  MapSumColumns(hiddenToSum);

  const QDate today = clock_::LocalNow().date();
  htDate->SetText1(today.addDays(-7).toString(Qt::ISODate));
  htDate->SetText2(today.toString(Qt::ISODate));
  htField->SetText(QString());
  cmbBranch->addItems({QStringLiteral("년별"), QStringLiteral("월별"), QStringLiteral("일별")});
  cmbBranch->setCurrentIndex(2);
}

void SummaryWindow::Query() {
  const int unit = cmbBranch->currentIndex();
  RecordsetPtr rs;
  const int count =
      DBOpenReportRecordset(rs, SumSql(m_layout.kind, unit, htField->Text(),
                                       QDate::fromString(htDate->Text1(), Qt::ISODate),
                                       QDate::fromString(htDate->Text2(), Qt::ISODate)));
  if (DBReadStopped()) return;
  WaitCursor wait;
  ReDrawOff redraw(*spList);
  ReplaceRows();
  spList->SetMaxRows(std::max(count, 0));
  if (count > 0 && rs) {
    std::vector<int> fields;
    for (const char* f : m_layout.fields) fields.push_back(rs->FieldIndex(QLatin1String(f)));
    const int fDate = rs->FieldIndex(QStringLiteral("sdate"));
    for (int row = 1; !rs->Eof(); rs->MoveNext(), ++row) {
      spList->SetText(kColDate, row, SumDateText(rs->Fields(fDate), unit));
      for (std::size_t i = 0; i < fields.size(); ++i)
        spList->SetText(static_cast<int>(i) + 2, row, rs->Fields(fields[i]));
    }
  } else {
    NoResultNotice();
  }
  DBCloseRecordset(rs);
  if (spList->MaxRows() > 0) SetSumFormulas(m_layout.sums);
  spList->SetActiveCell(1, 1);
}

fRSumFill::fRSumFill(QWidget* parent)
    : SummaryWindow({SumKind::Fill,
                     "fRSumFill",
                     10485,
                     {"bcnt", "tcnt", "scnt", "bmoney", "tmoney", "smoney"},
                     {{2, 8}, {5, 9}, {3, 10}, {6, 11}, {4, 12}, {7, 13}},
                     13},
                    parent) {
  spList->SetColHeaderRows(2);
  const int second = kSecondHeaderRow;
  const struct {
    int col;
    int row;
    const char* text;
  } headers[] = {{1, 0, "일자"},         {2, 0, "수량"},        {5, 0, "금액"},
                 {8, 0, "일반 합"},      {9, 0, "일반금액 합"}, {10, 0, "보상 합"},
                 {11, 0, "보상금액 합"}, {12, 0, "수량 합 합"}, {13, 0, "금액합 합"},
                 {2, second, "일반"},    {3, second, "보상"},   {4, second, "합계"},
                 {5, second, "일반"},    {6, second, "보상"},   {7, second, "합계"}};
  for (const auto& h : headers) spList->SetText(h.col, h.row, QString::fromUtf8(h.text));
  spList->AddCellSpan(1, 0, 1, 2);
  spList->AddCellSpan(2, 0, 3, 1);
  spList->AddCellSpan(5, 0, 3, 1);
  // The corner's "No" spans both header rows once there are two.
  if (spList->RowHeadersShow()) spList->AddCellSpan(0, 0, 1, 2);
  SetColumnWidths({12, 10, 10, 10, 12, 12, 12});
  SetupSum(kColDate, {2, 3, 4, 5, 6, 7});
  AttachGridServices(*this, *spList, false, spSum);
  LoadFormLayout(*this);
}

fRSumUse::fRSumUse(QWidget* parent)
    : SummaryWindow({SumKind::Use,
                     "fRSumUse",
                     10485,
                     {"cnt", "rcnt", "scnt"},
                     {{2, 6}, {3, 7}, {4, 8}, {5, 9}},
                     9},
                    parent) {
  const char* headers[] = {"일자", "접수(입력)수량", "전송(성공)수량", "보상(실패)수량",
                           "납부수량"};
  for (int c = 0; c < 5; ++c) spList->SetText(c + 1, 0, QString::fromUtf8(headers[c]));
  spList->SetColHidden(5, true);
  SetColumnWidths({12, 15, 15, 15});
  SetupSum(kColDate, {2, 3, 4, 5});
  AttachGridServices(*this, *spList, false, spSum);
  LoadFormLayout(*this);
}
