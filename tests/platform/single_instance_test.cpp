#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

// The lock only means something between processes, so these tests start copies of this very
// program that run the child test below in one of two roles:
//   hold  - take the lock, say so, and keep it until killed (or until our stdin closes);
//   probe - try once, say whether it got the lock, and exit.

namespace {

const char kRoleVar[] = "SENDORA_LOCK_CHILD_ROLE";
const char kDirVar[] = "SENDORA_LOCK_CHILD_DIR";
const char kName[] = "Sendora";

std::unique_ptr<QProcess> StartChild(const QString& role, const QString& dir) {
  auto p = std::make_unique<QProcess>();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(kRoleVar, role);
  env.insert(kDirVar, dir);
  p->setProcessEnvironment(env);
  p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p->start(QCoreApplication::applicationFilePath(),
           {"--gtest_filter=SingleInstanceChild.DISABLED_Role", "--gtest_also_run_disabled_tests"});
  return p;
}

// The child's answer: the first line of its output that is one of ours.
QString ReadVerdict(QProcess& p) {
  QElapsedTimer t;
  t.start();
  for (;;) {
    while (p.canReadLine()) {
      const QByteArray line = p.readLine().trimmed();
      if (line == "ACQUIRED" || line == "BUSY") return QString::fromLatin1(line);
    }
    if (p.state() == QProcess::NotRunning || t.elapsed() > 20000) break;
    p.waitForReadyRead(100);
  }
  return QStringLiteral("<no answer>");
}

QString Probe(const QString& dir) {
  auto p = StartChild("probe", dir);
  const QString verdict = ReadVerdict(*p);
  p->waitForFinished(20000);
  return verdict;
}

}  // namespace

// Not a test of its own: the body of the child processes above.
TEST(SingleInstanceChild, DISABLED_Role) {
  const QString role = qEnvironmentVariable(kRoleVar);
  ASSERT_FALSE(role.isEmpty()) << "only run as a child of the tests below";
  SingleInstanceLock lock(qEnvironmentVariable(kDirVar), kName);
  const bool got = lock.TryAcquire();
  std::printf("%s\n", got ? "ACQUIRED" : "BUSY");
  std::fflush(stdout);
  if (role == "hold" && got) {
    while (std::fgetc(stdin) != EOF) {
    }
  }
}

TEST(SingleInstanceLock, SecondProcessIsRefusedWhileTheFirstLivesAndAdmittedAtOnceAfterAKill) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());

  auto holder = StartChild("hold", dir.path());
  ASSERT_TRUE(holder->waitForStarted(10000));
  ASSERT_EQ(ReadVerdict(*holder), "ACQUIRED");

  EXPECT_EQ(Probe(dir.path()), "BUSY");
  {
    SingleInstanceLock here(dir.path(), kName);
    EXPECT_FALSE(here.TryAcquire());
    EXPECT_FALSE(here.IsHeld());
  }
  // The refused attempts must not have disturbed the holder's file.
  EXPECT_EQ(Probe(dir.path()), "BUSY");

  holder->kill();  // SIGKILL: no destructor, the lock file stays behind
  ASSERT_TRUE(holder->waitForFinished(10000));
  ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Sendora.lock"))));

  QElapsedTimer t;
  t.start();
  EXPECT_EQ(Probe(dir.path()), "ACQUIRED");
  // Child start-up included: the dead holder's file must not hold the new copy up.
  EXPECT_LT(t.elapsed(), 10000);
}

TEST(SingleInstanceLock, HeldHereRefusesAnotherProcessAndIsFreedOnDestruction) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  {
    SingleInstanceLock lock(dir.path() + "/nested/folder", kName);
    ASSERT_TRUE(lock.TryAcquire());
    EXPECT_TRUE(lock.IsHeld());
    EXPECT_TRUE(lock.TryAcquire()) << "asking again while holding it";
    EXPECT_EQ(Probe(dir.path() + "/nested/folder"), "BUSY");
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("nested/folder/Sendora.lock")));
  EXPECT_EQ(Probe(dir.path() + "/nested/folder"), "ACQUIRED");
}

TEST(SingleInstanceLock, LockFileNamingADeadOrForeignOwnerIsTakenOver) {
  // A crash long ago whose PID now belongs to another program, and one whose PID is free.
  QProcess other;
  other.start("sleep", {"30"});
  ASSERT_TRUE(other.waitForStarted(5000));

  const struct {
    const char* what;
    qint64 pid;
  } cases[] = {
      {"pid reused by another program", other.processId()},
      {"pid no longer in use", 999999999},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile f(dir.filePath("Sendora.lock"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::number(c.pid) + "\n" +
            QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + "\n" +
            QSysInfo::machineHostName().toUtf8() + "\n");
    f.close();

    SingleInstanceLock lock(dir.path(), kName);
    EXPECT_TRUE(lock.TryAcquire());
    EXPECT_TRUE(lock.IsHeld());
  }
  other.kill();
  other.waitForFinished(5000);
}

TEST(SingleInstanceLock, UnwritableFolderLetsTheProgramRun) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A plain file where the folder should be: neither the folder nor the lock can be made.
  QFile blocker(dir.filePath("settings"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();

  SingleInstanceLock lock(dir.filePath("settings"), kName);
  EXPECT_TRUE(lock.TryAcquire());
  EXPECT_FALSE(lock.IsHeld());
}
