// The update launcher on a hostile network: without a key nothing is fetched or run; with one,
// a helper is installed only as the signed manifest names it (name, revision, bytes, expiry,
// never older than before); downloads never write through links planted in the folder; and
// only what the checker left in this run, as its manifest says, is handed to the swap.
#include "app/StartupNetwork.h"
#include "app/UpdateRecord.h"
#include "app/UpdateSettings.h"
#include "app/UpdateTransfer.h"
#include "app/modAutoUpdateV1_Launcher.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "platform/EventLog.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"
#include "support/HttpTestServer.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const QString kBase = QStringLiteral("/download/자동업데이트_v1/");
const qint64 kRevision = update::RevisionOf(QStringLiteral(SENDORA_FILE_VERSION)).toLongLong();

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QByteArray Script(const QByteArray& body) { return "#!/bin/sh\n" + body + "\n"; }

QByteArray ManifestFor(const QString& name, qint64 revision, const QByteArray& bytes,
                       const QByteArray& secret, int days = 30) {
  return update::SignedManifestText(
      update::ManifestLine(name, revision, bytes.size(),
                           QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(),
                           QDateTime::currentDateTimeUtc().addDays(days)),
      secret);
}

int g_endCode = -100;
void RecordEnd(int code) { g_endCode = code; }

class UpdateSecurityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    paths::SetAppFolder(m_dir.path());
    settings::SetRoot(m_settings.path());
    // The checker run from here keeps its records in the same place.
    qputenv("SENDORA_SETTINGS_DIR", m_settings.path().toUtf8());
    update::Config().serverList = JsonValue();
    Deployment d;
    d.updateServerHost = m_server.HostPort();
    ApplyDeployment(d);
    App().fileVersion = QStringLiteral("3.1.4.15");
    update::GenerateKeyPair(&m_publicKey, &m_secret);
    g_endCode = -100;
    process::SetEndProcessOverride(&RecordEnd);
  }
  void TearDown() override {
    process::SetEndProcessOverride(nullptr);
    ApplyDeployment(Deployment());
  }

  QString Local(const QString& name) const { return m_dir.path() + u'/' + name; }
  void Serve(const QString& name, const QByteArray& body) { m_server.Set(kBase + name, body); }
  QByteArray Log() const { return ReadAll(eventlog::FilePath()); }
  void WriteScript(const QString& name, const QByteArray& body) {
    QFile f(Local(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(Script(body));
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  QTemporaryDir m_dir;
  QTemporaryDir m_settings;
  HttpTestServer m_server;
  ScriptedPrompt m_prompt;
  QString m_publicKey;
  QByteArray m_secret;
};

TEST_F(UpdateSecurityTest, WithoutAKeyNothingIsFetchedOrRun) {
  // A checker that would leave a mark if it ran.
  WriteScript(QStringLiteral("VerProbeV1"),
              "touch '" + Local(QStringLiteral("ran.txt")).toUtf8() + "'");
  struct Case {
    const char* name;
    QString key;
    bool allowUnsigned;
    const char* logged;
    bool runs;
  };
  const Case cases[] = {
      {"no_key", {}, false, "update check off: no [Update] PublicKey", false},
      {"not_a_key", QStringLiteral("abc"), false, "update check off: [Update] PublicKey is not",
       false},
      {"explicit_opt_in_warns", {}, true, "WARNING: updates are not signature-checked", true},
  };
  Serve(QStringLiteral("VerProbeV1_lastver.txt"), "0");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(eventlog::FilePath());
    QFile::remove(Local(QStringLiteral("ran.txt")));
    m_server.ClearLog();
    update::Config().publicKey = c.key;
    update::Config().allowUnsigned = c.allowUnsigned;
    RunStartupNetworkSteps();
    EXPECT_EQ(QFile::exists(Local(QStringLiteral("ran.txt"))), c.runs);
    EXPECT_EQ(m_server.Targets().isEmpty(), !c.runs);
    const QByteArray log = Log();
    EXPECT_EQ(log.count('\n'), 1) << log.constData();
    EXPECT_TRUE(log.contains(c.logged)) << log.constData();
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(UpdateSecurityTest, HelpersAreInstalledOnlyAsTheirSignedManifestSays) {
  update::Config().publicKey = m_publicKey;
  const QByteArray checker = ReadAll(QStringLiteral(SENDORA_BIN_DIR "/VerProbeV1"));
  const QByteArray swapper = Script("echo 1.0.0." + QByteArray::number(kRevision));
  QString otherKey;
  QByteArray otherSecret;
  update::GenerateKeyPair(&otherKey, &otherSecret);
  const QString vp = QStringLiteral("VerProbeV1"), sw = QStringLiteral("swapfiles");
  struct Case {
    const char* name;
    QByteArray checkerManifest, checkerBytes;
    qint64 trustedBefore;
    const char* logged;  // nullptr: taken
  };
  const Case cases[] = {
      {"signed", ManifestFor(vp, kRevision, checker, m_secret), checker, 0, nullptr},
      {"other_key", ManifestFor(vp, kRevision, checker, otherSecret), checker, 0,
       "manifest signature does not match the key"},
      {"helper_under_another_name", ManifestFor(sw, kRevision, swapper, m_secret), swapper, 0,
       "manifest is for swapfiles, not VerProbeV1"},
      {"other_bytes", ManifestFor(vp, kRevision, checker, m_secret), swapper, 0,
       "not the manifest's"},
      {"longer_than_promised", ManifestFor(vp, kRevision, checker, m_secret), checker + "tail", 0,
       "longer than"},
      {"revision_not_what_it_answers", ManifestFor(vp, kRevision + 1, checker, m_secret), checker,
       0, "the download answers revision"},
      {"expired", ManifestFor(vp, kRevision, checker, m_secret, -1), checker, 0,
       "manifest expired at"},
      {"older_than_trusted_before", ManifestFor(vp, kRevision, checker, m_secret), checker,
       kRevision + 1, "(a rollback)"},
  };
  Serve(sw, swapper);
  Serve(sw + QStringLiteral(".manifest"), ManifestFor(sw, kRevision, swapper, m_secret));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(Local(vp));
    QFile::remove(Local(sw));
    QFile::remove(eventlog::FilePath());
    settings::DeleteSetting(QStringLiteral("Sendora"), QStringLiteral("Update"), QString());
    if (c.trustedBefore) update::NoteTrustedRevision(vp, c.trustedBefore);
    Serve(vp, c.checkerBytes);
    Serve(vp + QStringLiteral(".manifest"), c.checkerManifest);
    const bool taken = AutoUpdaterSelfUpdate();
    EXPECT_EQ(taken, c.logged == nullptr) << Log().constData();
    EXPECT_EQ(QFile::exists(Local(vp)), c.logged == nullptr);
    if (c.logged) {
      EXPECT_TRUE(Log().contains(c.logged)) << Log().constData();
    } else {
      EXPECT_EQ(ReadAll(Local(vp)), checker);
      EXPECT_EQ(ReadAll(Local(sw)), swapper);
      EXPECT_TRUE(QFileInfo(Local(vp)).isExecutable());
      EXPECT_EQ(update::TrustedRevision(vp), kRevision);
    }
    EXPECT_TRUE(QDir(m_dir.path()).entryList({QStringLiteral("*.part")}, QDir::Files).isEmpty());
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(UpdateSecurityTest, DownloadsDoNotWriteThroughPlantedLinks) {
  update::Config().allowUnsigned = true;
  QTemporaryDir outside;
  const QString victim = outside.path() + QStringLiteral("/victim");
  QFile v(victim);
  ASSERT_TRUE(v.open(QIODevice::WriteOnly));
  v.write("precious");
  v.close();
  // Links under the names a download might use, the old temporary name among them.
  for (const QString& name : {QStringLiteral("VerProbeV1"), QStringLiteral("VerProbeV1.part"),
                              QStringLiteral("swapfiles.part")})
    ASSERT_TRUE(QFile::link(victim, Local(name)));
  Serve(QStringLiteral("VerProbeV1_lastver.txt"), "1");
  Serve(QStringLiteral("VerProbeV1"), "#!/bin/sh\necho 1.0.0.1\n");
  Serve(QStringLiteral("swapfiles"), "#!/bin/sh\nexit 0\n");
  EXPECT_TRUE(AutoUpdaterSelfUpdate()) << Log().constData();
  EXPECT_EQ(ReadAll(victim), QByteArray("precious"));
  // The link at the program's name was replaced, not followed.
  EXPECT_FALSE(QFileInfo(Local(QStringLiteral("VerProbeV1"))).isSymLink());
  EXPECT_EQ(ReadAll(Local(QStringLiteral("VerProbeV1"))), QByteArray("#!/bin/sh\necho 1.0.0.1\n"));
}

// A file put under a download's temporary name while the download is checked (the check runs
// it) is not renamed into place, and the program the download would have replaced stays.
TEST_F(UpdateSecurityTest, DownloadReplacedWhileCheckedIsNotInstalled) {
  const QString dest = Local(QStringLiteral("VerProbeV1"));
  WriteScript(QStringLiteral("VerProbeV1"), "echo 1.0.0.1");
  const QByteArray installed = ReadAll(dest);
  Serve(QStringLiteral("VerProbeV1"), Script("echo 1.0.0.2"));
  const auto replace = [&](const QString& file, QString*) {
    QFile planted(file + QStringLiteral(".planted"));
    EXPECT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write(Script("echo planted"));
    planted.close();
    EXPECT_EQ(std::rename(QFile::encodeName(planted.fileName()).constData(),
                          QFile::encodeName(file).constData()),
              0);
    return true;
  };
  QString why;
  EXPECT_FALSE(update::InstallDownload(m_server.Url(kBase + QStringLiteral("VerProbeV1")), dest,
                                       nullptr, update::DownloadLimits{}, replace, &why));
  EXPECT_TRUE(why.contains(QLatin1String("was replaced while it was checked")))
      << why.toStdString();
  EXPECT_EQ(ReadAll(dest), installed);
  EXPECT_TRUE(QDir(m_dir.path()).entryList({QStringLiteral("*.part")}, QDir::Files).isEmpty());
}

TEST_F(UpdateSecurityTest, OnlyWhatTheCheckerLeftInThisRunIsHandedOn) {
  update::Config().allowUnsigned = true;
  WriteScript(QStringLiteral("swapfiles"), "exit 0");
  const QString app = ApplicationFileName();
  const QByteArray copy = "the new build";
  const QByteArray sha256 = QCryptographicHash::hash(copy, QCryptographicHash::Sha256).toHex();
  const auto line = [&](qint64 revision, const QByteArray& sha) {
    return update::ManifestLine(app, revision, copy.size(), sha,
                                QDateTime::currentDateTimeUtc().addDays(1)) +
           '\n';
  };
  const QByteArray good = line(16, sha256);
  struct Case {
    const char* name;
    QByteArray script;   // the checker
    bool leftover;       // a new copy and its manifest are there before the checker runs
    const char* logged;  // nullptr: handed on
  };
  const QByteArray leave = "printf '%s' '" + copy + "' > New_" + app.toUtf8() + "; printf '%s' '";
  const Case cases[] = {
      {"checker_succeeded", leave + good + "' > New_" + app.toUtf8() + ".manifest", false, nullptr},
      {"checker_failed_after_leaving_a_copy",
       leave + good + "' > New_" + app.toUtf8() + ".manifest; exit 1", false,
       "failed (exit code 1)"},
      {"leftover_from_an_earlier_run", "exit 0", true, nullptr},
      {"revision_not_newer", leave + line(15, sha256) + "' > New_" + app.toUtf8() + ".manifest",
       false, "revision 15 is not newer than 15"},
      {"copy_is_not_what_the_manifest_names",
       leave + line(16, QByteArray(64, 'a')) + "' > New_" + app.toUtf8() + ".manifest", false,
       "not the file its manifest names"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_endCode = -100;
    QFile::remove(eventlog::FilePath());
    WriteScript(QStringLiteral("VerProbeV1"), c.script);
    if (c.leftover) {
      QFile a(Local(QStringLiteral("New_") + app)),
          b(Local(QStringLiteral("New_") + app + QStringLiteral(".manifest")));
      ASSERT_TRUE(a.open(QIODevice::WriteOnly) && b.open(QIODevice::WriteOnly));
      a.write(copy);
      b.write(good);
    }
    bool skip = true;
    RunAutoUpdate(skip);
    const bool handedOn = c.logged == nullptr && !c.leftover;
    EXPECT_EQ(g_endCode, handedOn ? 0 : -100) << Log().constData();
    if (c.logged) {
      EXPECT_TRUE(Log().contains(c.logged)) << Log().constData();
    }
    // A copy that is not handed on does not stay for a later run either.
    if (!handedOn) {
      EXPECT_FALSE(QFile::exists(Local(QStringLiteral("New_") + app)));
    }
  }
  EXPECT_TRUE(m_prompt.Records().empty());
}

TEST_F(UpdateSecurityTest, NoticeOfAFailedSwapIsShownOnce) {
  update::PostNotice(QStringLiteral("first"));
  update::PostNotice(QStringLiteral("second"));
  RunStartupNetworkSteps();
  EXPECT_EQ(m_prompt.MessageTexts(), QStringList{QStringLiteral("first\nsecond")});
  m_prompt.Clear();
  RunStartupNetworkSteps();
  EXPECT_TRUE(m_prompt.Records().empty());
}

}  // namespace
