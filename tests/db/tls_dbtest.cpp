// TLS to the databases: a private server with certificates made here, a session that requires
// TLS and verifies the server against a CA file, and one that does not.
#include "db/modMySQL_Func.h"
#include "support/PrivateServer.h"
#include "support/ScriptedPrompt.h"
#include "support/TestDb.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

void Openssl(const QString& dir, const QStringList& args) {
  QProcess p;
  p.setWorkingDirectory(dir);
  p.start(QStringLiteral("openssl"), args);
  ASSERT_TRUE(p.waitForFinished(60000));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
}

// A CA and, when server is given, a certificate for 127.0.0.1 signed by it.
void MakeCa(const QString& dir, const QString& name) {
  Openssl(dir, {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                name + QStringLiteral(".key"), QStringLiteral("-out"),
                name + QStringLiteral(".pem"), QStringLiteral("-days"), QStringLiteral("2"),
                QStringLiteral("-subj"), QStringLiteral("/CN=") + name});
}

void MakeServerCert(const QString& dir, const QString& ca) {
  QFile ext(dir + QStringLiteral("/san.ext"));
  ASSERT_TRUE(ext.open(QIODevice::WriteOnly));
  ext.write("subjectAltName=IP:127.0.0.1\n");
  ext.close();
  Openssl(dir, {QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                QStringLiteral("-nodes"), QStringLiteral("-keyout"), QStringLiteral("server.key"),
                QStringLiteral("-out"), QStringLiteral("server.csr"), QStringLiteral("-subj"),
                QStringLiteral("/CN=127.0.0.1")});
  Openssl(dir,
          {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
           QStringLiteral("server.csr"), QStringLiteral("-CA"), ca + QStringLiteral(".pem"),
           QStringLiteral("-CAkey"), ca + QStringLiteral(".key"), QStringLiteral("-CAcreateserial"),
           QStringLiteral("-out"), QStringLiteral("server.pem"), QStringLiteral("-days"),
           QStringLiteral("2"), QStringLiteral("-extfile"), QStringLiteral("san.ext")});
}

class TlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new QTemporaryDir;
    const QString d = s_dir->path();
    // The server runs under its own account: it must be able to read the files.
    QFile::setPermissions(d, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                 QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                 QFile::ExeGroup);
    MakeCa(d, QStringLiteral("officeca"));
    MakeCa(d, QStringLiteral("otherca"));
    MakeServerCert(d, QStringLiteral("officeca"));
    for (const char* f : {"officeca.pem", "server.pem", "server.key"})
      QFile::setPermissions(
          d + QLatin1Char('/') + QLatin1String(f),
          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    s_server = new testdb::PrivateServer(
        d + QStringLiteral("/db"),
        QStringLiteral("--ssl-ca=%1/officeca.pem --ssl-cert=%1/server.pem --ssl-key=%1/server.key")
            .arg(d));
    QFile schema(testdb::SchemaFile(QStringLiteral("sms_sk.sql")));
    ASSERT_TRUE(schema.open(QIODevice::ReadOnly));
    s_server->Exec(QString::fromUtf8(schema.readAll()));
  }
  static void TearDownTestSuite() {
    delete s_server;
    delete s_dir;
  }
  void TearDown() override {
    DBSetTls(DbServer::Sms, {});
    DBSetTls(DbServer::InHouse, {});
  }

  static bool ConnectSms() {
    return DBInit(QStringLiteral("127.0.0.1"), QLatin1String(testdb::kSmsUser),
                  QLatin1String(testdb::kSmsPassword), QStringLiteral("sms_sk"), QString(), -1,
                  QStringLiteral("euckr"), s_server->Port());
  }
  static QString Ca(const char* name) {
    return s_dir->path() + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".pem");
  }

  static QTemporaryDir* s_dir;
  static testdb::PrivateServer* s_server;
  ScriptedPrompt m_prompt;
};

QTemporaryDir* TlsTest::s_dir = nullptr;
testdb::PrivateServer* TlsTest::s_server = nullptr;

const QString kCipher = QStringLiteral(
    "SELECT VARIABLE_VALUE FROM information_schema.SESSION_STATUS WHERE VARIABLE_NAME = "
    "'SSL_CIPHER'");

TEST_F(TlsTest, RequiredTlsVerifiesTheServerAgainstTheCaFile) {
  DBSetTls(DbServer::Sms, {true, Ca("officeca")});
  ASSERT_TRUE(ConnectSms()) << m_prompt.MessageTexts().join(u'|').toStdString();
  EXPECT_FALSE(DBGetValue(kCipher).isEmpty());
  EXPECT_TRUE(m_prompt.Messages().empty());
}

TEST_F(TlsTest, ServerWithACertificateFromAnotherCaIsRefused) {
  DBSetTls(DbServer::Sms, {true, Ca("otherca")});
  EXPECT_FALSE(ConnectSms());
  ASSERT_EQ(m_prompt.Messages().size(), 1u);
  EXPECT_TRUE(
      m_prompt.Messages()[0].text.contains(QStringLiteral("보안 연결(TLS)을 맺지 못했습니다")))
      << m_prompt.Messages()[0].text.toStdString();
}

TEST_F(TlsTest, TlsOffKeepsThePlainConnection) {
  ASSERT_TRUE(ConnectSms());
  EXPECT_EQ(DBGetValue(QStringLiteral("SELECT 1")), QStringLiteral("1"));
  EXPECT_TRUE(m_prompt.Messages().empty());
}

TEST_F(TlsTest, StaffDatabaseSessionRequiresTlsOfItsOwn) {
  s_server->Exec(QStringLiteral("CREATE DATABASE IF NOT EXISTS cv_inhouse"));
  DBSetTls(DbServer::InHouse, {true, Ca("officeca")});
  ASSERT_TRUE(DBInit_MYSQL(QStringLiteral("127.0.0.1"), QLatin1String(testdb::kInHouseUser),
                           QLatin1String(testdb::kInHousePassword), QStringLiteral("cv_inhouse"),
                           false, s_server->Port()));
  RecordsetPtr rs;
  ASSERT_EQ(DBOpenRecordset_MYSQL(rs, kCipher), 1);
  EXPECT_FALSE(rs->Fields(0).isEmpty());
  DBClose_MYSQL();
  DBSetTls(DbServer::InHouse, {true, Ca("otherca")});
  EXPECT_FALSE(DBInit_MYSQL(QStringLiteral("127.0.0.1"), QLatin1String(testdb::kInHouseUser),
                            QLatin1String(testdb::kInHousePassword), QStringLiteral("cv_inhouse"),
                            true, s_server->Port()));
}

}  // namespace
