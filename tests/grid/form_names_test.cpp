// What a screen reader reads in a window: the names the form walker gives its controls from the
// labels beside them.
#include "controls/HCTerm.h"
#include "controls/HCText.h"
#include "grid/FormNames.h"
#include "grid/FrmFindInSpread.h"
#include "grid/FrmSprRPTCol.h"
#include "grid/SpreadGrid.h"
#include "support/AccessibleTree.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <ostream>

void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

template <class T>
T* Place(QWidget& parent, int x, int y, int w, int h) {
  auto* widget = new T(&parent);
  widget->setGeometry(x, y, w, h);
  return widget;
}

QLabel* Caption(QWidget& parent, const char* text, int x, int y, int w, int h = 24) {
  auto* label = Place<QLabel>(parent, x, y, w, h);
  label->setText(QString::fromUtf8(text));
  return label;
}

QWidget* View(SpreadGrid* grid) { return grid->focusProxy(); }

// A report-like window: captions placed by hand, a second panel holding the grids.
struct Form {
  Form() {
    dialog.setWindowTitle(QStringLiteral("사용내역"));
    dialog.resize(600, 400);
    top = Place<QWidget>(dialog, 0, 0, 600, 76);
    Caption(*top, "고객ID:", 6, 8, 48);
    id = Place<HCText>(*top, 56, 7, 120, 26);
    first = Place<QLineEdit>(*top, 250, 7, 80, 26);
    Caption(*top, "검색:", 200, 8, 44);
    second = Place<QLineEdit>(*top, 334, 7, 80, 26);  // the caption is the first box's
    Caption(*top, "기간:", 6, 44, 36);
    period = Place<HCTerm>(*top, 44, 43, 260, 26);
    query = new QPushButton(QStringLiteral("조회 F5"), top);
    ok = new QPushButton(QStringLiteral("확인"), top);
    auto* lists = Place<QWidget>(dialog, 0, 76, 600, 320);
    list = Place<SpreadGrid>(*lists, 3, 0, 590, 260);
    sum = Place<SpreadGrid>(*lists, 3, 262, 590, 26);
    sum->FollowHorizontalScroll(*list);
  }

  QDialog dialog;
  QWidget* top;
  HCText* id;
  QLineEdit* first;
  QLineEdit* second;
  HCTerm* period;
  QPushButton* query;
  QPushButton* ok;
  SpreadGrid* list;
  SpreadGrid* sum;
};

TEST(FormNames, ControlsTakeTheCaptionBesideThem) {
  Form f;
  f.dialog.show();
  NameFormControls(f.dialog);
  EXPECT_EQ(a11y::Name(f.id->txtBox), "고객ID");
  EXPECT_EQ(a11y::Name(f.first), "검색");
  EXPECT_EQ(a11y::Name(f.second), "");
  EXPECT_EQ(a11y::Name(f.period->meDate[0]), "기간 시작");
  EXPECT_EQ(a11y::Name(f.query), "조회");
  EXPECT_EQ(a11y::Of(f.query)->text(QAccessible::Description), "단축키 F5");
  // A caption that reads well stays the button's own, so a later caption is read as it is.
  EXPECT_EQ(f.ok->accessibleName(), "");
  EXPECT_EQ(a11y::Name(f.ok), "확인");
  // The period's caption sits right above the list: it is the period's, not the list's.
  EXPECT_EQ(a11y::Name(View(f.list)), "사용내역 목록");
  EXPECT_EQ(a11y::Name(View(f.sum)), "사용내역 합계");
}

TEST(FormNames, BuddyAndCaptionAboveNameWhatHasNoCaptionOnItsLine) {
  QDialog dialog;
  auto* far = Caption(dialog, "메모:", 300, 200, 60);
  auto* memo = Place<QLineEdit>(dialog, 10, 10, 100, 24);
  far->setBuddy(memo);
  Caption(dialog, "발신번호 목록", 10, 50, 120, 20);
  auto* grid = Place<SpreadGrid>(dialog, 10, 76, 300, 100);
  Caption(dialog, "비고", 200, 250, 60, 20);  // above, but not where the box starts
  auto* note = Place<QLineEdit>(dialog, 10, 276, 300, 24);
  dialog.resize(400, 320);
  dialog.show();
  NameFormControls(dialog);
  EXPECT_EQ(a11y::Name(memo), "메모");
  EXPECT_EQ(a11y::Name(View(grid)), "발신번호 목록");
  EXPECT_EQ(a11y::Name(note), "");
}

TEST(FormNames, WindowNamesStayAndGivenNamesFollowTheirCaptions) {
  Form f;
  f.first->setAccessibleName(QStringLiteral("검색어"));
  auto* label = Caption(*f.top, "금액:", 420, 8, 40);
  auto* amount = Place<QComboBox>(*f.top, 462, 7, 100, 26);
  amount->setEditable(true);
  NameFormControlsOnShow(f.dialog);
  EXPECT_EQ(amount->accessibleName(), "");  // not before the layout has placed the labels
  f.dialog.show();
  EXPECT_EQ(a11y::Name(f.first), "검색어");
  EXPECT_EQ(amount->accessibleName(), "금액");
  EXPECT_EQ(a11y::Name(amount->lineEdit()), "금액");
  // Where Qt names a combo box by its label, the label is its buddy now.
  EXPECT_EQ(label->buddy(), amount);
  EXPECT_EQ(a11y::LabelledBy(a11y::Of(amount)), "금액:");

  f.dialog.hide();
  label->setText(QStringLiteral("입금액:"));
  f.dialog.setWindowTitle(QStringLiteral("충전내역"));
  f.dialog.show();
  EXPECT_EQ(amount->accessibleName(), "입금액");
  EXPECT_EQ(a11y::Name(View(f.list)), "충전내역 목록");
  EXPECT_EQ(a11y::Name(f.first), "검색어");
}

TEST(FormNames, FindAndReportColumnDialogsNameTheirControls) {
  FrmFindInSpread find;
  find.show();
  EXPECT_EQ(a11y::Unnamed(find), QStringList());
  EXPECT_EQ(a11y::Name(find.findChild<QLineEdit*>(QStringLiteral("txtFindWd"))), "찾을 내용");
  EXPECT_EQ(a11y::Name(find.findChild<QPushButton*>(QStringLiteral("cmdFind"))), "다음 찾기");

  FrmSprRPTCol columns;
  columns.show();
  EXPECT_EQ(a11y::Unnamed(columns), QStringList());
  EXPECT_EQ(a11y::Name(columns.chkAll), "전체");
}

}  // namespace
