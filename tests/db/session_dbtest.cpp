// The session against the private server: recordsets, errors, lost connections, code page 949.
#include "db/cMySQL.h"
#include "platform/AppPaths.h"
#include "platform/ProfileIni.h"
#include "support/ScriptedPrompt.h"
#include "support/TcpProxy.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <thread>

namespace {

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testdb::ResetDatabases();
    m_admin.Exec(
        QStringLiteral("CREATE TABLE sms_sk.ta (id INT, name VARCHAR(20)) CHARACTER SET euckr;"
                       "CREATE TABLE sms_sk.tb (id INT) ; CREATE TABLE sms_sk.tc (id INT);"
                       "INSERT INTO sms_sk.ta VALUES (1, 'a1'); INSERT INTO sms_sk.tb VALUES (2);"
                       "INSERT INTO sms_sk.tc VALUES (3);"
                       "CREATE TABLE sms_sk.counter (id INT PRIMARY KEY, n INT);"
                       "INSERT INTO sms_sk.counter VALUES (1, 0)"));
  }

  std::unique_ptr<cMySQL> Connect(bool quiet = false, const char* password = testdb::kSmsPassword,
                                  int port = 0) {
    auto s = std::make_unique<cMySQL>();
    m_connected =
        s->real_connect(testdb::Host(), QLatin1String(testdb::kSmsUser), QLatin1String(password),
                        QStringLiteral("sms_sk"), port ? port : testdb::Port(), QString(), 0, quiet,
                        QStringLiteral("euckr"));
    return s;
  }

  // Waits until the server no longer lists the connection.
  void WaitGone(long id) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000) {
      if (m_admin.Value(
              QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = %1")
                  .arg(id)) == QLatin1String("0"))
        return;
      QThread::msleep(20);
    }
    ADD_FAILURE() << "connection " << id << " still alive";
  }

  // Kills the connection from another thread once it is sleeping inside its statement.
  std::thread KillWhileSleeping(long id) {
    return std::thread([id] {
      testdb::Admin killer;
      for (int i = 0; i < 250; ++i) {
        const QString state = killer.Value(
            QStringLiteral("SELECT STATE FROM information_schema.PROCESSLIST WHERE ID = %1")
                .arg(id));
        if (state == QLatin1String("User sleep")) break;
        QThread::msleep(20);
      }
      killer.Exec(QStringLiteral("KILL %1").arg(id));
    });
  }

  testdb::Admin m_admin;
  ScriptedPrompt m_prompt;
  bool m_connected = false;
};

TEST_F(SessionTest, DuplicateColumnNamesAreQualifiedByTheirTable) {
  auto s = Connect();
  ASSERT_TRUE(m_connected);
  RecordsetPtr rs = s->query(
      QStringLiteral("SELECT a.id, b.id, c.id, a.name FROM ta AS a JOIN tb AS b JOIN tc AS c"));
  ASSERT_TRUE(rs);
  ASSERT_EQ(rs->FieldCount(), 4);
  EXPECT_EQ(rs->FieldName(0), QStringLiteral("a.id"));
  EXPECT_EQ(rs->FieldName(1), QStringLiteral("b.id"));
  EXPECT_EQ(rs->FieldName(2), QStringLiteral("id"));  // the earlier ones no longer carry the name
  EXPECT_EQ(rs->FieldName(3), QStringLiteral("name"));
  EXPECT_EQ(rs->Fields(QStringLiteral("b.id")), QStringLiteral("2"));
  EXPECT_EQ(rs->Fields(QStringLiteral("ID")), QStringLiteral("3"));
  EXPECT_EQ(rs->DefinedSize(3), 40);  // 20 characters of up to 2 bytes

  rs = s->query(QStringLiteral("SELECT id, name FROM ta"));
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->FieldName(0), QStringLiteral("id"));
  EXPECT_EQ(rs->FieldName(1), QStringLiteral("name"));
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(SessionTest, ValuesReadAsTrimmedTextWithNullEmpty) {
  auto s = Connect();
  RecordsetPtr rs = s->query(QStringLiteral(
      "SELECT NULL AS n, 'abc   ' AS t, '  lead' AS l, CONCAT('ab', CHAR(0), 'cd') AS z, 42 AS i"));
  ASSERT_TRUE(rs);
  EXPECT_EQ(s->affected_rows(), 1);
  EXPECT_EQ(rs->Fields(QStringLiteral("n")), QString());
  EXPECT_EQ(rs->Fields(QStringLiteral("t")), QStringLiteral("abc"));
  EXPECT_EQ(rs->Fields(QStringLiteral("l")), QStringLiteral("  lead"));
  EXPECT_EQ(rs->Fields(QStringLiteral("z")), QStringLiteral("ab"));
  EXPECT_EQ(rs->Fields(4), QStringLiteral("42"));
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->Fields(0), QString());

  rs = s->query(QStringLiteral("SELECT id FROM ta WHERE id < 0"));
  ASSERT_TRUE(rs);
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_EQ(s->affected_rows(), 0);
}

