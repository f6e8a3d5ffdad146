// The query helpers and the SQL log files, through DBInit against the private server.
#include "db/DbState.h"
#include "db/SqlLog.h"
#include "db/modMySQL_Func.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Reverses the log encoding for the characters the tests use (ASCII and TAB).
QString DecodeAsciiLog(const QString& encoded) {
  QString out;
  for (qsizetype i = 0; i + 4 <= encoded.size(); i += 4) {
    const QString group = encoded.mid(i + 2, 2) + encoded.mid(i, 2);  // undo the swap
    const QString hex = group.startsWith(QLatin1String("000")) ? group.mid(3) : group.left(2);
    out += QChar(hex.toUShort(nullptr, 16));
  }
  return out;
}

class HelpersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    App().appTitle = QStringLiteral("Sendora");
    paths::SetAppFolder(m_appDir.path());
    m_admin.Exec(QStringLiteral(
        "INSERT INTO sms_sk.smsuser (userid, username, restcnt, regdate, hpno) VALUES"
        " ('alpha', '알파상사', 10, '2026-01-02', '010-1234-5678'),"
        " ('  beta', '베타', 0, '2026-01-03', ''),"
        " ('O''Neil\\\\', '오닐', 0, '2026-01-04', '')"));
  }
  void TearDown() override { clock_::SetLocalNowOverride(nullptr); }

  bool Init(const QString& slow = QStringLiteral("100")) {
    settings::SaveSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                          QStringLiteral("SQLSlowTime"), slow);
    return testdb::ConnectSms();
  }

  QStringList SlowLog() const {
    QFile f(Db().slowLogFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines;
    for (const QString& l :
         QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
      lines << DecodeAsciiLog(l);
    return lines;
  }

  QTemporaryDir m_appDir;
  testdb::Admin m_admin;
  ScriptedPrompt m_prompt;
};

TEST_F(HelpersTest, SelectHelpers) {
  ASSERT_TRUE(Init());
  RecordsetPtr rs;
  EXPECT_EQ(
      DBOpenRecordset(rs, QStringLiteral("SELECT userid, restcnt FROM smsuser ORDER BY userseq")),
      3);
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->Fields(QStringLiteral("userid")), QStringLiteral("alpha"));
  DBCloseRecordset(rs);
  EXPECT_FALSE(rs);
  DBCloseRecordset(rs);  // an empty reference is fine

  EXPECT_EQ(DBOpenRecordset(rs, QStringLiteral("SELECT broken FROM")), -1);
  EXPECT_FALSE(rs);
  EXPECT_EQ(m_prompt.Messages().size(), 1u);
  m_prompt.Clear();

  EXPECT_EQ(DBGetValue(QStringLiteral("SELECT username FROM smsuser WHERE userid = 'alpha'")),
            QStringLiteral("알파상사"));
  EXPECT_EQ(DBGetValue(QStringLiteral("SELECT username FROM smsuser WHERE userid = 'none'")),
            QString());
  EXPECT_EQ(DBGetCount(QStringLiteral("smsuser"), QString()), 3);
  EXPECT_EQ(DBGetCount(QStringLiteral("smsuser"), QStringLiteral("restcnt > 0")), 1);
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(HelpersTest, ExecuteReturnsAffectedRowsOrZero) {
  ASSERT_TRUE(Init());
  EXPECT_EQ(DBExecute(QStringLiteral("UPDATE smsuser SET restcnt = restcnt + 1")), 3);
  EXPECT_EQ(DBExecute(QStringLiteral("UPDATE smsuser SET restcnt = 1 WHERE userid = 'none'")), 0);
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_EQ(DBExecute(QStringLiteral("UPDATE nowhere SET x = 1"), true), 0);
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_EQ(DBExecute(QStringLiteral("UPDATE nowhere SET x = 1")), 0);
  EXPECT_EQ(m_prompt.Messages().size(), 1u);

  EXPECT_EQ(DBExecute(QStringLiteral("INSERT INTO smsuser (userid, username, restcnt, regdate) "
                                     "VALUES ('new', 'n', 0, CURDATE())")),
            1);
  const int id = DBInsertId();
  EXPECT_EQ(
      QString::number(id),
      m_admin.Value(QStringLiteral("SELECT userseq FROM sms_sk.smsuser WHERE userid = 'new'")));
}

TEST_F(HelpersTest, DuplicateCheck) {
  ASSERT_TRUE(Init());
  EXPECT_FALSE(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                                QStringLiteral("gamma"), QString(), true, QStringLiteral("아이디"),
                                QString(), false));
  EXPECT_TRUE(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                               QStringLiteral("alpha"), QString(), false, QStringLiteral("아이디"),
                               QString(), false));
  // A value with a quote and a backslash is found, not broken.
  EXPECT_TRUE(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                               QStringLiteral("O'Neil\\"), QString(), false,
                               QStringLiteral("아이디"), QString(), false));
  EXPECT_TRUE(m_prompt.Records().empty());

  // Asked: No stops, Yes goes on although the value exists.
  m_prompt.AnswerNext(MsgResult::No);
  EXPECT_TRUE(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                               QStringLiteral("alpha"), QString(), true, QStringLiteral("아이디"),
                               QString(), false));
  m_prompt.AnswerNext(MsgResult::Yes);
  EXPECT_FALSE(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                                QStringLiteral("alpha"), QString(), true, QStringLiteral("아이디"),
                                QStringLiteral("알파"), false));
  const auto msgs = m_prompt.Messages();
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(msgs[0].title, QStringLiteral("동일 아이디 발견"));
  EXPECT_EQ(msgs[0].text,
            QStringLiteral("『alpha』는 이미 등록된 아이디입니다.\n\n그래도, 등록하시겠습니까?"));
  EXPECT_EQ(msgs[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(msgs[0].defaultButton, MsgResult::No);
  EXPECT_TRUE(msgs[1].text.startsWith(QStringLiteral("『알파』")));

  // The trimmed comparison finds a value stored with leading blanks; the plain one does not.
  EXPECT_FALSE(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                                QStringLiteral("beta"), QString(), false, QStringLiteral("아이디"),
                                QString(), false));
  EXPECT_TRUE(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                               QStringLiteral("beta"), QString(), false, QStringLiteral("아이디"),
                               QString(), true));
  EXPECT_EQ(DBGetCountTrim(QStringLiteral("smsuser"), QStringLiteral("userid"),
                           QStringLiteral("userid='beta'")),
            1);
  EXPECT_TRUE(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                               QStringLiteral("alpha"), QStringLiteral("restcnt = 10"), false,
                               QString(), QString(), false));
  EXPECT_FALSE(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                                QStringLiteral("alpha"), QStringLiteral("restcnt = 11"), false,
                                QString(), QString(), false));
}

