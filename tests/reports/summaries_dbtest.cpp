// The charge and usage summaries with real windows against the private server; expected sums
// worked out by hand from the inserted rows.
#include "controls/HCText.h"
#include "reports/ReportTestSupport.h"
#include "reports/SummaryWindow.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

namespace {

class SummaryTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    // Around a year end, for two customers; type 2 is an adjustment without payment.
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)"
        " VALUES ('s', 'kim', '20231224235959', 0, 1000, 22000, 'outside'),"
        " ('s', 'kim', '20231225000000', 0, 682, 16500, ''),"
        " ('s', 'kim', '20231231120000', 1, 100, 0, ''),"
        " ('s', 'lee', '20231231130000', 2, -50, 0, ''),"
        " ('s', 'kim', '20240105235959', 0, 2500, 55000, ''),"
        " ('s', 'lee', '20240105100000', 2, 30, 500, ''),"
        " ('s', 'kim', '20240106000000', 0, 9999, 99999, 'outside');"
        "INSERT INTO sms_sk.telink_sms (SND_PHN_ID, WRT_DTTM, RSLT_VAL) VALUES"
        " ('kim', '20261201090000', 99), ('kim', '20261201100000', -100),"
        " ('kim', '20261201110000', 3), ('kim', '20261201120000', NULL),"
        " ('kim', '20261202090000', 0), ('lee', '20261202100000', 99),"
        " ('kim', '20261209000000', 99), ('a''b', '20261202100000', 7)"));
  }

  template <class W>
  std::unique_ptr<W> Run(int unit, const char* from, const char* to, const QString& id) {
    auto w = std::make_unique<W>();
    w->cmbBranch->setCurrentIndex(unit);
    SetPeriod(*w->htDate, from, to);
    w->htField->SetText(id);
    w->show();
    QTest::mouseClick(w->btnQuery, Qt::LeftButton);
    return w;
  }
};

TEST_F(SummaryTest, ChargesByYearOverAYearEndCountOnlyDaysInside) {
  auto w = Run<fRSumFill>(0, "2023-12-25", "2024-01-05", QString());
  ASSERT_EQ(w->spList->MaxRows(), 2);
  // 일자, 일반 / 보상 / 합계 수량, 일반 / 보상 / 합계 금액; type 2 only in the totals.
  EXPECT_EQ(Row(*w->spList, 1, 1, 7),
            (QStringList{QStringLiteral("2023"), QStringLiteral("682"), QStringLiteral("100"),
                         QStringLiteral("732"), QStringLiteral("16,500"), QStringLiteral("0"),
                         QStringLiteral("16,500")}));
  EXPECT_EQ(Row(*w->spList, 2, 1, 7),
            (QStringList{QStringLiteral("2024"), QStringLiteral("2,500"), QStringLiteral("0"),
                         QStringLiteral("2,530"), QStringLiteral("55,000"), QStringLiteral("0"),
                         QStringLiteral("55,500")}));
  EXPECT_EQ(Row(*w->spSum, 1, 1, 7),
            (QStringList{QStringLiteral("[합 계]"), QStringLiteral("3,182"), QStringLiteral("100"),
                         QStringLiteral("3,262"), QStringLiteral("71,500"), QStringLiteral("0"),
                         QStringLiteral("72,000")}));
  for (int c = 8; c <= 13; ++c) EXPECT_TRUE(w->spList->ColHidden(c)) << c;
}

TEST_F(SummaryTest, ChargeGroupingByMonthAndDayAndByCustomer) {
  auto months = Run<fRSumFill>(1, "2023-12-25", "2024-01-05", QStringLiteral("kim"));
  EXPECT_EQ(Column(*months->spList, 1),
            (QStringList{QStringLiteral("2023-12"), QStringLiteral("2024-01")}));
  EXPECT_EQ(Column(*months->spList, 4),
            (QStringList{QStringLiteral("782"), QStringLiteral("2,500")}));
  auto days = Run<fRSumFill>(2, "2023-12-25", "2024-01-05", QString());
  EXPECT_EQ(Column(*days->spList, 1),
            (QStringList{QStringLiteral("2023-12-25"), QStringLiteral("2023-12-31"),
                         QStringLiteral("2024-01-05")}));
  EXPECT_EQ(Column(*days->spList, 4),
            (QStringList{QStringLiteral("682"), QStringLiteral("50"), QStringLiteral("2,530")}));
  EXPECT_FALSE(NoticeShown());
}