TEST_F(SessionTest, FailedStatementGivesMinusOneAndShowsTheStatementUnlessQuiet) {
  auto s = Connect();
  EXPECT_FALSE(s->query(QStringLiteral("SELECT nonsense FROM nowhere"), true));
  EXPECT_EQ(s->affected_rows(), -1);
  EXPECT_TRUE(m_prompt.Records().empty());

  EXPECT_FALSE(s->query(QStringLiteral("SELECT nonsense FROM nowhere")));
  EXPECT_EQ(s->affected_rows(), -1);
  ASSERT_EQ(m_prompt.Messages().size(), 1u);
  const QString text = m_prompt.Messages()[0].text;
  EXPECT_TRUE(text.startsWith(QStringLiteral("Error 1146 ("))) << text.toStdString();
  EXPECT_TRUE(text.contains(
      QStringLiteral(") in procedure query of Module cMySQL\n\nSELECT nonsense FROM nowhere")));

  // The account may not drop tables: a refused privilege is an ordinary error.
  EXPECT_FALSE(s->query(QStringLiteral("DROP TABLE ta"), true));
  EXPECT_EQ(s->affected_rows(), -1);
}

TEST_F(SessionTest, InsertIdAndAffectedRows) {
  auto s = Connect();
  EXPECT_FALSE(
      s->query(QStringLiteral("INSERT INTO smsuser (userid, username, restcnt, regdate) VALUES "
                              "('u1', 'x', 0, CURDATE())")));
  EXPECT_EQ(s->affected_rows(), 1);
  const int first = s->insert_id();
  EXPECT_GT(first, 0);
  s->query(QStringLiteral(
      "INSERT INTO smsuser (userid, username, restcnt, regdate) VALUES ('u2', 'y', 0, CURDATE())"));
  EXPECT_EQ(s->insert_id(), first + 1);
  s->query(QStringLiteral("UPDATE smsuser SET restcnt = 5 WHERE userid LIKE 'u%'"));
  EXPECT_EQ(s->affected_rows(), 2);
  s->query(QStringLiteral("UPDATE smsuser SET restcnt = 5 WHERE userid = 'none'"));
  EXPECT_EQ(s->affected_rows(), 0);
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(SessionTest, ConnectionIdsAreKeptInConfigIni) {
  const QString ini = paths::AppFolder() + QStringLiteral("/config.ini");
  QFile::remove(ini);
  auto a = Connect();
  auto b = Connect();
  EXPECT_EQ(profile::GetString(QStringLiteral("LPID"), QLatin1String(testdb::kSmsUser), QString(),
                               100, ini),
            QString::number(b->thread_id()));
  EXPECT_EQ(profile::GetString(QStringLiteral("LPID2"), QLatin1String(testdb::kSmsUser), QString(),
                               100, ini),
            QString::number(a->thread_id()));
}

TEST_F(SessionTest, ConnectionKilledFromOutsideIsRepairedOnce) {
  const QString ini = paths::AppFolder() + QStringLiteral("/config.ini");
  auto s = Connect();
  const long old = s->thread_id();
  m_admin.Exec(QStringLiteral("KILL %1").arg(old));
  WaitGone(old);

  RecordsetPtr rs = s->query(QStringLiteral("SELECT name FROM ta"));
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->Fields(0), QStringLiteral("a1"));
  EXPECT_TRUE(m_prompt.Records().empty());
  const long fresh = s->thread_id();
  EXPECT_NE(fresh, old);
  EXPECT_EQ(profile::GetString(QStringLiteral("LPID"), QLatin1String(testdb::kSmsUser), QString(),
                               100, ini),
            QString::number(fresh));
  EXPECT_EQ(profile::GetString(QStringLiteral("LPID2"), QLatin1String(testdb::kSmsUser), QString(),
                               100, ini),
            QString::number(old));
  EXPECT_EQ(m_admin.Value(
                QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = %1")
                    .arg(old)),
            QStringLiteral("0"));
  // The repaired connection speaks the code page again.
  rs = s->query(QStringLiteral("SHOW VARIABLES LIKE 'character_set_client'"));
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->Fields(1), QStringLiteral("euckr"));
}