TEST_F(HelpersTest, TrimmedDuplicateCheckWithAnExtraConditionRunsAndFiltersTheRows) {
  ASSERT_TRUE(Init());
  const struct {
    const char* extra;
    bool found;
  } cases[] = {{"restcnt = 0", true}, {"restcnt = 5", false}, {"username = '베타'", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.extra);
    EXPECT_EQ(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                               QStringLiteral("beta"), QString::fromUtf8(c.extra), false,
                               QStringLiteral("아이디"), QString(), true),
              c.found);
  }
  EXPECT_EQ(DBGetCountTrim(QStringLiteral("smsuser"), QStringLiteral("userid"),
                           QStringLiteral("userid='beta'"), QStringLiteral("restcnt = 0")),
            1);
  EXPECT_TRUE(m_prompt.Records().empty()) << m_prompt.MessageTexts().join(u'|').toStdString();
}

TEST_F(HelpersTest, DuplicateCheckWhoseCountFailsStops) {
  ASSERT_TRUE(Init());
  for (bool trim : {false, true}) {
    m_prompt.Clear();
    EXPECT_TRUE(DBCheckDuplicate(QStringLiteral("smsuser"), QStringLiteral("userid"),
                                 QStringLiteral("gamma"), QStringLiteral("no_such_column = 1"),
                                 true, QStringLiteral("아이디"), QString(), trim))
        << trim;
    // The session's own box says why; nobody is asked to register anyway.
    ASSERT_EQ(m_prompt.Messages().size(), 1u);
    EXPECT_TRUE(m_prompt.Messages()[0].text.startsWith(QStringLiteral("Error 1054 (")));
  }
}

TEST_F(HelpersTest, SessionsAreStrictWhateverTheServersModeButGroupLoosely) {
  for (const char* mode : {"", "ONLY_FULL_GROUP_BY,STRICT_TRANS_TABLES"}) {
    SCOPED_TRACE(mode);
    m_admin.Exec(QStringLiteral("SET GLOBAL sql_mode = '%1'").arg(QLatin1String(mode)));
    ASSERT_TRUE(Init());
    m_prompt.Clear();
    // 40 digits into a 30-character column: refused, never cut.
    EXPECT_EQ(DBExecute(QStringLiteral("UPDATE smsuser SET hpno = '%1' WHERE userid = 'alpha'")
                            .arg(QString(40, u'1'))),
              0);
    EXPECT_EQ(m_prompt.Messages().size(), 1u);
    EXPECT_EQ(m_admin.Value(QStringLiteral("SELECT hpno FROM sms_sk.smsuser WHERE userid='alpha'")),
              QStringLiteral("010-1234-5678"));
    // A loosely grouped report statement still runs.
    RecordsetPtr rs;
    EXPECT_EQ(DBOpenRecordset(rs, QStringLiteral("SELECT userid, username, SUM(restcnt) FROM "
                                                 "smsuser GROUP BY LEFT(regdate, 7)")),
              1);
    DBCloseRecordset(rs);
    EXPECT_EQ(m_prompt.Messages().size(), 1u);
  }
  m_admin.Exec(QStringLiteral("SET GLOBAL sql_mode = DEFAULT"));
}