TEST_F(SummaryTest, UsageSplitsByResultCode) {
  auto w = Run<fRSumUse>(2, "2026-12-01", "2026-12-08", QStringLiteral("kim"));
  ASSERT_EQ(w->spList->MaxRows(), 2);
  // 접수 all rows; 전송 -100 and 99; 보상 every other code, NULL included.
  EXPECT_EQ(Row(*w->spList, 1, 1, 4),
            (QStringList{QStringLiteral("2026-12-01"), QStringLiteral("4"), QStringLiteral("2"),
                         QStringLiteral("2")}));
  EXPECT_EQ(Row(*w->spList, 2, 1, 4),
            (QStringList{QStringLiteral("2026-12-02"), QStringLiteral("1"), QStringLiteral("0"),
                         QStringLiteral("1")}));
  EXPECT_EQ(Row(*w->spSum, 1, 1, 4), (QStringList{QStringLiteral("[합 계]"), QStringLiteral("5"),
                                                  QStringLiteral("2"), QStringLiteral("3")}));
  EXPECT_TRUE(w->spList->ColHidden(5));

  auto all = Run<fRSumUse>(0, "2026-12-01", "2026-12-08", QString());
  EXPECT_EQ(Row(*all->spList, 1, 1, 4), (QStringList{QStringLiteral("2026"), QStringLiteral("7"),
                                                     QStringLiteral("3"), QStringLiteral("4")}));
}

TEST_F(SummaryTest, TypedIdsAreTakenLiterallyAndAnUnknownOneGivesTheNotice) {
  auto quoted = Run<fRSumUse>(2, "2026-12-01", "2026-12-08", QStringLiteral("a'b"));
  EXPECT_EQ(Row(*quoted->spList, 1, 1, 4),
            (QStringList{QStringLiteral("2026-12-02"), QStringLiteral("1"), QStringLiteral("0"),
                         QStringLiteral("1")}));
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
  auto none = Run<fRSumFill>(2, "2023-12-25", "2024-01-05", QStringLiteral("ki\\m"));
  EXPECT_EQ(none->spList->MaxRows(), 0);
  EXPECT_TRUE(NoticeShown());
}

TEST_F(SummaryTest, LooseGroupingRunsWhereTheServerDefaultsToStrictGrouping) {
  m_admin.Exec(QStringLiteral("SET GLOBAL sql_mode = 'ONLY_FULL_GROUP_BY,STRICT_TRANS_TABLES'"));
  Connect();
  auto w = Run<fRSumUse>(1, "2026-12-01", "2026-12-08", QString());
  m_admin.Exec(QStringLiteral("SET GLOBAL sql_mode = DEFAULT"));
  EXPECT_TRUE(m_prompt.Messages().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
  EXPECT_EQ(Column(*w->spList, 1), QStringList{QStringLiteral("2026-12")});
}

TEST_F(SummaryTest, SetUpDefaultsAndTwoHeaderRows) {
  fRSumFill fill;
  EXPECT_EQ(fill.windowTitle(), QStringLiteral("문자충전집계"));
  EXPECT_EQ(fill.cmbBranch->currentText(), QStringLiteral("일별"));
  EXPECT_EQ(fill.cmbBranch->count(), 3);
  EXPECT_EQ(fill.htDate->Text1(), QStringLiteral("2026-12-01"));
  EXPECT_EQ(fill.htField->Text(), QString());
  EXPECT_EQ(fill.spList->ColHeaderRows(), 2);
  EXPECT_EQ(fill.spList->GetText(2, 0), QStringLiteral("수량"));
  EXPECT_EQ(fill.spList->GetText(5, spread::ColHeaderRow(2)), QStringLiteral("일반"));
  EXPECT_EQ(fill.spList->GetText(7, spread::ColHeaderRow(2)), QStringLiteral("합계"));
  fRSumUse use;
  EXPECT_EQ(use.spList->GetText(3, 0), QStringLiteral("전송(성공)수량"));
  EXPECT_EQ(use.spList->MaxRows(), 0);  // nothing runs until asked
}

}  // namespace
