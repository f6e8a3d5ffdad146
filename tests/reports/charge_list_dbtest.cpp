// The charge list with a real window against the private server.
#include "reports/ReportTestSupport.h"
#include "reports/fRChargeList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QPushButton>
#include <QTest>

namespace {

constexpr long kBlue = 255L * 65536;

class ChargeListTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    // 2026-12-05 is a Saturday, 2026-12-06 a Sunday.
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)"
        " VALUES ('staff1', 'kim', '20261205093000', 0, 682, 16500, '토요일 입금'),"
        " ('staff2', 'lee', '20261205100000', 1, 100, 0, '토요일 보상'),"
        " ('staff2', 'lee', '20261206100000', 1, 50, 0, '일요일 보상'),"
        " ('staff1', 'park', '20261207100000', 0, 2500, 55000, ''),"
        " ('staff1', 'park', '20261207110000', 2, -20, 0, '조정'),"
        " ('staff1', 'choi', '20261208090000', 5, 10, 0, '이상한 유형'),"
        " ('staff1', 'old', '20261008000000', 0, 1136, 27500, '')"));
  }

  std::unique_ptr<fRChargeList> Open() {
    auto w = std::make_unique<fRChargeList>();
    w->show();
    return w;
  }
  void Query(fRChargeList& w, int type, bool saturdays, const char* from, const char* to) {
    SetPeriod(*w.htDate, from, to);
    w.cmbType->setCurrentIndex(type);
    w.chkSaturday->setChecked(saturdays);
    QTest::mouseClick(w.btnQuery, Qt::LeftButton);
  }
  static QStringList Ids(const SpreadGrid& grid) {
    QStringList ids;
    for (int r = 1; r < grid.MaxRows(); ++r) ids << grid.GetText(3, r);
    ids.sort();
    return ids;
  }
};

