// The names a screen reader reads for the input controls: captions cleaned of what reads badly,
// and a composite control's name carried down to the parts a screen reader lands on.
#include "controls/AccessibleName.h"
#include "controls/DateBox.h"
#include "controls/FrmCalendar.h"
#include "controls/FrmEasyDate.h"
#include "controls/HCDateAdv.h"
#include "controls/HCTerm.h"
#include "controls/HCText.h"
#include "support/AccessibleTree.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

TEST(AccessibleName, CaptionsReadWithoutMarksHintsAndSpacing) {
  const struct {
    const char* caption;
    const char* name;
    const char* key;
  } cases[] = {
      {"닫기(&C)", "닫기", ""},
      {"닫기 &C ", "닫기", ""},
      {"아이디(&U):", "아이디", ""},
      {"계속 등록하기(&N)", "계속 등록하기", ""},
      {"&Save", "Save", ""},
      {"R&&D", "R&D", ""},
      {"조회 F5", "조회", "F5"},
      {"업체 추가 F2", "업체 추가", "F2"},
      {"발신번호 사전등록(F12)", "발신번호 사전등록", "F12"},
      {"F1 도움말", "F1 도움말", ""},
      {"*상 호 명", "상호명", ""},
      {"*   ID   ", "ID", ""},
      {" 비    고", "비고", ""},
      {"*고 객 ID", "고객 ID", ""},
      {"기간:", "기간", ""},
      {"잔액 기준:", "잔액 기준", ""},
      {"건 미만", "건 미만", ""},
      {"신규 등록", "신규 등록", ""},
      {"~", "~", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    const QString caption = QString::fromUtf8(c.caption);
    EXPECT_EQ(controls::CaptionName(caption), QString::fromUtf8(c.name)) << c.caption;
    EXPECT_EQ(controls::CaptionKeyHint(caption), QString::fromUtf8(c.key)) << c.caption;
  }
}

TEST(AccessibleName, PeriodNamesBothDatesAndTheirButtons) {
  HCTerm term;
  const auto expectNames = [&term](const QString& name) {
    EXPECT_EQ(a11y::Name(term.meDate[0]), name + " 시작");
    EXPECT_EQ(a11y::Name(term.meDate[1]), name + " 끝");
    EXPECT_EQ(a11y::Name(term.cmdCaln[0]), name + " 시작 달력");
    EXPECT_EQ(a11y::Name(term.cmdCaln[1]), name + " 끝 달력");
    EXPECT_EQ(a11y::Name(term.udMvDay[0]->upButton), name + " 시작 다음 날");
    EXPECT_EQ(a11y::Name(term.udMvDay[1]->downButton), name + " 끝 전날");
    EXPECT_EQ(a11y::Name(term.cmdAdvn), name + " 간편설정");
  };
  // Before any window names it, and after.
  expectNames(QStringLiteral("기간"));
  controls::SetControlName(&term, QStringLiteral("조회 기간"));
  EXPECT_EQ(a11y::Name(&term), "조회 기간");
  expectNames(QStringLiteral("조회 기간"));
}

TEST(AccessibleName, CompositeControlsCarryTheNameToTheFocusedPart) {
  HCText text;
  EXPECT_EQ(a11y::Name(text.txtBox), "");
  controls::SetControlName(&text, QStringLiteral("검색"));
  EXPECT_EQ(a11y::Name(text.txtBox), "검색");
  EXPECT_EQ(a11y::Of(text.txtBox)->role(), QAccessible::EditableText);

  HCDateAdv date;
  EXPECT_EQ(a11y::Name(date.meDate), "날짜");
  controls::SetControlName(&date, QStringLiteral("등록일"));
  EXPECT_EQ(a11y::Name(date.meDate), "등록일");
  EXPECT_EQ(a11y::Name(date.cmdCaln), "등록일 달력");

  QComboBox combo;
  combo.setEditable(true);
  controls::SetControlName(&combo, QStringLiteral("입금액"));
  EXPECT_EQ(combo.accessibleName(), "입금액");
  EXPECT_EQ(a11y::Name(combo.lineEdit()), "입금액");
}

TEST(AccessibleName, QuickPeriodAndCalendarDialogsNameTheirControls) {
  FrmEasyDate dialog;
  dialog.show();
  EXPECT_EQ(a11y::Unnamed(dialog), QStringList());
  EXPECT_EQ(a11y::Name(dialog.dateBox[0]->meDate), "기간 시작");
  EXPECT_EQ(a11y::Name(dialog.dateBox[1]->meDate), "기간 끝");
  EXPECT_EQ(a11y::Name(dialog.cmdMvDate[0]), "이전 날");
  EXPECT_EQ(a11y::Name(dialog.cmdMvDate[11]), "다음 반기");
  EXPECT_EQ(a11y::Name(dialog.cmdTermCng[2]), "오늘");  // "오늘   日"
  EXPECT_EQ(a11y::Name(dialog.cmdOK), "확인");

  FrmCalendar calendar;
  calendar.show();
  EXPECT_EQ(a11y::Unnamed(calendar), QStringList());
}

}  // namespace