TEST_F(SessionTest, ChangeLostDuringItsRunIsNotSentAgain) {
  auto s = Connect();
  std::thread killer = KillWhileSleeping(s->thread_id());
  RecordsetPtr rs =
      s->query(QStringLiteral("UPDATE counter SET n = n + 1 WHERE id = 1 AND SLEEP(3) = 0"));
  killer.join();
  EXPECT_FALSE(rs);
  EXPECT_EQ(s->affected_rows(), -1);
  ASSERT_EQ(m_prompt.Messages().size(), 1u);
  EXPECT_TRUE(m_prompt.Messages()[0].text.startsWith(QStringLiteral("Error 2013 (")))
      << m_prompt.Messages()[0].text.toStdString();
  // Sent once, interrupted, and never again: the row is unchanged.
  EXPECT_EQ(m_admin.Value(QStringLiteral("SELECT n FROM sms_sk.counter WHERE id = 1")),
            QStringLiteral("0"));
  // The session was repaired for the next statement.
  rs = s->query(QStringLiteral("SELECT n FROM counter"));
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->Fields(0), QStringLiteral("0"));
}

TEST_F(SessionTest, ReadLostDuringItsRunIsSentAgain) {
  auto s = Connect();
  std::thread killer = KillWhileSleeping(s->thread_id());
  RecordsetPtr rs = s->query(QStringLiteral("SELECT SLEEP(1) AS z, name FROM ta"));
  killer.join();
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->Fields(QStringLiteral("name")), QStringLiteral("a1"));
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(SessionTest, HangulRoundTripsIncludingExtendedSyllables) {
  auto s = Connect();
  const QString names[] = {QStringLiteral("똠방각하"), QStringLiteral("가나다 상사"),
                           QStringLiteral("쀍쓔 테스트"), QStringLiteral("漢字 혼용 ㈜")};
  int i = 0;
  for (const QString& name : names) {
    const QString id = QStringLiteral("h%1").arg(++i);
    s->query(QStringLiteral("INSERT INTO smsuser (userid, username, restcnt, regdate) VALUES "
                            "('%1', '%2', 0, CURDATE())")
                 .arg(id, name));
    EXPECT_EQ(s->affected_rows(), 1) << name.toStdString();
    RecordsetPtr rs =
        s->query(QStringLiteral("SELECT username FROM smsuser WHERE userid = '%1'").arg(id));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Fields(0), name);
    // What the server holds is the same text, not just bytes that come back the same way.
    EXPECT_EQ(
        m_admin.Value(
            QStringLiteral("SELECT username FROM sms_sk.smsuser WHERE userid = '%1'").arg(id)),
        name);
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(SessionTest, TextTheCodePageCannotHoldIsNeverSent) {
  auto s = Connect();
  RecordsetPtr rs =
      s->query(QStringLiteral("INSERT INTO smsuser (userid, username, restcnt, regdate) VALUES "
                              "('e1', '웃는 얼굴 😀', 0, CURDATE())"));
  EXPECT_FALSE(rs);
  EXPECT_EQ(s->affected_rows(), -1);
  ASSERT_EQ(m_prompt.Messages().size(), 1u);
  EXPECT_TRUE(m_prompt.Messages()[0].text.contains(QStringLiteral("😀")));
  EXPECT_TRUE(m_prompt.Messages()[0].text.contains(QStringLiteral("U+1F600")));
  EXPECT_EQ(m_admin.Value(QStringLiteral("SELECT COUNT(*) FROM sms_sk.smsuser")),
            QStringLiteral("0"));

  m_prompt.Clear();
  EXPECT_FALSE(s->query(QStringLiteral("SELECT '🙂'"), true));  // quiet: refused without a box
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(SessionTest, ConnectionFailuresAreShownWithTheirNumber) {
  auto bad = Connect(false, "wrong-password");
  EXPECT_FALSE(m_connected);
  ASSERT_EQ(m_prompt.Messages().size(), 1u);
  EXPECT_TRUE(m_prompt.Messages()[0].text.startsWith(QStringLiteral("Error 1045 ")));
  EXPECT_TRUE(m_prompt.Messages()[0].text.endsWith(
      QStringLiteral("데이터베이스 서버에 접속할 수 없습니다.")));

  m_prompt.Clear();
  auto quiet = Connect(true, "wrong-password");
  EXPECT_FALSE(m_connected);
  EXPECT_TRUE(m_prompt.Records().empty());

  // Nothing listens on port 1 of the loopback.
  auto unreachable = Connect(false, testdb::kSmsPassword, 1);
  EXPECT_FALSE(m_connected);
  ASSERT_EQ(m_prompt.Messages().size(), 1u);
  const QString text = m_prompt.Messages()[0].text;
  EXPECT_TRUE(text.startsWith(QStringLiteral("Error 2002 ")) ||
              text.startsWith(QStringLiteral("Error 2003 ")))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("인터넷이 연결되어 있는지 확인 해 주세요.")));
  EXPECT_TRUE(text.contains(QStringLiteral("방화벽")));
}

