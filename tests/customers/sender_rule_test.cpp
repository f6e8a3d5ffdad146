// The numbering rules for sender numbers, case by case, and the message a violation shows.
#include "customers/SenderNoRule.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

namespace {

TEST(SenderNoRule, EveryRuleCase) {
  const QString ok;
  const QString rule1 = QStringLiteral("---> 1번 세칙 위배");
  const QString shared = QStringLiteral("---> 2번 세칙 위배(030, 050 자리수가 아님)");
  const QString national = QStringLiteral("---> 2번 세칙 위배(전국대표번호 8자리 아님)");
  const QString areaNational =
      QStringLiteral("---> 2번 세칙 위배(전국대표번호 앞에 지역번호 있음)");
  const QString length = QStringLiteral("---> 2번 세칙 위배(8~11자리가 아님)");
  const QString rule3 = QStringLiteral("---> 3번 세칙 위배");
  const struct {
    const char* number;
    QString expected;
  } cases[] = {
      {"01012345678", ok},
      {"0101234567", ok},
      {"010123456789", length},
      {"0212345678", ok},
      {"021234567", ok},
      {"0212345", length},
      {"0311234567", ok},
      {"0311234", length},
      {"031123456789", length},
      {"12345678", rule3},
      {"112", length},
      {"1335", length},
      {"15881234", ok},
      {"16001234", ok},
      {"18001234", ok},
      {"158812345", national},
      {"1588123", national},
      {"0215881234", areaNational},
      {"02158812", ok},
      {"0311588123", areaNational},
      {"0301234567890", shared},
      {"050123456789", ok},
      {"0301234", shared},
      {"03012345", ok},
      {"", rule1},
      {" 01012345678", rule1},
      {"01012345678 ", rule1},
      {"91234567", rule3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SenderNoViolation(QLatin1String(c.number)), c.expected) << c.number;
}

TEST(SenderNoRule, ViolationShowsTheRuleTextAndTheLine) {
  ScriptedPrompt prompt;
  EXPECT_TRUE(CheckSenderNoRule(QStringLiteral("15881234")));
  EXPECT_TRUE(prompt.Records().empty());
  EXPECT_FALSE(CheckSenderNoRule(QStringLiteral("158812345")));
  ASSERT_EQ(prompt.Messages().size(), 1u);
  const QString text = prompt.Messages()[0].text;
  EXPECT_TRUE(
      text.startsWith(QStringLiteral("<발신 전화번호 세칙 검사>\r\n\r\n1. 공백 사용 불가\r\n")));
  EXPECT_TRUE(text.endsWith(QStringLiteral(
      "번호 앞에 지역번호 사용금지\r\n\r\n---> 2번 세칙 위배(전국대표번호 8자리 아님)")));
  EXPECT_EQ(prompt.Messages()[0].icon, MsgIcon::Information);
  EXPECT_EQ(text.count(QStringLiteral("\r\n")), 2 + 7 + 2);
}

}  // namespace
