// What every report window does with its query triggers: a date the box refuses runs nothing,
// totals never outlive the rows they belonged to, and a window opened for the first time comes
// up over its owner.
#include "controls/DateBox.h"
#include "controls/HCText.h"
#include "grid/modFormIni.h"
#include "platform/AppPaths.h"
#include "reports/ReportTestSupport.h"
#include "reports/SummaryWindow.h"
#include "reports/fRChargeList.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

const QString kDateMessage =
    QStringLiteral("날짜의 입력형식이 잘못 되었거나,          \r\n존재하지 않는 날짜입니다.");

class ReportTriggerTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    qputenv("SENDORA_APP_DIR", m_appDir.path().toUtf8());
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsuser (userid, username, restcnt, iwolcnt) VALUES ('kim', '김상사', "
        "0, 0);"
        "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)"
        " VALUES ('s', 'kim', '20261201100000', 0, 682, 16500, ''),"
        " ('s', 'kim', '20261205100000', 0, 1136, 27500, '');"
        "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM, RSLT_VAL) VALUES"
        " ('kim', '20261201090000', 99), ('kim', '20261202090000', 99)"));
  }
  void TearDown() override {
    qunsetenv("SENDORA_APP_DIR");
    ReportTest::TearDown();
  }

  // Types an impossible from date into the period, as a person would.
  static void TypeBadFromDate(ReportWindow& w) {
    QLineEdit* box = w.htDate->dateBox[0]->meDate;
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("20260230"));
  }

  QTemporaryDir m_appDir;
};

struct Trigger {
  const char* name;
  std::function<void(ReportWindow&)> fire;
};

TEST_F(ReportTriggerTest, ARefusedDateRunsNoQueryWhateverTheTrigger) {
  const Trigger triggers[] = {
      {"query button", [](ReportWindow& w) { QTest::mouseClick(w.btnQuery, Qt::LeftButton); }},
      {"F5", [](ReportWindow&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5); }},
  };
  const struct {
    const char* name;
    std::function<std::unique_ptr<ReportWindow>()> open;
  } windows[] = {
      {"charge list", [] { return std::unique_ptr<ReportWindow>(new fRChargeList); }},
      {"charge summary", [] { return std::unique_ptr<ReportWindow>(new fRSumFill); }},
      {"usage summary", [] { return std::unique_ptr<ReportWindow>(new fRSumUse); }},
  };
  for (const auto& win : windows) {
    for (const Trigger& t : triggers) {
      SCOPED_TRACE(std::string(win.name) + ", " + t.name);
      auto w = win.open();
      w->show();
      w->activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
      SetPeriod(*w->htDate, "2026-12-01", "2026-12-08");
      QTest::mouseClick(w->btnQuery, Qt::LeftButton);
      const int rows = w->spList->MaxRows();
      ASSERT_GT(rows, 0);
      m_prompt.Clear();
      TypeBadFromDate(*w);
      t.fire(*w);
      EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kDateMessage});
      EXPECT_EQ(w->spList->MaxRows(), rows) << "the query ran";
    }
  }
  // The Saturday filter of the charge list is a trigger too.
  fRChargeList list;
  list.show();
  SetPeriod(*list.htDate, "2026-12-01", "2026-12-08");
  TypeBadFromDate(list);
  m_prompt.Clear();
  QTest::mouseClick(list.chkSaturday, Qt::LeftButton);
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{kDateMessage});
  EXPECT_EQ(list.spList->MaxRows(), 0);
}

TEST_F(ReportTriggerTest, TotalsGoWithTheRowsTheyBelongedTo) {
  const struct {
    const char* name;
    std::function<std::unique_ptr<ReportWindow>()> open;
  } windows[] = {
      {"charge summary", [] { return std::unique_ptr<ReportWindow>(new fRSumFill); }},
      {"usage summary", [] { return std::unique_ptr<ReportWindow>(new fRSumUse); }},
  };
  for (const auto& win : windows) {
    SCOPED_TRACE(win.name);
    auto w = win.open();
    w->show();
    SetPeriod(*w->htDate, "2026-12-01", "2026-12-08");
    QTest::mouseClick(w->btnQuery, Qt::LeftButton);
    ASSERT_GT(w->spList->MaxRows(), 0);
    QStringList sums = Row(*w->spSum, 1, 2, w->spSum->MaxCols());
    sums.removeAll(QString());
    EXPECT_FALSE(sums.isEmpty());

    SetPeriod(*w->htDate, "2025-01-01", "2025-01-02");  // nothing then
    QTest::mouseClick(w->btnQuery, Qt::LeftButton);
    QStringList after = Row(*w->spSum, 1, 2, w->spSum->MaxCols());
    after.removeAll(QString());
    after.removeAll(QStringLiteral("0"));
    EXPECT_TRUE(after.isEmpty()) << after.join(u'|').toStdString();
  }
}

TEST_F(ReportTriggerTest, AFirstOpenedWindowComesUpOverItsOwner) {
  QWidget owner;
  owner.setGeometry(100, 80, 600, 450);
  owner.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
  {
    fRChargeList w(&owner);
    w.resize(300, 200);
    w.show();
    QTest::qWait(50);
    const QPoint delta = w.frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(delta.manhattanLength(), 4) << delta.x() << "," << delta.y();
    w.move(40, 30);
    SaveFormLayout(w);
  }
  // Once moved, the saved place wins.
  fRChargeList again(&owner);
  again.show();
  QTest::qWait(50);
  EXPECT_EQ(again.pos(), QPoint(40, 30));
}

}  // namespace
