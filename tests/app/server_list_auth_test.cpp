// A server-list answer that would move the staff database or the update server is taken only
// when it is authentic: over https with a checked certificate (the deployment's own CA file, or
// the system's), or signed with the update key. Anything else leaves the file as it was and says
// why in the log. Certificates are made here with openssl.
#include "app/UpdateManifest.h"
#include "app/UpdateRecord.h"
#include "app/UpdateSettings.h"
#include "app/json.h"
#include "app/modServerAddressUtil.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/EventLog.h"
#include "platform/SettingsStore.h"
#include "support/HttpTestServer.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QString kChecker = QStringLiteral("/serverinfo/server-address-checker.php");
const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray kCurrent =
    "{\"ver\": 5, \"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"10.0.0.1\"}]}";

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class ServerListAuthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    paths::SetAppFolder(m_dir.path());
    settings::SetRoot(m_settings.path());
    AppState& app = App();
    update::Config().serverList = JsonValue();
    app.inHouseDbHost = QStringLiteral("10.0.0.9");
    app.updateServerHost.clear();
    update::Config().serverListCaFile.clear();
    update::GenerateKeyPair(&update::Config().publicKey, &m_secret);
  }
  void TearDown() override {
    update::Config().serverListCheckerUrl.clear();
    update::Config().serverListCaFile.clear();
    update::Config().publicKey.clear();
  }

  void WriteList(const QByteArray& bytes) {
    QFile f(ServerAddressFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  QByteArray Signature(const QByteArray& data, const QByteArray& secret) const {
    return update::Sign(update::ServerListMessage(ParseJson(QString::fromUtf8(data))), secret)
        .toHex();
  }
  static QByteArray Answer(const QByteArray& data, const QByteArray& sig = QByteArray()) {
    return "{\"success\": true, \"data\": " + data +
           (sig.isEmpty() ? QByteArray() : ", \"sig\": \"" + sig + "\"") + "}";
  }
  QByteArray Log() const { return ReadAll(eventlog::FilePath()); }

  // openssl with the arguments, in the certificate folder.
  void OpenSsl(const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(m_certs.path());
    p.start(QStringLiteral("openssl"), args);
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
  }
  void MakeCa(const QString& name) {
    OpenSsl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
             "-keyout", name + ".key", "-out", name + ".pem", "-days", "2", "-subj",
             "/CN=" + name});
  }
  // A server certificate for subjectAltName san, issued by ca.
  void MakeServer(const QString& name, const QString& ca, const QString& san) {
    QFile ext(m_certs.path() + u'/' + name + QStringLiteral(".ext"));
    ASSERT_TRUE(ext.open(QIODevice::WriteOnly));
    ext.write("basicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\nsubjectAltName=" +
              san.toLatin1() + "\n");
    ext.close();
    OpenSsl({"req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
             "-keyout", name + ".key", "-out", name + ".csr", "-subj", "/CN=" + name});
    OpenSsl({"x509", "-req", "-in", name + ".csr", "-CA", ca + ".pem", "-CAkey", ca + ".key",
             "-set_serial", "7", "-out", name + ".pem", "-days", "2", "-extfile", name + ".ext"});
  }
  QString Cert(const QString& name) const { return m_certs.path() + u'/' + name; }

  QTemporaryDir m_dir;
  QTemporaryDir m_settings;
  QTemporaryDir m_certs;
  HttpTestServer m_server;
  ScriptedPrompt m_prompt;
  QByteArray m_secret;
};

