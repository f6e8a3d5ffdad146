// The helper programs on their own: each answers --version, the checker never tries to open a
// window, and the file-replacement program's failures are logged and kept for the next start.
#include "app/UpdateRecord.h"
#include "app/mdlFile.h"
#include "platform/AppPaths.h"
#include "platform/EventLog.h"
#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class UpdateHelpersTest : public ::testing::Test {
 protected:
  void SetUp() override { settings::SetRoot(m_settings.path()); }

  QString Local(const QString& name) const { return m_dir.path() + u'/' + name; }
  void Write(const QString& name, const QByteArray& bytes) {
    QFile f(Local(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  // Runs a helper in the folder, with nothing of the test's prompt set-up in its environment.
  QProcess::ExitStatus Run(const QString& program, const QString& argument, int* code,
                           const QStringList& extraEnv = {}, int waitMs = 60000) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("SENDORA_PROMPT_TRANSCRIPT"));
    env.remove(QStringLiteral("SENDORA_APP_DIR"));
    env.insert(QStringLiteral("SENDORA_SETTINGS_DIR"), m_settings.path());
    for (const QString& e : extraEnv) env.insert(e.section(u'=', 0, 0), e.section(u'=', 1));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_dir.path());
    p.start(QStringLiteral(SENDORA_BIN_DIR "/") + program, {argument});
    const bool finished = p.waitForFinished(waitMs);
    EXPECT_TRUE(finished) << program.toStdString() << " still running";
    if (!finished) {
      p.kill();
      p.waitForFinished();
    }
    *code = p.exitCode();
    return p.exitStatus();
  }
  QByteArray Log() const { return ReadAll(Local(QStringLiteral("log/sendora.log"))); }

  QTemporaryDir m_dir;
  QTemporaryDir m_settings;
};

TEST_F(UpdateHelpersTest, EveryProgramAnswersItsVersion) {
  for (const char* program : {"Sendora", "VerProbeV1", "swapfiles", "Hoverlet", "sendora-sign"}) {
    SCOPED_TRACE(program);
    EXPECT_EQ(GetFileVer(QStringLiteral(SENDORA_BIN_DIR "/") + QLatin1String(program)),
              QStringLiteral(SENDORA_FILE_VERSION));
  }
}

TEST_F(UpdateHelpersTest, CheckerReportsAnUnreadableServerListToTheLogNotAWindow) {
  // Code page 949 bytes where UTF-8 belongs.
  Write(QStringLiteral("server_address_setting.json"), "{\"ver\": \"\xC7\xD1\"}");
  Write(QStringLiteral("sendora.ini"), "[Update]\r\nHost=127.0.0.1:1\r\n");
  int code = -1;
  EXPECT_EQ(Run(QStringLiteral("VerProbeV1"), QStringLiteral("5;Sendora"), &code),
            QProcess::NormalExit);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(Log().contains("파일 읽기 중 오류 발생: not valid UTF-8 text")) << Log().constData();
}

TEST_F(UpdateHelpersTest, SwapFailuresAreLoggedAndKeptForTheNextStart) {
  // A program that is still running when the wait is over: a copy of sleep under its name.
  ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), Local(QStringLiteral("Sendora"))));
  QProcess running;
  running.start(Local(QStringLiteral("Sendora")), {QStringLiteral("30")});
  ASSERT_TRUE(running.waitForStarted());
  struct Case {
    const char* name;
    bool newCopy;
    int code;
    const char* logged;
  };
  const Case cases[] = {
      {"new_program_missing", false, 3, "the new program"},
      {"old_still_running", true, 4, "was still running after 500 ms; not replaced"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.newCopy) Write(QStringLiteral("New_Sendora"), "#!/bin/sh\necho 1.0.0.6\n");
    int code = -1;
    EXPECT_EQ(Run(QStringLiteral("swapfiles"), QStringLiteral("Sendora;New_Sendora;6"), &code,
                  {QStringLiteral("SENDORA_SWAP_WAIT_MS=500")}),
              QProcess::NormalExit);
    EXPECT_EQ(code, c.code);
    EXPECT_TRUE(Log().contains(c.logged)) << Log().constData();
    const QString notice = update::TakeNotice();
    EXPECT_TRUE(notice.startsWith(QStringLiteral("프로그램 업데이트를 적용하지 못했습니다.\n")));
    EXPECT_TRUE(notice.contains(QLatin1String(c.logged))) << notice.toStdString();
  }
  // The running program was left alone.
  EXPECT_EQ(running.state(), QProcess::Running);
  running.kill();
  running.waitForFinished();
}

// Whatever is under the log's name, writing a line neither waits on it nor writes to anything but
// a plain file: a pipe there once held every program at its first log line.
TEST_F(UpdateHelpersTest, APipeUnderTheLogsNameIsNeitherWaitedOnNorWrittenTo) {
  ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("log")));
  const QByteArray log = QFile::encodeName(Local(QStringLiteral("log/sendora.log")));
  ASSERT_EQ(::mkfifo(log.constData(), 0644), 0);
  // Without a key the checker logs that the update check is off, and ends.
  Write(QStringLiteral("sendora.ini"), "[Update]\r\nHost=127.0.0.1:1\r\n");
  int code = -1;
  EXPECT_EQ(Run(QStringLiteral("VerProbeV1"), QStringLiteral("5;Sendora"), &code, {}, 10000),
            QProcess::NormalExit);
  EXPECT_EQ(code, 0);

  // A pipe somebody reads gets nothing either.
  paths::SetAppFolder(m_dir.path());
  const int reader = ::open(log.constData(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  eventlog::Write(QStringLiteral("into the pipe"));
  char buffer[256];
  EXPECT_LE(::read(reader, buffer, sizeof buffer), 0);
  ::close(reader);
  struct stat st {};
  ASSERT_EQ(::lstat(log.constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(UpdateHelpersTest, TheLogBeginsAnewAtItsCap) {
  paths::SetAppFolder(m_dir.path());
  ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("log")));
  const QString log = QStringLiteral("log/sendora.log");
  const QString kept = QStringLiteral("log/sendora.log.1");
  ASSERT_EQ(eventlog::FilePath(), Local(log));
  struct Case {
    const char* name;
    qint64 before;  // the log's size before the line
    bool anew;
  };
  const Case cases[] = {
      {"below_the_cap", eventlog::kMaxBytes - 1, false},
      {"at_the_cap", eventlog::kMaxBytes, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QByteArray old(c.before, 'x');
    Write(log, old);
    Write(kept, "kept before");
    eventlog::Write(QStringLiteral("the line"));
    const QByteArray now = ReadAll(Local(log));
    EXPECT_TRUE(now.endsWith(": the line\n"));
    if (c.anew) {
      EXPECT_EQ(ReadAll(Local(kept)), old);
      EXPECT_EQ(now.count('\n'), 1);
      EXPECT_LT(now.size(), 200);
    } else {
      EXPECT_EQ(ReadAll(Local(kept)), QByteArray("kept before"));
      EXPECT_TRUE(now.startsWith(old));
    }
  }
}

}  // namespace
