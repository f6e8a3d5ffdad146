// A look at the common grid design and the text box kinds on screen (not part of the product):
// a report-style grid with its sum grid under it, a list with a grand-total row, fields, and the
// period and date inputs.
#include "controls/HCDateAdv.h"
#include "controls/HCTerm.h"
#include "controls/HCText.h"
#include "controls/LabelPanel.h"
#include "grid/MduSpread.h"
#include "grid/SpreadGrid.h"
#include "grid/modSpread60.h"
#include "platform/AppState.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  App().appTitle = QStringLiteral("Gallery");
  App().stylingEnabled = true;

  QWidget window;
  window.setWindowTitle(QStringLiteral("그리드와 입력 칸"));
  auto* layout = new QVBoxLayout(&window);

  // A ledger-like grid with a hidden sum column feeding the sum grid.
  auto* list = new SpreadGrid(&window);
  auto* sum = new SpreadGrid(&window);
  CommonSpreadDesign(*list, true, true, true, true, true);
  list->SetMaxCols(6);
  const char* headers[] = {"ID", "일자", "구분", "수량", "비고", "합"};
  for (int c = 1; c <= 6; ++c) list->SetText(c, 0, QString::fromUtf8(headers[c - 1]));
  SetCellTypeNumber(*list, 4);
  SetCellTypeNumber(*list, 6);
  list->SetColHidden(6, true);
  const char* kinds[] = {"일반충전", "SMS사용", "MMS사용", "보상충전", "MMS전송중"};
  const int qty[] = {2182, -153, -42, 500, -9};
  list->SetMaxRows(12);
  for (int r = 1; r <= 12; ++r) {
    list->SetText(1, r, QStringLiteral("gana01"));
    list->SetText(2, r, QStringLiteral("2026-12-%1").arg(r, 2, 10, QLatin1Char('0')));
    list->SetText(3, r, QString::fromUtf8(kinds[r % 5]));
    list->SetText(4, r, QString::number(qty[r % 5] * (r % 3 + 1)));
    list->SetText(5, r, r % 4 == 0 ? QStringLiteral("입금 확인 (똠방상사)") : QString());
  }
  // As a report window's design has it: one row, no column headers.
  sum->SetMaxRows(1);
  sum->SetColHeadersShow(false);
  SetupSumSpread(*sum, *list, 3);
  SetCellTypeNumber(*sum, 4);
  QObject::connect(list, &SpreadGrid::Change, [list, sum](int col, int row) {
    if (col == 6 && row == 1) sum->SetText(4, 1, list->GetText(6, 1));
  });
  SetSumColumnFormula(*list, 4, 6);
  sum->SetText(4, 1, list->GetText(6, 1));
  sum->setFixedHeight(28);
  layout->addWidget(
      new QLabel(QStringLiteral("사용내역 모양: 데이터 그리드와 합계 그리드"), &window));
  layout->addWidget(list, 3);
  layout->addWidget(sum);

  // A charge-list-like grid with a grand-total row.
  auto* charges = new SpreadGrid(&window);
  CommonSpreadDesign(*charges, true, true, true, true, true);
  charges->SetMaxCols(4);
  const char* chargeHeaders[] = {"고객ID", "충전일시", "건수", "금액"};
  for (int c = 1; c <= 4; ++c) charges->SetText(c, 0, QString::fromUtf8(chargeHeaders[c - 1]));
  SetCellTypeNumber(*charges, 3);
  SetCellTypeNumber(*charges, 4);
  charges->SetMaxRows(5);
  for (int r = 1; r <= 5; ++r) {
    charges->SetText(1, r, QStringLiteral("cust%1").arg(r));
    charges->SetText(2, r, QStringLiteral("2026-12-0%1 10:2%1:00").arg(r));
    charges->SetText(3, r, QString::number(682 * r));
    charges->SetText(4, r, QString::number(16500 * r));
  }
  AddGrandTotalRow(*charges, 1, true, QStringLiteral("[총 합 계]"), SpreadSumBackColor());
  SetColSumFormula2(*charges, 3);
  SetColSumFormula2(*charges, 4);
  layout->addWidget(new QLabel(QStringLiteral("충전내역 모양: 총합계 줄"), &window));
  layout->addWidget(charges, 2);

  // One field of each kind behind its caption panel.
  auto* fields = new QGridLayout;
  const struct {
    const char* caption;
    int kind;
    const char* text;
  } specs[] = {
      {"*상 호 명", HCText::kFreeText, "똠방 상사"}, {" 금    액", HCText::kNumber, "1234567"},
      {"*   ID   ", HCText::kLetters, "gana01"},     {" 전화번호", HCText::kTelNo, "01012345678"},
      {" 시    간", HCText::kTime, "0930"},          {" 코    드", HCText::kCode10, "1234567890"}};
  int row = 0;
  for (const auto& s : specs) {
    auto* label = new LabelPanel(QString::fromUtf8(s.caption), &window);
    label->setFixedWidth(90);
    label->SetBackColor(16048844);
    label->SetForeColor(s.caption[0] == '*' ? 9844483 : 0);
    auto* field = new HCText(&window);
    field->SetAcceptType(s.kind);
    if (s.kind == HCText::kNumber) field->SetShowSeparate(true);
    field->SetText(QString::fromUtf8(s.text));
    fields->addWidget(label, row / 2, (row % 2) * 2);
    fields->addWidget(field, row / 2, (row % 2) * 2 + 1);
    ++row;
  }
  layout->addLayout(fields);

  // A report window's period, as the windows place it, and a single date.
  auto* dates = new QHBoxLayout;
  auto* periodCaption = new LabelPanel(QStringLiteral(" 기    간"), &window);
  periodCaption->setFixedWidth(90);
  periodCaption->SetBackColor(16048844);
  periodCaption->SetForeColor(0);
  auto* htDate = new HCTerm(&window);
  htDate->setObjectName(QStringLiteral("htDate"));
  htDate->SetFocusEffect(true);
  htDate->SetEasyDateShowPos(0);
  htDate->setFixedWidth(300);
  auto* dateCaption = new LabelPanel(QStringLiteral(" 일    자"), &window);
  dateCaption->setFixedWidth(90);
  dateCaption->SetBackColor(16048844);
  dateCaption->SetForeColor(0);
  auto* single = new HCDateAdv(&window);
  single->setFixedWidth(150);
  dates->addWidget(periodCaption);
  dates->addWidget(htDate);
  dates->addSpacing(16);
  dates->addWidget(dateCaption);
  dates->addWidget(single);
  dates->addStretch();
  layout->addLayout(dates);

  window.resize(760, 640);
  window.show();
  return QApplication::exec();
}