TEST_F(HelpersTest, ThresholdZeroLogsEveryStatementWithItsResult) {
  ASSERT_TRUE(Init(QStringLiteral("0")));
  DBGetValue(QStringLiteral("SELECT restcnt FROM smsuser WHERE userid = 'alpha'"));
  DBExecute(QStringLiteral("UPDATE smsuser SET restcnt = 0 WHERE userid = 'none'"));
  DBExecute(QStringLiteral("UPDATE nowhere SET x = 1"), true);
  DBInsertId();
  const QStringList lines = SlowLog();
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[0].endsWith(
      QStringLiteral("\tSELECT restcnt FROM smsuser WHERE userid = 'alpha';\t -> 10")))
      << lines[0].toStdString();
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral(";\t -> 0")));
  EXPECT_TRUE(lines[2].endsWith(QStringLiteral("UPDATE nowhere SET x = 1;\t -> -1")));
  EXPECT_TRUE(lines[3].contains(QStringLiteral("\tinsert_id();\t -> ")));
  // 12 digits of local time first.
  EXPECT_EQ(lines[0].indexOf(u'\t'), 12);
}

TEST_F(HelpersTest, NonNumericThresholdMakesEveryStatementSlow) {
  ASSERT_TRUE(Init(QStringLiteral("abc")));
  DBGetValue(QStringLiteral("SELECT 1"));
  EXPECT_EQ(SlowLog().size(), 1);
}

TEST_F(HelpersTest, FirstStartOfTheDayClearsLastYearsFilesOnce) {
  clock_::SetLocalNowOverride([] { return QDateTime(QDate(2026, 12, 8), QTime(9, 0)); });
  const QString log = m_appDir.path() + QStringLiteral("/log/");
  QDir().mkpath(log);
  const QStringList old = {
      QStringLiteral("SQLLog_1208.dat"), QStringLiteral("SQLLog_1208_slow.dat"),
      QStringLiteral("SQLLog_1208_full_07.dat"), QStringLiteral("SQLLog_1208_full_23.dat")};
  const QStringList kept = {QStringLiteral("SQLLog_1207.dat"),
                            QStringLiteral("SQLLog_1207_full_07.dat"), QStringLiteral("other.txt")};
  for (const QString& n : old + kept) {
    QFile f(log + n);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  settings::SaveSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                        QStringLiteral("SQLLogLast"), QStringLiteral("2026-12-07"));
  ASSERT_TRUE(Init());
  for (const QString& n : old) EXPECT_FALSE(QFile::exists(log + n)) << n.toStdString();
  for (const QString& n : kept) EXPECT_TRUE(QFile::exists(log + n)) << n.toStdString();
  EXPECT_EQ(settings::GetSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                                 QStringLiteral("SQLLogLast")),
            QStringLiteral("2026-12-08"));

  // Second start the same day: nothing is deleted.
  QFile again(log + old[1]);
  ASSERT_TRUE(again.open(QIODevice::WriteOnly));
  again.close();
  ASSERT_TRUE(Init());
  EXPECT_TRUE(QFile::exists(log + old[1]));
}

TEST_F(HelpersTest, MissingLogFolderIsCreated) {
  clock_::SetLocalNowOverride([] { return QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1)); });
  ASSERT_TRUE(Init());
  EXPECT_TRUE(QDir(m_appDir.path() + QStringLiteral("/log")).exists());
  EXPECT_EQ(settings::GetSetting(QStringLiteral("Sendora"), QStringLiteral("Config"),
                                 QStringLiteral("SQLLogLast")),
            QStringLiteral("2027-01-01"));
  EXPECT_TRUE(Db().slowLogFile.endsWith(QStringLiteral("/log/SQLLog_0101_slow.dat")));
}

TEST_F(HelpersTest, InHouseSessionOpensOnceAndCloses) {
  EXPECT_TRUE(DBInit_MYSQL(testdb::Host(), QLatin1String(testdb::kInHouseUser),
                           QLatin1String(testdb::kInHousePassword), QStringLiteral("cv_inhouse"),
                           false, testdb::Port()));
  EXPECT_TRUE(DBIsOpen_MYSQL());
  EXPECT_TRUE(DBInit_MYSQL(QStringLiteral("unused"), QString(), QString(), QString(), false, 1));
  RecordsetPtr rs;
  EXPECT_EQ(DBOpenRecordset_MYSQL(rs, QStringLiteral("SELECT COUNT(*) FROM `user`")), 1);
  DBCloseRecordset(rs);
  DBClose_MYSQL();
  EXPECT_FALSE(DBIsOpen_MYSQL());
  EXPECT_EQ(DBOpenRecordset_MYSQL(rs, QStringLiteral("SELECT 1")), -1);
  EXPECT_TRUE(m_prompt.Records().empty());
}

}  // namespace
