// The whole update chain with real processes: a stand-in of the main program (the same start-up
// steps before the database), the real checker and replacement programs downloaded from a server
// on 127.0.0.1, and a newer build that is swapped in and starts.
#include "app/UpdateRecord.h"
#include "app/UpdateTransfer.h"
#include "platform/SettingsStore.h"
#include "support/HttpTestServer.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
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
    settings::SetRoot(m_settings.path());
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

  void WriteDeployment(const QString& publicKey = QString(), bool allowUnsigned = false) {
    QFile f(Local(QStringLiteral("sendora.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Update]\r\nHost=" + m_server.HostPort().toLatin1() + "\r\nPublicKey=" +
            publicKey.toLatin1() + (allowUnsigned ? "\r\nAllowUnsigned=1\r\n" : "\r\n"));
  }
  // The manifest of name, as the signing tool writes it.
  static QByteArray Manifest(const QString& name, qint64 revision, const QByteArray& bytes,
                             const QByteArray& secret) {
    return update::SignedManifestText(
        update::ManifestLine(name, revision, bytes.size(),
                             QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(),
                             QDateTime::currentDateTimeUtc().addDays(1)),
        secret);
  }
  void SignAll(const QByteArray& secret) {
    for (const QString& name : {QStringLiteral("VerProbeV1"), QStringLiteral("swapfiles")})
      Serve(name + QStringLiteral(".manifest"),
            Manifest(name, kRevision.toLongLong(),
                     ReadAll(QStringLiteral(SENDORA_BIN_DIR "/") + name), secret));
    Serve(QStringLiteral("Sendora.manifest"),
          Manifest(QStringLiteral("Sendora"), 6, m_new, secret));
  }
  QByteArray Log() const { return ReadAll(Local(QStringLiteral("log/sendora.log"))); }

  // Starts the program in its folder and waits for it; returns its exit code.
  int Run() {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("SENDORA_APP_DIR"));
    // The records of trusted and failed revisions stay with this test.
    env.insert(QStringLiteral("SENDORA_SETTINGS_DIR"), m_settings.path());
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
  QTemporaryDir m_settings;
  HttpTestServer m_server;
  QByteArray m_old, m_new;
};

TEST_F(UpdateChainTest, NewBuildIsSwappedInAndStarts) {
  WriteDeployment(QString(), true);
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
  QString otherKey;
  QByteArray otherSecret;
  update::GenerateKeyPair(&otherKey, &otherSecret);
  Serve(QStringLiteral("Sendora.manifest"),
        Manifest(QStringLiteral("Sendora"), 6, m_new, otherSecret));
  WriteDeployment(publicKey);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadAll(Local(QStringLiteral("started.txt"))), QByteArray("started 9.0.0.5\n"));
  EXPECT_EQ(ReadAll(AppPath()), m_old);
  EXPECT_TRUE(QFile::exists(Local(QStringLiteral("VerProbeV1"))));  // the helpers were signed
  EXPECT_FALSE(QFile::exists(Local(QStringLiteral("New_Sendora"))));
  EXPECT_FALSE(QFile::exists(Local(QStringLiteral("New_Sendora.part"))));
}

TEST_F(UpdateChainTest, UnsignedHelpersAreRefusedAndStartUpGoesOn) {
  QString publicKey, otherKey;
  QByteArray secret, otherSecret;
  update::GenerateKeyPair(&publicKey, &secret);
  update::GenerateKeyPair(&otherKey, &otherSecret);
  SignAll(otherSecret);
  WriteDeployment(publicKey);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadAll(Local(QStringLiteral("started.txt"))), QByteArray("started 9.0.0.5\n"));
  EXPECT_FALSE(QFile::exists(Local(QStringLiteral("VerProbeV1"))));
  EXPECT_EQ(ReadAll(Local(QStringLiteral("prompts.txt"))), QByteArray());
}