TEST_F(SessionTest, ListCallsBecomeRecordsetsAndFailuresReachTheCaller) {
  auto s = Connect();
  RecordsetPtr rs = s->list_tables(QStringLiteral("smsu%"));
  ASSERT_TRUE(rs);
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Fields(0), QStringLiteral("smsuser"));
  rs = s->list_dbs(QStringLiteral("sms%"));
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->Fields(0), QStringLiteral("sms_sk"));
  EXPECT_TRUE(s->get_server_info().contains(QStringLiteral("MariaDB")));
  try {
    s->select_db(QStringLiteral("cv_inhouse"));  // not granted to this account
    ADD_FAILURE() << "select_db of a foreign database succeeded";
  } catch (const MySqlError& e) {
    EXPECT_EQ(e.source, QStringLiteral("cMysql::select_db"));
    EXPECT_EQ(e.number, 1044);
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

}  // namespace

namespace {

class SessionFaultTest : public SessionTest {};

MYSQL* ConnectRaw() {
  MYSQL* m = mysql_init(nullptr);
  if (!mysql_real_connect(m, "127.0.0.1", testdb::kSmsUser, testdb::kSmsPassword, "sms_sk",
                          static_cast<unsigned>(testdb::Port()), nullptr, 0)) {
    ADD_FAILURE() << "cannot connect: " << mysql_error(m);
    mysql_close(m);
    return nullptr;
  }
  return m;
}

TEST_F(SessionFaultTest, ReconnectAfterARestartLeavesAnotherClientWithTheOldIdAlone) {
  // Ids well above the few a fresh server hands out to itself.
  for (int i = 0; i < 40; ++i)
    if (MYSQL* m = ConnectRaw()) mysql_close(m);
  auto s = Connect();
  ASSERT_TRUE(m_connected);
  const long old = s->thread_id();
  testdb::RestartServer();

  // Another client of the same account from the same address takes the old id.
  MYSQL* holder = nullptr;
  for (long i = 0; i < old + 20 && !holder; ++i) {
    MYSQL* m = ConnectRaw();
    ASSERT_TRUE(m);
    if (static_cast<long>(mysql_thread_id(m)) == old)
      holder = m;
    else
      mysql_close(m);
  }
  ASSERT_TRUE(holder) << "no client got id " << old;

  RecordsetPtr rs = s->query(QStringLiteral("SELECT name FROM ta"));
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->Fields(0), QStringLiteral("a1"));
  EXPECT_NE(s->thread_id(), old);
  // The other client's connection still works.
  EXPECT_EQ(mysql_query(holder, "SELECT 1"), 0) << mysql_error(holder);
  if (MYSQL_RES* r = mysql_store_result(holder)) mysql_free_result(r);
  mysql_close(holder);
}

