// The whole update chain with real processes: a stand-in of the main program (the same start-up
// steps before the database), the real checker and replacement programs downloaded from a server
// on 127.0.0.1, and a newer build that is swapped in and starts.
#include "app/UpdateTransfer.h"
#include "support/HttpTestServer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

namespace {

const QString kBase = QStringLiteral("/download/자동업데이트_v1/");
const QString kRevision = update::RevisionOf(QStringLiteral(SENDORA_FILE_VERSION));

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class UpdateChainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_old = ReadAll(QStringLiteral(SENDORA_BIN_DIR "/update_standin_old"));
    m_new = ReadAll(QStringLiteral(SENDORA_BIN_DIR "/update_standin_new"));
    ASSERT_FALSE(m_old.isEmpty());
    QFile::copy(QStringLiteral(SENDORA_BIN_DIR "/update_standin_old"), AppPath());
    Serve(QStringLiteral("VerProbeV1_lastver.txt"), kRevision.toLatin1());
    Serve(QStringLiteral("VerProbeV1"), ReadAll(QStringLiteral(SENDORA_BIN_DIR "/VerProbeV1")));
    Serve(QStringLiteral("swapfiles"), ReadAll(QStringLiteral(SENDORA_BIN_DIR "/swapfiles")));
    Serve(QStringLiteral("Sendora_lastver.txt"), "6");
    Serve(QStringLiteral("Sendora"), m_new);
  }

  QString AppPath() const { return m_dir.path() + QStringLiteral("/Sendora"); }
  QString Local(const QString& name) const { return m_dir.path() + u'/' + name; }
  void Serve(const QString& name, const QByteArray& body) { m_server.Set(kBase + name, body); }

  void WriteDeployment(const QString& publicKey = QString()) {
    QFile f(Local(QStringLiteral("sendora.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Update]\r\nHost=" + m_server.HostPort().toLatin1() +
            "\r\nPublicKey=" + publicKey.toLatin1() + "\r\n");
  }
  void SignAll(const QByteArray& secret) {
    for (const QString& name :
         {QStringLiteral("VerProbeV1"), QStringLiteral("swapfiles"), QStringLiteral("Sendora")}) {
      QFile f(QStringLiteral(SENDORA_BIN_DIR "/") +
              (name == QLatin1String("Sendora") ? QStringLiteral("update_standin_new") : name));
      ASSERT_TRUE(f.open(QIODevice::ReadOnly));
      Serve(name + QStringLiteral(".sig"), update::Sign(f.readAll(), secret));
    }
  }

  // Starts the program in its folder and waits for it; returns its exit code.
  int Run() {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("SENDORA_APP_DIR"));
    env.insert(QStringLiteral("SENDORA_PROMPT_TRANSCRIPT"), Local(QStringLiteral("prompts.txt")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    // Not a pipe: the swapped-in copy inherits the output and outlives this QProcess.
    p.setStandardOutputFile(Local(QStringLiteral("output.txt")), QIODevice::Append);
    p.setStandardErrorFile(Local(QStringLiteral("output.txt")), QIODevice::Append);
    p.start(AppPath(), {});
    if (!p.waitForFinished(60000)) {
      p.kill();
      p.waitForFinished(5000);
      return -2;
    }
    return p.exitCode();
  }

  // What started.txt says once it says something (the swapped-in copy runs on its own).
  QByteArray WaitForStart() {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 30000) {
      const QByteArray text = ReadAll(Local(QStringLiteral("started.txt")));
      if (text.endsWith('\n')) return text;
      QThread::msleep(100);
    }
    return QByteArray();
  }

  std::string Listing() const {
    return (QDir(m_dir.path()).entryList(QDir::Files).join(u' ') + u'\n' +
            QString::fromUtf8(ReadAll(Local(QStringLiteral("output.txt")))))
        .toStdString();
  }

  QTemporaryDir m_dir;
  HttpTestServer m_server;
  QByteArray m_old, m_new;
};

TEST_F(UpdateChainTest, NewBuildIsSwappedInAndStarts) {
  WriteDeployment();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(WaitForStart(), QByteArray("started 9.0.0.6\n")) << Listing();
  EXPECT_EQ(ReadAll(AppPath()), m_new);
  EXPECT_EQ(ReadAll(Local(QStringLiteral("Sendora.bak"))), m_old);
  EXPECT_FALSE(QFile::exists(Local(QStringLiteral("New_Sendora"))));
  EXPECT_EQ(ReadAll(Local(QStringLiteral("prompts.txt"))), QByteArray());
  // The new build checked again and found itself current.
  EXPECT_EQ(m_server.Paths().count(kBase + QStringLiteral("Sendora")), 1);
}

TEST_F(UpdateChainTest, SignedBuildIsSwappedIn) {
  QString publicKey;
  QByteArray secret;
  update::GenerateKeyPair(&publicKey, &secret);
  SignAll(secret);
  WriteDeployment(publicKey);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(WaitForStart(), QByteArray("started 9.0.0.6\n"));
  EXPECT_EQ(ReadAll(AppPath()), m_new);
}

TEST_F(UpdateChainTest, BadSignatureOfTheNewBuildKeepsTheOldProgram) {
  QString publicKey;
  QByteArray secret;
  update::GenerateKeyPair(&publicKey, &secret);
  SignAll(secret);
  Serve(QStringLiteral("Sendora.sig"), update::Sign(m_old, secret));
  WriteDeployment(publicKey);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadAll(Local(QStringLiteral("started.txt"))), QByteArray("started 9.0.0.5\n"));
  EXPECT_EQ(ReadAll(AppPath()), m_old);
  EXPECT_TRUE(QFile::exists(Local(QStringLiteral("VerProbeV1"))));  // the helpers were signed
  EXPECT_FALSE(QFile::exists(Local(QStringLiteral("New_Sendora"))));
  EXPECT_FALSE(QFile::exists(Local(QStringLiteral("New_Sendora.part"))));
}

TEST_F(UpdateChainTest, UnsignedHelpersAreRefusedAndStartUpGoesOn) {
  QString publicKey;
  QByteArray secret;
  update::GenerateKeyPair(&publicKey, &secret);
  WriteDeployment(publicKey);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadAll(Local(QStringLiteral("started.txt"))), QByteArray("started 9.0.0.5\n"));
  EXPECT_FALSE(QFile::exists(Local(QStringLiteral("VerProbeV1"))));
  EXPECT_EQ(ReadAll(Local(QStringLiteral("prompts.txt"))), QByteArray());
}

TEST_F(UpdateChainTest, NoUpdateServerMeansNoRequestAndNoMessage) {
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadAll(Local(QStringLiteral("started.txt"))), QByteArray("started 9.0.0.5\n"));
  EXPECT_TRUE(m_server.Targets().isEmpty());
  EXPECT_EQ(ReadAll(Local(QStringLiteral("prompts.txt"))), QByteArray());
}

}  // namespace
