// The text routines behind the fields and the customer lists: telephone grouping, number
// patterns and the key codes the fields hand to their hosts.
#include "controls/ControlSupport.h"
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

TEST(NumberFormat, LeadingValueDecidesZero) {
  for (const char* zero : {"", "0", "-", "0.00", "-0", "000", " 0", "0,123", "0.0x", "abc"}) {
    EXPECT_TRUE(numfmt::LeadingValueIsZero(QString::fromUtf8(zero))) << zero;
  }
  for (const char* nonZero : {"1", "0.01", "-3", "1,000", "10x"}) {
    EXPECT_FALSE(numfmt::LeadingValueIsZero(QString::fromUtf8(nonZero))) << nonZero;
  }
}

TEST(NumberFormat, DigitPatternsFillFromTheRight) {
  const Case cases[] = {
      {"1234567890", "123-456-7890"},
      {"12345", "000-001-2345"},
      {"0", "000-000-0000"},
      {"12345678901", "1234-567-8901"},
      {"abc", "abc"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(numfmt::FormatDigits(QString::fromUtf8(c.in), u"000-000-0000"),
              QString::fromUtf8(c.out))
        << c.in;
  }
  EXPECT_EQ(numfmt::FormatDigits(QStringLiteral("9"), u"00"), QStringLiteral("09"));
}

TEST(KeyCodes, KeysReachHostsWithTheOldCodes) {
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    const char* text;
    int code;
    int ascii;
  } cases[] = {
      {Qt::Key_A, Qt::NoModifier, "a", 65, 'a'},
      {Qt::Key_A, Qt::ShiftModifier, "A", 65, 'A'},
      {Qt::Key_C, Qt::ControlModifier, "\x03", 67, 3},
      {Qt::Key_V, Qt::ControlModifier, "\x16", 86, 22},
      {Qt::Key_Insert, Qt::ShiftModifier, "", 45, 22},
      {Qt::Key_Period, Qt::NoModifier, ".", 190, '.'},
      {Qt::Key_Period, Qt::KeypadModifier, ".", 110, '.'},
      {Qt::Key_5, Qt::KeypadModifier, "5", 101, '5'},
      {Qt::Key_Minus, Qt::NoModifier, "-", 189, '-'},
      {Qt::Key_Backspace, Qt::NoModifier, "\b", 8, 8},
      {Qt::Key_Return, Qt::NoModifier, "\r", 13, 13},
      {Qt::Key_Delete, Qt::NoModifier, "", 46, 0},
      {Qt::Key_Down, Qt::NoModifier, "", 40, 0},
      {Qt::Key_F5, Qt::NoModifier, "", 116, 0},
      {Qt::Key_Hangul, Qt::NoModifier, "", 229, 0},
  };
  for (const auto& c : cases) {
    const QKeyEvent e(QEvent::KeyPress, c.key, c.mods, QString::fromLatin1(c.text));
    EXPECT_EQ(controls::VbKeyCode(e), c.code) << c.key;
    EXPECT_EQ(controls::VbKeyAscii(e), c.ascii) << c.key;
  }
  EXPECT_EQ(controls::VbShift(Qt::ShiftModifier | Qt::AltModifier), 5);
}

}  // namespace
