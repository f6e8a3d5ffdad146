#include "controls/FrmEasyDate.h"

#include "controls/AccessibleName.h"
#include "controls/DateBox.h"
#include "controls/EasyDateRules.h"
#include "platform/Clock.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char16_t* const kCaptions[easydate::kQuickCount] = {
    u"그제",      u"어제",      u"오늘   日", u"내일",      u"지지난주",  u"지난주",   u"이번주   ",
    u"다음주",    u"지지난달",  u"지난달",    u"이번달 月", u"다음달",    u"지지난해", u"지난해",
    u"올해   年", u"다음해",    u"1분기",     u"2분기",     u"3분기",     u"4분기",    u"전반기",
    u"후반기",    u"최근1개월", u"최근2개월", u"최근3개월", u"최근6개월", u"최근1년"};

// The rows of the dialog: the group label, the quick-period buttons, and the move pair (the
// move by a day sits beside the day buttons, and so on); the recent periods have no move.
struct Row {
  const char16_t* label;
  int first;
  int count;
  int move;  // the "◀" index, -1 for none
};
constexpr Row kRows[] = {{u"", 0, 4, 0},      {u"", 4, 4, 2},      {u"", 8, 4, 4},
                         {u"", 12, 4, 6},     {u"분기", 16, 4, 8}, {u"반기", 20, 2, 10},
                         {u"최근", 22, 5, -1}};

QPushButton* NewButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  // Clicks leave the focus in the box: a box's check on leaving would get in the way of a
  // button that overwrites or checks the boxes itself.
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

FrmEasyDate::FrmEasyDate(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FrmEasyDate"));
  setWindowTitle(QStringLiteral("기간 간편설정"));
  auto* layout = new QVBoxLayout(this);

  auto* boxes = new QHBoxLayout;
  for (int i = 0; i < 2; ++i) {
    dateBox[size_t(i)] = new DateBox(this);
    dateBox[size_t(i)]->SetToday();
  }
  boxes->addWidget(dateBox[0]);
  boxes->addWidget(new QLabel(QStringLiteral("~"), this));
  boxes->addWidget(dateBox[1]);
  boxes->addStretch();
  layout->addLayout(boxes);
  connect(dateBox[0], &DateBox::Left, this, [this] { CarryFromDate(*dateBox[0], *dateBox[1]); });

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(3);
  int r = 0;
  for (const Row& row : kRows) {
    grid->addWidget(new QLabel(QString::fromUtf16(row.label), this), r, 0);
    auto* buttons = new QHBoxLayout;
    for (int i = row.first; i < row.first + row.count; ++i) {
      QPushButton* b = NewButton(QString::fromUtf16(kCaptions[i]), this);
      b->setMinimumWidth(72);
      cmdTermCng[size_t(i)] = b;
      buttons->addWidget(b);
      connect(b, &QPushButton::clicked, this, [this, i] { cmdTermCng_Click(i); });
    }
    grid->addLayout(buttons, r, 2);
    if (row.move >= 0) {
      for (int i = row.move; i <= row.move + 1; ++i) {
        QPushButton* b = NewButton(i % 2 == 0 ? QStringLiteral("◀") : QStringLiteral("▶"), this);
        b->setFixedWidth(28);
        cmdMvDate[size_t(i)] = b;
        grid->addWidget(b, r, i % 2 == 0 ? 1 : 3);
        connect(b, &QPushButton::clicked, this, [this, i] { cmdMvDate_Click(i); });
      }
    }
    ++r;
  }
  layout->addLayout(grid);

  auto* bar = new QHBoxLayout;
  cmdOK = NewButton(QStringLiteral("확인(&O)"), this);
  cmdClose = NewButton(QStringLiteral("닫기(&C)"), this);
  bar->addStretch();
  bar->addWidget(cmdOK);
  bar->addWidget(cmdClose);
  layout->addLayout(bar);
  connect(cmdOK, &QPushButton::clicked, this, &FrmEasyDate::cmdOK_Click);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
  NameControls();

  // Today's quarter and half year stand out.
  const QDate today = clock_::LocalNow().date();
  for (int i : {easydate::QuarterButton(today), easydate::HalfButton(today)}) {
    QFont f = cmdTermCng[size_t(i)]->font();
    f.setBold(true);
    cmdTermCng[size_t(i)]->setFont(f);
  }
  setFixedSize(sizeHint());
}

void FrmEasyDate::NameControls() {
  controls::SetControlName(dateBox[0], QStringLiteral("기간 시작"));
  controls::SetControlName(dateBox[1], QStringLiteral("기간 끝"));
  // The hanja beside a caption is a picture of it, not a word to read.
  for (QPushButton* b : cmdTermCng) b->setAccessibleName(b->text().section(u' ', 0, 0));
  const char16_t* const units[] = {u"날", u"주", u"달", u"해", u"분기", u"반기"};
  for (size_t i = 0; i < cmdMvDate.size(); ++i) {
    cmdMvDate[i]->setAccessibleName(
        (i % 2 == 0 ? QStringLiteral("이전 ") : QStringLiteral("다음 ")) +
        QString::fromUtf16(units[i / 2]));
  }
  for (QPushButton* b : {cmdOK, cmdClose}) b->setAccessibleName(controls::CaptionName(b->text()));
}

void FrmEasyDate::SetText1(const QString& text) {
  if (easydate::IsDateText(text)) dateBox[0]->SetText(text);
}

void FrmEasyDate::SetText2(const QString& text) {
  if (easydate::IsDateText(text)) dateBox[1]->SetText(text);
}

void FrmEasyDate::cmdTermCng_Click(int index) {
  const easydate::Period p = easydate::QuickPeriod(index, clock_::LocalNow().date());
  dateBox[0]->meDate->setText(p.from);
  dateBox[1]->meDate->setText(p.to);
  cmdOK_Click();
}

void FrmEasyDate::cmdMvDate_Click(int index) {
  for (DateBox* box : dateBox) {
    if (!box->HoldsDate()) {
      box->Check();
      return;
    }
  }
  const easydate::Period p = easydate::MovePeriod(index, easydate::ParseDate(dateBox[0]->BoxText()),
                                                  easydate::ParseDate(dateBox[1]->BoxText()));
  // Written as they come: a year move may name a day the year lacks, which the box's check
  // refuses later.
  dateBox[0]->meDate->setText(p.from);
  dateBox[1]->meDate->setText(p.to);
}

void FrmEasyDate::cmdOK_Click() {
  m_ok = true;
  m_text1 = dateBox[0]->Text();
  m_text2 = dateBox[1]->Text();
  accept();
}