TEST_F(SessionFaultTest, ReconnectEndsTheOldConnectionWhenItIsProvablyOurs) {
  testdb::TcpProxy proxy(testdb::Port());
  auto s = std::make_unique<cMySQL>();
  s->Compress = false;
  ASSERT_TRUE(s->real_connect(testdb::Host(), QLatin1String(testdb::kSmsUser),
                              QLatin1String(testdb::kSmsPassword), QStringLiteral("sms_sk"),
                              proxy.Port(), QString(), 0, false, QStringLiteral("euckr")));
  const long old = s->thread_id();
  // The answer is lost but the server side of the old connection lives on behind the proxy.
  proxy.CutAfter("SELECT SLEEP");
  RecordsetPtr rs = s->query(QStringLiteral("SELECT SLEEP(0) AS z, name FROM ta"));
  ASSERT_TRUE(rs);  // a read is sent again on the new connection
  EXPECT_EQ(rs->Fields(QStringLiteral("name")), QStringLiteral("a1"));
  EXPECT_EQ(m_admin.Value(
                QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = %1")
                    .arg(old)),
            QStringLiteral("0"));
}

TEST_F(SessionFaultTest, SilentNetworkEndsInTheErrorBoxInsteadOfWaitingForever) {
  testdb::TcpProxy proxy(testdb::Port());
  auto s = std::make_unique<cMySQL>();
  s->Compress = false;
  s->ReadTimeoutSeconds = 1;
  s->WriteTimeoutSeconds = 1;
  s->ConnectTimeoutSeconds = 1;
  ASSERT_TRUE(s->real_connect(testdb::Host(), QLatin1String(testdb::kSmsUser),
                              QLatin1String(testdb::kSmsPassword), QStringLiteral("sms_sk"),
                              proxy.Port(), QString(), 0, false, QStringLiteral("euckr")));
  proxy.Silence(true);
  QElapsedTimer t;
  t.start();
  RecordsetPtr rs = s->query(QStringLiteral("UPDATE counter SET n = n + 1"));
  EXPECT_FALSE(rs);
  EXPECT_EQ(s->affected_rows(), -1);
  EXPECT_LT(t.elapsed(), 30000);
  ASSERT_FALSE(m_prompt.Messages().empty());
  EXPECT_TRUE(m_prompt.Messages().back().text.contains(QStringLiteral("Error 20")))
      << m_prompt.Messages().back().text.toStdString();
  proxy.Silence(false);
}

TEST_F(SessionFaultTest, UncompressedSessionReadsTheSameRows) {
  for (bool compress : {true, false}) {
    auto s = std::make_unique<cMySQL>();
    s->Compress = compress;
    ASSERT_TRUE(s->real_connect(testdb::Host(), QLatin1String(testdb::kSmsUser),
                                QLatin1String(testdb::kSmsPassword), QStringLiteral("sms_sk"),
                                testdb::Port(), QString(), 0, false, QStringLiteral("euckr")));
    EXPECT_EQ(s->ClientFlags & 32u, compress ? 32u : 0u);
    RecordsetPtr rs = s->query(QStringLiteral("SHOW SESSION STATUS LIKE 'Compression'"));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Fields(1), compress ? QStringLiteral("ON") : QStringLiteral("OFF"));
    rs = s->query(QStringLiteral("SELECT name FROM ta"));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Fields(0), QStringLiteral("a1"));
  }
}

TEST_F(SessionFaultTest, ChangeOnAnIdleConnectionToAServerThatIsGoneSaysSoOnce) {
  auto proxy = std::make_unique<testdb::TcpProxy>(testdb::Port());
  auto s = std::make_unique<cMySQL>();
  s->Compress = false;
  ASSERT_TRUE(s->real_connect(testdb::Host(), QLatin1String(testdb::kSmsUser),
                              QLatin1String(testdb::kSmsPassword), QStringLiteral("sms_sk"),
                              proxy->Port(), QString(), 0, false, QStringLiteral("euckr")));
  proxy.reset();  // the line and the server's address are gone
  QThread::msleep(1100);
  RecordsetPtr rs = s->query(QStringLiteral("UPDATE counter SET n = n + 1"));
  EXPECT_FALSE(rs);
  EXPECT_EQ(s->affected_rows(), -1);
  ASSERT_EQ(m_prompt.Messages().size(), 1u) << m_prompt.MessageTexts().join(u'|').toStdString();
  EXPECT_TRUE(m_prompt.Messages()[0].text.startsWith(QStringLiteral("Error 200")));
  EXPECT_EQ(m_admin.Value(QStringLiteral("SELECT n FROM sms_sk.counter")), QStringLiteral("0"));
}

}  // namespace

