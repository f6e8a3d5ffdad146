// The parts of the data layer that need no server: escaping, the log line and its encoding, the
// slow threshold.
#include "db/SqlLog.h"
#include "db/DbState.h"
#include "db/modMySQL_Func.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

TEST(DBEscape, QuotesBackslashesAndNul) {
  const struct {
    QString in;
    QString out;
  } cases[] = {
      {QStringLiteral("O'Neil\\"), QStringLiteral("O''Neil\\\\")},
      {QStringLiteral("plain"), QStringLiteral("plain")},
      {QStringLiteral("''"), QStringLiteral("''''")},
      {QStringLiteral("a\\'b"), QStringLiteral("a\\\\''b")},
      {QStringLiteral("똠방'각하"), QStringLiteral("똠방''각하")},
      {QString::fromUtf16(u"ab\0cd", 5), QStringLiteral("ab")},
      {QString(), QString()},
  };
  for (const auto& c : cases) EXPECT_EQ(DBEscape(c.in), c.out) << c.in.toStdString();
}

TEST(SqlLog, EncodingFollowsTheCodePageAndSwapsHalves) {
  EXPECT_EQ(SQLLogEncode(QStringLiteral("A")), QStringLiteral("0041"));
  EXPECT_EQ(SQLLogEncode(QStringLiteral("\t")), QStringLiteral("0900"));
  EXPECT_EQ(SQLLogEncode(QStringLiteral("가")), QStringLiteral("A1B0"));  // code B0A1
  EXPECT_EQ(SQLLogEncode(QStringLiteral("A가\t")), QStringLiteral("0041A1B00900"));
  // Every character takes four hex digits, so the line length says how many characters it had.
  EXPECT_EQ(SQLLogEncode(QStringLiteral("SELECT 1")).size(), 8 * 4);
}

TEST(SqlLog, ElapsedSecondsUseAsManyDigitsAsNeeded) {
  const struct {
    std::int64_t ms;
    const char* text;
  } cases[] = {{0, "0"},    {16, "0.016"},  {3500, "3.5"},
               {1000, "1"}, {1010, "1.01"}, {61234, "61.234"}};
  for (const auto& c : cases) EXPECT_EQ(FormatElapsed(c.ms), QLatin1String(c.text)) << c.ms;
}

TEST(SqlLog, LineHasTimeElapsedStatementAndResult) {
  clock_::SetLocalNowOverride([] { return QDateTime(QDate(2026, 3, 9), QTime(7, 5, 2)); });
  EXPECT_EQ(SQLLogLine(QStringLiteral("SELECT 1"), QStringLiteral("1"), 16),
            QStringLiteral("260309070502\t0.016\tSELECT 1;\t -> 1"));
  clock_::SetLocalNowOverride(nullptr);
}

class SlowLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    paths::SetAppFolder(m_dir.path());
    QDir().mkpath(m_dir.path() + QStringLiteral("/log"));
    SQLLogSetDay(QDate(2026, 12, 8));
    Db().logLevel = -1;
  }
  QStringList SlowLines() const {
    QFile f(Db().slowLogFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  }
  QTemporaryDir m_dir;
};

TEST_F(SlowLogTest, ThresholdItselfCountsAsSlow) {
  EXPECT_TRUE(Db().slowLogFile.endsWith(QStringLiteral("/log/SQLLog_1208_slow.dat")));
  Db().slowThresholdSeconds = 0.25;
  SQLLogSlow(QStringLiteral("SELECT fast"), QStringLiteral("1"), 249);
  SQLLogSlow(QStringLiteral("SELECT edge"), QStringLiteral("1"), 250);
  SQLLogSlow(QStringLiteral("SELECT slow"), QStringLiteral("1"), 251);
  const QStringList lines = SlowLines();
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].contains(SQLLogEncode(QStringLiteral("SELECT edge"))));
  EXPECT_TRUE(lines[1].contains(SQLLogEncode(QStringLiteral("SELECT slow"))));
}

TEST_F(SlowLogTest, LevelsDecideWhichFilesAreWritten) {
  Db().slowThresholdSeconds = 100;
  clock_::SetLocalNowOverride([] { return QDateTime(QDate(2026, 12, 8), QTime(14, 0, 0)); });
  const QString full = Db().fullLogPrefix + QStringLiteral("14.dat");
  Db().logLevel = -1;
  SQLLogExec(QStringLiteral("UPDATE a"), QStringLiteral("1"), 5);
  SQLLogFull(QStringLiteral("SELECT a"), QStringLiteral("1"), 5);
  EXPECT_FALSE(QFile::exists(Db().statementLogFile));
  EXPECT_FALSE(QFile::exists(full));
  Db().logLevel = 1;
  SQLLogExec(QStringLiteral("UPDATE b"), QStringLiteral("1"), 5);
  SQLLogFull(QStringLiteral("SELECT b"), QStringLiteral("1"), 5);
  EXPECT_TRUE(QFile::exists(Db().statementLogFile));
  EXPECT_FALSE(QFile::exists(full));
  Db().logLevel = 2;
  SQLLogExec(QStringLiteral("UPDATE c"), QStringLiteral("1"), 5);
  SQLLogFull(QStringLiteral("SELECT c"), QStringLiteral("1"), 5);
  QFile f(full);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().count("\r\n"), 2);  // the statement and the select of level 2
  EXPECT_TRUE(SlowLines().isEmpty());
  clock_::SetLocalNowOverride(nullptr);
}

}  // namespace
