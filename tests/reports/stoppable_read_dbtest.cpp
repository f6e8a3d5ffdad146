// Long reads keep the window painting and can be stopped, against the private server.
#include "customers/ReadBusyPanel.h"
#include "db/BackgroundRead.h"
#include "db/ReportReads.h"
#include "platform/AppPaths.h"
#include "platform/ProfileIni.h"
#include "reports/ReportTestSupport.h"
#include "reports/fRChargeList.h"
#include "support/TcpProxy.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QThread>
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
  // The connection that sent the KILL is not taken for the account's newest one.
  EXPECT_EQ(profile::GetString(QStringLiteral("LPID"), QLatin1String(testdb::kSmsUser), QString(),
                               100, paths::DataFolder() + QStringLiteral("/config.ini")),
            DBGetValue(QStringLiteral("SELECT CONNECTION_ID()")));
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
  int ticks = 0;
  QTimer ticker;
  ticker.setInterval(10);
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start();
  RecordsetPtr rs;
  EXPECT_EQ(DBOpenReportRecordset(rs, QStringLiteral("SELECT SLEEP(3) AS s")), 1);
  ticker.stop();
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->Fields(0), QStringLiteral("0"));
  DBCloseRecordset(rs);
  // Up to 300 while the statement sleeps; a thread blocked on it would see one at most.
  EXPECT_GT(ticks, 30);
  EXPECT_FALSE(DBReadStopped());
}

// Text the code page cannot hold is refused before anything is sent, with the session's own
// message, not a statement error without a number.
TEST_F(StoppableReadTest, TextTheCodePageCannotHoldIsRefusedWithItsOwnMessage) {
  TestWatcher watcher;
  ScopedReadWatcher watch(&watcher);
  RecordsetPtr rs;
  EXPECT_EQ(DBOpenReportRecordset(rs, QStringLiteral("SELECT '\U0001F600'")), -1);
  EXPECT_EQ(watcher.started, 0);
  ASSERT_EQ(m_prompt.MessageTexts().size(), 1);
  EXPECT_TRUE(m_prompt.MessageTexts()[0].startsWith(QStringLiteral(
      "데이터베이스에 저장할 수 없는 문자가 들어 있습니다: 「\U0001F600」 (U+1F600)")))
      << m_prompt.MessageTexts()[0].toStdString();
}

// The read's line breaks and the worker reconnects to the next host: the window hears of the
// new host on its own thread, and no box comes from the worker.
TEST_F(StoppableReadTest, AHostChangeDuringAWatchedReadIsToldOnTheWindowsThread) {
  testdb::TcpProxy proxy(testdb::Port());
  const QString direct = QStringLiteral("127.0.0.1:%1").arg(testdb::Port());
  ASSERT_TRUE(DBInit(QStringLiteral("127.0.0.1:%1,").arg(proxy.Port()) + direct,
                     QLatin1String(testdb::kSmsUser), QLatin1String(testdb::kSmsPassword),
                     QStringLiteral("sms_sk"), QString(), -1, QStringLiteral("euckr"), 3306));
  QThread* toldOn = nullptr;
  QString told;
  DBOnHostChanged([&](const QString& now) {
    toldOn = QThread::currentThread();
    told = now;
  });
  proxy.CutAfter("SELECT 5");
  TestWatcher watcher;
  RecordsetPtr rs;
  {
    ScopedReadWatcher watch(&watcher);
    EXPECT_EQ(DBOpenReportRecordset(rs, QStringLiteral("SELECT 5 AS five")), 1);
  }
  DBOnHostChanged(nullptr);
  EXPECT_EQ(watcher.started, 1);
  EXPECT_EQ(told, direct);
  EXPECT_EQ(toldOn, QThread::currentThread());
  EXPECT_FALSE(BoxShown());
  DBCloseRecordset(rs);
}

// The line breaks and the server cannot be reached again: one box, from the window's thread,
// after the read (the worker's reconnect is as quiet as its read).
TEST_F(StoppableReadTest, AFailedReconnectDuringAWatchedReadShowsOneBox) {
  testdb::TcpProxy proxy(testdb::Port());
  ASSERT_TRUE(DBInit(QStringLiteral("127.0.0.1"), QLatin1String(testdb::kSmsUser),
                     QLatin1String(testdb::kSmsPassword), QStringLiteral("sms_sk"), QString(), -1,
                     QStringLiteral("euckr"), proxy.Port()));
  proxy.CutAfter("SELECT 6");
  proxy.RefuseNext(3);
  TestWatcher watcher;
  ScopedReadWatcher watch(&watcher);
  RecordsetPtr rs;
  EXPECT_EQ(DBOpenReportRecordset(rs, QStringLiteral("SELECT 6 AS six")), -1);
  EXPECT_EQ(watcher.started, 1);
  EXPECT_EQ(m_prompt.MessageTexts().size(), 1) << m_prompt.MessageTexts().join(u'|').toStdString();
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