// A signed build that does not answer as its manifest promised (an older build signed as newer,
// or one that cannot start at all) is swapped straight back out, said once at the next start,
// and not fetched again: no update loop.
TEST_F(UpdateChainTest, BuildThatFailsItsPromiseIsUndoneOnce) {
  QString publicKey;
  QByteArray secret;
  update::GenerateKeyPair(&publicKey, &secret);
  struct Case {
    const char* name;
    QByteArray served;
    const char* logged;
  };
  const Case cases[] = {
      {"older_build_signed_as_newer", m_old, "answered --version with \"5\", not revision 6"},
      {"cannot_start", "not a program", "answered --version with \"\", not revision 6"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
      if (name != QLatin1String("Sendora")) QFile::remove(Local(name));
    settings::DeleteSetting(QStringLiteral("Sendora"), QStringLiteral("Update"), QString());
    m_server.ClearLog();
    SignAll(secret);
    Serve(QStringLiteral("Sendora"), c.served);
    Serve(QStringLiteral("Sendora.manifest"),
          Manifest(QStringLiteral("Sendora"), 6, c.served, secret));
    WriteDeployment(publicKey);
    EXPECT_EQ(Run(), 0);
    // The kept copy was put back and started; it did not fetch the failed revision again.
    EXPECT_EQ(WaitForStart(), QByteArray("started 9.0.0.5\n")) << Listing();
    EXPECT_EQ(ReadAll(AppPath()), m_old);
    EXPECT_EQ(m_server.Paths().count(kBase + QStringLiteral("Sendora")), 1);
    EXPECT_TRUE(Log().contains(c.logged)) << Log().constData();
    const QString prompts = QString::fromUtf8(ReadAll(Local(QStringLiteral("prompts.txt"))));
    EXPECT_EQ(prompts.count(QStringLiteral("프로그램 업데이트를 적용하지 못했습니다.")), 1)
        << prompts.toStdString();
  }
}

TEST_F(UpdateChainTest, SignedRevisionsNotAboveWhatWasTrustedAreRefused) {
  QString publicKey;
  QByteArray secret;
  update::GenerateKeyPair(&publicKey, &secret);
  struct Case {
    const char* name;
    qint64 served;         // revision of the served manifest (of the new build's bytes)
    qint64 trustedBefore;  // highest revision of Sendora trusted before
    const char* logged;    // nullptr: nothing logged about Sendora
  };
  const Case cases[] = {
      // An old manifest replayed: revision 5 is this program's own.
      {"replayed_own_revision", 5, 0, nullptr},
      // Old program files installed again after 7 had been trusted: 6 is a rollback.
      {"rollback_after_reinstall", 6, 7, "revision 6 is older than 7, trusted before"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings::DeleteSetting(QStringLiteral("Sendora"), QStringLiteral("Update"), QString());
    QFile::remove(Local(QStringLiteral("log/sendora.log")));
    if (c.trustedBefore) update::NoteTrustedRevision(QStringLiteral("Sendora"), c.trustedBefore);
    m_server.ClearLog();
    SignAll(secret);
    Serve(QStringLiteral("Sendora.manifest"),
          Manifest(QStringLiteral("Sendora"), c.served, m_new, secret));
    WriteDeployment(publicKey);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ReadAll(Local(QStringLiteral("started.txt"))), QByteArray("started 9.0.0.5\n"));
    QFile::remove(Local(QStringLiteral("started.txt")));
    EXPECT_EQ(m_server.Paths().count(kBase + QStringLiteral("Sendora")), 0);
    EXPECT_EQ(ReadAll(AppPath()), m_old);
    if (c.logged) {
      EXPECT_TRUE(Log().contains(c.logged)) << Log().constData();
    }
  }
}

TEST_F(UpdateChainTest, NoUpdateServerMeansNoRequestAndNoMessage) {
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(ReadAll(Local(QStringLiteral("started.txt"))), QByteArray("started 9.0.0.5\n"));
  EXPECT_TRUE(m_server.Targets().isEmpty());
  EXPECT_EQ(ReadAll(Local(QStringLiteral("prompts.txt"))), QByteArray());
}

}  // namespace
