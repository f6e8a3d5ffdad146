// Long reads keep the window painting and can be stopped, against the private server.
#include "customers/ReadBusyPanel.h"
#include "db/BackgroundRead.h"
#include "db/ReportReads.h"
#include "reports/ReportTestSupport.h"
#include "reports/fRChargeList.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace {

// Stops the read after a delay, as a person would; or only watches.
class TestWatcher : public ReadWatcher {
 public:
  explicit TestWatcher(int stopAfterMs = -1) : m_stopAfterMs(stopAfterMs) {}
  void ReadRunning(const std::function<void()>& stop) override {
    ++started;
    m_stop = stop;
    if (m_stopAfterMs >= 0)
      QTimer::singleShot(m_stopAfterMs, &m_context, [this] {
        if (m_stop) m_stop();
      });
  }
  void ReadOver() override {
    ++over;
    m_stop = nullptr;
  }
  int started = 0, over = 0;

 private:
  int m_stopAfterMs;
  std::function<void()> m_stop;
  QObject m_context;  // a pending stop goes with the watcher
};

class StoppableReadTest : public ReportTest {
 protected:
  // Statements of the program's account still running on the server.
  int RunningStatements(const char* like) {
    return m_admin
        .Value(
            QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER = '") +
            QLatin1String(testdb::kSmsUser) +
            QStringLiteral("' AND COMMAND = 'Query' AND INFO LIKE '") + QLatin1String(like) +
            QStringLiteral("'"))
        .toInt();
  }
  bool BoxShown() const {
    return std::any_of(m_prompt.Records().begin(), m_prompt.Records().end(),
                       [](const auto& r) { return r.kind == PromptRecord::Kind::Message; });
  }
};

TEST_F(StoppableReadTest, AStoppedStatementEndsOnTheServerWithoutABox) {
  TestWatcher watcher(300);
  ScopedReadWatcher watch(&watcher);
  QElapsedTimer clock;
  clock.start();
  RecordsetPtr rs;
  EXPECT_EQ(DBOpenReportRecordset(rs, QStringLiteral("SELECT SLEEP(20) AS s")), -1);
  EXPECT_LT(clock.elapsed(), 1500);  // within half a second of the stop
  EXPECT_TRUE(DBReadStopped());
  EXPECT_EQ(rs, nullptr);
  QTest::qWait(500);
  EXPECT_EQ(RunningStatements("SELECT SLEEP(20)%"), 0);
  EXPECT_FALSE(BoxShown());
  EXPECT_EQ(watcher.started, 1);
  EXPECT_EQ(watcher.over, 1);
  // The session is still there for the next read.
  EXPECT_EQ(DBGetValue(QStringLiteral("SELECT 7")), QStringLiteral("7"));
  EXPECT_EQ(DBOpenReportRecordset(rs, QStringLiteral("SELECT 1")), 1);
  EXPECT_FALSE(DBReadStopped());
  DBCloseRecordset(rs);
}

TEST_F(StoppableReadTest, TheEventLoopKeepsTickingDuringALongStatement) {
  TestWatcher watcher;
  ScopedReadWatcher watch(&watcher);
  QElapsedTimer sinceTick;
  qint64 largestGap = 0;
  QTimer ticker;
  ticker.setInterval(10);
  QObject::connect(&ticker, &QTimer::timeout,
                   [&] { largestGap = std::max(largestGap, sinceTick.restart()); });
  ticker.start();
  sinceTick.start();
  RecordsetPtr rs;
  EXPECT_EQ(DBOpenReportRecordset(rs, QStringLiteral("SELECT SLEEP(3) AS s")), 1);
  QTest::qWait(50);  // the first tick after the read measures the wait it ended
  ticker.stop();
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->Fields(0), QStringLiteral("0"));
  DBCloseRecordset(rs);
  EXPECT_LT(largestGap, 100);
  EXPECT_FALSE(DBReadStopped());
}

TEST_F(StoppableReadTest, AStoppedSnapshotLeavesNoTransactionBehind) {
  TestWatcher watcher(300);
  ScopedReadWatcher watch(&watcher);
  std::vector<RecordsetPtr> out;
  DBSnapshotError error;
  EXPECT_FALSE(DBReadSnapshot(
      {QStringLiteral("SELECT 1"), QStringLiteral("SELECT SLEEP(20)"), QStringLiteral("SELECT 2")},
      out, error));
  EXPECT_TRUE(DBReadStopped());
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(BoxShown());
  EXPECT_EQ(DBGetValue(QStringLiteral("SELECT @@in_transaction")), QStringLiteral("0"));
}

class StoppedReportTest : public StoppableReadTest {
 protected:
  void SetUp() override {
    StoppableReadTest::SetUp();
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsfill (reguser, userid, regtime, regtype, casecnt, casemoney, bigo)"
        " VALUES ('staff1', 'kim', '20261205093000', 0, 682, 16500, ''),"
        " ('staff1', 'park', '20261207100000', 0, 2500, 55000, '')"));
  }
};

// The period, the rows and the total row stay as they were; the window stays open.
TEST_F(StoppedReportTest, AStoppedQueryLeavesTheWindowAsItWas) {
  const struct { const char* how; } cases[] = {{"button"}, {"Esc"}, {"close"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    fRChargeList w;
    w.show();
    SetPeriod(*w.htDate, "2026-12-01", "2026-12-08");
    QTest::mouseClick(w.btnQuery, Qt::LeftButton);
    ASSERT_EQ(w.spList->MaxRows(), 3);  // two charges and the total
    QStringList before;
    for (int r = 1; r <= 3; ++r) before << Row(*w.spList, r, 1, 8).join(u'|');

    // Another connection holds the table: the next query waits on the server.
    testdb::Admin locker;
    locker.Exec(QStringLiteral("LOCK TABLES sms_sk.smsfill WRITE"));
    SetPeriod(*w.htDate, "2026-12-06", "2026-12-08");
    bool busyShown = false;
    QTimer::singleShot(800, [&] {
      busyShown = w.pnlBusy->isVisible() && !w.pnlTop[0]->isEnabled();
      if (QLatin1String(c.how) == QLatin1String("button"))
        QTest::mouseClick(w.btnStop, Qt::LeftButton);
      else if (QLatin1String(c.how) == QLatin1String("Esc"))
        QTest::keyClick(&w, Qt::Key_Escape);
      else
        w.close();
    });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(w.btnQuery, Qt::LeftButton);
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_TRUE(busyShown);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.pnlBusy->isVisible());
    EXPECT_TRUE(w.pnlTop[0]->isEnabled());
    ASSERT_EQ(w.spList->MaxRows(), 3);
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(Row(*w.spList, r, 1, 8).join(u'|'), before[r - 1]);
    EXPECT_FALSE(BoxShown());
    QTest::qWait(500);
    EXPECT_EQ(RunningStatements("%smsfill%"), 0);
    locker.Exec(QStringLiteral("UNLOCK TABLES"));
  }
}

}  // namespace
