// Starting the floating-notice helper: its command line, and the one-time missing-file box.
#include "platform/Hoverlet.h"
#include "platform/AppPaths.h"
#include "platform/AppState.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

namespace {

class HoverletTest : public ::testing::Test {
 protected:
  void SetUp() override {
    paths::SetAppFolder(m_dir.path());
    App().hoverletAvailability = 0;
    App().developmentMode = false;
    SetDefaultPromptTitle(QStringLiteral("Sendora"));
  }
  QTemporaryDir m_dir;
  ScriptedPrompt m_prompt;
};

TEST_F(HoverletTest, NoticeGoesThroughThePromptSeam) {
  ShowHoverlet(QStringLiteral("자료가 저장되었습니다."), 500);
  ASSERT_EQ(m_prompt.Records().size(), 1u);
  EXPECT_EQ(m_prompt.Records()[0].kind, PromptRecord::Kind::Hoverlet);
  EXPECT_EQ(m_prompt.Records()[0].text, QStringLiteral("자료가 저장되었습니다."));
  EXPECT_EQ(m_prompt.Records()[0].displayTime, 500);
}

TEST_F(HoverletTest, MissingHelperIsReportedOnlyOnce) {
  LaunchHoverlet(QStringLiteral("첫 번째"), 500);
  LaunchHoverlet(QStringLiteral("두 번째"), 500);
  const auto msgs = m_prompt.Messages();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0].text,
            m_dir.path() + QStringLiteral("/Hoverlet\n플로팅 메시지박스 파일을 찾을 수 없습니다."));
  EXPECT_EQ(msgs[0].title, QStringLiteral("Sendora"));
  EXPECT_EQ(msgs[0].icon, MsgIcon::None);
  EXPECT_EQ(App().hoverletAvailability, 2);
}

TEST_F(HoverletTest, HelperGetsTheMessageAndTheTimeWord) {
  // A stand-in helper that writes down the arguments it was given.
  const QString out = m_dir.path() + QStringLiteral("/args.txt");
  QFile script(m_dir.path() + QStringLiteral("/Hoverlet"));
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write(QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1.tmp' && mv '%1.tmp' '%1'\n")
                   .arg(out)
                   .toUtf8());
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  LaunchHoverlet(QStringLiteral("검색된 결과가 없습니다."), 500);
  QElapsedTimer t;
  t.start();
  while (!QFile::exists(out) && t.elapsed() < 10000) QThread::msleep(20);
  QFile f(out);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(f.readAll()), QStringLiteral("검색된 결과가 없습니다.|/T500|"));
  EXPECT_TRUE(m_prompt.Records().empty());
  EXPECT_EQ(App().hoverletAvailability, 1);
}

}  // namespace
