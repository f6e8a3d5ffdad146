// The text routines behind the fields and the customer lists: telephone grouping, number
// patterns.
#include "controls/NumberFormat.h"
#include "controls/TelFormat.h"
#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

struct Case {
  const char* in;
  const char* out;
};

TEST(FormatTelNo, GroupsByTheLeadingDigits) {
  const Case cases[] = {
      {"0212345678", "02-1234-5678"},
      {"021234567", "02-123-4567"},
      {"01012345678", "010-1234-5678"},
      {"0311234567", "031-123-4567"},
      {"05051234567", "0505-123-4567"},
      {"03031234567", "0303-123-4567"},
      {"050512345", "0505-1-2345"},
      {"12345678", "1234-5678"},
      {"15881234", "1588-1234"},
      {"0101234", "010-1234"},
      {"021234", "02--1234"},
      {"12345", "12345"},
      {"0", "0"},
      {"", ""},
      {"010 1234 5678", "010-1234-5678"},
      {"+82 2-1234-5678", "8221234-5678"},
      {"010-1234-5678", "010-1234-5678"},
      {"전화 02)123-4567", "02-123-4567"},
      {"abcdef", ""},
      {"010-12", "0-1012"},
  };
  ScriptedPrompt prompt;
  for (const Case& c : cases) {
    EXPECT_EQ(FormatTelNo(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
  }
  EXPECT_TRUE(prompt.Records().empty());
}

TEST(FormatTelNo, TooShortForAFourDigitFirstGroupIsReportedAndLeftUngrouped) {
  ScriptedPrompt prompt;
  EXPECT_EQ(FormatTelNo(QStringLiteral("0505-123")), QStringLiteral("0505123"));
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_EQ(prompt.Messages()[0].text,
            QStringLiteral("Error 5 (Invalid procedure call or argument) in procedure "
                           "FormatTelNo of User Control HCText"));
  EXPECT_EQ(prompt.Messages()[0].icon, MsgIcon::Critical);
}

TEST(FormatTelNoMasked, KeepsMaskedDigitsAndHasNoFourDigitGroup) {
  const Case cases[] = {
      {"01012345678", "010-1234-5678"},
      {"010****5678", "010-****-5678"},
      {"02****5678", "02-****-5678"},
      {"0505****567", "050-5***-*567"},
      {"010-****-5678", "010-****-5678"},
      {"12345678", "1234-5678"},
      {"1234*", "1234*"},
      {"02-12*", "0212*"},  // too short for its groups
      {"0212", "0212"},
      {"", ""},
      {"**-****", "**-****"},
      {"***-****", "***-****"},
  };
  ScriptedPrompt prompt;
  for (const Case& c : cases) {
    EXPECT_EQ(FormatTelNoMasked(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
  }
  EXPECT_TRUE(prompt.Records().empty());
}

TEST(NumberFormat, PatternsWithAndWithoutSeparatorsAndDecimals) {
  const struct {
    const char* in;
    int decimals;
    bool grouping;
    const char* out;
  } cases[] = {
      {"1234", 0, true, "1,234"},
      {"1234567", 0, true, "1,234,567"},
      {"123", 0, true, "123"},
      {"1,2,34", 0, true, "1,234"},
      {"0", 0, true, "0"},
      {"007", 0, true, "7"},
      {"1234", 2, true, "1,234.00"},
      {"1234.5", 2, true, "1,234.50"},
      {"1,234.50", 2, false, "1234.50"},
      {".5", 2, true, "0.50"},
      {"0.005", 2, true, "0.01"},
      {"0.994", 2, true, "0.99"},
      {"999.995", 2, true, "1,000.00"},
      {"12.5", 0, true, "13"},
      {"-12.5", 0, true, "-13"},
      {"12-", 0, true, "-12"},
      {"-0", 2, true, "-0.00"},
      {"-1234", 0, true, "-1,234"},
      {" 42 ", 0, false, "42"},
      {"98765432109876543210", 0, true, "98,765,432,109,876,543,210"},
      {"-", 0, true, "-"},
      {"", 2, true, ""},
      {"1.2.3", 2, true, "1.2.3"},
      {"12a", 0, true, "12a"},
      {"1-2", 0, true, "1-2"},
      {"--1", 0, true, "--1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(numfmt::FormatNumber(QString::fromUtf8(c.in), c.decimals, c.grouping),
              QString::fromUtf8(c.out))
        << c.in << " / " << c.decimals;
  }
}

}  // namespace
