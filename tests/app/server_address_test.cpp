// The server list against a checker service on 127.0.0.1: the request address, when the file is
// rewritten and when it is left alone, the lookups, and the UTF-8 file helpers.
#include "app/UpdateManifest.h"
#include "app/UpdateSettings.h"
#include "app/modServerAddressUtil.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/SettingsStore.h"
#include "support/HttpTestServer.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

namespace {

const QString kChecker = QStringLiteral("/serverinfo/server-address-checker.php");
const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

class ServerAddressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    paths::SetAppFolder(m_dir.path());
    // Signed lists taken here are remembered here.
    settings::SetRoot(m_settings.path());
    update::Config().serverList = JsonValue();
    update::Config().serverListCheckerUrl = m_server.Url(kChecker);
  }
  void TearDown() override {
    update::Config().serverListCheckerUrl.clear();
    update::Config().publicKey.clear();
  }

  void WriteListFile(const QByteArray& bytes) {
    QFile f(ServerAddressFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray ListFile() {
    QFile f(ServerAddressFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }

  QTemporaryDir m_dir;
  QTemporaryDir m_settings;
  HttpTestServer m_server;
  ScriptedPrompt m_prompt;
};

struct AddressCase {
  const char* name;
  QByteArray file;  // empty: no file
  QString user;
  QString target;
};

TEST_F(ServerAddressTest, RequestCarriesTheListVersionAndUser) {
  const AddressCase cases[] = {
      {"no_file", {}, {}, kChecker},
      {"ver_7", kBom + "{\"ver\": \"7\",\"servers\": []}", {}, kChecker + "?ver=7"},
      {"numeric_ver", "{ver: 12}", {}, kChecker + "?ver=12"},
      {"ver_and_user", "{\"ver\": \"7\"}", QStringLiteral("kim"), kChecker + "?ver=7&user=kim"},
      {"user_only", {}, QStringLiteral("kim"), kChecker + "?user=kim"},
      {"no_ver_key", "{\"servers\": []}", {}, kChecker},
  };
  m_server.Set(kChecker, QByteArrayLiteral("{\"success\": false}"));
  for (const AddressCase& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(ServerAddressFilePath());
    if (!c.file.isEmpty()) WriteListFile(c.file);
    m_server.ClearLog();
    EXPECT_TRUE(UpdateServerAddressFile(c.user));
    EXPECT_EQ(m_server.Targets(), QStringList{c.target});
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(ServerAddressTest, NoCheckerAddressMeansNoRequest) {
  update::Config().serverListCheckerUrl.clear();
  EXPECT_FALSE(UpdateServerAddressFile(QString()));
  EXPECT_TRUE(m_server.Targets().isEmpty());
}

struct KeepCase {
  const char* name;
  HttpTestServer::Reply reply;
  bool result;
};

TEST_F(ServerAddressTest, AnswersWithoutANewListLeaveTheFileByteForByte) {
  const QByteArray original =
      "// edited by hand\r\n{'ver':'7', servers:[{name:'a', host:'b'}]}  \r\n";
  const QByteArray newList = "{\"ver\": \"8\", \"servers\": []}";
  const KeepCase cases[] = {
      {"success_false", {200, "{\"success\": false, \"data\": " + newList + "}"}, true},
      {"success_as_text", {200, "{\"success\": \"true\", \"data\": " + newList + "}"}, true},
      {"success_without_data", {200, "{\"success\": true}"}, true},
      {"data_not_an_object", {200, "{\"success\": true, \"data\": [1]}"}, true},
      {"not_json", {200, "<html>busy</html>"}, true},
      {"server_error", {500, "{\"success\": true, \"data\": " + newList + "}"}, false},
      {"not_found", {404, "{\"success\": true, \"data\": " + newList + "}"}, false},
  };
  for (const KeepCase& c : cases) {
    SCOPED_TRACE(c.name);
    WriteListFile(original);
    m_server.Set(kChecker, c.reply);
    EXPECT_EQ(UpdateServerAddressFile(QString()), c.result);
    EXPECT_EQ(ListFile(), original);
  }
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files),
            QStringList{QStringLiteral("server_address_setting.json")});
}

TEST_F(ServerAddressTest, SuccessRewritesAHandEditedFileInTheWritersLayout) {
  WriteListFile("/* mine */ {'ver':'7', servers:[{name:'old', host:'x'}]}");
  // It names a new update server: signed, as such an answer must be.
  const QByteArray data =
      "{'ver': '8', extra: null, "
      "servers: [{name: '자동업데이트_런처', host: '10.1.2.3'}, "
      "({\"name\": 'b', \"host\": 'c'})]}";
  QByteArray secret;
  update::GenerateKeyPair(&update::Config().publicKey, &secret);
  const QByteArray sig =
      update::Sign(update::ServerListMessage(ParseJson(QString::fromUtf8(data))), secret).toHex();
  m_server.Set(kChecker, "{\"success\": true, \"data\": " + data + ", \"sig\": \"" + sig + "\"}");
  EXPECT_TRUE(UpdateServerAddressFile(QString()));
  EXPECT_EQ(ListFile(), kBom + QByteArray("{\"ver\": \"8\",\"extra\": null,\"servers\": "
                                          "[{\"name\": \"자동업데이트_런처\",\"host\": "
                                          "\"10.1.2.3\"},{\"name\": \"b\",\"host\": \"c\"}]}"));
  EXPECT_EQ(m_server.Targets(), QStringList{kChecker + "?ver=7"});
  LoadServerAddressFile();
  EXPECT_EQ(GetServerHost(QStringLiteral("자동업데이트_런처")), QStringLiteral("10.1.2.3"));
}

struct LookupCase {
  const char* name;
  QByteArray file;  // empty: no file
  QString entry;
  QString host;
};

TEST_F(ServerAddressTest, Lookups) {
  const QByteArray two =
      "{\"servers\": [{\"name\": \"db\", \"host\": \"first\"}, 7, \"x\", "
      "{\"name\": \"db\", \"host\": \"second\"}, {\"name\": \"Update\", \"host\": \"u\"}, "
      "{\"name\": \"num\", \"host\": 10.5}, {\"name\": \"nohost\"}]}";
  const LookupCase cases[] = {
      {"first_of_duplicates", two, QStringLiteral("db"), QStringLiteral("first")},
      {"exact_name", two, QStringLiteral("Update"), QStringLiteral("u")},
      {"case_differs", two, QStringLiteral("update"), {}},
      {"spacing_differs", two, QStringLiteral(" db"), {}},
      {"host_as_text", two, QStringLiteral("num"), QStringLiteral("10.5")},
      {"entry_without_host", two, QStringLiteral("nohost"), {}},
      {"no_such_entry", two, QStringLiteral("other"), {}},
      {"top_level_array", "[{\"name\": \"db\", \"host\": \"h\"}]", QStringLiteral("db"), {}},
      {"no_servers_key",
       "{\"list\": [{\"name\": \"db\", \"host\": \"h\"}]}",
       QStringLiteral("db"),
       {}},
      {"servers_not_array",
       "{\"servers\": {\"name\": \"db\", \"host\": \"h\"}}",
       QStringLiteral("db"),
       {}},
      {"malformed", "servers: db=h", QStringLiteral("db"), {}},
      {"no_file", {}, QStringLiteral("db"), {}},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(c.name);
    update::Config().serverList = JsonValue();
    QFile::remove(ServerAddressFilePath());
    if (!c.file.isEmpty()) WriteListFile(c.file);
    LoadServerAddressFile();
    EXPECT_EQ(GetServerHost(c.entry), c.host);
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(ServerAddressTest, UnreachableOrSilentCheckerGivesUpInTime) {
  quint16 closedPort = 0;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    closedPort = probe.serverPort();
  }
  WriteListFile("{\"ver\": \"7\"}");
  QElapsedTimer t;
  update::Config().serverListCheckerUrl =
      QStringLiteral("http://127.0.0.1:%1%2").arg(closedPort).arg(kChecker);
  t.start();
  EXPECT_FALSE(UpdateServerAddressFile(QString()));
  EXPECT_LT(t.elapsed(), 2000);

  update::Config().serverListCheckerUrl = m_server.Url(kChecker);
  m_server.Set(kChecker, HttpTestServer::Reply{200, {}, true});
  t.restart();
  EXPECT_FALSE(UpdateServerAddressFile(QString()));
  EXPECT_GE(t.elapsed(), kCheckerTimeoutMs * 9 / 10);  // Qt's timers are coarse
  EXPECT_LT(t.elapsed(), kCheckerTimeoutMs + 2000);
  EXPECT_EQ(ListFile(), QByteArray("{\"ver\": \"7\"}"));
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(ServerAddressTest, BackslashesAndQuotesSurviveTheRewrite) {
  // A backslash in a value used to end the string early in the written file: the list then lost
  // its "servers".
  const QString list = QStringLiteral(
      "{\"ver\": 3, \"servers\": [{\"name\": \"share\", \"host\": "
      "\"\\\\\\\\files\\\\x \\\"q\\\"\\\\\"}, {\"name\": \"b\", \"host\": \"c\"}]}");
  m_server.Set(kChecker, "{\"success\": true, \"data\": " + list.toUtf8() + "}");
  EXPECT_TRUE(UpdateServerAddressFile(QString()));
  LoadServerAddressFile();
  EXPECT_EQ(GetServerHost(QStringLiteral("share")), QStringLiteral("\\\\files\\x \"q\"\\"));
  EXPECT_EQ(GetServerHost(QStringLiteral("b")), QStringLiteral("c"));
}

TEST_F(ServerAddressTest, Utf8FilesWithAndWithoutTheByteOrderMark) {
  const QString path = m_dir.path() + QStringLiteral("/t.json");
  ASSERT_TRUE(WriteUTF8(path, QStringLiteral("{\"a\": \"한글\"}")));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), kBom + QStringLiteral("{\"a\": \"한글\"}").toUtf8());
  f.close();
  EXPECT_EQ(ReadUTF8(path), QStringLiteral("{\"a\": \"한글\"}"));

  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(QStringLiteral("한글").toUtf8());
  f.close();
  EXPECT_EQ(ReadUTF8(path), QStringLiteral("한글"));
  EXPECT_TRUE(m_prompt.Records().empty());

  // Code page 949 bytes are not UTF-8: the read box, then nothing.
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write("\xC7\xD1\xB1\xDB");
  f.close();
  EXPECT_EQ(ReadUTF8(path), QString());
  ASSERT_EQ(m_prompt.MessageTexts().size(), 1);
  EXPECT_TRUE(m_prompt.MessageTexts()[0].startsWith(QStringLiteral("파일 읽기 중 오류 발생: ")));

  EXPECT_FALSE(FileExists(m_dir.path()));
  EXPECT_FALSE(FileExists(QString()));
  EXPECT_EQ(ReadUTF8(m_dir.path() + QStringLiteral("/none.json")), QString());
  ASSERT_EQ(m_prompt.MessageTexts().size(), 2);
  EXPECT_TRUE(m_prompt.MessageTexts()[1].startsWith(QStringLiteral("파일 읽기 중 오류 발생: ")));

  EXPECT_FALSE(WriteUTF8(m_dir.path() + QStringLiteral("/no/such/dir.json"), QStringLiteral("x")));
  ASSERT_EQ(m_prompt.MessageTexts().size(), 3);
  EXPECT_TRUE(m_prompt.MessageTexts()[2].startsWith(QStringLiteral("파일 저장 중 오류 발생: ")));
}

}  // namespace