TEST_F(ServerListAuthTest, AnswersThatMoveAHostMustBeSigned) {
  QString otherKey;
  QByteArray otherSecret;
  update::GenerateKeyPair(&otherKey, &otherSecret);
  const QByteArray moved =
      "{\"ver\": 6, \"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"192.0.2.66\"}]}";
  const QByteArray withUpdate =
      "{\"ver\": 6, \"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"10.0.0.1\"}, "
      "{\"name\": \"자동업데이트_런처\", \"host\": \"192.0.2.67\"}]}";
  const QByteArray dropped = "{\"ver\": 6, \"servers\": []}";
  const QByteArray same =
      "{\"ver\": 6, \"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"10.0.0.1\"}, "
      "{\"name\": \"메일\", \"host\": \"192.0.2.68\"}]}";
  const QByteArray older =
      "{\"ver\": 4, \"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"192.0.2.66\"}]}";
  struct Case {
    const char* name;
    QByteArray answer;
    const char* logged;    // nullptr: taken
    QByteArray written{};  // taken: the list the file holds then (empty: the answer's)
    bool recorded = true;  // the current list's ver is kept as taken before (else: only the file)
  };
  const Case cases[] = {
      {"unsigned_moves_the_staff_db", Answer(moved), "it would change 사내메신저DB서버"},
      {"unsigned_names_an_update_server", Answer(withUpdate), "it would change 자동업데이트_런처"},
      {"unsigned_drops_the_staff_db_entry", Answer(dropped), "it would change 사내메신저DB서버"},
      // Taken, but an unauthenticated answer does not change the list's version.
      {"unsigned_keeps_the_hosts", Answer(same), nullptr,
       "{\"ver\": 5, \"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"10.0.0.1\"}, "
       "{\"name\": \"메일\", \"host\": \"192.0.2.68\"}]}"},
      {"signed", Answer(moved, Signature(moved, m_secret)), nullptr},
      {"signed_with_another_key", Answer(moved, Signature(moved, otherSecret)), "neither over"},
      {"signature_of_another_list", Answer(moved, Signature(same, m_secret)), "neither over"},
      {"signature_not_hex", Answer(moved, QByteArray(128, 'z')), "neither over"},
      {"signed_but_older", Answer(older, Signature(older, m_secret)), "ver 4 is older than"},
      // An install from before versions were kept: the list in use is the floor.
      {"signed_but_older_than_the_file",
       Answer(older, Signature(older, m_secret)),
       "ver 4 is older than 5",
       {},
       false},
  };
  update::Config().serverListCheckerUrl = m_server.Url(kChecker);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteList(kCurrent);
    // The current list was taken as authentic.
    settings::DeleteSetting(QStringLiteral("Sendora"), QStringLiteral("Update"), QString());
    if (c.recorded) update::NoteTrustedListVersion(5);
    QFile::remove(eventlog::FilePath());
    m_server.Set(kChecker, c.answer);
    EXPECT_TRUE(UpdateServerAddressFile(QString()));
    if (c.logged) {
      EXPECT_EQ(ReadAll(ServerAddressFilePath()), kCurrent);
      EXPECT_TRUE(Log().contains(c.logged)) << Log().constData();
    } else {
      const JsonValue answer = ParseJson(QString::fromUtf8(c.answer));
      const JsonValue written = c.written.isEmpty() ? *answer.Object()->Find(QStringLiteral("data"))
                                                    : ParseJson(QString::fromUtf8(c.written));
      EXPECT_EQ(ReadAll(ServerAddressFilePath()), kBom + JsonToString(written).toUtf8());
      EXPECT_EQ(Log(), QByteArray("<missing>"));
    }
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

// An answer that changes no host needs no authentication, but whatever it does to "ver" it must
// neither open the way for an old signed list nor hold back the next one.
TEST_F(ServerListAuthTest, UnauthenticatedAnswersCannotMakeWayForAReplay) {
  const QByteArray servers =
      "\"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"10.0.0.1\"}]";
  // Old lists, signed at the time, that point at a retired host.
  const QByteArray retired =
      "{\"ver\": 4, \"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"192.0.2.66\"}]}";
  const QByteArray unversioned =
      "{\"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"192.0.2.66\"}]}";
  const QByteArray next =
      "{\"ver\": 6, \"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"10.0.0.2\"}]}";
  struct Case {
    const char* name;
    QByteArray unauthenticated;  // keeps the hosts
  };
  const Case cases[] = {
      {"ver_dropped", "{" + servers + "}"},
      {"ver_not_a_number", "{\"ver\": \"x\", " + servers + "}"},
      {"ver_lowered", "{\"ver\": 1, " + servers + "}"},
      {"ver_raised", "{\"ver\": 99999999, " + servers + "}"},
  };
  update::Config().serverListCheckerUrl = m_server.Url(kChecker);
  const QString path = ServerAddressFilePath();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings::DeleteSetting(QStringLiteral("Sendora"), QStringLiteral("Update"), QString());
    QFile::remove(path);
    QFile::remove(eventlog::FilePath());
    m_server.Set(kChecker, Answer(kCurrent, Signature(kCurrent, m_secret)));
    ASSERT_TRUE(UpdateServerAddressFile(QString()));
    const QByteArray signedCurrent = ReadAll(path);
    ASSERT_EQ(signedCurrent, kBom + JsonToString(ParseJson(QString::fromUtf8(kCurrent))).toUtf8());

    m_server.Set(kChecker, Answer(c.unauthenticated));
    EXPECT_TRUE(UpdateServerAddressFile(QString()));
    EXPECT_EQ(ReadAll(path), signedCurrent);

    for (const QByteArray& old : {retired, unversioned}) {
      m_server.ClearLog();
      m_server.Set(kChecker, Answer(old, Signature(old, m_secret)));
      EXPECT_TRUE(UpdateServerAddressFile(QString()));
      EXPECT_EQ(m_server.Targets(), QStringList{kChecker + "?ver=5"});
      EXPECT_EQ(ReadAll(path), signedCurrent);
    }
    EXPECT_TRUE(Log().contains("its ver 4 is older than 5")) << Log().constData();
    EXPECT_TRUE(Log().contains("it carries no whole-number ver, and ver 5 was taken before"))
        << Log().constData();

    m_server.Set(kChecker, Answer(next, Signature(next, m_secret)));
    EXPECT_TRUE(UpdateServerAddressFile(QString()));
    LoadServerAddressFile();
    EXPECT_EQ(GetServerHost(QStringLiteral("사내메신저DB서버")), QStringLiteral("10.0.0.2"));
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(ServerListAuthTest, HttpsCountsOnlyWithACheckedCertificate) {
  MakeCa(QStringLiteral("office-ca"));
  MakeCa(QStringLiteral("stranger-ca"));
  MakeServer(QStringLiteral("right"), QStringLiteral("office-ca"), QStringLiteral("IP:127.0.0.1"));
  MakeServer(QStringLiteral("stranger"), QStringLiteral("stranger-ca"),
             QStringLiteral("IP:127.0.0.1"));
  MakeServer(QStringLiteral("misnamed"), QStringLiteral("office-ca"),
             QStringLiteral("DNS:other.example"));
  QFile empty(Cert(QStringLiteral("empty.pem")));
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();
  const QByteArray moved =
      "{\"ver\": 6, \"servers\": [{\"name\": \"사내메신저DB서버\", \"host\": \"192.0.2.66\"}]}";
  struct Case {
    const char* name;
    QString server;      // its certificate
    QString caFile;      // empty: the system's certificates
    const char* logged;  // nullptr: taken
  };
  const Case cases[] = {
      {"office_ca_right_name", QStringLiteral("right"), Cert(QStringLiteral("office-ca.pem")),
       nullptr},
      {"another_ca", QStringLiteral("stranger"), Cert(QStringLiteral("office-ca.pem")),
       "server list not refreshed"},
      {"wrong_name", QStringLiteral("misnamed"), Cert(QStringLiteral("office-ca.pem")),
       "server list not refreshed"},
      {"system_certificates", QStringLiteral("right"), QString(), "server list not refreshed"},
      {"ca_file_without_certificates", QStringLiteral("right"), Cert(QStringLiteral("empty.pem")),
       "no certificate in"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HttpTestServer tls(Cert(c.server + QStringLiteral(".pem")),
                       Cert(c.server + QStringLiteral(".key")));
    tls.Set(kChecker, Answer(moved));
    update::Config().serverListCheckerUrl = tls.Url(kChecker);
    update::Config().serverListCaFile = c.caFile;
    WriteList(kCurrent);
    QFile::remove(eventlog::FilePath());
    EXPECT_EQ(UpdateServerAddressFile(QString()), c.logged == nullptr);
    if (c.logged) {
      EXPECT_EQ(ReadAll(ServerAddressFilePath()), kCurrent);
      EXPECT_TRUE(Log().contains(c.logged)) << Log().constData();
    } else {
      LoadServerAddressFile();
      EXPECT_EQ(GetServerHost(QStringLiteral("사내메신저DB서버")), QStringLiteral("192.0.2.66"));
    }
  }
}

}  // namespace
