// The update launcher against an update server on 127.0.0.1: refreshing the checker, reading the
// version information, signatures, and what happens after the checker has run.
#include "app/UpdateSettings.h"
#include "app/UpdateTransfer.h"
#include "app/modAutoUpdateV1_Launcher.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"
#include "support/HttpTestServer.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

namespace {

const QString kBase = QStringLiteral("/download/자동업데이트_v1/");
const QString kRevision = update::RevisionOf(QStringLiteral(SENDORA_FILE_VERSION));

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList g_opened;
int g_endCode = -100;
bool RecordOpen(const QString& target) {
  g_opened << target;
  return true;
}
void RecordEnd(int code) { g_endCode = code; }

class AutoUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    paths::SetAppFolder(m_dir.path());
    AppState& app = App();
    app.updateServerHost = m_server.HostPort();
    update::Config().scheme = QStringLiteral("http");
    update::Config().publicKey.clear();
    // These cases follow the unsigned path an installation opts into; the signed one is below and
    // in update_security_test.
    update::Config().allowUnsigned = true;
    app.fileVersion = QStringLiteral("3.1.4.15");
    // The checker run from here keeps its records where this test does.
    qputenv("SENDORA_SETTINGS_DIR", settings::Root().toUtf8());
    g_opened.clear();
    g_endCode = -100;
    process::SetShellOpenOverride(&RecordOpen);
    process::SetEndProcessOverride(&RecordEnd);
  }
  void TearDown() override {
    process::SetShellOpenOverride(nullptr);
    process::SetEndProcessOverride(nullptr);
    update::Config().publicKey.clear();
    update::Config().allowUnsigned = false;
  }

  QString Local(const QString& name) const { return m_dir.path() + u'/' + name; }
  void Serve(const QString& name, const QByteArray& body) { m_server.Set(kBase + name, body); }
  void ServeHelpers() {
    Serve(QStringLiteral("VerProbeV1"), ReadAll(QStringLiteral(SENDORA_BIN_DIR "/VerProbeV1")));
    Serve(QStringLiteral("swapfiles"), Script("exit 0"));
  }
  static QByteArray Script(const QByteArray& body) { return "#!/bin/sh\n" + body + "\n"; }
  void WriteScript(const QString& name, const QByteArray& body) {
    QFile f(Local(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Script(body));
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QStringList Downloads() const {
    QStringList out;
    for (const QString& p : m_server.Paths()) out << p.mid(kBase.size());
    return out;
  }
  QStringList LeftOvers() const {
    return QDir(m_dir.path()).entryList({QStringLiteral("*.part")}, QDir::Files);
  }

  QTemporaryDir m_dir;
  HttpTestServer m_server;
  ScriptedPrompt m_prompt;
};

struct SelfUpdateCase {
  const char* name;
  QByteArray localVersion;  // empty: no local checker
  QByteArray lastver;
  QStringList requested;
};

TEST_F(AutoUpdateTest, SelfUpdateComparesRevisionsNumerically) {
  const QByteArray r = kRevision.toLatin1();
  const SelfUpdateCase cases[] = {
      {"equal_downloads_nothing", "1.0.0." + r, r, {"VerProbeV1_lastver.txt"}},
      {"missing_counts_as_0", {}, "1", {"VerProbeV1_lastver.txt", "VerProbeV1", "swapfiles"}},
      {"9_is_older_than_10",
       "1.0.0.9",
       "10",
       {"VerProbeV1_lastver.txt", "VerProbeV1", "swapfiles"}},
      {"newer_local_downloads_nothing", "1.0.0.12", "11\r\n", {"VerProbeV1_lastver.txt"}},
      // Only the first 20 bytes count: "000...0<r>" and not that with a 9 after it.
      {"body_cut_at_20_bytes",
       "1.0.0." + r,
       QByteArray(20 - r.size(), '0') + r + "9",
       {"VerProbeV1_lastver.txt"}},
  };
  for (const SelfUpdateCase& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(Local(QStringLiteral("VerProbeV1")));
    QFile::remove(Local(QStringLiteral("swapfiles")));
    if (!c.localVersion.isEmpty())
      WriteScript(QStringLiteral("VerProbeV1"), "echo " + c.localVersion);
    ServeHelpers();
    Serve(QStringLiteral("VerProbeV1_lastver.txt"), c.lastver);
    m_server.ClearLog();
    EXPECT_TRUE(AutoUpdaterSelfUpdate());
    EXPECT_EQ(Downloads(), c.requested);
    if (c.requested.size() == 3) {
      EXPECT_EQ(ReadAll(Local(QStringLiteral("VerProbeV1"))),
                ReadAll(QStringLiteral(SENDORA_BIN_DIR "/VerProbeV1")));
      EXPECT_TRUE(QFileInfo(Local(QStringLiteral("swapfiles"))).isExecutable());
    }
  }
  EXPECT_EQ(update::Config().baseAddress, QStringLiteral("http://") + m_server.HostPort() + kBase);
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_TRUE(LeftOvers().isEmpty());
}

TEST_F(AutoUpdateTest, UnreadableVersionInformationShowsTheMessage) {
  const HttpTestServer::Reply replies[] = {
      {200, "   \r\n\t  "}, {200, ""}, {404, "7"}, {200, "<html>"}};
  for (const auto& reply : replies) {
    SCOPED_TRACE(reply.body.constData());
    m_prompt.Clear();
    m_server.Set(kBase + QStringLiteral("VerProbeV1_lastver.txt"), reply);
    EXPECT_FALSE(AutoUpdaterSelfUpdate());
    ASSERT_EQ(m_prompt.Messages().size(), 1u);
    EXPECT_EQ(m_prompt.Messages()[0].text,
              QStringLiteral("VerProbeV1의 최신버전 정보를 읽어올 수 없습니다!"));
    EXPECT_EQ(m_prompt.Messages()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(m_prompt.Messages()[0].buttons, MsgButtons::Ok);
  }
  EXPECT_FALSE(QFile::exists(Local(QStringLiteral("VerProbeV1"))));
}

TEST_F(AutoUpdateTest, SilentUpdateServerGivesUpInTime) {
  m_server.Set(kBase + QStringLiteral("VerProbeV1_lastver.txt"),
               HttpTestServer::Reply{200, {}, true});
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(AutoUpdaterSelfUpdate());
  EXPECT_LT(t.elapsed(), update::kReadTimeoutMs + 2000);
  EXPECT_EQ(m_prompt.Messages().size(), 1u);
}

TEST_F(AutoUpdateTest, FailedOrPartialDownloadsReplaceNothing) {
  WriteScript(QStringLiteral("VerProbeV1"), "echo 1.0.0.0");
  const QByteArray before = ReadAll(Local(QStringLiteral("VerProbeV1")));
  Serve(QStringLiteral("VerProbeV1_lastver.txt"), "1");

  // Cut off: the server promises more than it sends.
  m_server.Set(kBase + QStringLiteral("VerProbeV1"),
               HttpTestServer::Reply{200, "#!/bin/sh\necho 9", false, 5000});
  EXPECT_FALSE(AutoUpdaterSelfUpdate());
  EXPECT_EQ(ReadAll(Local(QStringLiteral("VerProbeV1"))), before);

  // The checker arrives, the replacement program does not.
  ServeHelpers();
  m_server.Remove(kBase + QStringLiteral("swapfiles"));
  EXPECT_FALSE(AutoUpdaterSelfUpdate());
  EXPECT_FALSE(QFile::exists(Local(QStringLiteral("swapfiles"))));
  EXPECT_TRUE(m_prompt.Records().empty());  // a failed download is not reported
  EXPECT_TRUE(LeftOvers().isEmpty());
}

TEST_F(AutoUpdateTest, WithAKeyOnlyProperlySignedProgramsAreTaken) {
  QString publicKey, otherKey;
  QByteArray secret, otherSecret;
  update::GenerateKeyPair(&publicKey, &secret);
  update::GenerateKeyPair(&otherKey, &otherSecret);
  const QByteArray checker = ReadAll(QStringLiteral(SENDORA_BIN_DIR "/VerProbeV1"));
  const QByteArray swapper = Script("echo 1.0.0." + kRevision.toLatin1());
  Serve(QStringLiteral("VerProbeV1"), checker);
  Serve(QStringLiteral("swapfiles"), swapper);
  const auto manifest = [&](const QString& name, const QByteArray& bytes, const QByteArray& key) {
    return update::SignedManifestText(
        update::ManifestLine(name, kRevision.toLongLong(), bytes.size(),
                             QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(),
                             QDateTime::currentDateTimeUtc().addDays(1)),
        key);
  };
  const QString vp = QStringLiteral("VerProbeV1"), sw = QStringLiteral("swapfiles");

  struct Case {
    const char* name;
    QString key;
    QByteArray checkerManifest, swapperManifest;  // empty: none on the server
    bool taken;
  };
  const Case cases[] = {
      {"no_manifests", publicKey, {}, {}, false},
      {"other_key", publicKey, manifest(vp, checker, otherSecret),
       manifest(sw, swapper, otherSecret), false},
      {"manifest_of_other_bytes", publicKey, manifest(vp, swapper, secret),
       manifest(sw, swapper, secret), false},
      {"second_unsigned", publicKey, manifest(vp, checker, secret), {}, false},
      {"malformed_key", QStringLiteral("not-a-key"), manifest(vp, checker, secret),
       manifest(sw, swapper, secret), false},
      {"signed", publicKey, manifest(vp, checker, secret), manifest(sw, swapper, secret), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(Local(vp));
    QFile::remove(Local(sw));
    update::Config().publicKey = c.key;
    for (const auto& [name, text] :
         {std::pair{vp, c.checkerManifest}, std::pair{sw, c.swapperManifest}}) {
      if (text.isEmpty())
        m_server.Remove(kBase + name + QStringLiteral(".manifest"));
      else
        Serve(name + QStringLiteral(".manifest"), text);
    }
    m_prompt.Clear();
    EXPECT_EQ(AutoUpdaterSelfUpdate(), c.taken);
    EXPECT_EQ(QFile::exists(Local(sw)), c.taken);
    EXPECT_TRUE(LeftOvers().isEmpty());
    // Only a checker manifest that cannot be had at all is reported to the user.
    EXPECT_EQ(m_prompt.Messages().size(), std::string(c.name) == "no_manifests" ? 1u : 0u);
  }
}

TEST_F(AutoUpdateTest, CheckerGetsRevisionAndNameInTheApplicationFolder) {
  // Skipping the self-update runs the local checker as it is.
  WriteScript(QStringLiteral("VerProbeV1"), "printf '%s|' \"$@\" \"$(pwd)\" > args.txt");
  bool skip = true;
  EXPECT_FALSE(RunAutoUpdate(skip));
  EXPECT_EQ(ReadAll(Local(QStringLiteral("args.txt"))),
            (QStringLiteral("15;") + ApplicationFileName() + u'|' + m_dir.path() + u'|').toUtf8());
  EXPECT_TRUE(m_server.Targets().isEmpty());
  EXPECT_EQ(g_endCode, -100);  // no new copy: start-up goes on
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(AutoUpdateTest, NoCheckerAfterSelfUpdateMeansNoCheck) {
  bool skip = true;
  EXPECT_FALSE(RunAutoUpdate(skip));
  EXPECT_EQ(g_endCode, -100);
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(AutoUpdateTest, NewCopyWithoutReplacementProgramShowsTheMessageAndEnds) {
  const QString app = ApplicationFileName();
  const QByteArray manifest = update::ManifestLine(
      app, 16, 4, QCryptographicHash::hash("new\n", QCryptographicHash::Sha256).toHex(),
      QDateTime::currentDateTimeUtc().addDays(1));
  WriteScript(QStringLiteral("VerProbeV1"),
              "echo new > \"New_$(echo \"$1\" | cut -d';' -f2)\"; echo '" + manifest +
                  "' > \"New_" + app.toUtf8() + ".manifest\"");
  bool skip = true;
  RunAutoUpdate(skip);
  ASSERT_EQ(m_prompt.Messages().size(), 1u);
  EXPECT_EQ(m_prompt.Messages()[0].text,
            QStringLiteral("파일교체 프로그램을 찾을 수 없습니다.\n\n") +
                Local(QStringLiteral("swapfiles")));
  EXPECT_EQ(m_prompt.Messages()[0].icon, MsgIcon::None);
  EXPECT_EQ(g_opened, QStringList{m_dir.path()});
  EXPECT_EQ(g_endCode, 0);
}

TEST_F(AutoUpdateTest, NewerBuildDownloadsBothHelpersAndHandsOverToTheReplacement) {
  // The real checker, refreshed from the server, finds a newer build of this program; it reads
  // the update server from the settings file in the application folder.
  const QString app = ApplicationFileName();
  QFile ini(Local(QStringLiteral("sendora.ini")));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[Update]\r\nHost=" + m_server.HostPort().toLatin1() + "\r\nAllowUnsigned=1\r\n");
  ini.close();
  ServeHelpers();
  Serve(QStringLiteral("swapfiles"), Script("printf '%s|' \"$@\" \"$(pwd)\" > swapped.txt"));
  Serve(QStringLiteral("VerProbeV1_lastver.txt"), "1");
  Serve(app + QStringLiteral("_lastver.txt"), "16");
  Serve(app, "the new build");
  bool skip = false;
  RunAutoUpdate(skip);
  EXPECT_EQ(Downloads(),
            (QStringList{QStringLiteral("VerProbeV1_lastver.txt"), QStringLiteral("VerProbeV1"),
                         QStringLiteral("swapfiles"), app + QStringLiteral("_lastver.txt"), app}));
  EXPECT_EQ(ReadAll(Local(QStringLiteral("New_") + app)), QByteArray("the new build"));
  EXPECT_EQ(g_endCode, 0);
  EXPECT_TRUE(m_prompt.Records().empty());
  // The replacement program was started without waiting for it.
  const QString swapped = Local(QStringLiteral("swapped.txt"));
  QElapsedTimer t;
  t.start();
  while (!QFile::exists(swapped) && t.elapsed() < 10000) QThread::msleep(50);
  EXPECT_EQ(ReadAll(swapped),
            (app + QStringLiteral(";New_") + app + QStringLiteral(";16|") + m_dir.path() + u'|')
                .toUtf8());
}

TEST_F(AutoUpdateTest, NamesAndNumbers) {
  EXPECT_EQ(update::VersionInfoFileName(QStringLiteral("VerProbeV1")),
            QStringLiteral("VerProbeV1_lastver.txt"));
  EXPECT_EQ(update::VersionInfoFileName(QStringLiteral("VerProbeV1.exe")),
            QStringLiteral("VerProbeV1_lastver.txt"));
  EXPECT_EQ(update::VersionInfoFileName(QStringLiteral("a.b.c")),
            QStringLiteral("a.b_lastver.txt"));
  EXPECT_EQ(update::RevisionOf(QStringLiteral("1.0.0.37")), QStringLiteral("37"));
  EXPECT_EQ(update::RevisionOf(QString()), QString());
  EXPECT_EQ(update::UpdateBaseAddress(QStringLiteral("https"), QStringLiteral("h:8443")),
            QStringLiteral("https://h:8443/download/자동업데이트_v1/"));
}

}  // namespace
