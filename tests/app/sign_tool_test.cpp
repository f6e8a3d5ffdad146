// sendora-sign as a publisher uses it: the secret key file is private from its first byte and
// never replaces anything, and what it signs is what the program checks.
#include "app/UpdateManifest.h"
#include "app/UpdateTransfer.h"
#include "app/json.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

const qint64 kRevision = update::RevisionOf(QStringLiteral(SENDORA_FILE_VERSION)).toLongLong();

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class SignToolTest : public ::testing::Test {
 protected:
  QString Local(const QString& name) const { return m_dir.path() + u'/' + name; }
  // Exit code; the output in *out.
  int Sign(const QStringList& args, QByteArray* out = nullptr) {
    QProcess p;
    p.start(QStringLiteral(SENDORA_BIN_DIR "/sendora-sign"), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    if (out) *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  QTemporaryDir m_dir;
};

TEST_F(SignToolTest, KeygenMakesAPrivateFileAndNeverReplacesOne) {
  // Whatever the umask, the key is never readable by others, not even for a moment.
  const mode_t umaskBefore = ::umask(0);
  QByteArray out;
  EXPECT_EQ(Sign({QStringLiteral("keygen"), Local(QStringLiteral("new.key"))}, &out), 0);
  ::umask(umaskBefore);
  EXPECT_TRUE(update::IsPublicKey(QString::fromLatin1(out.trimmed())));
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(Local(QStringLiteral("new.key"))).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  const QString existing = Local(QStringLiteral("existing.key"));
  const QString target = Local(QStringLiteral("elsewhere"));
  QFile f(existing);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("the old key");
  f.close();
  ASSERT_TRUE(QFile::link(target, Local(QStringLiteral("dangling.key"))));
  ASSERT_TRUE(QFile::link(existing, Local(QStringLiteral("to-existing.key"))));
  for (const char* name : {"existing.key", "dangling.key", "to-existing.key"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Sign({QStringLiteral("keygen"), Local(QLatin1String(name))}), 1);
  }
  EXPECT_EQ(ReadAll(existing), QByteArray("the old key"));
  EXPECT_FALSE(QFileInfo::exists(target));
}

// The machine that holds the secret key does not run what it signs unless asked to.
TEST_F(SignToolTest, SigningDoesNotRunTheProgram) {
  ASSERT_EQ(Sign({QStringLiteral("keygen"), Local(QStringLiteral("k"))}), 0);
  const QString program = Local(QStringLiteral("VerProbeV1"));
  const QString mark = Local(QStringLiteral("ran"));
  QFile f(program);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("#!/bin/sh\ntouch '" + QFile::encodeName(mark) + "'\necho 1.0.0.7\n");
  f.close();
  ASSERT_TRUE(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

  EXPECT_EQ(
      Sign({QStringLiteral("sign"), Local(QStringLiteral("k")), QStringLiteral("7"), program}), 0);
  EXPECT_FALSE(QFile::exists(mark));
  EXPECT_TRUE(QFile::exists(program + QStringLiteral(".manifest")));

  EXPECT_EQ(Sign({QStringLiteral("sign"), QStringLiteral("--check-version"),
                  Local(QStringLiteral("k")), QStringLiteral("7"), program}),
            0);
  EXPECT_TRUE(QFile::exists(mark));
}

TEST_F(SignToolTest, ManifestsAndListSignaturesAreWhatTheProgramChecks) {
  QByteArray out;
  ASSERT_EQ(Sign({QStringLiteral("keygen"), Local(QStringLiteral("k"))}, &out), 0);
  const QString publicKey = QString::fromLatin1(out.trimmed());
  const QString program = Local(QStringLiteral("VerProbeV1"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(SENDORA_BIN_DIR "/VerProbeV1"), program));

  // Asked to, the tool refuses a revision the program does not answer: it would be swapped
  // straight back out.
  EXPECT_EQ(Sign({QStringLiteral("sign"), QStringLiteral("--check-version"),
                  Local(QStringLiteral("k")), QString::number(kRevision + 1), program}),
            1);
  EXPECT_FALSE(QFile::exists(program + QStringLiteral(".manifest")));
  // Nor one that answers nothing at all.
  const QString mute = Local(QStringLiteral("Mute"));
  QFile f(mute);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("#!/bin/sh\nexit 0\n");
  f.close();
  ASSERT_TRUE(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  EXPECT_EQ(Sign({QStringLiteral("sign"), QStringLiteral("--check-version"),
                  Local(QStringLiteral("k")), QString::number(kRevision), mute}),
            1);
  EXPECT_FALSE(QFile::exists(mute + QStringLiteral(".manifest")));

  ASSERT_EQ(Sign({QStringLiteral("sign"), QStringLiteral("--days"), QStringLiteral("3"),
                  Local(QStringLiteral("k")), QString::number(kRevision), program}),
            0);
  update::Manifest m;
  QString why;
  ASSERT_TRUE(update::ParseManifest(ReadAll(program + QStringLiteral(".manifest")), &m, &why))
      << why.toStdString();
  const QDateTime now = QDateTime::currentDateTimeUtc();
  EXPECT_TRUE(update::CheckManifest(m, QStringLiteral("VerProbeV1"), publicKey, now, &why))
      << why.toStdString();
  EXPECT_EQ(m.revision, kRevision);
  EXPECT_EQ(m.size, QFileInfo(program).size());
  EXPECT_EQ(m.sha256,
            QCryptographicHash::hash(ReadAll(program), QCryptographicHash::Sha256).toHex());
  EXPECT_FALSE(
      update::CheckManifest(m, QStringLiteral("VerProbeV1"), publicKey, now.addDays(4), &why));

  // The list is signed as the program will write it, whatever its layout on the server.
  QFile list(Local(QStringLiteral("list.json")));
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write("// servers\n{ver: 3, 'servers': [{name: 'db', host: 'h\\\\x'}]}\n");
  list.close();
  ASSERT_EQ(Sign({QStringLiteral("sign-list"), Local(QStringLiteral("k")), list.fileName()}, &out),
            0);
  const JsonValue served = ParseJson(QString::fromUtf8(ReadAll(list.fileName())));
  EXPECT_TRUE(update::VerifySignature(update::ServerListMessage(served),
                                      QByteArray::fromHex(out.trimmed()), publicKey));
  EXPECT_EQ(ReadAll(list.fileName() + QStringLiteral(".sig")).trimmed(), out.trimmed());
}

}  // namespace