TEST_F(ChargeListTest, FiltersByTypeAndSaturdayInTheDatabase) {
  auto w = Open();
  const struct {
    int type;
    bool saturdays;
    QStringList ids;
  } cases[] = {
      {0, false, {"choi", "kim", "lee", "lee", "park", "park"}},
      {1, false, {"kim", "park"}},
      {2, false, {"lee", "lee"}},
      {2, true, {"lee"}},    // compensations registered on a Saturday
      {3, false, {"park"}},  // 기타 is type 2 only, not the odd type 5
      {0, true, {"kim", "lee"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(QStringLiteral("type %1 saturdays %2").arg(c.type).arg(c.saturdays).toStdString());
    Query(*w, c.type, c.saturdays, "2026-12-01", "2026-12-08");
    EXPECT_EQ(Ids(*w->spList), c.ids);
    EXPECT_EQ(w->spList->CellTag(0, w->spList->MaxRows()), QStringLiteral("gndtot"));
  }
}

TEST_F(ChargeListTest, RowsShowTimeWeekdayLabelAndPricePerMessage) {
  auto w = Open();
  Query(*w, 0, false, "2026-12-05", "2026-12-08");
  const int rows = w->spList->MaxRows();
  ASSERT_EQ(rows, 7);  // six charges and the total
  const QLocale locale = QLocale::system();
  bool sawSaturday = false, sawOdd = false;
  for (int r = 1; r < rows; ++r) {
    const QString time = w->spList->GetText(1, r);
    const QDate day = QDate::fromString(time.left(10), Qt::ISODate);
    ASSERT_TRUE(day.isValid()) << time.toStdString();
    EXPECT_EQ(time.size(), 19);
    EXPECT_EQ(w->spList->GetText(2, r), locale.dayName(day.dayOfWeek(), QLocale::ShortFormat));
    const bool saturday = day.dayOfWeek() == Qt::Saturday;
    EXPECT_EQ(w->spList->ForeColor(2, r) == kBlue, saturday) << time.toStdString();
    sawSaturday |= saturday;
    if (w->spList->GetText(3, r) == QLatin1String("choi")) {
      EXPECT_EQ(w->spList->GetText(4, r), QStringLiteral("기타"));
      sawOdd = true;
    }
    if (time == QLatin1String("2026-12-05 09:30:00")) {
      EXPECT_EQ(Row(*w->spList, r, 3, 6),
                (QStringList{QStringLiteral("kim"), QStringLiteral("충전"), QStringLiteral("682"),
                             QStringLiteral("16,500")}));
      EXPECT_EQ(w->spList->GetText(7, r), QStringLiteral("24.19"));
      EXPECT_EQ(w->spList->GetText(8, r), QStringLiteral("staff1"));
      EXPECT_EQ(w->spList->GetText(9, r), QStringLiteral("토요일 입금"));
      // 16,500 / 682
      EXPECT_NEAR(w->spList->Value(7, r).toDouble(), 16500.0 / 682.0, 0.005);  // two places
    }
  }
  EXPECT_TRUE(sawSaturday);
  EXPECT_TRUE(sawOdd);
  // 682 + 100 + 50 + 2500 - 20 + 10 = 3,322 messages for 16,500 + 55,000 = 71,500 won.
  EXPECT_EQ(w->spList->GetText(1, rows), QStringLiteral("[합 계]"));
  EXPECT_EQ(w->spList->Value(5, rows), QStringLiteral("3322"));
  EXPECT_EQ(w->spList->Value(6, rows), QStringLiteral("71500"));
  EXPECT_NEAR(w->spList->Value(7, rows).toDouble(), 71500.0 / 3322.0, 0.005);
  EXPECT_TRUE(w->spList->FontBold(1, rows));
  EXPECT_TRUE(w->spList->Lock(3, rows));
}

TEST_F(ChargeListTest, HeaderClickSortKeepsTheTotalLastWithTheSameSums) {
  auto w = Open();
  Query(*w, 0, false, "2026-12-05", "2026-12-08");
  const int rows = w->spList->MaxRows();
  for (int col : {5, 3, 5}) {
    SCOPED_TRACE(col);
    const QRect header = w->spList->ColHeaderRect(col);
    QTest::mouseClick(w->spList->ColHeaderArea(), Qt::LeftButton, {}, header.center());
    ASSERT_EQ(w->spList->MaxRows(), rows);
    EXPECT_EQ(w->spList->GetText(1, rows), QStringLiteral("[합 계]"));
    EXPECT_EQ(w->spList->CellTag(0, rows), QStringLiteral("gndtot"));
    EXPECT_EQ(w->spList->Value(5, rows), QStringLiteral("3322"));
    EXPECT_EQ(w->spList->Value(6, rows), QStringLiteral("71500"));
    // Only one total row, and the data rows are still all there.
    int totals = 0;
    for (int r = 1; r <= rows; ++r) totals += w->spList->GetText(1, r) == QStringLiteral("[합 계]");
    EXPECT_EQ(totals, 1);
  }
  // The counts are in numeric order after the last click on column 5 (either direction).
  QList<int> counts;
  for (int r = 1; r < rows; ++r) counts << w->spList->Value(5, r).toInt();
  QList<int> sorted = counts;
  std::sort(sorted.begin(), sorted.end());
  QList<int> reversed(sorted.rbegin(), sorted.rend());
  EXPECT_TRUE(counts == sorted || counts == reversed) << counts.size();
}

TEST_F(ChargeListTest, SixtyDaysAtMostAndNothingFoundLeavesNoTotalRow) {
  auto w = Open();
  Query(*w, 0, false, "2026-10-08", "2026-12-07");  // 60 days
  EXPECT_TRUE(m_prompt.Messages().empty());
  EXPECT_EQ(Ids(*w->spList).size(), 6);
  const int before = w->spList->MaxRows();
  Query(*w, 0, false, "2026-10-08", "2026-12-08");  // 61 days
  EXPECT_EQ(m_prompt.MessageTexts(),
            QStringList{QStringLiteral("기간 간격은 최대 60일까지 조회가능합니다.")});
  EXPECT_EQ(w->spList->MaxRows(), before);  // unchanged

  m_prompt.Clear();
  // From after to is accepted within 60 days and finds nothing.
  Query(*w, 0, false, "2026-12-08", "2026-12-01");
  EXPECT_TRUE(m_prompt.Messages().empty());
  EXPECT_EQ(w->spList->MaxRows(), 0);
  EXPECT_TRUE(NoticeShown());
}

TEST_F(ChargeListTest, SetUpDefaultsAndNoQueryUntilAsked) {
  fRChargeList w;
  EXPECT_EQ(w.windowTitle(), QStringLiteral("충전내역"));
  EXPECT_EQ(w.cmbType->currentText(), QStringLiteral("충전"));
  EXPECT_EQ(w.cmbType->count(), 4);
  EXPECT_EQ(w.htDate->Text1(), QStringLiteral("2026-12-06"));
  EXPECT_EQ(w.htDate->Text2(), QStringLiteral("2026-12-08"));
  EXPECT_EQ(w.spList->MaxRows(), 0);
  EXPECT_EQ(w.spList->GetText(7, 0), QStringLiteral("건당"));
  // Ticking Saturday runs the query at once.
  w.show();
  QTest::mouseClick(w.chkSaturday, Qt::LeftButton);
  EXPECT_TRUE(NoticeShown());  // no ordinary charge on a Saturday in those three days
}

}  // namespace
