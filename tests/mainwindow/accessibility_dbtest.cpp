// Every window of the program as a screen reader reads it: no button, box, list or grid without
// a name, the names the captions beside them give, and the grids' headers and numbers.
#include "controls/AccessibleName.h"
#include "controls/DateBox.h"
#include "controls/HCTerm.h"
#include "controls/HCText.h"
#include "customers/FrmCertifiedTelNumMng.h"
#include "customers/fBCust_Save.h"
#include "customers/fBFill_Save.h"
#include "grid/SpreadGrid.h"
#include "login/frmLogin.h"
#include "mainwindow/FrmMain.h"
#include "reports/SummaryWindow.h"
#include "reports/fRBalanceCheck.h"
#include "reports/fRChargeList.h"
#include "reports/fRLowBalance.h"
#include "reports/fRUseList.h"
#include "support/AccessibleTree.h"
#include "support/MainWindowFixture.h"

#include <gtest/gtest.h>

#include <QBrush>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <memory>

namespace {

class AccessibilityTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    App().appTitle = QStringLiteral("Sendora");
    App().staff.userId = QStringLiteral("corvane");
    App().staff.userName = QStringLiteral("관리자");
    ASSERT_TRUE(testdb::ConnectSms());
  }

  static QWidget* View(SpreadGrid* grid) { return grid->focusProxy(); }

  // Shows the window, where its captions get placed, and reads it.
  static void ExpectAllNamed(QWidget& window) {
    window.show();
    EXPECT_EQ(a11y::Unnamed(window), QStringList()) << window.objectName().toStdString();
  }
};

TEST_F(AccessibilityTest, MainWindowNamesItsSearchBoxButtonsAndList) {
  m_admin.Exec(QStringLiteral(
      "INSERT INTO sms_sk.smsuser (userid, username, restcnt, regdate, hpno, reguser) VALUES"
      " ('minus', '음수상사', -1234, '2026-01-01', '02-1', 'staff1'),"
      " ('plus', '양수상사', 1234, '2026-01-02', '02-2', 'staff1')"));
  auto w = OpenMainWindow(QStringLiteral("corvane"));
  EXPECT_EQ(a11y::Unnamed(*w), QStringList());
  EXPECT_EQ(a11y::Name(w->htField0->txtBox), "검색");
  EXPECT_EQ(a11y::Name(w->btnQuery), "조회");
  EXPECT_EQ(a11y::Name(w->btnCertifiedTelNum), "발신번호 사전등록");
  EXPECT_EQ(a11y::Name(w->btnClose), "닫기");
  EXPECT_EQ(a11y::Name(View(w->spList)), "고객 목록");

  QAccessibleTableInterface* table = a11y::Of(View(w->spList))->tableInterface();
  ASSERT_NE(table, nullptr);
  const QStringList headers = a11y::ColumnHeaders(View(w->spList));
  ASSERT_EQ(headers.size(), w->spList->MaxCols());
  for (int c = 1; c <= w->spList->MaxCols(); ++c) {
    EXPECT_EQ(headers[c - 1], w->spList->GetText(c, 0));
    EXPECT_EQ(table->columnDescription(c - 1), w->spList->GetText(c, 0));
  }

  w->htField0->SetText(QStringLiteral("상사"));
  w->btnQuery_Click();
  const int balance = headers.indexOf(QStringLiteral("잔여"));
  ASSERT_GE(balance, 0);
  QStringList read;
  int negative = -1;
  for (int r = 0; r < w->spList->MaxRows(); ++r) {
    read << table->cellAt(r, balance)->text(QAccessible::Name);
    if (read.last() == QStringLiteral("-1,234")) negative = r;
  }
  read.sort();
  EXPECT_EQ(read, QStringList({"-1,234", "1,234"}));
  ASSERT_GE(negative, 0);
  const QModelIndex cell = w->spList->Model()->index(negative, balance);
  EXPECT_EQ(w->spList->Model()->data(cell, Qt::ForegroundRole).value<QBrush>().color(),
            QColor(Qt::red));
}