namespace {

class SessionRulesTest : public SessionTest {
 protected:
  void TearDown() override {
    m_admin.Exec(
        QStringLiteral("SET GLOBAL init_connect = ''; SET GLOBAL completion_type = 'NO_CHAIN';"
                       "SET GLOBAL TRANSACTION ISOLATION LEVEL REPEATABLE READ"));
  }
};

TEST_F(SessionRulesTest, EveryConnectSetsItsOwnRulesWhateverTheServerDefaults) {
  // A lax server: changes wait for a COMMIT nobody sends, reads see uncommitted rows, a COMMIT
  // opens the next transaction.
  m_admin.Exec(QStringLiteral(
      "SET GLOBAL init_connect = 'SET autocommit=0'; SET GLOBAL completion_type = 'CHAIN';"
      "SET GLOBAL TRANSACTION ISOLATION LEVEL READ UNCOMMITTED"));
  auto s = Connect();
  ASSERT_TRUE(m_connected);
  const auto rules = [&s] {
    RecordsetPtr rs =
        s->query(QStringLiteral("SELECT @@autocommit, @@completion_type, @@tx_isolation"));
    return rs ? QStringList{rs->Fields(0), rs->Fields(1), rs->Fields(2)} : QStringList();
  };
  const QStringList expected{QStringLiteral("1"), QStringLiteral("NO_CHAIN"),
                             QStringLiteral("REPEATABLE-READ")};
  EXPECT_EQ(rules(), expected);

  // The same after the server ended the connection and the session made a new one.
  const long first = s->thread_id();
  m_admin.Exec(QStringLiteral("KILL %1").arg(first));
  WaitGone(first);
  QThread::msleep(1100);
  s->query(QStringLiteral("UPDATE counter SET n = n + 1"));
  ASSERT_EQ(s->affected_rows(), 1);
  EXPECT_NE(s->thread_id(), first);
  EXPECT_EQ(rules(), expected);

  // What it saved stays saved when its connection ends.
  const long second = s->thread_id();
  m_admin.Exec(QStringLiteral("KILL %1").arg(second));
  WaitGone(second);
  EXPECT_EQ(m_admin.Value(QStringLiteral("SELECT n FROM sms_sk.counter")), QStringLiteral("1"));

  // Another connection's uncommitted row is not read.
  testdb::Admin other;
  other.Exec(QStringLiteral("START TRANSACTION; UPDATE sms_sk.counter SET n = 99"));
  RecordsetPtr rs = s->query(QStringLiteral("SELECT n FROM counter"));
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->Fields(0), QStringLiteral("1"));
  other.Exec(QStringLiteral("ROLLBACK"));
}

TEST_F(SessionFaultTest, SocketSessionEndsItsOldConnectionAfterAReconnect) {
  // Over a socket the server lists no client port: the connection is known by its id and the
  // server's start time alone.
  const QString path =
      QDir::tempPath() +
      QStringLiteral("/sendora-proxy-%1.sock").arg(QCoreApplication::applicationPid());
  testdb::TcpProxy proxy(path, testdb::Socket());
  auto s = std::make_unique<cMySQL>();
  s->Compress = false;
  ASSERT_TRUE(s->real_connect(QStringLiteral("localhost"), QLatin1String(testdb::kSmsUser),
                              QLatin1String(testdb::kSmsPassword), QStringLiteral("sms_sk"), 0,
                              path, 0, false, QStringLiteral("euckr")));
  EXPECT_EQ(
      m_admin.Value(QStringLiteral("SELECT HOST FROM information_schema.PROCESSLIST WHERE ID = %1")
                        .arg(s->thread_id())),
      QStringLiteral("localhost"));
  const long old = s->thread_id();
  proxy.Hold("SELECT SLEEP");
  RecordsetPtr rs = s->query(QStringLiteral("SELECT SLEEP(0) AS z, name FROM ta"));
  ASSERT_TRUE(rs);
  EXPECT_EQ(proxy.Held(), 1);
  EXPECT_FALSE(s->HasUnresolvedConnections());
  EXPECT_EQ(m_admin.Value(
                QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE ID = %1")
                    .arg(old)),
            QStringLiteral("0"));
}

}  // namespace
