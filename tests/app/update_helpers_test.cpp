// The helper programs on their own: each answers --version, the checker never tries to open a
// window, and the file-replacement program's failures are logged and kept for the next start.
#include "app/UpdateRecord.h"
#include "app/mdlFile.h"
#include "platform/SettingsStore.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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
                           const QStringList& extraEnv = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("SENDORA_PROMPT_TRANSCRIPT"));
    env.remove(QStringLiteral("SENDORA_APP_DIR"));
    env.insert(QStringLiteral("SENDORA_SETTINGS_DIR"), m_settings.path());
    for (const QString& e : extraEnv) env.insert(e.section(u'=', 0, 0), e.section(u'=', 1));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(m_dir.path());
    p.start(QStringLiteral(SENDORA_BIN_DIR "/") + program, {argument});
    EXPECT_TRUE(p.waitForFinished(60000));
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

}  // namespace