TEST_F(AccessibilityTest, CustomerChargeAndSenderNumberDialogsNameTheirFields) {
  fBCust_Save customer;
  int mode = 1;
  customer.SetFormMode(mode, nullptr, 0);
  ExpectAllNamed(customer);
  EXPECT_EQ(a11y::Name(customer.htField[0]->txtBox), "상호명");
  EXPECT_EQ(a11y::Name(customer.htField[1]->txtBox), "ID");
  EXPECT_EQ(a11y::Name(customer.htField[4]->txtBox), "전화번호");
  EXPECT_EQ(a11y::Name(customer.chkCun), "계속 등록하기");

  fBFill_Save charge;
  charge.SetFormMode(QStringLiteral("cust"), 1, nullptr, 0);
  ExpectAllNamed(charge);
  EXPECT_EQ(a11y::Name(charge.htField[0]->txtBox), "고객 ID");
  EXPECT_EQ(a11y::Name(charge.mtDate), "등록일");
  EXPECT_EQ(a11y::Name(charge.htField[3]->txtBox), "등록건수");
  // An empty amount box has no value to stand for its name; its label and its edit line say it.
  EXPECT_EQ(charge.cmbMoney->accessibleName(), "입금액");
  EXPECT_EQ(a11y::Name(charge.cmbMoney->lineEdit()), "입금액");
  EXPECT_EQ(controls::CaptionName(a11y::LabelledBy(a11y::Of(charge.cmbMoney))), "입금액");

  FrmCertifiedTelNumMng senders;
  ExpectAllNamed(senders);
  EXPECT_EQ(a11y::Name(senders.txtTelNum), "전화번호");
  EXPECT_EQ(a11y::Name(View(senders.spList)), "발신번호 등록내역");
  EXPECT_EQ(a11y::Name(View(senders.spDelList)), "발신번호 삭제내역");
}

TEST_F(AccessibilityTest, ReportWindowsNamePeriodFiltersAndGrids) {
  const struct {
    std::function<std::unique_ptr<ReportWindow>()> open;
    const char* list;
    const char* sum;  // "" without a sum grid
  } cases[] = {
      {[] { return std::make_unique<fRUseList>(); }, "문자사용내역 목록", "문자사용내역 합계"},
      {[] { return std::make_unique<fRChargeList>(); }, "충전내역 목록", ""},
      {[] { return std::make_unique<fRSumFill>(); }, "문자충전집계 목록", "문자충전집계 합계"},
      {[] { return std::make_unique<fRSumUse>(); }, "문자사용내역 목록", "문자사용내역 합계"},
      {[] { return std::make_unique<fRBalanceCheck>(); }, "잔액 대사 목록", "잔액 대사 합계"},
      {[] { return std::make_unique<fRLowBalance>(); }, "잔액부족 고객 목록", ""},
  };
  for (const auto& c : cases) {
    std::unique_ptr<ReportWindow> w = c.open();
    SCOPED_TRACE(w->objectName().toStdString());
    ExpectAllNamed(*w);
    EXPECT_EQ(a11y::Name(View(w->spList)), QString::fromUtf8(c.list));
    ASSERT_EQ(w->spSum == nullptr, *c.sum == '\0');
    if (w->spSum) {
      EXPECT_EQ(a11y::Name(View(w->spSum)), QString::fromUtf8(c.sum));
    }
    if (w->htDate) {
      EXPECT_EQ(a11y::Name(w->htDate->meDate[0]), "기간 시작");
      EXPECT_EQ(a11y::Name(w->htDate->meDate[1]), "기간 끝");
    }
    EXPECT_EQ(a11y::Name(w->btnQuery), "조회");
    EXPECT_EQ(a11y::Name(w->btnClose), "닫기");
    EXPECT_EQ(a11y::ColumnHeaders(View(w->spList)).value(0), w->spList->GetText(1, 0));
  }

  fRSumFill sums;
  sums.show();
  // "수량" spans the count columns over "일반", "보상" and "합계".
  EXPECT_EQ(a11y::ColumnHeaders(View(sums.spList)).mid(0, 4),
            QStringList({"일자", "수량 일반", "수량 보상", "수량 합계"}));
  EXPECT_EQ(a11y::Name(sums.htField->txtBox), "고객ID");
  EXPECT_EQ(sums.cmbBranch->accessibleName(), "집계 단위");

  fRChargeList charges;
  charges.show();
  EXPECT_EQ(charges.cmbType->accessibleName(), "구분");
  EXPECT_EQ(a11y::Name(charges.chkSaturday), "토요일만 보기");

  fRLowBalance low;
  low.show();
  EXPECT_EQ(a11y::Name(low.htField->txtBox), "잔액 기준");
}

TEST_F(AccessibilityTest, LoginNamesItsBoxesByTheirCaptions) {
  frmLogin login;
  ExpectAllNamed(login);
  EXPECT_EQ(a11y::Name(login.txtUserName), "아이디");
  EXPECT_EQ(a11y::Name(login.txtPassword), "암호");
  EXPECT_EQ(a11y::Name(login.chkpwdSave), "저장");
  EXPECT_EQ(a11y::Name(login.cmdOK), "확인");
}

}  // namespace
